#pragma once
// How failures with files are told to the observer.

#include "core/filereplace.h"
#include "core/logio.h"
#include "ui/Prompts.h"

#include <QString>

// The message shown when a log file cannot be created or opened: a first line that says which, a
// blank line, then the error's number, source and the system's description.
QString logFileFailureMessage(bool creating, const logfile::FileError &error);

// Asks whether a file that does not look like a log is to be used as one; true for Yes.
bool confirmNotALog(Prompts &prompts, const QString &path, const std::string &reason);

// "File: " and the path, "Reason: " and the system's description, on two lines.
QString fileFailureDetails(const QString &path, const logfile::FileError &error);

// Why an export (`what`: "The session summary", ...) was not written to `path`; empty when the
// target was not refused.
QString exportRefusal(const QString &what, const QString &path, const logfile::ExportTarget &target);

class SettingsStore;
// What could not be saved in the settings file, where that file is, and what it means for the
// observer: the value is used until Quorvane ends, and is gone the next time.
QString settingsNotSaved(const SettingsStore &store, const QString &what);
