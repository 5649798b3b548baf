#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace quillon::wintest {

inline constexpr const char* kDevice = "DWF6 ePlot.pc3";
inline constexpr const char* kMediaA3 = "ISO_full_bleed_A3_(420.00_x_297.00_MM)";
inline constexpr const char* kStyleTable = "monochrome.ctb";
// The stand-in's process, as a process list names it.
inline constexpr const wchar_t* kServerExe = L"quillon-standin.exe";
// Any bytes serve as a drawing for the stand-in; these look like the start of one.
inline const std::string kDrawingBytes = std::string("AC1015") + std::string(122, '\0');

// A stand-in session with one plotter and drawings of two paper layouts;
// tests add the faults and file names they need.
inline nlohmann::json baseScenario() {
    return {
        {"devices", {{{"name", kDevice}, {"media", {kMediaA3, "ISO_full_bleed_A4_(297.00_x_210.00_MM)"}}}}},
        {"plotStyleTables", {kStyleTable}},
        {"drawings", nlohmann::json::array()},
    };
}

inline void addDrawing(nlohmann::json& scenario, const std::string& fileName) {
    scenario["drawings"].push_back({{"file", fileName}, {"layouts", {{{"name", "Layout1"}}, {{"name", "Layout2"}}}}});
}

}  // namespace quillon::wintest
