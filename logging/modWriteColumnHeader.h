#pragma once

#include "logio.h"

class QString;
class SettingsStore;

// Makes sure the file at LogFilePath exists and gives an empty one its header row, leaving the
// button count, the titles and the file's length in the shared state. Failures go to the caller.
logfile::FileError WriteColumnHeader(const SettingsStore &store);
// The same for the file at `path`, which is to become the current one.
logfile::FileError WriteColumnHeader(const SettingsStore &store, const QString &path);
