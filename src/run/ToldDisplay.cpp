#include "run/ToldDisplay.h"

#include "plotting/DrawingOutcome.h"

namespace quillon::run {

void ToldDisplay::showOutcome(int entry, const plotting::DrawingOutcome& outcome) {
    // Each file the morning's transmittal will hold, named as it is written (or why an earlier one stayed).
    for (const auto& sheet : outcome.sheets) {
        if (!sheet.plotted || sheet.plotFile.empty()) continue;
        const bool kept = sheet.earlier == plotting::EarlierPlotFile::Kept;
        teller_.line("plot file " + sheet.plotFile +
                     (kept ? " (" + sheet.keptFile + " could not be replaced: " + sheet.keptReason + ")" : ""));
    }
    shown_->showOutcome(entry, outcome);
}

}  // namespace quillon::run
