#pragma once

#include <QFile>
#include <QString>
#include <string>

// A path as the file system spells it (the user's locale encoding, UTF-8 on a usual system).
inline std::string toNativePath(const QString &path) { return QFile::encodeName(path).toStdString(); }
