#include <string>

#include <gtest/gtest.h>

#include "plotting/StatusLines.h"

namespace quillon::plotting {

TEST(StatusLinesTest, RunsClosingLineStaysLastUntilSomethingNewIsShown) {
    std::string label;
    StatusLines status([&label](const std::string& text) { label = text; }, {});
    const std::string finished = "Run finished: 9 drawings plotted (9 sheets), 0 skipped, 0 failed.";
    // The run's last words were a session's, not its own summary: the closing line takes their place.
    status.showFromRun("Processing 1 drawing ... Plan 1.dwg\r\nClosing Drawing ...Plan 1.dwg ...");
    status.close(finished);
    EXPECT_EQ(label, "Processing 1 drawing ... Plan 1.dwg\r\n" + finished);
    // A session's late line, and the combining after the run, go above the closing line, never in its place.
    status.showFromRun("Processing 1 drawing ... Plan 2.dwg\r\nClosing Drawing ...Plan 2.dwg ...");
    EXPECT_EQ(label, "Closing Drawing ...Plan 2.dwg ...\r\n" + finished);
    EXPECT_EQ(status.closingLine(), finished);
    // Why a run was ended, said apart from it, stays in the label; the closing line is still the run's summary.
    status.show("AutoCAD asked a question. The run has ended.");
    EXPECT_EQ(status.closingLine(), "");
    status.close(finished);
    EXPECT_EQ(label, "AutoCAD asked a question. The run has ended.");
    EXPECT_EQ(status.closingLine(), finished);
}

}  // namespace quillon::plotting
