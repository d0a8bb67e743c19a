#include "windows/SpreadsheetExport.h"

#include "export/workbook.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "windows/FileMessages.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

// A short export needs no dialog flashing up.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressRange = 1000;

QString count(long long n) { return QLocale(QLocale::English).toString(n); }

QString doneMessage(const QString &path, const xlsxexport::Outcome &out) {
    QString text = QStringLiteral("The log was saved as a spreadsheet:\n\n%1\n\n").arg(QDir::toNativeSeparators(path));
    text += out.rows == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(count(out.rows));
    text += out.logSheets > 1 ? QStringLiteral(" on %1 sheets (a sheet holds 1,048,575 entries).").arg(out.logSheets)
                              : QStringLiteral(" on the sheet Log.");
    if (out.damagedRows == 1)
        text += QStringLiteral("\n\n1 line of the log is not a whole row; it is on the sheet Damaged rows, as it is in "
                               "the log file.");
    else if (out.damagedRows > 1)
        text += QStringLiteral("\n\n%1 lines of the log are not whole rows; they are on the sheet Damaged rows, as they "
                               "are in the log file.")
                    .arg(count(out.damagedRows));
    if (out.textsCut > 0)
        text += QStringLiteral("\n\nTexts longer than a spreadsheet cell holds (32,767 characters) are cut there: %1.")
                    .arg(out.textsCut == 1 ? QStringLiteral("1 text") : QStringLiteral("%1 texts").arg(count(out.textsCut)));
    return text;
}

// Runs the export on a worker thread. Input waits for the first half second; a longer export
// shows a progress dialog whose Cancel stops it, leaving nothing behind.
xlsxexport::Outcome runExport(QWidget *parent, const std::string &log, const std::string &target) {
    std::atomic<long long> position{0}, size{0};
    std::atomic<bool> cancel{false}, finished{false};
    xlsxexport::Outcome out;
    QEventLoop loop;
    std::thread worker([&] {
        out = xlsxexport::exportLog(log, target, log, [&](long long at, long long of) {
            position.store(at, std::memory_order_relaxed);
            size.store(of, std::memory_order_relaxed);
            return !cancel.load(std::memory_order_relaxed);
        });
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer::singleShot(kProgressDelayMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        QProgressDialog progress(QStringLiteral("Saving the log as a spreadsheet..."), QStringLiteral("Cancel"), 0,
                                 kProgressRange, parent);
        progress.setObjectName(QStringLiteral("prgExport"));
        progress.setWindowTitle(kAppTitle);
        progress.setWindowModality(Qt::WindowModal);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        progress.setMinimumDuration(0);
        QObject::connect(&progress, &QProgressDialog::canceled, [&] {
            cancel = true;
            progress.setLabelText(QStringLiteral("Cancelling..."));
        });
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const long long of = size.load(std::memory_order_relaxed);
            if (of > 0 && !cancel)
                progress.setValue(static_cast<int>(position.load(std::memory_order_relaxed) * (kProgressRange - 1) / of));
        });
        tick.start(100);
        progress.show();
        while (!finished)
            loop.exec();
    }
    worker.join();
    return out;
}

}  // namespace

void exportLogToSpreadsheet(QWidget *parent, Prompts &prompts, const QString &logPath) {
    QString name = QFileInfo(logPath).fileName();
    if (name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        name.chop(4);
    Prompts::FileDialog dialog;
    dialog.kind = Prompts::FileDialog::Kind::Save;
    dialog.initialName = name + QStringLiteral(".xlsx");
    dialog.filter = QStringLiteral("Excel Workbook (*.xlsx)");
    dialog.directory = QFileInfo(logPath).absolutePath();
    const std::optional<QString> chosen = prompts.fileDialog(dialog);
    if (!chosen)
        return;
    const QString what = QStringLiteral("The spreadsheet");
    const std::string target = toNativePath(*chosen);
    // Refused before any work: the same check is made again when the workbook is put in place.
    if (const QString refusal =
            exportRefusal(what, QDir::toNativeSeparators(*chosen), logfile::checkExportTarget(target, toNativePath(logPath)));
        !refusal.isEmpty()) {
        prompts.messageBox(refusal, kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
    const xlsxexport::Outcome out = runExport(parent, toNativePath(logPath), target);
    if (out.cancelled)
        return;
    QString message = exportRefusal(what, QDir::toNativeSeparators(*chosen), out.refused);
    if (message.isEmpty() && out.error)
        message = QStringLiteral("%1 could not be saved.\n\n").arg(what) + fileFailureDetails(*chosen, out.error);
    if (!message.isEmpty())
        prompts.messageBox(message, kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
    else
        prompts.messageBox(doneMessage(*chosen, out), kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Information);
}
