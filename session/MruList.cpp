#include "session/MruList.h"

#include "lists/SettingKeys.h"
#include "lists/SettingsStore.h"

#include "core/logio.h"
#include "ui/NativePath.h"


int MruList::FindMRUItem(const QString &path) const {
    const QString wanted = path.toUpper();
    for (int i = 0; i < paths_.size(); ++i)
        if (paths_.at(i).toUpper() == wanted)
            return i;
    return -1;
}

void MruList::AddMRUItem(const QString &NewItem) {
    const int found = FindMRUItem(NewItem);
    if (found < 0)
        AddMenuElement(NewItem);
    else
        MoveMRUItemToTop(NewItem, found);
}

void MruList::AddMenuElement(const QString &NewItem) {
    paths_.prepend(NewItem);
    if (paths_.size() > MaxMRU + 1)
        paths_.removeLast();
}

void MruList::MoveMRUItemToTop(const QString &NewItem, int k) {
    paths_.removeAt(k);
    paths_.prepend(NewItem);
}

QStringList MruList::storedReadablePaths(const SettingsStore &store) {
    const QString section = QString::fromUtf8(settingkeys::MRUSection);
    QStringList out;
    for (int i = 0;; ++i) {
        const QString path = store.GetSetting(section, QString::number(i), QString());
        if (path.isEmpty())
            return out;
        // Only a regular file that can be read; a named pipe would block the start for ever.
        logfile::FileError error;
        if (logfile::openForReading(toNativePath(path), error))
            out << path;
    }
}

void MruList::save(SettingsStore &store) const {
    const QString section = QString::fromUtf8(settingkeys::MRUSection);
    for (int i = 0; i < paths_.size(); ++i)
        store.SaveSetting(section, QString::number(i), paths_.at(i));
}
