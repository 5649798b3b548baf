#include "plotting/job/PlotJobFile.h"

#include "plotting/RunDeadline.h"

#include <algorithm>
#include <set>

#include <nlohmann/json.hpp>

#include "base/Paths.h"
#include "plotting/PlotRules.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/titleblocks/NameFieldRules.h"

namespace quillon::plotting {

using nlohmann::json;

namespace {

constexpr const char* Fields[] = {"comment", "folder",  "subfolders",     "drawings", "layouts",
                                  "device",  "paper",   "plotStyleTable", "copies",   "sessions",
                                  "plotFolder", "plotFileName", "plotFileExtension", "includeLayouts",
                                  "excludeLayouts", "skipEmptyLayouts", "sheetSettings", "pageSetupFile", "pageSetup",
                                  "combine", "combinedFileName", "keepSheetFiles", "until", "cadRestartEvery",
                                  "output", "plot", "removeObsolete", "titleBlocks", "bookmarkName", "register",
                                  "registerColumns"};

[[noreturn]] void refuse(const std::string& field, const std::string& problem) {
    throw PlotJobError("The plot job's field \"" + field + "\" " + problem);
}

std::string text(const json& job, const char* field) {
    if (!job.contains(field)) refuse(field, "is missing.");
    const json& value = job.at(field);
    if (!value.is_string()) refuse(field, "must be a text.");
    if (value.get<std::string>().empty()) refuse(field, "must not be empty.");
    return value.get<std::string>();
}

bool flag(const json& job, const char* field, bool fallback) {
    if (!job.contains(field)) return fallback;
    if (!job.at(field).is_boolean()) refuse(field, "must be true or false.");
    return job.at(field).get<bool>();
}

// Which layouts are sheets and where their settings come from.
void readSheetFields(const json& job, PlotJobSpec& spec) {
    auto pattern = [&](const char* field, std::string& into) {
        if (!job.contains(field)) return;
        if (!spec.layouts) refuse(field, "needs \"layouts\": true (model space has no layouts to choose from).");
        into = text(job, field);
    };
    pattern("includeLayouts", spec.includeLayouts);
    pattern("excludeLayouts", spec.excludeLayouts);
    spec.skipEmptyLayouts = flag(job, "skipEmptyLayouts", true);
    if (job.contains("sheetSettings")) {
        const auto settings = sheetSettingsFromWord(text(job, "sheetSettings"));
        if (!settings) refuse("sheetSettings", "must be \"quillon\", \"layout\" or \"template\".");
        spec.sheetSettings = sheetSettingsWord(*settings);
    }
    const bool fromTemplate = spec.sheetSettings == sheetSettingsWord(SheetSettings::Template);
    auto templateField = [&](const char* field, std::string& into) {
        if (fromTemplate) into = text(job, field);
        else if (job.contains(field)) refuse(field, "goes with \"sheetSettings\": \"template\" only.");
    };
    templateField("pageSetupFile", spec.pageSetupFile);
    templateField("pageSetup", spec.pageSetup);
}

// The job as a JSON object holding only fields a plot job has.
json jobObject(const std::string& content) {
    json job;
    try {
        // A BOM is what some editors put first in a UTF-8 file.
        const bool bom = content.rfind("\xEF\xBB\xBF", 0) == 0;
        job = json::parse(bom ? content.substr(3) : content);
    } catch (const json::parse_error& error) {
        throw PlotJobError(std::string("The plot job is not valid JSON: ") + error.what());
    }
    if (!job.is_object()) throw PlotJobError("The plot job must be a JSON object.");
    for (const auto& item : job.items()) {
        if (std::find(std::begin(Fields), std::end(Fields), item.key()) == std::end(Fields))
            refuse(item.key(), "is not a field of a plot job.");
    }
    return job;
}

// Which drawings: a folder to search, or a list of them.
void readDrawingFields(const json& job, PlotJobSpec& spec) {
    const bool hasFolder = job.contains("folder");
    const bool hasDrawings = job.contains("drawings");
    if (hasFolder == hasDrawings) refuse("folder", "or the field \"drawings\" must be given, and not both.");
    if (hasFolder) {
        // "C:/Jobs/H/" is the folder "C:\Jobs\H": its drawings, and the parts they fall in, are that folder's.
        spec.folder = base::normalPath(text(job, "folder"));
        spec.subfolders = flag(job, "subfolders", false);
        return;
    }
    if (job.contains("subfolders")) refuse("subfolders", "goes with \"folder\" only.");
    const json& list = job.at("drawings");
    if (!list.is_array() || list.empty()) refuse("drawings", "must be a list of one or more drawing paths.");
    std::set<std::string> listed;
    for (const auto& item : list) {
        if (!item.is_string() || item.get<std::string>().empty())
            refuse("drawings", "must hold only drawing paths (texts).");
        // One drawing in two spellings ("C://Jobs//A.dwg", "c:\jobs\a.DWG") is listed once, as first written.
        const std::string path = base::normalPath(item.get<std::string>());
        if (listed.insert(base::foldedPath(path)).second) spec.drawings.push_back(path);
    }
}

// A whole number from least to most, else refused with `problem`.
int wholeNumber(const json& job, const char* field, long long least, long long most, const std::string& problem) {
    const json& value = job.at(field);
    if (!value.is_number_integer() || value.get<long long>() < least || value.get<long long>() > most)
        refuse(field, problem);
    return static_cast<int>(value.get<long long>());
}

// Where the plot files go, what they are called, and whether a plotter's sheets go to the plotter.
void readPlotFileFields(const json& job, PlotJobSpec& spec) {
    if (job.contains("plotFolder")) spec.plotFolder = text(job, "plotFolder");
    if (job.contains("plotFileName")) spec.plotFileName = text(job, "plotFileName");
    if (job.contains("plotFileExtension")) {
        spec.plotFileExtension = normalExtension(text(job, "plotFileExtension"));
        if (spec.plotFileExtension.empty())
            refuse("plotFileExtension",
                   "must be an extension such as \".pdf\", without spaces or characters a file name may not hold.");
        if (const auto why = plotExtensionRefusal(spec.plotFileExtension)) refuse("plotFileExtension", "cannot be " + *why);
    }
    if (job.contains("output")) {
        const std::string word = text(job, "output");
        if (!plotOutputFromWord(word) || word.empty()) refuse("output", "must be \"file\" or \"device\".");
        spec.output = word == "file" ? "" : word;
    }
}

// Whether the sheets are combined into PDF files, and how.
void readCombineFields(const json& job, PlotJobSpec& spec) {
    if (job.contains("combine")) {
        const auto mode = combineModeFromWord(text(job, "combine"));
        if (!mode || *mode == CombineMode::None) refuse("combine", "must be \"drawing\" or \"run\".");
        spec.combine.mode = *mode;
    }
    if (job.contains("combinedFileName")) spec.combine.fileName = text(job, "combinedFileName");
    spec.combine.keepSheetFiles = flag(job, "keepSheetFiles", true);
    if (spec.combine.mode == CombineMode::None && (job.contains("combinedFileName") || job.contains("keepSheetFiles")))
        refuse(job.contains("combinedFileName") ? "combinedFileName" : "keepSheetFiles", "goes with \"combine\" only.");
    if (const auto refusal = combineRefusal(spec.combine, spec.device, spec.plotFileName))
        refuse("combine", "cannot be used: " + *refusal);
}

// Names made from the drawings' title blocks and properties, and the register of the set.
void readTitleBlockFields(const json& job, PlotJobSpec& spec) {
    if (job.contains("titleBlocks")) spec.titleBlocks = text(job, "titleBlocks");
    if (job.contains("bookmarkName")) spec.bookmarkName = text(job, "bookmarkName");
    if (job.contains("register")) spec.registerName = text(job, "register");
    if (job.contains("registerColumns")) {
        if (!job.contains("register")) refuse("registerColumns", "goes with \"register\" only.");
        const json& list = job.at("registerColumns");
        if (!list.is_array() || list.empty()) refuse("registerColumns", "must be a list of one or more attribute tags.");
        for (const auto& item : list) {
            if (!item.is_string() || item.get<std::string>().empty() ||
                item.get<std::string>().find(';') != std::string::npos)
                refuse("registerColumns", "must hold only attribute tags (texts without ';').");
            spec.registerColumns.push_back(item.get<std::string>());
        }
        if (spec.titleBlocks.empty()) refuse("registerColumns", "needs \"titleBlocks\" (the title blocks' name pattern).");
    }
    const NamePatterns names{spec.titleBlocks, spec.plotFileName, spec.bookmarkName, spec.combine, spec.registerName};
    if (const auto refusal = nameFieldRefusal(names)) refuse(refusal->first, refusal->second);
}

}  // namespace

// Fields are read, and refused, in the order a job's reader meets them: the first problem is the one told.
PlotJobSpec readPlotJob(const std::string& content) {
    const json job = jobObject(content);
    PlotJobSpec spec;
    readDrawingFields(job, spec);
    spec.layouts = flag(job, "layouts", true);
    spec.device = text(job, "device");
    spec.paper = text(job, "paper");
    spec.plotStyleTable = text(job, "plotStyleTable");
    if (job.contains("copies")) spec.copies = wholeNumber(job, "copies", 1, 32767, "must be a whole number from 1 to 32767.");
    if (job.contains("sessions")) spec.sessions = wholeNumber(job, "sessions", 1, 8, "must be a whole number from 1 to 8.");
    if (job.contains("cadRestartEvery"))
        spec.cadRestartEvery = wholeNumber(job, "cadRestartEvery", 0, MaxCadRestartEvery,
                                           "must be a whole number from 0 (never) to " +
                                               std::to_string(MaxCadRestartEvery) + ".");
    readPlotFileFields(job, spec);
    readSheetFields(job, spec);
    if (job.contains("until")) {
        const auto until = parseTimeOfDay(text(job, "until"));
        if (!until) refuse("until", "must be a time of day as HH:MM, from 00:00 to 23:59.");
        spec.until = until->text();
    }
    readCombineFields(job, spec);
    if (job.contains("plot")) {
        const std::string word = text(job, "plot");
        if (word != "all" && word != "changed") refuse("plot", "must be \"all\" or \"changed\".");
        spec.onlyChanged = word == "changed";
    }
    spec.removeObsolete = flag(job, "removeObsolete", false);
    readTitleBlockFields(job, spec);
    return spec;
}

std::string writePlotJob(const PlotJobSpec& job) {
    // Fields in the order a reader expects them, not sorted by name.
    nlohmann::ordered_json out;
    if (job.folder) {
        out["folder"] = *job.folder;
        out["subfolders"] = job.subfolders;
    } else {
        out["drawings"] = job.drawings;
    }
    out["layouts"] = job.layouts;
    out["device"] = job.device;
    out["paper"] = job.paper;
    out["plotStyleTable"] = job.plotStyleTable;
    out["copies"] = job.copies;
    if (job.sessions) out["sessions"] = *job.sessions;
    if (job.cadRestartEvery) out["cadRestartEvery"] = *job.cadRestartEvery;
    if (!job.plotFolder.empty()) out["plotFolder"] = job.plotFolder;
    if (!job.plotFileName.empty()) out["plotFileName"] = job.plotFileName;
    if (!job.plotFileExtension.empty()) out["plotFileExtension"] = job.plotFileExtension;
    if (!job.output.empty()) out["output"] = job.output;
    // Patterns without layouts would make a job that cannot be read back.
    if (job.layouts && !job.includeLayouts.empty()) out["includeLayouts"] = job.includeLayouts;
    if (job.layouts && !job.excludeLayouts.empty()) out["excludeLayouts"] = job.excludeLayouts;
    if (!job.skipEmptyLayouts) out["skipEmptyLayouts"] = false;
    if (!job.sheetSettings.empty()) out["sheetSettings"] = job.sheetSettings;
    if (!job.pageSetupFile.empty()) out["pageSetupFile"] = job.pageSetupFile;
    if (!job.pageSetup.empty()) out["pageSetup"] = job.pageSetup;
    if (!job.until.empty()) out["until"] = job.until;
    if (job.onlyChanged) out["plot"] = "changed";
    if (job.removeObsolete) out["removeObsolete"] = true;
    if (job.combine.mode != CombineMode::None) {
        out["combine"] = combineModeWord(job.combine.mode);
        if (!job.combine.fileName.empty()) out["combinedFileName"] = job.combine.fileName;
        out["keepSheetFiles"] = job.combine.keepSheetFiles;
    }
    if (!job.titleBlocks.empty()) out["titleBlocks"] = job.titleBlocks;
    if (!job.bookmarkName.empty()) out["bookmarkName"] = job.bookmarkName;
    if (!job.registerName.empty()) out["register"] = job.registerName;
    if (!job.registerName.empty() && !job.registerColumns.empty()) out["registerColumns"] = job.registerColumns;
    return out.dump(2) + "\n";
}

std::optional<std::string> missingFromLists(const PlotJobSpec& job, const std::vector<std::string>& devices,
                                            const std::vector<std::string>& papers,
                                            const std::vector<std::string>& styleTables) {
    // Device and table names are file names: Windows matches them ignoring case.
    auto listed = [](const std::vector<std::string>& names, const std::string& name) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& offered) { return equalsIgnoreCase(offered, name); });
    };
    if (!listed(devices, job.device)) return "device \"" + job.device + "\"";
    if (!matchPaper(papers, job.paper)) return "paper \"" + job.paper + "\"";
    if (!listed(styleTables, job.plotStyleTable)) return "plot style table \"" + job.plotStyleTable + "\"";
    return std::nullopt;
}

}  // namespace quillon::plotting
