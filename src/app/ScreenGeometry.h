#pragma once

#include <optional>
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

struct ScreenSize {
    int width = 0;
    int height = 0;
    bool operator==(const ScreenSize&) const = default;
};

// The outer size the window opens at: the stored size (twips) when both
// values are there and fit the work area, raised to the minimum where it is
// smaller; otherwise the minimum, which is the designed size. A size saved on
// a larger monitor, or a corrupt one, must not open a window the user cannot
// get hold of.
ScreenSize restoredSize(std::optional<double> widthTwips, std::optional<double> heightTwips, int dpi,
                        ScreenSize minimum, const ScreenRect& workArea);

}  // namespace quillon::app
