#include <gtest/gtest.h>

#include <vector>

#include "app/ScreenGeometry.h"

namespace quillon::app {
namespace {

TEST(Anchored, TheDesignedSizeChangesNothingAndALargerOneGoesWhereEachAnchorSays) {
    const ScreenRect r{10, 20, 110, 70};
    for (Anchor a : {Anchor::Fixed, Anchor::Width, Anchor::Height, Anchor::Both, Anchor::Down, Anchor::DownWidth}) {
        EXPECT_EQ(anchored(r, a, 0, 0), r);
        EXPECT_EQ(anchored(r, a, -50, -30), r) << "smaller than designed lays out as designed";
    }
    EXPECT_EQ(anchored(r, Anchor::Fixed, 40, 30), r);
    EXPECT_EQ(anchored(r, Anchor::Both, 40, 30), (ScreenRect{10, 20, 150, 100}));
    EXPECT_EQ(anchored(r, Anchor::Height, 40, 30), (ScreenRect{10, 20, 110, 100}));
    EXPECT_EQ(anchored(r, Anchor::Down, 40, 30), (ScreenRect{10, 50, 110, 100}));
    EXPECT_EQ(anchored(r, Anchor::DownWidth, 40, 30), (ScreenRect{10, 50, 150, 100}));
}

TEST(FitRow, CaptionsGrowTheirControlPushNeighboursAndTakeRoomOnlyFromSlack) {
    // Fits already: untouched.
    std::vector<RowSlot> fits{{8, 89, 80}, {104, 57, 0}};
    fitRow(fits, 185, 4);
    EXPECT_EQ(fits[1].left, 104);
    EXPECT_EQ(fits[0].width, 89);

    // A label pushes an edit and its glued spin along; the free space of the frame takes it.
    std::vector<RowSlot> label{{16, 80, 95}, {104, 33, 0}, {137, 16, 0}};
    fitRow(label, 177, 4);
    EXPECT_EQ(label[0].width, 95);
    EXPECT_EQ(label[1].left, 119);
    EXPECT_EQ(label[2].left, 152) << "the spin stays against its box";

    // Two buttons: the first grows, the second gives up what its caption does not need, then the gap narrows.
    std::vector<RowSlot> buttons{{232, 97, 150}, {336, 81, 30}};
    fitRow(buttons, 417, 4);
    EXPECT_EQ(buttons[0].width, 150);
    EXPECT_EQ(buttons[1].width, 30);
    EXPECT_EQ(buttons[1].left, 387);
    std::vector<RowSlot> tight{{232, 97, 170}, {336, 81, 30}};
    fitRow(tight, 417, 4);
    EXPECT_EQ(tight[1].left, 406);
    EXPECT_EQ(tight[1].width, 30) << "no caption is cut to stay inside the edge";
}

}  // namespace
}  // namespace quillon::app
