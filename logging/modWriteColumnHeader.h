#pragma once

#include "logio.h"

class SettingsStore;

// Makes sure the file at LogFilePath exists and gives an empty one its header row, leaving the
// button count, the titles and the file's length in the shared state. Failures go to the caller.
logfile::FileError WriteColumnHeader(const SettingsStore &store);
