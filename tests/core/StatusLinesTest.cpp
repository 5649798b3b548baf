#include <string>

#include <gtest/gtest.h>

#include "plotting/StatusLines.h"

namespace quillon::plotting {

TEST(StatusLinesTest, RunsClosingLineStaysLastUntilSomethingNewIsShown) {
    std::string label;
    StatusLines status([&label](const std::string& text) { label = text; }, {});
    const std::string finished = "Run finished: 9 drawings plotted (9 sheets), 0 skipped, 0 failed.";
    status.showFromRun("AutoCAD session 2 stopped answering\r\nRun ended.");
    status.close(finished);
    EXPECT_EQ(label, "AutoCAD session 2 stopped answering\r\n" + finished);
    // A session's late line, and the combining after the run, go above the closing line, never in its place.
    status.showFromRun("Processing 1 drawing ... Plan 1.dwg\r\nClosing Drawing ...Plan 1.dwg ...");
    EXPECT_EQ(label, "Closing Drawing ...Plan 1.dwg ...\r\n" + finished);
    EXPECT_EQ(status.closingLine(), finished);
    EXPECT_EQ(status.lastLine(), finished);
    // Something new, or the next run, is no longer the closed run's.
    status.show("\r\nReading the plot job's drawings ...");
    EXPECT_EQ(status.closingLine(), "");
    EXPECT_EQ(label, "\r\nReading the plot job's drawings ...");
}

}  // namespace quillon::plotting
