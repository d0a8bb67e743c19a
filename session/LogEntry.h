#pragma once
// One log entry: the nineteen values of a row, and the list line that shows it.

#include "core/logformat.h"

#include <QDate>
#include <QString>
#include <array>

// The ten event columns of a row: column k belongs to event button k.
using EventColumns = std::array<QString, logformat::kEventColumnCount>;

struct LogEntry {
    QDate date;
    QString pcTime;
    QString vcrTime;
    QString scenarioTime;
    QString participant;
    QString scenario;
    QString comment;
    EventColumns events;

    // Each text as a row holds it: on one line, a double quote as an apostrophe; the list line
    // shows the same text.
    logformat::Record record() const;
    std::string displayLine() const;
};
