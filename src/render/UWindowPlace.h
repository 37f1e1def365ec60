// Where a window goes from its stored place: every window of the program (the main window,
// the plug-in usage window, the export dialog) comes back onto the desktop the same way.
#pragma once

namespace tarnel {

// The part of the screen windows may use, in pixels.
struct TDesktopArea {
    int top = 0, left = 0, width = 1024, height = 768;
};

struct TWindowPlace {
    int top = 0, left = 0;
};

// A stored top below the desktop's height goes to the desktop's top, a stored left beyond
// its width to the desktop's left (a window saved on a screen no longer attached comes
// back into view); any other place is kept.
TWindowPlace PlaceOnDesktop(int top, int left, const TDesktopArea& desktop);

} // namespace tarnel
