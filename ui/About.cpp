#include "ui/About.h"

#include "ui/Prompts.h"

#include <QStringList>

QString aboutText() {
    const QString version = QStringLiteral("%1.%2.%3")
                                .arg(QUORVANE_VERSION_MAJOR)
                                .arg(QUORVANE_VERSION_MINOR)
                                .arg(QUORVANE_VERSION_PATCH);
    return QStringList{QStringLiteral("Title: ") + kAppTitle,
                       QStringLiteral("Version: ") + version,
                       QStringLiteral("Copyright: © 2026 The Quorvane developers"),
                       QString(),
                       QStringLiteral("Availability: https://quorvane.org"),
                       QStringLiteral("Author: The Quorvane team"),
                       QStringLiteral("Email: support@quorvane.org")}
        .join(u'\n');
}
