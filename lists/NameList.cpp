#include "lists/NameList.h"

#include "lists/SettingsStore.h"

QString nameListItemKey(const settingkeys::NameList &list, int index) {
    return QString::fromUtf8(list.itemWord) + u' ' + QString::number(index);
}

std::optional<int> nameListLastIndex(const QString &count) {
    bool ok = false;
    const int value = count.trimmed().toInt(&ok);
    // The lists count with a 16-bit index: a count beyond it (only typed into the file by hand)
    // reads as many names as the index reaches, not billions.
    return ok ? std::optional<int>(std::min(value, kMaxNameListIndex)) : std::nullopt;
}

StoredNameList readNameList(const SettingsStore &store, const settingkeys::NameList &list) {
    const QString section = QString::fromUtf8(list.section);
    const QString noItems = list.countDefault ? QString::fromUtf8(list.countDefault) : QString();
    StoredNameList out;
    out.count = store.GetSetting(section, QString::fromUtf8(list.countKey), noItems);
    if (out.count == noItems)
        return out;
    const int last = nameListLastIndex(out.count).value_or(-1);
    for (int i = 0; i <= last; ++i)
        out.items << store.GetSetting(section, nameListItemKey(list, i));
    return out;
}

void rewriteNameList(SettingsStore &store, const settingkeys::NameList &list, const QString &rememberedCount,
                     const QStringList &items) {
    const SettingsStore::Batch oneWrite(store);
    const QString section = QString::fromUtf8(list.section);
    if (!rememberedCount.isEmpty()) {
        const int last = nameListLastIndex(rememberedCount).value_or(-1);
        for (int i = 0; i <= last; ++i)
            store.DeleteSetting(section, nameListItemKey(list, i));
    }
    store.SaveSetting(section, QString::fromUtf8(list.countKey), QString::number(items.size() - 1));
    for (int i = 0; i < items.size(); ++i)
        store.SaveSetting(section, nameListItemKey(list, i), items.at(i));
}
