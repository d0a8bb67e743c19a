#pragma once

#include <QIcon>

// The program's one icon, used by every window. Drawn in icons/quorvane.svg; the PNG sizes are
// rendered from it so no SVG support is needed at run time.
QIcon appIcon();

// A dialog of fixed size: a title and a close box, no minimize or maximize box.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
