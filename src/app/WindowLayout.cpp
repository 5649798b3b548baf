#include "app/WindowLayout.h"

#include <algorithm>
#include <vector>

namespace quillon::app {

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
