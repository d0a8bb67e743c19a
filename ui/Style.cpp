#include "ui/Style.h"

QFont designFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8);
    font.setStretch(QFont::Condensed);
    return font;
}
