#include "session/ColumnHeader.h"

#include "lists/NameList.h"
#include "lists/SettingsStore.h"
#include "ui/OneLineValidator.h"
#include "ui/NativePath.h"

EventColumnTitles eventColumnTitles(const SettingsStore &store, QString *buttonCount) {
    const StoredNameList buttons = readNameList(store, settingkeys::Buttons);
    if (buttonCount)
        *buttonCount = buttons.count;
    EventColumnTitles titles;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const QString name = i < static_cast<std::size_t>(buttons.items.size())
                                 ? buttons.items.at(static_cast<qsizetype>(i))
                                 : QString();
        titles[i] = QStringLiteral("Button - ") +
                    QString::fromStdString(logformat::cleanCaption(oneLine(name).toStdString()));
    }
    return titles;
}

std::string columnHeaderRow(const EventColumnTitles &titles) {
    logformat::Record row;
    for (std::size_t i = 0; i < std::size(logformat::kFixedTitles); ++i)
        row[i] = logformat::Field::txt(std::string(logformat::kFixedTitles[i]));
    for (std::size_t i = 0; i < titles.size(); ++i)
        row[logformat::FirstEventColumn + i] = logformat::Field::txt(titles[i].toStdString());
    return logformat::encodeRow(row);
}

ColumnHeaderOutcome ensureColumnHeader(const SettingsStore &store, const QString &logFilePath) {
    ColumnHeaderOutcome out;
    out.titles = eventColumnTitles(store, &out.buttonCount);
    const logfile::HeaderOutcome header =
        logfile::ensureHeader(toNativePath(logFilePath), columnHeaderRow(out.titles), logfile::Sync::Yes);
    out.fileLength = header.length;
    out.error = header.error;
    return out;
}
