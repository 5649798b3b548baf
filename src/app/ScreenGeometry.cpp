#include "app/ScreenGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace quillon::app {

namespace {

constexpr double TwipsPerInch = 1440.0;
// The strip along the window's top that holds the title bar, and how much of
// it must show on one work area for the user to grab it.
constexpr int TitleStripHeight = 24;
constexpr int MinVisibleWidth = 48;
constexpr int MinVisibleHeight = 8;

bool titleReachable(const ScreenRect& window, const ScreenRect& area) {
    int stripBottom = window.top + std::min(window.height(), TitleStripHeight);
    int overlapWidth = std::min(window.right, area.right) - std::max(window.left, area.left);
    int overlapHeight = std::min(stripBottom, area.bottom) - std::max(window.top, area.top);
    return overlapWidth >= std::min(window.width(), MinVisibleWidth) &&
           overlapHeight >= std::min(window.height(), MinVisibleHeight) && overlapWidth > 0 && overlapHeight > 0;
}

// Squared distance from the window's centre to the area (0 inside it).
double distanceSquared(const ScreenRect& window, const ScreenRect& area) {
    double x = (static_cast<double>(window.left) + window.right) / 2;
    double y = (static_cast<double>(window.top) + window.bottom) / 2;
    double dx = x < area.left ? area.left - x : (x > area.right ? x - area.right : 0);
    double dy = y < area.top ? area.top - y : (y > area.bottom ? y - area.bottom : 0);
    return dx * dx + dy * dy;
}

int fitStart(int start, int length, int areaStart, int areaEnd) {
    return std::max(areaStart, std::min(start, areaEnd - length));
}

}  // namespace

int twipsToPixels(double twips, int dpi) {
    double pixels = std::round(twips * dpi / TwipsPerInch);
    constexpr double low = std::numeric_limits<int>::min();
    constexpr double high = std::numeric_limits<int>::max();
    if (!(pixels >= low)) return std::numeric_limits<int>::min();
    if (pixels > high) return std::numeric_limits<int>::max();
    return static_cast<int>(pixels);
}

double pixelsToTwips(int pixels, int dpi) { return pixels * TwipsPerInch / dpi; }

ScreenRect keepOnScreen(const ScreenRect& window, std::span<const ScreenRect> workAreas) {
    if (workAreas.empty()) return window;
    for (const auto& area : workAreas)
        if (titleReachable(window, area)) return window;

    const ScreenRect* nearest = &workAreas.front();
    for (const auto& area : workAreas)
        if (distanceSquared(window, area) < distanceSquared(window, *nearest)) nearest = &area;

    ScreenRect moved = window;
    moved.left = fitStart(window.left, window.width(), nearest->left, nearest->right);
    moved.top = fitStart(window.top, window.height(), nearest->top, nearest->bottom);
    moved.right = moved.left + window.width();
    moved.bottom = moved.top + window.height();
    return moved;
}

ScreenSize restoredSize(std::optional<double> widthTwips, std::optional<double> heightTwips, int dpi,
                        ScreenSize minimum, const ScreenRect& workArea) {
    if (!widthTwips || !heightTwips) return minimum;
    const int width = twipsToPixels(*widthTwips, dpi);
    const int height = twipsToPixels(*heightTwips, dpi);
    if (width > workArea.width() || height > workArea.height()) return minimum;
    return ScreenSize{std::max(width, minimum.width), std::max(height, minimum.height)};
}

ScreenRect anchored(const ScreenRect& designed, Anchor anchor, int extraWidth, int extraHeight) {
    const int dx = std::max(0, extraWidth);
    const int dy = std::max(0, extraHeight);
    ScreenRect r = designed;
    switch (anchor) {
        case Anchor::Fixed: break;
        case Anchor::Width: r.right += dx; break;
        case Anchor::Height: r.bottom += dy; break;
        case Anchor::Both:
            r.right += dx;
            r.bottom += dy;
            break;
        case Anchor::Down:
            r.top += dy;
            r.bottom += dy;
            break;
        case Anchor::DownWidth:
            r.top += dy;
            r.bottom += dy;
            r.right += dx;
            break;
    }
    return r;
}

void fitRow(std::span<RowSlot> slots, int rightEdge, int minGap) {
    if (slots.empty()) return;
    const std::size_t count = slots.size();
    // The designed gap in front of each slot; the first slot's left edge never moves.
    std::vector<int> gaps(count, 0);
    for (std::size_t i = 1; i < count; ++i)
        gaps[i] = std::max(0, slots[i].left - (slots[i - 1].left + slots[i - 1].width));
    const int designedRight = slots[count - 1].left + slots[count - 1].width;

    bool grew = false;
    for (auto& slot : slots) {
        if (slot.captionWidth > slot.width) {
            slot.width = slot.captionWidth;
            grew = true;
        }
    }
    if (!grew) return;

    auto rowRight = [&] {
        int right = slots[0].left;
        for (std::size_t i = 0; i < count; ++i) right += gaps[i] + slots[i].width;
        return right;
    };
    // A row designed past its edge keeps that much room; it is never pulled in further.
    int excess = rowRight() - std::max(rightEdge, designedRight);
    for (std::size_t i = count; i-- > 0 && excess > 0;) {
        if (slots[i].captionWidth <= 0) continue;
        const int take = std::min(excess, slots[i].width - slots[i].captionWidth);
        if (take > 0) {
            slots[i].width -= take;
            excess -= take;
        }
    }
    for (std::size_t i = count; i-- > 1 && excess > 0;) {
        const int take = std::min(excess, gaps[i] - minGap);
        if (take > 0) {
            gaps[i] -= take;
            excess -= take;
        }
    }
    for (std::size_t i = 1; i < count; ++i) slots[i].left = slots[i - 1].left + slots[i - 1].width + gaps[i];
}

}  // namespace quillon::app
