#include "windows/frmSessionSummary.h"

#include "core/filereplace.h"
#include "export/workbook.h"
#include "ui/AppIcon.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "ui/Style.h"
#include "ui/TimelineView.h"
#include "windows/FileMessages.h"
#include "windows/SummaryTableModel.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A short read needs no progress bar flashing up.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressRange = 1000;

}  // namespace

frmSessionSummary::frmSessionSummary(Prompts &prompts, const QString &logFilePath, QWidget *parent)
    : QDialog(parent), prompts_(prompts), path_(logFilePath) {
    setObjectName(QStringLiteral("frmSessionSummary"));
    setWindowIcon(appIcon());
    setFont(designFont());
    setWindowTitle(kAppTitle + QStringLiteral(" - Session Summary - ") + QFileInfo(logFilePath).fileName());
    setSizeGripEnabled(true);
    resize(900, 620);

    lblStatus = new QLabel(QStringLiteral("Reading the log file..."), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    prgReading = new QProgressBar(this);
    prgReading->setObjectName(QStringLiteral("prgReading"));
    prgReading->setRange(0, kProgressRange);
    prgReading->hide();
    summaryModel = new SummaryTableModel(this);
    grdSummary = new QTableView;
    grdSummary->setObjectName(QStringLiteral("grdSummary"));
    grdSummary->setModel(summaryModel);
    grdSummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSummary->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdSummary->verticalHeader()->hide();
    // Columns sized from the rows around those shown, not from all of ten thousand.
    grdSummary->horizontalHeader()->setResizeContentsPrecision(300);
    grdSummary->setTabKeyNavigation(false);  // Tab goes on to the timeline and the buttons, the arrows move in the table
    timeline = new TimelineView;
    splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(grdSummary);
    splitter->addWidget(timeline);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    cmdExport = new QPushButton(QStringLiteral("&Export..."), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setToolTip(QStringLiteral("Save the table as an Excel workbook with charts, or as CSV"));
    cmdExport->setEnabled(false);
    cmdExport->setAutoDefault(false);
    cmdSaveTimeline = new QPushButton(QStringLiteral("Save &Timeline as PNG..."), this);
    cmdSaveTimeline->setObjectName(QStringLiteral("cmdSaveTimeline"));
    cmdSaveTimeline->setEnabled(false);
    cmdSaveTimeline->setAutoDefault(false);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdExport);
    buttons->addWidget(cmdSaveTimeline);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus);
    layout->addWidget(prgReading);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    setTabOrder(grdSummary, timeline);
    setTabOrder(timeline, cmdExport);

    connect(cmdExport, &QPushButton::clicked, this, &frmSessionSummary::cmdExport_Click);
    connect(cmdSaveTimeline, &QPushButton::clicked, this, &frmSessionSummary::cmdSaveTimeline_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, &frmSessionSummary::showProgress);
    progressTimer_->start();
    sinceStart_.start();

    worker_ = std::thread([this, native = toNativePath(logFilePath)] {
        logtimeline::TimelineBuilder timelineBuilder;
        result_ = logsummary::summariseFile(
            native,
            [this](long long position, long long size) {
                position_.store(position, std::memory_order_relaxed);
                size_.store(size, std::memory_order_relaxed);
                return !cancel_.load(std::memory_order_relaxed);
            },
            [&timelineBuilder](const logformat::RecordView &record) { timelineBuilder.add(record); });
        timeline_ = timelineBuilder.finish();
        // Queued: runs on the window's thread after the worker is done with result_. A window
        // destroyed first joins this thread and drops the call.
        QMetaObject::invokeMethod(this, &frmSessionSummary::finishLoading, Qt::QueuedConnection);
    });
}

frmSessionSummary::~frmSessionSummary() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void frmSessionSummary::showProgress() {
    if (sinceStart_.elapsed() < kProgressDelayMs)
        return;
    const long long size = size_.load(std::memory_order_relaxed);
    const long long position = position_.load(std::memory_order_relaxed);
    prgReading->setValue(size > 0 ? static_cast<int>(position * kProgressRange / size) : 0);
    prgReading->show();
}

