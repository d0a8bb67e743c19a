#pragma once
// The scenario and participant pickers: editable combo boxes filled from a stored name list.

#include "lists/SettingKeys.h"

#include <QString>
#include <QStringList>

class QComboBox;
class SettingsStore;

// Sorts names as the lists show them: alphabetically, letters compared without regard to case.
void sortNames(QStringList &names);

struct LoadedPicker {
    QString count;        // the count key's text exactly as read
    bool selectFirst = false;  // a list was stored and not saved empty
};

// Empties the picker (list and text), then fills it sorted from the store. The caller selects the
// first name when `selectFirst` says so.
LoadedPicker loadPicker(QComboBox *picker, const SettingsStore &store, const settingkeys::NameList &list);
