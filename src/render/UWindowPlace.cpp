#include "render/UWindowPlace.h"

namespace tarnel {

TWindowPlace PlaceOnDesktop(int top, int left, const TDesktopArea& desktop) {
    TWindowPlace place{top, left};
    if (desktop.height < top) place.top = desktop.top;
    if (desktop.width < left) place.left = desktop.left;
    return place;
}

} // namespace tarnel
