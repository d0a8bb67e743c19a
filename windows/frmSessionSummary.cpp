#include "windows/frmSessionSummary.h"

#include "ui/AppIcon.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "ui/Style.h"
#include "windows/FileMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace {

// A short read needs no progress bar flashing up.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressRange = 1000;

// Writes the whole file, replacing what it held.
logfile::FileError writeFile(const std::string &path, std::string_view bytes) {
    const logfile::UniqueFd fd = logfile::openFile(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (!fd)
        return logfile::FileError::fromErrno(errno);
    const int err = logfile::writeAll(fd.get(), bytes);
    return err ? logfile::FileError::fromErrno(err) : logfile::FileError();
}

}  // namespace

frmSessionSummary::frmSessionSummary(Prompts &prompts, const QString &logFilePath, QWidget *parent)
    : QDialog(parent), prompts_(prompts), path_(logFilePath) {
    setObjectName(QStringLiteral("frmSessionSummary"));
    setWindowIcon(appIcon());
    setFont(designFont());
    setWindowTitle(kAppTitle + QStringLiteral(" - Session Summary - ") + QFileInfo(logFilePath).fileName());
    setSizeGripEnabled(true);
    resize(900, 420);

    lblStatus = new QLabel(QStringLiteral("Reading the log file..."), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    prgReading = new QProgressBar(this);
    prgReading->setObjectName(QStringLiteral("prgReading"));
    prgReading->setRange(0, kProgressRange);
    prgReading->hide();
    grdSummary = new QTableWidget(this);
    grdSummary->setObjectName(QStringLiteral("grdSummary"));
    grdSummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSummary->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdSummary->verticalHeader()->hide();
    grdSummary->setTabKeyNavigation(false);  // Tab goes on to the buttons, the arrows move in the table
    cmdExport = new QPushButton(QStringLiteral("&Export..."), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setEnabled(false);
    cmdExport->setAutoDefault(false);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExport);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus);
    layout->addWidget(prgReading);
    layout->addWidget(grdSummary, 1);
    layout->addLayout(buttons);

    connect(cmdExport, &QPushButton::clicked, this, &frmSessionSummary::cmdExport_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, &frmSessionSummary::showProgress);
    progressTimer_->start();
    sinceStart_.start();

    worker_ = std::thread([this, native = toNativePath(logFilePath)] {
        result_ = logsummary::summariseFile(native, [this](long long position, long long size) {
            position_.store(position, std::memory_order_relaxed);
            size_.store(size, std::memory_order_relaxed);
            return !cancel_.load(std::memory_order_relaxed);
        });
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
        fillTable();
        cmdExport->setEnabled(true);
    }
    lblStatus->setText(status.join(QLatin1Char('\n')));
    lblStatus->setVisible(!status.isEmpty());
    emit loaded();
}

void frmSessionSummary::fillTable() {
    const logsummary::Summary &s = result_.summary;
    const std::vector<std::string> columns = logsummary::tableColumns(s);
    const std::vector<std::vector<logformat::Field>> rows = logsummary::tableRows(s);
    grdSummary->setUpdatesEnabled(false);
    grdSummary->clear();
    grdSummary->setColumnCount(static_cast<int>(columns.size()));
    grdSummary->setRowCount(static_cast<int>(rows.size()));
    QStringList titles;
    for (const std::string &title : columns)
        titles << QString::fromStdString(title);
    grdSummary->setHorizontalHeaderLabels(titles);

    // Totals and statistics in bold, so the three parts of the table stand apart.
    QFont bold = grdSummary->font();
    bold.setBold(true);
    const std::size_t firstTotal = s.groups.size();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const logformat::Field &cell = rows[r][c];
            if (cell.kind == logformat::Kind::None)
                continue;
            auto *item = new QTableWidgetItem;
            if (cell.kind == logformat::Kind::Number) {
                item->setText(QString::fromStdString(logformat::formatNumber(cell.number)));
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            } else {
                item->setText(QString::fromStdString(cell.text));
            }
            if (r >= firstTotal)
                item->setFont(bold);
            grdSummary->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    grdSummary->resizeColumnsToContents();
    grdSummary->setUpdatesEnabled(true);
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

void frmSessionSummary::cmdExport_Click() {
    Prompts::FileDialog dialog;
    dialog.kind = Prompts::FileDialog::Kind::Save;
    dialog.initialName = QStringLiteral("Session Summary.csv");
    dialog.filter = QStringLiteral("CSV Files (*.csv)");
    dialog.directory = QFileInfo(path_).absolutePath();  // beside the log it sums up
    const std::optional<QString> chosen = prompts_.fileDialog(dialog);
    if (!chosen)
        return;
    // Saving over a log would throw its rows away, and the current log would go on below the table.
    const bool sameFile = QFileInfo(*chosen).exists() && QFileInfo(*chosen).canonicalFilePath() ==
                                                             QFileInfo(path_).canonicalFilePath();
    if (sameFile || logfile::checkLogFile(toNativePath(*chosen)).result == logfile::LogCheck::Result::Log) {
        prompts_.messageBox(QStringLiteral("The session summary was not saved: this file is a log, and saving would "
                                           "replace its rows.\n\n%1\n\nChoose Export again and another name.")
                                .arg(QDir::toNativeSeparators(*chosen)),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
    if (const logfile::FileError error = writeFile(toNativePath(*chosen), logsummary::exportCsv(result_.summary)))
        prompts_.messageBox(QStringLiteral("The session summary could not be saved.\n\n") +
                                fileFailureDetails(*chosen, error),
                            kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}
