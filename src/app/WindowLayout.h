#pragma once

#include <span>

#include "app/ScreenGeometry.h"

namespace quillon::app {

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
