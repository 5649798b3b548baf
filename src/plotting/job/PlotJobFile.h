#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "plotting/pdf/CombineChoice.h"

namespace quillon::plotting {

// A plot job: what a run needs, kept in a small UTF-8 JSON file (".qjob")
// that users read and edit. Either a folder (with or without its
// sub-folders) or an explicit list of drawings; the plot choices; copies.
struct PlotJobSpec {
    std::optional<std::string> folder;
    bool subfolders = false;
    std::vector<std::string> drawings;
    bool layouts = true;
    std::string device;
    std::string paper;
    std::string plotStyleTable;
    int copies = 1;
    // The CAD sessions to plot with side by side; unset: the window's choice.
    std::optional<int> sessions;
    // Where plot files go (empty: beside each drawing), their name pattern
    // (empty: the usual names) and extension (empty: the device's).
    std::string plotFolder;
    std::string plotFileName;
    std::string plotFileExtension;
    // "file" (empty: the same) or "device": where a plotter's sheets go.
    std::string output;
    // Whether the PDF sheets are combined ("combine": "drawing" or "run"), the combined
    // file's name pattern ("combinedFileName") and "keepSheetFiles".
    CombineChoice combine{};
    // Layout name patterns (empty: every layout, none left out); they need layouts.
    std::string includeLayouts;
    std::string excludeLayouts;
    bool skipEmptyLayouts = true;
    // "quillon" (empty), "layout" or "template"; a template names its file and page setup.
    std::string sheetSettings;
    std::string pageSetupFile;
    std::string pageSetup;
    // Quillon's own CAD application is started afresh after this many drawings (0: never); unset: the
    // CadRestartEvery setting.
    std::optional<int> cadRestartEvery;
    // The local time the run must end by ("06:30"), as Stop ends it; empty: none.
    std::string until;
    // "plot": "changed": only drawings changed since their last plot are plotted; false ("all"): every one.
    bool onlyChanged = false;
    // "removeObsolete": true: the plot files of sheets a drawing no longer has are removed.
    bool removeObsolete = false;
    // The title blocks' block name pattern ("*TITLE*;*TB*"), each sheet's bookmark pattern in a combined file,
    // the register's file name pattern ("register"), and the attributes it lists ("registerColumns").
    std::string titleBlocks;
    std::string bookmarkName;
    std::string registerName;
    std::vector<std::string> registerColumns;

    bool operator==(const PlotJobSpec&) const = default;
};

// The most drawings one CAD application may be given before it is started afresh.
inline constexpr int MaxCadRestartEvery = 1000000;

// A job file that cannot be used; the message names the field.
class PlotJobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a job. Unknown fields, wrong types, a missing choice, a job with
// both or neither of a folder and drawings are refused with a PlotJobError
// whose text says which field is wrong.
PlotJobSpec readPlotJob(const std::string& text);
// The file's text for a job, readable and stable (fields in a fixed order).
std::string writePlotJob(const PlotJobSpec& job);

// What of the job the CAD application does not offer ("device \"X\""), or
// nothing when it offers everything. The paper matches as the runs match it:
// equal ignoring case, or contained in one of the application's names.
std::optional<std::string> missingFromLists(const PlotJobSpec& job, const std::vector<std::string>& devices,
                                            const std::vector<std::string>& papers,
                                            const std::vector<std::string>& styleTables);

}  // namespace quillon::plotting