void frmSessionSummary::finishLoading() {
    worker_.join();
    progressTimer_->stop();
    prgReading->hide();
    loaded_ = true;

    QStringList status;
    if (result_.openError) {
        status << QStringLiteral("This log file cannot be read.") << fileFailureDetails(path_, result_.openError);
    } else {
        const logsummary::Summary &s = result_.summary;
        if (result_.readError)
            status << QStringLiteral("Reading stopped part way; the figures cover the part that was read.")
                   << fileFailureDetails(path_, result_.readError);
        if (s.damagedLines > 0)
            status << (s.damagedLines == 1 ? QStringLiteral("1 damaged line was skipped.")
                                           : QStringLiteral("%1 damaged lines were skipped.").arg(s.damagedLines));
        if (s.rows == 0)
            status << QStringLiteral("The log holds no entries.");
        if (timeline_.untimedEntries > 0)
            status << QStringLiteral("%1 of the entries were made while no scenario timer ran: the timeline leaves "
                                     "them out.")
                          .arg(timeline_.untimedEntries);
        if (timeline_.marksLeftOut > 0)
            status << QStringLiteral("The timeline shows the first %1 entries; %2 more are in the log.")
                          .arg(static_cast<qulonglong>(logtimeline::kMaxMarks))
                          .arg(timeline_.marksLeftOut);
        grdSummary->verticalHeader()->setDefaultSectionSize(grdSummary->fontMetrics().height() + 6);
        summaryModel->setSummary(s);
        grdSummary->resizeColumnsToContents();
        timeline->setTimeline(std::move(timeline_));
        cmdExport->setEnabled(true);
        cmdSaveTimeline->setEnabled(!timeline->timeline().runs.empty());
        fitWidth();
    }
    lblStatus->setText(status.join(QLatin1Char('\n')));
    lblStatus->setVisible(!status.isEmpty());
    emit loaded();
}

void frmSessionSummary::fitWidth() {
    // Wide enough for every column where the screen allows, so no figure hides behind the scroll bar.
    const int wanted = width() - grdSummary->viewport()->width() + grdSummary->horizontalHeader()->length() +
                       grdSummary->verticalScrollBar()->sizeHint().width();
    if (wanted <= width())
        return;
    const QRect screenRoom = screen()->availableGeometry();
    resize(std::min(wanted, std::max(screenRoom.width() * 9 / 10, width())), height());
    QRect frame = frameGeometry();  // grown to the right: kept on the screen
    frame.moveRight(std::min(frame.right(), screenRoom.right()));
    frame.moveLeft(std::max(frame.left(), screenRoom.left()));
    move(frame.topLeft());
}

QString frmSessionSummary::exportName(const QString &ending) const {
    QString name = QFileInfo(path_).fileName();
    if (name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        name.chop(4);
    return name + ending;
}

bool frmSessionSummary::tellOutcome(const QString &what, const QString &path, const logfile::ExportTarget &refused,
                                    const logfile::FileError &error) {
    QString message = exportRefusal(what, QDir::toNativeSeparators(path), refused);
    if (message.isEmpty() && error)
        message = QStringLiteral("%1 could not be saved.\n\n").arg(what) + fileFailureDetails(path, error);
    if (message.isEmpty())
        return true;
    prompts_.messageBox(message, kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
    return false;
}

void frmSessionSummary::cmdExport_Click() {
    Prompts::FileDialog dialog;
    dialog.kind = Prompts::FileDialog::Kind::Save;
    // A workbook unless CSV is asked for: its cells are typed, so no spreadsheet runs a text as a formula.
    dialog.initialName = exportName(QStringLiteral(" summary.xlsx"));
    dialog.filter = QStringLiteral("Excel Workbook (*.xlsx);;CSV Files (*.csv)");
    dialog.directory = QFileInfo(path_).absolutePath();  // beside the log it sums up
    const std::optional<QString> chosen = prompts_.fileDialog(dialog);
    if (!chosen)
        return;
    const std::string target = toNativePath(*chosen);
    const std::string log = toNativePath(path_);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (chosen->endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        const logfile::ReplaceOutcome out = logfile::replaceFile(target, log, logsummary::exportCsv(result_.summary));
        QApplication::restoreOverrideCursor();
        tellOutcome(QStringLiteral("The session summary"), *chosen, out.refused, out.error);
    } else {
        const xlsxexport::Outcome out = xlsxexport::exportSummary(result_.summary, target, log);
        QApplication::restoreOverrideCursor();
        tellOutcome(QStringLiteral("The session summary"), *chosen, out.refused, out.error);
    }
}

void frmSessionSummary::cmdSaveTimeline_Click() {
    Prompts::FileDialog dialog;
    dialog.kind = Prompts::FileDialog::Kind::Save;
    dialog.initialName = exportName(QStringLiteral(" timeline.png"));
    dialog.filter = QStringLiteral("PNG Images (*.png)");
    dialog.directory = QFileInfo(path_).absolutePath();
    const std::optional<QString> chosen = prompts_.fileDialog(dialog);
    if (!chosen)
        return;
    int rowsLeftOut = 0;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    timeline->picture(&rowsLeftOut).save(&buffer, "PNG");
    const logfile::ReplaceOutcome out =
        logfile::replaceFile(toNativePath(*chosen), toNativePath(path_), std::string_view(png.constData(), png.size()));
    if (tellOutcome(QStringLiteral("The timeline picture"), *chosen, out.refused, out.error) && rowsLeftOut > 0)
        prompts_.messageBox(QStringLiteral("The picture shows the first %1 rows of the timeline; %2 more did not fit "
                                           "in one picture.")
                                .arg(timeline->timeline().runs.size() - static_cast<std::size_t>(rowsLeftOut))
                                .arg(rowsLeftOut),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Information);
}
