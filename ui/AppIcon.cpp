#include "ui/AppIcon.h"

static void initIconResources() { Q_INIT_RESOURCE(icons); }

QIcon appIcon() {
    // One icon for every window: its pictures are decoded once, when first drawn, not per window.
    static const QIcon icon = [] {
        initIconResources();
        QIcon sizes;
        for (const int size : {16, 32, 48, 64, 128})
            sizes.addFile(QStringLiteral(":/icons/quorvane-%1.png").arg(size), QSize(size, size));
        return sizes;
    }();
    return icon;
}
