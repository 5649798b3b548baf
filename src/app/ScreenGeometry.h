#pragma once

#include <optional>
#include <span>

// The arithmetic of the main window's geometry, apart from the Windows calls so that it is tested natively:
// where the window goes on the monitors, and where its controls go in it.
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

// How a control follows the window when the window is larger than designed.
enum class Anchor {
    Fixed,      // stays where it is, at its size
    Width,      // takes the extra width
    Height,     // takes the extra height
    Both,       // takes the extra width and height
    Down,       // moves down by the extra height, same size
    DownWidth,  // moves down by the extra height and takes the extra width
};

// Where a control designed at `designed` goes in a client area extraWidth
// and extraHeight pixels larger than designed. Less than the designed size
// counts as the designed size: the layout never shrinks.
ScreenRect anchored(const ScreenRect& designed, Anchor anchor, int extraWidth, int extraHeight);

// One control of a row of controls side by side. captionWidth is what its
// caption needs in the font in use; 0 for a control without one, whose
// width is fixed.
struct RowSlot {
    int left = 0;
    int width = 0;
    int captionWidth = 0;
};

// Makes every captioned slot at least as wide as its caption. A slot that
// grows pushes the slots right of it along, keeping the gaps. Where the row
// would then pass rightEdge, the room is taken back from captioned slots
// wider than their captions (rightmost first), then from the gaps down to
// minGap, never from a caption. A row that fits is left exactly as it is.
void fitRow(std::span<RowSlot> slots, int rightEdge, int minGap);

}  // namespace quillon::app
