#pragma once
// The state the main window's parts share for the whole run. The main window owns it, so every
// window (and every test) starts from a fresh one.

#include <QDateTime>
#include <QString>
#include <QTime>
#include <array>
#include <cstdint>

struct SharedState {
    // Name lists as last read: the count key's text exactly as read, and the last item read.
    QString ScenarioItem;
    QString ScenarioCount;
    QString ParticipantItem;
    QString ParticipantCount;
    QString ButtonCount;
    QString ButtonItem;
    std::int16_t LoopIndex = 0;  // the list loops count for themselves, so this keeps its start value

    QDateTime ScenarioStartMoment;   // PC clock at the last scenario Start or Resume
    QTime ScenarioElapsedAtStart;    // scenario time shown at that moment
    bool ScenarioTimerRunning = false;
    QDateTime VCRStartMoment;        // PC clock at the last VCR Start
    QTime VCRStartValue;             // tape position at the last VCR Start
    bool VCRTimerRunning = false;

    QString LogFilePath;             // the current log file
    long long LogFileLength = 0;     // measured by the column-header writer

    // The ten event columns of the next row; column k belongs to event button k. The header
    // writer also leaves the ten column titles here.
    std::array<QString, 10> EventColumn;
};

