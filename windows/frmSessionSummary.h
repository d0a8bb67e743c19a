#pragma once
// The session summary of one log file: time on task and counts per participant and scenario,
// participant totals and scenario statistics, and below them the session's timeline; the table
// exports to an .xlsx workbook (with charts) or CSV, the timeline to a PNG picture. The log is
// read once, on a worker thread, so a long log keeps the window responsive.

#include "core/filereplace.h"
#include "core/summary.h"
#include "core/timeline.h"

#include <QDialog>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

class Prompts;
class QLabel;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class QTimer;
class SummaryTableModel;
class TimelineView;

class frmSessionSummary : public QDialog {
    Q_OBJECT

public:
    frmSessionSummary(Prompts &prompts, const QString &logFilePath, QWidget *parent = nullptr);
    ~frmSessionSummary() override;

    // True once the log has been read (or found unreadable) and the table filled.
    bool isLoaded() const { return loaded_; }
    // The figures shown; complete once loaded.
    const logsummary::FileSummary &result() const { return result_; }

    // The proposed names of the exports: the log's name, then " summary.xlsx" or " timeline.png".
    QString exportName(const QString &ending) const;

    void cmdExport_Click();
    void cmdSaveTimeline_Click();

    QLabel *lblStatus = nullptr;  // reading failures, damaged lines skipped
    QProgressBar *prgReading = nullptr;
    QSplitter *splitter = nullptr;
    QTableView *grdSummary = nullptr;
    SummaryTableModel *summaryModel = nullptr;
    TimelineView *timeline = nullptr;
    QPushButton *cmdExport = nullptr;
    QPushButton *cmdSaveTimeline = nullptr;
    QPushButton *cmdClose = nullptr;

signals:
    void loaded();

private:
    void showProgress();
    void finishLoading();
    void fitWidth();
    // Tells the outcome of writing an export to `path`; true when it was written.
    bool tellOutcome(const QString &what, const QString &path, const logfile::ExportTarget &refused,
                     const logfile::FileError &error);

    Prompts &prompts_;
    const QString path_;
    logsummary::FileSummary result_;  // written by the worker until it hands over
    logtimeline::Timeline timeline_;  // likewise
    bool loaded_ = false;
    QTimer *progressTimer_ = nullptr;
    QElapsedTimer sinceStart_;
    std::atomic<long long> position_{0};
    std::atomic<long long> size_{0};
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};
