#include "app/PlotFileSettings.h"

#include "app/MainSettings.h"

namespace quillon::app {

namespace {

constexpr std::string_view PlotFilesInFolder = "PlotFilesInFolder";
constexpr std::string_view PlotFolder = "PlotFolder";
constexpr std::string_view PlotFileName = "PlotFileName";

std::string readText(const SettingsStore& store, std::string_view key) {
    return store.read(settings_names::Application, settings_names::Section, key).value_or("");
}

}  // namespace

PlotFileSettings loadPlotFileSettings(const SettingsStore& store) {
    PlotFileSettings settings;
    settings.folder = readText(store, PlotFolder);
    // A choice of a folder that was never named is no choice.
    settings.inFolder = readText(store, PlotFilesInFolder) == "1" && !settings.folder.empty();
    settings.pattern = readText(store, PlotFileName);
    return settings;
}

void savePlotFileSettings(SettingsStore& store, const PlotFileSettings& settings) {
    auto write = [&](std::string_view key, std::string_view value) {
        store.write(settings_names::Application, settings_names::Section, key, value);
    };
    write(PlotFilesInFolder, settings.inFolder ? "1" : "0");
    write(PlotFolder, settings.folder);
    write(PlotFileName, settings.pattern);
}

}  // namespace quillon::app
