#include "modWriteColumnHeader.h"

#include "WriteColumnHeader.h"
#include "modVariables.h"

logfile::FileError WriteColumnHeader(const SettingsStore &store) {
    ColumnHeaderOutcome outcome = writeColumnHeader(store, modVariables.LogFilePath);
    modVariables.ButtonCount = outcome.buttonCount;
    modVariables.EventColumn = outcome.titles;
    modVariables.LogFileLength = outcome.fileLength;
    return outcome.error;
}
