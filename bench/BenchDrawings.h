#pragma once

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "plotting/PlotRunList.h"

namespace quillon::bench {

// Writes the list's first `count` drawings into folder and gives the stand-in's scenario for them: one device
// and paper, plotting into "plots", each drawing of model space alone or, withLayouts, of two layouts.
inline nlohmann::json drawingsScenario(const std::filesystem::path& folder, plotting::PlotRunList& list, int count,
                                       bool withLayouts) {
    nlohmann::json drawings = nlohmann::json::array();
    for (int i = 1; i <= count; ++i) {
        std::ofstream(folder / list.fileName(i)) << "drawing";
        if (withLayouts)
            drawings.push_back({{"file", list.fileName(i)}, {"layouts", {{{"name", "Ground"}}, {{"name", "First"}}}}});
    }
    return {{"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
            {"defaultDevice", "Plotter.pc3"},
            {"plotStyleTables", {"mono.ctb"}},
            {"plotFolder", "plots"},
            {"drawings", drawings}};
}

}  // namespace quillon::bench
