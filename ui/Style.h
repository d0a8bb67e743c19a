#pragma once
// What every window of the program shares in its look.

#include <QFont>
#include <Qt>

// The font the windows were designed for: captions must fit controls placed in twips, so a
// small, narrow face.
QFont designFont();

// A dialog of fixed size: a title and a close box, no minimize or maximize box.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
