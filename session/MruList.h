#pragma once
// The recently used log files: at most four full paths, the newest first. Two paths are the same
// entry when they are equal in upper case.

#include <QStringList>

class SettingsStore;

class MruList {
public:
    static constexpr int MaxMRU = 3;  // the highest index the list reaches

    const QStringList &paths() const { return paths_; }
    int MRULastIndex() const { return static_cast<int>(paths_.size()) - 1; }
    void clear() { paths_.clear(); }

    // The index of the entry that is the same path, or -1.
    int FindMRUItem(const QString &path) const;
    // A new path goes on top (the oldest drops out of a full list); a listed one moves to the top
    // and takes the new spelling.
    void AddMRUItem(const QString &NewItem);
    void AddMenuElement(const QString &NewItem);
    void MoveMRUItemToTop(const QString &NewItem, int k);

    // The stored paths from key "0" up to the first empty key, leaving out those whose files
    // cannot be opened for reading.
    static QStringList storedReadablePaths(const SettingsStore &store);
    // Keys "0" to the last index; keys above it are neither written nor deleted.
    void save(SettingsStore &store) const;

private:
    QStringList paths_;
};
