#pragma once
// The per-user settings store: named string values in an INI file under the application name.

#include "lists/SettingKeys.h"

#include <QSettings>
#include <QString>

class SettingsStore {
public:
    SettingsStore();

    QString GetSetting(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    void SaveSetting(const QString &section, const QString &key, const QString &value);
    // Deleting a key that is not there does nothing.
    void DeleteSetting(const QString &section, const QString &key);

    QString GetSetting(const settingkeys::Key &key) const;
    void SaveSetting(const settingkeys::Key &key, const QString &value);

    QString fileName() const { return settings_.fileName(); }

private:
    mutable QSettings settings_;
};
