#pragma once
// The session summary of one log file: time on task and counts per participant and scenario,
// participant totals and scenario statistics, with an export to CSV. The log is read on a worker
// thread, so a long log keeps the window responsive.

#include "core/summary.h"

#include <QDialog>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

class Prompts;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

class frmSessionSummary : public QDialog {
    Q_OBJECT

public:
    frmSessionSummary(Prompts &prompts, const QString &logFilePath, QWidget *parent = nullptr);
    ~frmSessionSummary() override;

    // True once the log has been read (or found unreadable) and the table filled.
    bool isLoaded() const { return loaded_; }
    // The figures shown; complete once loaded.
    const logsummary::FileSummary &result() const { return result_; }

    void cmdExport_Click();

    QLabel *lblStatus = nullptr;  // reading failures, damaged lines skipped
    QProgressBar *prgReading = nullptr;
    QTableWidget *grdSummary = nullptr;
    QPushButton *cmdExport = nullptr;
    QPushButton *cmdClose = nullptr;

signals:
    void loaded();

private:
    void showProgress();
    void finishLoading();
    void fillTable();

    Prompts &prompts_;
    const QString path_;
    logsummary::FileSummary result_;  // written by the worker until it hands over
    bool loaded_ = false;
    QTimer *progressTimer_ = nullptr;
    QElapsedTimer sinceStart_;
    std::atomic<long long> position_{0};
    std::atomic<long long> size_{0};
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};
