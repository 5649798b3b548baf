#include "app/PlotFileSettings.h"

#include "app/MainSettings.h"

namespace quillon::app {

namespace {

constexpr std::string_view PlotFilesInFolder = "PlotFilesInFolder";
constexpr std::string_view PlotFolder = "PlotFolder";
constexpr std::string_view PlotFileName = "PlotFileName";
constexpr std::string_view CombineSheets = "CombineSheets";
constexpr std::string_view CombinedFileName = "CombinedFileName";
constexpr std::string_view KeepSheetFiles = "KeepSheetFiles";
constexpr std::string_view PlotOutputKey = "PlotOutput";
constexpr std::string_view TitleBlocks = "TitleBlocks";
constexpr std::string_view RegisterName = "RegisterName";

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
    // An unknown word (a later version's) reads as no combining: the sheets are there either way.
    settings.combine.mode = plotting::combineModeFromWord(readText(store, CombineSheets)).value_or(plotting::CombineMode::None);
    settings.combine.fileName = readText(store, CombinedFileName);
    settings.combine.keepSheetFiles = readText(store, KeepSheetFiles) != "0";
    // An unknown word reads as a file: a file is never lost, a sheet on paper might be.
    settings.output = plotting::plotOutputFromWord(readText(store, PlotOutputKey)).value_or(plotting::PlotOutput::File);
    settings.titleBlocks = readText(store, TitleBlocks);
    settings.registerName = readText(store, RegisterName);
    return settings;
}

void savePlotFileSettings(SettingsStore& store, const PlotFileSettings& settings) {
    auto write = [&](std::string_view key, std::string_view value) {
        store.write(settings_names::Application, settings_names::Section, key, value);
    };
    write(PlotFilesInFolder, settings.inFolder ? "1" : "0");
    write(PlotFolder, settings.folder);
    write(PlotFileName, settings.pattern);
    write(CombineSheets, plotting::combineModeWord(settings.combine.mode));
    write(CombinedFileName, settings.combine.fileName);
    write(KeepSheetFiles, settings.combine.keepSheetFiles ? "1" : "0");
    write(PlotOutputKey, plotting::plotOutputWord(settings.output));
    write(TitleBlocks, settings.titleBlocks);
    write(RegisterName, settings.registerName);
}

}  // namespace quillon::app
