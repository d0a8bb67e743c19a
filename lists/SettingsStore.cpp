#include "lists/SettingsStore.h"

#include "ui/AppTitle.h"

#include <QStringList>
#include <utility>

namespace {
QString path(const QString &section, const QString &key) { return section + u'/' + key; }
}  // namespace

SettingsStore::SettingsStore()
    : settings_(QSettings::IniFormat, QSettings::UserScope, kAppTitle, kAppTitle) {}

QString SettingsStore::GetSetting(const QString &section, const QString &key, const QString &defaultValue) const {
    const QVariant value = settings_.value(path(section, key));
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas, typed into the file by hand, comes back as a list.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::SaveSetting(const QString &section, const QString &key, const QString &value) {
    settings_.setValue(path(section, key), value);
    written();
}

void SettingsStore::DeleteSetting(const QString &section, const QString &key) {
    const QString p = path(section, key);
    if (!settings_.contains(p))
        return;
    settings_.remove(p);
    written();
}

void SettingsStore::written() {
    if (batches_ > 0)
        unsynced_ = true;
    else
        sync();  // a value saved is on disk, even if the program is killed later
}

void SettingsStore::sync() {
    settings_.sync();
    if (settings_.status() != QSettings::NoError)
        failed_ = true;
}

bool SettingsStore::takeSaveFailure() { return std::exchange(failed_, false); }

SettingsStore::Batch::Batch(SettingsStore &store) : store_(store) { ++store_.batches_; }

SettingsStore::Batch::~Batch() {
    if (--store_.batches_ > 0 || !store_.unsynced_)
        return;
    store_.unsynced_ = false;
    store_.sync();
}

QString SettingsStore::GetSetting(const settingkeys::Key &key) const {
    return GetSetting(QString::fromUtf8(key.section), QString::fromUtf8(key.key),
                      key.defaultValue ? QString::fromUtf8(key.defaultValue) : QString());
}

void SettingsStore::SaveSetting(const settingkeys::Key &key, const QString &value) {
    SaveSetting(QString::fromUtf8(key.section), QString::fromUtf8(key.key), value);
}
