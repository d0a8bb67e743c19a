#include "windows/Pickers.h"

#include "lists/NameList.h"

#include <QComboBox>
#include <algorithm>

void sortNames(QStringList &names) {
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
}

LoadedPicker loadPicker(QComboBox *picker, const SettingsStore &store, const settingkeys::NameList &list) {
    picker->clear();
    picker->clearEditText();
    StoredNameList stored = readNameList(store, list);
    LoadedPicker out;
    out.count = stored.count;
    if (stored.count.isEmpty())
        return out;
    sortNames(stored.items);
    picker->addItems(stored.items);
    out.selectFirst = stored.count != QLatin1String("-1") && picker->count() > 0;
    if (!out.selectFirst)
        picker->setCurrentIndex(-1);
    return out;
}
