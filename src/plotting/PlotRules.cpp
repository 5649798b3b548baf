#include "plotting/PlotRules.h"

#include <cmath>

#include "plotting/files/PlotFileNaming.h"

namespace quillon::plotting {

namespace {

// A placeholder of the lists ("Select a Printer", "Select Ctb File", ...) or nothing.
bool noChoice(std::string_view text) { return text.empty() || contains(text, "Select"); }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

MissingChoice missingChoice(const PlotSetup& setup) {
    if (noChoice(setup.device) || setup.device == "None") return MissingChoice::Device;
    if (noChoice(setup.paper)) return MissingChoice::Paper;
    if (noChoice(setup.plotStyleTable)) return MissingChoice::PlotStyleTable;
    return MissingChoice::None;
}

Information missingChoiceMessage(MissingChoice missing) {
    switch (missing) {
        case MissingChoice::Device:
            return {"Printer Not Selected", "Please Select a Printer before printing"};
        case MissingChoice::Paper:
            return {"Paper Not Selected", "Please Select a Paper Size before Ploting"};
        case MissingChoice::PlotStyleTable:
            return {"Plot Style Table Not Selected", "Please Select a Plot Style Table before printing"};
        case MissingChoice::None:
            break;
    }
    return {"", ""};
}

std::optional<std::size_t> matchPaper(const std::vector<std::string>& canonicalNames, std::string_view paper) {
    for (std::size_t i = 0; i < canonicalNames.size(); ++i)
        if (equalsIgnoreCase(canonicalNames[i], paper) || contains(canonicalNames[i], paper)) return i;
    return std::nullopt;
}

std::string plotStyleTableFor(std::string_view currentTable, std::string_view chosen) {
    std::string table(chosen);
    if (!endsWith(currentTable, "stb")) return table;
    for (std::size_t at = table.find("ctb"); at != std::string::npos; at = table.find("ctb", at + 3))
        table.replace(at, 3, "stb");
    return table;
}

bool plotsToFile(std::string_view device) { return endsWith(device, "pc3"); }

int progressValue(int k, int n) {
    if (n <= 0) return 0;
    return static_cast<int>(std::trunc(static_cast<double>(k) / static_cast<double>(n) * 100.0));
}

const char* sheetSettingsWord(SheetSettings settings) {
    switch (settings) {
        case SheetSettings::Layout: return "layout";
        case SheetSettings::Template: return "template";
        case SheetSettings::Quillon: break;
    }
    return "quillon";
}

std::optional<SheetSettings> sheetSettingsFromWord(std::string_view word) {
    for (auto settings : {SheetSettings::Quillon, SheetSettings::Layout, SheetSettings::Template})
        if (equalsIgnoreCase(word, sheetSettingsWord(settings))) return settings;
    return std::nullopt;
}

std::string plotAreaAndScaleText(std::int32_t plotType, bool useStandardScale, std::int32_t standardScale) {
    static constexpr const char* Areas[] = {"display", "extents", "limits", "view", "window", "layout"};
    std::string text = plotType >= 0 && plotType < 6 ? Areas[plotType] : "plot type " + std::to_string(plotType);
    if (!useStandardScale) return text + ", custom scale";
    // The standard scales the reference numbers: fit, then 1:128" and on; the two offices use most are named.
    if (standardScale == 0) return text + ", fit";
    if (standardScale == 16) return text + ", 1:1";
    return text + ", standard scale " + std::to_string(standardScale);
}

std::string plotFolderRefusal(const std::string& folder) {
    return "The plot folder " + folder +
           " does not exist or cannot be written.\r\nChoose another folder for the plot files, or make this one "
           "writable, and start the run again.";
}

std::optional<Refusal> plotFilesRefusal(const PlotSetup& setup, const std::function<bool(const std::string&)>& canWriteIn) {
    if (const auto& folder = setup.files.folder; !folder.empty() && !canWriteIn(folder))
        return Refusal{"Plot Folder", plotFolderRefusal(folder)};
    // However the extension came (a job, a resumed report's columns), a plot file never replaces a drawing.
    if (const auto why = plotExtensionRefusal(setup.files.extension))
        return Refusal{"Plot Files", "A plot file's extension cannot be " + *why};
    return std::nullopt;
}

}  // namespace quillon::plotting
