#pragma once
// Window geometry is designed in twips: 1/1440 inch, 15 to a pixel at 96 dots per inch.

#include <QRect>
#include <cmath>

inline constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
inline double pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

// Edges are rounded, not sizes, so controls that share an edge in twips share it in pixels.
inline QRect twipsToPixels(double left, double top, double width, double height) {
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    return QRect(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}
