#pragma once

#include <QString>

// The application title: of every message box and input box, the first part of window titles, and
// the name the settings are kept under.
inline const QString kAppTitle = QStringLiteral("Quorvane");
