#include "ui/AppIcon.h"

static void initIconResources() { Q_INIT_RESOURCE(icons); }

QIcon appIcon() {
    initIconResources();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/quorvane-%1.png").arg(size), QSize(size, size));
    return icon;
}
