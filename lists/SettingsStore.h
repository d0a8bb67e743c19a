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
    // Whether a save since the last call could not be written to the settings file (a full disk, a
    // folder that cannot be written): true once for each failure, so the observer is told once.
    bool takeSaveFailure();

    // Every save and delete is on disk when it returns, even if the program is killed later; while
    // a Batch lives they are written together when it ends, one rewrite of the file and one sync
    // for a name list of any length.
    class Batch {
    public:
        explicit Batch(SettingsStore &store);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        SettingsStore &store_;
    };

private:
    void written();

    mutable QSettings settings_;
    void sync();

    int batches_ = 0;
    bool unsynced_ = false;
    bool failed_ = false;
};
