#pragma once
// Reading and rewriting a stored name list (scenarios, participants, button names).

#include "lists/SettingKeys.h"

#include <QString>
#include <QStringList>
#include <optional>

class SettingsStore;

// The count keys of the three stored lists as last read, exactly as read: a list dialog's OK
// deletes the item keys of the list as it was read.
struct NameListCounts {
    QString scenarios;
    QString participants;
    QString buttons;
};

struct StoredNameList {
    QString count;  // the count key's text exactly as read
    QStringList items;
};

// The highest index a stored list reaches.
inline constexpr int kMaxNameListIndex = 32767;

QString nameListItemKey(const settingkeys::NameList &list, int index);
// The stored count as a whole number; nothing for a text that is not one.
std::optional<int> nameListLastIndex(const QString &count);
StoredNameList readNameList(const SettingsStore &store, const settingkeys::NameList &list);
// Deletes the item keys 0 to `rememberedCount` (the count as read when the list was loaded),
// then stores the new count and items, all written to the file at once.
void rewriteNameList(SettingsStore &store, const settingkeys::NameList &list, const QString &rememberedCount,
                     const QStringList &items);
