// Placing a window at its stored place: a place below or right of the desktop (a monitor
// that is gone, a smaller screen) comes back onto it, and sizes too small to use take the
// defaults.
#pragma once

#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tarnel {

inline QRect CorrectedGeometry(const QRect& desktop, int top, int left, int height, int width,
                               int defaultHeight, int defaultWidth) {
    if (desktop.height() < top) top = desktop.top();
    if (desktop.width() < left) left = desktop.left();
    if (width <= 100) width = defaultWidth;
    if (height <= 100) height = defaultHeight;
    return QRect(left, top, width, height);
}

inline void PlaceOnDesktop(QWidget* window, int top, int left, int height, int width,
                           int defaultHeight, int defaultWidth) {
    QScreen* screen = window->screen();
    QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window->setGeometry(
        CorrectedGeometry(desktop, top, left, height, width, defaultHeight, defaultWidth));
}

} // namespace tarnel
