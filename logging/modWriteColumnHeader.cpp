#include "modWriteColumnHeader.h"

#include "WriteColumnHeader.h"
#include "modVariables.h"

logfile::FileError WriteColumnHeader(const SettingsStore &store) {
    return WriteColumnHeader(store, modVariables.LogFilePath);
}

logfile::FileError WriteColumnHeader(const SettingsStore &store, const QString &path) {
    ColumnHeaderOutcome outcome = writeColumnHeader(store, path);
    modVariables.ButtonCount = outcome.buttonCount;
    modVariables.EventColumn = outcome.titles;
    modVariables.LogFileLength = outcome.fileLength;
    return outcome.error;
}
