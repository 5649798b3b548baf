#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <unistd.h>
#include <utility>

#include "plotting/PlotRunList.h"

namespace quillon::bench {

// `count` drawings "D0001.dwg" ... in one folder (ending with its separator), every one selected.
class NumberedDrawings : public plotting::PlotRunList {
public:
    NumberedDrawings(std::string folder, int count) : folder_(std::move(folder)), count_(count) {}
    int entryCount() override { return count_; }
    std::string fileName(int entry) override {
        char name[16];
        std::snprintf(name, sizeof name, "D%04d.dwg", entry);
        return name;
    }
    std::string folder(int) override { return folder_; }
    bool isSelected(int) override { return true; }
    std::string directoryFolder() override { return folder_; }

private:
    std::string folder_;
    int count_;
};

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

// A folder of its own under the temporary folder, holding `count` numbered drawings and "plots", with the
// list of them and the stand-in's scenario for them; removed with it.
struct DrawingsFolder {
    DrawingsFolder(const std::string& name, int count, bool withLayouts)
        : path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()))),
          list(made(path) + "/", count),
          scenario(drawingsScenario(path, list, count, withLayouts)) {}
    ~DrawingsFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    DrawingsFolder(const DrawingsFolder&) = delete;
    DrawingsFolder& operator=(const DrawingsFolder&) = delete;

    const std::filesystem::path path;
    NumberedDrawings list;
    const nlohmann::json scenario;

private:
    static std::string made(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder / "plots");
        return folder.string();
    }
};

}  // namespace quillon::bench
