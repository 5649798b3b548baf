#pragma once

#include <span>

namespace quillon::app {

// A rectangle in screen pixels; right and bottom are exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

// Stored positions are twips, 1/1440 inch: 15 to the pixel at 96 dpi.
int twipsToPixels(double twips, int dpi);
double pixelsToTwips(int pixels, int dpi);

// The window unchanged when its title bar can be reached on some work area;
// otherwise moved, same size, into the work area nearest to it. A monitor
// unplugged since the last run must not leave the window out of reach.
ScreenRect keepOnScreen(const ScreenRect& window, std::span<const ScreenRect> workAreas);

}  // namespace quillon::app
