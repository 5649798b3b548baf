#include "plotting/job/FirstOpenCheck.h"

#include <vector>

#include "plotting/boxes/PlotLists.h"
#include "plotting/boxes/RecordingComboBox.h"
#include "plotting/job/JobCheck.h"

namespace quillon::plotting {

namespace {

std::vector<std::string> itemsOf(const RecordingComboBox& box) {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < box.itemCount(); ++i) items.push_back(box.itemText(i));
    return items;
}

}  // namespace

std::optional<std::string> FirstOpenCheck::refusal(autocad::CadConnection& connection, const PlotSetup& setup) {
    std::lock_guard lock(mutex_);
    if (!made_) made_ = make(connection, setup);
    return *made_;
}

std::optional<std::string> FirstOpenCheck::make(autocad::CadConnection& connection, const PlotSetup& setup) {
    // Not started: the open that follows starts it, and says so as it always has.
    if (!connection.ensureConnected()) return std::nullopt;
    try {
        RecordingComboBox devices, papers, styles;
        fillPlotLists(connection, devices, papers, styles);
        // The device's papers are the next check's, as they are when the lists are read at start.
        if (const auto missing = missingFromLists(job_, itemsOf(devices), {job_.paper}, itemsOf(styles)))
            return "The plot job names the " + *missing + ", which AutoCAD does not offer here.";
        return refusalBeforeFirstOpen(connection, setup, paper_);
    } catch (const automation::AutomationError& error) {
        if (error.serverGone()) throw;
        connection.noteFailure(error);
        return std::nullopt;
    }
}

}  // namespace quillon::plotting
