// A window's stored geometry as Qt takes it: the place comes back onto the desktop by the
// program's one rule (render/UWindowPlace.h), and sizes too small to use take the defaults.
#pragma once

#include "render/UWindowPlace.h"

#include <QRect>
#include <QScreen>
#include <QWidget>

namespace tarnel {

// The part of the screen `window` is on that windows may use.
inline TDesktopArea DesktopOf(const QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen) return {};
    QRect area = screen->availableGeometry();
    return {area.top(), area.left(), area.width(), area.height()};
}

inline QRect CorrectedGeometry(const TDesktopArea& desktop, int top, int left, int height,
                               int width, int defaultHeight, int defaultWidth) {
    TWindowPlace place = PlaceOnDesktop(top, left, desktop);
    if (width <= 100) width = defaultWidth;
    if (height <= 100) height = defaultHeight;
    return QRect(place.left, place.top, width, height);
}

inline void PlaceOnDesktop(QWidget* window, int top, int left, int height, int width,
                           int defaultHeight, int defaultWidth) {
    window->setGeometry(CorrectedGeometry(DesktopOf(window), top, left, height, width,
                                          defaultHeight, defaultWidth));
}

} // namespace tarnel
