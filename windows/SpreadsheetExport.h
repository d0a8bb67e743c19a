#pragma once
// File > Export to Spreadsheet...: the log as an .xlsx workbook that any spreadsheet opens with a
// double-click, every cell typed, so no text the observer typed ever runs as a formula.

#include <QString>

class Prompts;
class QWidget;

// Asks where to save (beside the log, named after it), refuses a log or anything but a regular
// file as the target, writes the workbook on a worker thread with a cancellable progress dialog
// after half a second, and tells the outcome.
void exportLogToSpreadsheet(QWidget *parent, Prompts &prompts, const QString &logPath);
