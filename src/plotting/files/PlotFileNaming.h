#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>
#include <string>
#include <string_view>

namespace quillon::plotting {

class PlotFileClaims;

// Where a plotter's sheets go: to a file (as every device's do), or to the plotter itself. A device
// whose output is a file (PDF, DWF, DWFx, PNG, JPG, a system printer that writes files) plots to a file either way.
enum class PlotOutput { File, Device };
// "file" or "device", as jobs and reports write it; and back (nothing for another word).
const char* plotOutputWord(PlotOutput output);
std::optional<PlotOutput> plotOutputFromWord(std::string_view word);

// Where a run puts its plot files and how it names them.
struct PlotFileOptions {
    // Empty: beside each drawing.
    std::string folder;
    // A name with {drawing}, {layout}, {folder} and {date}; empty: "{drawing}"
    // for model space and "{drawing}-{layout}" for a layout.
    std::string pattern;
    // ".pdf" and the like; empty: the one the device makes (deviceExtension).
    std::string extension;
    // The run's start as "YYYY-MM-DD", for {date}.
    std::string runDate;
    // Drawings of the whole listing whose plot files would meet another's, by the folded drawing path: what
    // tells each apart after its name ("North" gives "Plan (North)"). See plotNameQualifiers.
    std::map<std::string, std::string> qualifiers;
    // A resume's sheets as its report recorded them, by recordedSheetKey: named exactly so again.
    std::map<std::string, std::string> recorded;
    PlotOutput output = PlotOutput::File;
    // Every drawing of the whole listing and every file the run keeps (its job, the report it resumes, its
    // report and copy with their journals), folded: a plot file is never written over one of them.
    std::set<std::string> drawings{};
    // The run's plot file names and combined files, shared by its sessions and its record; none: each
    // plotter keeps its own.
    std::shared_ptr<PlotFileClaims> claims{};

    bool operator==(const PlotFileOptions&) const = default;
};

// The extension of the kind of file a device writes: ".pdf" for a device
// whose name contains "PDF", ".dwfx" for "DWFx", ".dwf" for other "DWF"
// devices, ".png"/".jpg" for the raster "PublishToWeb PNG"/"JPG" devices,
// ".plt" (plotter language) for every other device. The application keeps
// whatever extension it is given, so a PDF written as ".plt" is what a user
// would otherwise get.
std::string deviceExtension(std::string_view device);
// A Windows system printer (not a .pc3 plotter configuration) that writes a file: its name contains "PDF",
// "XPS" or "OneNote". Plotted to a file like a file device: sent to the device it would ask for a name in a box.
bool systemFilePrinter(std::string_view device);

// An extension as a job or the window gives it ("pdf" or ".pdf") with its
// dot; nothing when it is empty or holds a character no file name may hold.
std::string normalExtension(std::string_view extension);

// Why a plot file may not have this extension (with or without its dot), or nothing: a plot file must never take
// the place of a drawing, a template, a standards file, a drawing's backup or autosave, a plot job or a run report.
std::optional<std::string> plotExtensionRefusal(std::string_view extension);

// What a plot may add to a plot file's name before the file is in place: Quillon's hidden folder of plots
// (".quillon\") and a temporary ".~" with eight hex digits before the extension, and " (NN)" when an
// earlier file cannot be replaced.
inline constexpr std::size_t PlotNameReserve = 9 + 10 + 5;
// The longest path, in UTF-16 units and without its terminating zero, that the CAD application is given.
inline constexpr std::size_t LongestPlotPath = 259;

// Among every drawing of a listing (a job's, a report's, the window's), those whose model-space plot file
// would be one file (compared as Windows compares names) are told apart by their folder below the folder
// they share, nested folders joined by " - ": North\Plan.dwg and South\Plan.dwg give "North" and "South"
// (a drawing in the shared folder itself keeps its name). A drawing's name so depends only on which
// drawings of its name there are, never on which run or part of a job plots it.
std::map<std::string, std::string> plotNameQualifiers(const std::vector<std::string>& listing,
                                                      const PlotFileOptions& options, std::string_view device);
// The key of a drawing's sheet in PlotFileOptions::recorded; an empty layout is model space.
std::string recordedSheetKey(std::string_view drawingPath, std::string_view layout);

// The values a name pattern's {attr:TAG} and {prop:Name} take for one sheet: asked with the field's kind
// ("attr" or "prop") and name; none (or empty) when the sheet has no such value.
using NameValues = std::function<std::optional<std::string>(std::string_view kind, std::string_view name)>;
// The {attr:...} and {prop:...} fields of a pattern, each as "attr:TAG" or "prop:Name", in order.
std::vector<std::string> valueFields(std::string_view pattern);
// The value fields of the pattern the sheet's values leave empty ("attr:SHEETNO"); a sheet with any gets the
// usual name instead ({drawing}-{layout}) and a warning naming them.
std::vector<std::string> missingValueFields(std::string_view pattern, const NameValues& values);
// The pattern a sheet whose values are missing is named with.
inline constexpr const char* MissingValuesPattern = "{drawing}-{layout}";

// A sheet's bookmark in a combined file from the run's bookmark pattern: the fields of a plot file's name
// ({drawing} without its qualifier), the text kept as it comes (a bookmark is no file name); the layout's name
// ("Model") when the pattern is empty or a value it needs is missing.
std::string sheetBookmark(std::string_view pattern, std::string_view drawingPath, std::string_view layout,
                          std::string_view date, const NameValues& values);

// A name whose characters Windows takes, kept as a file name: "_" after a stem Windows reserves for a device,
// and cut, with a stable hash, so that folder + name + extension stays within LongestPlotPath.
std::string keptFileName(std::string name, std::string_view folder, std::string_view extension);

// The full path of the plot file for one sheet. drawingPath is the
// drawing's full path; drawingName the name it is known by (its file name);
// layout is empty for model space. Characters no file name may hold are
// replaced by "_" in the name, never in the folder. A name whose stem is a
// device Windows reserves (CON, PRN, AUX, NUL, COM0-9, LPT0-9, in any case,
// with any extension) gets "_" after the stem: "Aux_.1.pdf". A name that would
// make the path, with what a plot may add (PlotNameReserve), longer than
// LongestPlotPath is cut and ended by "~" and a stable hash of the whole name,
// so that two long names stay two names.
std::string plotFilePath(const PlotFileOptions& options, std::string_view drawingPath, std::string_view drawingName,
                         std::string_view device, std::string_view layout, const NameValues& values = {});

}  // namespace quillon::plotting
