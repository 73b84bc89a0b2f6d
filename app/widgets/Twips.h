#pragma once
// The main window's fixed layout gives positions and sizes in twips: 1/1440 inch, so 15 twips
// are one pixel at 96 dpi. Controls are placed there scaled to the screen's logical DPI.

#include <QRect>
#include <QWidget>
#include <cmath>

namespace tarnby {

inline int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

// Places `widget` at left, top, width, height given in twips.
inline void placeInTwips(QWidget* widget, int left, int top, int width, int height) {
    const double dpi = widget->logicalDpiX();
    widget->setGeometry(twipsToPixels(left, dpi), twipsToPixels(top, dpi),
                        std::max(1, twipsToPixels(width, dpi)),
                        std::max(1, twipsToPixels(height, dpi)));
}

} // namespace tarnby
