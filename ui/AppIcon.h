#pragma once

#include <QIcon>

// The program's one icon, used by every window. Drawn in icons/quorvane.svg; the PNG sizes are
// rendered from it so no SVG support is needed at run time.
QIcon appIcon();
