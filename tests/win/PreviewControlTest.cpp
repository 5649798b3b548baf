#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <new>
#include <string>

#include "GuiTestSupport.h"
#include "discovery/win/PreviewControl.h"

namespace quillon::discovery {
namespace {

// A failure while one drawing's picture is read (memory for a large picture)
// leaves the box empty, and the next drawing still shows.
TEST(PreviewControl, AFailureReadingOnePictureLeavesTheBoxEmptyAndTheNextStillShows) {
    if (auto reason = wintest::noDisplayReason(); !reason.empty()) GTEST_SKIP() << reason;
    wintest::HostWindow host;
    ASSERT_TRUE(host.created());
    std::atomic<int> loads{0};
    PreviewControl preview([&](const std::string& path) {
        ++loads;
        if (path == "huge.dwg") throw std::bad_alloc();
        return BgraImage{2, 2, std::vector<std::uint8_t>(16, 0x40)};
    });
    preview.create(host.frame(), 4711, RECT{0, 0, 80, 60});

    preview.setDrawing("huge.dwg");
    ASSERT_TRUE(wintest::pumpUntil([&] { return loads == 1; }));
    wintest::pumpFor(std::chrono::milliseconds(200));
    EXPECT_FALSE(preview.showsPicture());

    preview.setDrawing("plan.dwg");
    EXPECT_TRUE(wintest::pumpUntil([&] { return preview.showsPicture(); })) << "the preview stopped working";
}

}  // namespace
}  // namespace quillon::discovery
