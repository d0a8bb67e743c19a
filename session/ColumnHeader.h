#pragma once
// The header row of a log file: nine fixed titles and one per custom event button position.

#include "core/logio.h"

#include <QString>
#include <array>
#include <string>

class SettingsStore;

using EventColumnTitles = std::array<QString, logformat::kEventColumnCount>;

// "Button - " and the cleaned name of the stored button at each position; "Button - " alone
// where no button is stored. `buttonCount` receives "Number Of Buttons" as read.
EventColumnTitles eventColumnTitles(const SettingsStore &store, QString *buttonCount = nullptr);
std::string columnHeaderRow(const EventColumnTitles &titles);

struct ColumnHeaderOutcome {
    QString buttonCount;
    EventColumnTitles titles;
    long long fileLength = 0;  // before the header was written
    logfile::FileError error;
};

// Creates a missing log file and gives an empty one its header row. A file that holds anything
// is left byte for byte as it is. Failures are returned, not reported.
ColumnHeaderOutcome ensureColumnHeader(const SettingsStore &store, const QString &logFilePath);
