// A window's stored geometry as Qt takes it: the place comes back onto the desktop by the
// program's one rule (render/UWindowPlace.h), and sizes too small to use take the defaults.
#pragma once

#include "render/UWindowPlace.h"

#include <QRect>
#include <QScreen>
#include <QWidget>

namespace tarnel {

inline QRect CorrectedGeometry(const QRect& desktop, int top, int left, int height, int width,
                               int defaultHeight, int defaultWidth) {
    TWindowPlace place = PlaceOnDesktop(
        top, left, {desktop.top(), desktop.left(), desktop.width(), desktop.height()});
    if (width <= 100) width = defaultWidth;
    if (height <= 100) height = defaultHeight;
    return QRect(place.left, place.top, width, height);
}

inline void PlaceOnDesktop(QWidget* window, int top, int left, int height, int width,
                           int defaultHeight, int defaultWidth) {
    QScreen* screen = window->screen();
    QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window->setGeometry(
        CorrectedGeometry(desktop, top, left, height, width, defaultHeight, defaultWidth));
}

} // namespace tarnel
