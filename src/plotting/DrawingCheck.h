#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "plotting/DrawingOutcome.h"

namespace quillon::plotting {

// What a check found for one drawing: every sheet set up as asked; set up,
// with some setting that did not take; or something that would stop the
// drawing from plotting as it should (it cannot be opened, a reference is
// still missing after the repair, it has no layout to plot).
enum class CheckVerdict { Ready, ReadyWithWarnings, Problems };

CheckVerdict checkVerdict(const DrawingOutcome& outcome);
// The drawing's row in the window: "Ready: 2 layouts", "Ready with warnings: ...", "Problems: ...".
std::string checkText(const DrawingOutcome& outcome);
// The report's outcome word for a sheet or drawing of a check.
const char* checkOutcomeWord(CheckVerdict verdict);
// "reference not found after the repair: <stored path>; ..." for the drawing's missing references.
std::string missingReferencesText(const DrawingOutcome& outcome);
std::string missingReferencesText(const std::vector<std::string>& storedPaths);

// The bytes of a drawing that say its version.
inline constexpr std::size_t DwgVersionBytes = 6;
// "AC1032 (2018 format)" from a drawing's first bytes; "not a DWG file" when they are not a drawing's.
std::string dwgVersionText(std::string_view fileStart);

}  // namespace quillon::plotting
