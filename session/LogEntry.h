#pragma once
// One log entry: the nineteen values of a row, and the list line that shows it.

#include "core/logformat.h"

#include <QDate>
#include <QString>
#include <array>

// Seconds of a clock text "HH:mm:ss", read by position: the first two characters are the hours,
// the fourth and fifth the minutes, the last two the seconds, whatever the separators are.
int secondsOfClockText(const QString &text);

struct LogEntry {
    QDate date;
    QString pcTime;
    QString vcrTime;
    QString scenarioTime;
    QString participant;
    QString scenario;
    QString comment;
    std::array<QString, logformat::kEventColumnCount> events;

    // The row writer stores a double quote as an apostrophe (a quote would end its field early
    // and shift every later record); the list line shows the same text.
    logformat::Record record() const;
    std::string displayLine() const;
};
