#include "plotting/files/PlotFileNaming.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "base/Paths.h"
#include "base/Utf8.h"
#include "plotting/job/JobPart.h"
#include "plotting/xref/XrefPaths.h"

namespace quillon::plotting {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsNoCase(std::string_view text, std::string_view part) {
    std::string lower(text);
    for (auto& c : lower) c = lowerAscii(c);
    return lower.find(part) != std::string::npos;
}

// Characters a Windows file name cannot hold; a layout may be named "A/B: Plan?".
bool allowedInFileName(char c) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
    return std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos;
}

std::size_t nameStart(std::string_view path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? 0 : separator + 1;
}

std::string withoutExtension(std::string_view fileName) {
    const auto dot = fileName.find_last_of('.');
    return std::string(dot == std::string_view::npos || dot == 0 ? fileName : fileName.substr(0, dot));
}

// The name of the folder a drawing is in: "Sheets" for "C:\Jobs\Sheets\A.dwg".
std::string folderName(std::string_view drawingPath) {
    std::string_view folder = drawingPath.substr(0, nameStart(drawingPath));
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.remove_suffix(1);
    return std::string(folder.substr(nameStart(folder)));
}

std::string expanded(std::string_view pattern, std::string_view drawing, std::string_view layout,
                     std::string_view folder, std::string_view date, const NameValues& values) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const auto close = pattern[i] == '{' ? pattern.find('}', i) : std::string_view::npos;
        const std::string_view field =
            close == std::string_view::npos ? std::string_view() : pattern.substr(i + 1, close - i - 1);
        std::string_view value;
        std::optional<std::string> looked;
        bool known = true;
        if (field == "drawing") value = drawing;
        else if (field == "layout") value = layout;
        else if (field == "folder") value = folder;
        else if (field == "date") value = date;
        else if (const auto colon = field.find(':'); values && colon != std::string_view::npos &&
                                                     (field.starts_with("attr:") || field.starts_with("prop:"))) {
            looked = values(field.substr(0, colon), field.substr(colon + 1));
            value = looked ? std::string_view(*looked) : std::string_view();
        } else known = false;
        if (known) {
            out += value;
            i = close + 1;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

// A name Windows keeps as written: no forbidden character, and no space or
// dot at its end, which Windows would drop and so meet another file's name.
std::string fileNameOf(std::string name) {
    for (auto& c : name)
        if (!allowedInFileName(c)) c = '_';
    if (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.back() = '_';
    return name;
}

// "CON", "aux.1", "Com7 .pdf": Windows opens the device, not a file, whatever follows the stem's first dot.
bool reservedDeviceStem(std::string_view name) {
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (auto& c : stem) c = lowerAscii(c);
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
    return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '0' && stem[3] <= '9';
}

// A character's UTF-16 units, and its length in bytes (a malformed byte counts as one byte, one unit).
std::size_t unitsAt(std::string_view utf8, std::size_t at, std::size_t& bytes) {
    char32_t code = 0;
    bytes = base::utf8CharAt(utf8, at, code);
    if (bytes == 0) bytes = 1;
    return code >= 0x10000 ? 2 : 1;
}

std::size_t utf16Units(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t at = 0, bytes = 0; at < utf8.size(); at += bytes) units += unitsAt(utf8, at, bytes);
    return units;
}

// The name cut so that it takes at most `units` UTF-16 units, never inside a character.
std::string cutToUnits(std::string_view name, std::size_t units) {
    std::size_t end = 0;
    std::size_t used = 0;
    for (std::size_t bytes = 0; end < name.size(); end += bytes) {
        const std::size_t cost = unitsAt(name, end, bytes);
        if (used + cost > units) break;
        used += cost;
    }
    return std::string(name.substr(0, end));
}

// A name short enough that folder + name + the reserve + extension stays within LongestPlotPath.
std::string withinLength(std::string name, std::string_view folder, std::string_view extension) {
    const std::size_t fixed = utf16Units(folder) + utf16Units(extension) + PlotNameReserve;
    if (fixed + utf16Units(name) <= LongestPlotPath) return name;
    static const char* digits = "0123456789abcdef";
    std::string tag = "~";
    const std::uint64_t hash = fnv1a64(name);
    for (int shift = 28; shift >= 0; shift -= 4) tag += digits[(hash >> shift) & 0xF];
    const std::size_t room = LongestPlotPath > fixed + tag.size() ? LongestPlotPath - fixed - tag.size() : 0;
    // A cut name must not end in a space or dot either, which Windows would drop.
    return fileNameOf(cutToUnits(name, room)) + tag;
}

}  // namespace

std::string deviceExtension(std::string_view device) {
    if (containsNoCase(device, "pdf")) return ".pdf";
    if (containsNoCase(device, "dwfx")) return ".dwfx";
    if (containsNoCase(device, "dwf")) return ".dwf";
    if (containsNoCase(device, "publishtoweb png")) return ".png";
    if (containsNoCase(device, "publishtoweb jpg")) return ".jpg";
    if (containsNoCase(device, "xps")) return ".xps";
    return ".plt";
}

bool systemFilePrinter(std::string_view device) {
    std::string lower(device);
    for (auto& c : lower) c = lowerAscii(c);
    if (lower.ends_with(".pc3")) return false;
    return containsNoCase(device, "pdf") || containsNoCase(device, "xps") || containsNoCase(device, "onenote");
}

const char* plotOutputWord(PlotOutput output) { return output == PlotOutput::Device ? "device" : "file"; }

std::optional<PlotOutput> plotOutputFromWord(std::string_view word) {
    if (word.empty() || word == "file") return PlotOutput::File;
    if (word == "device") return PlotOutput::Device;
    return std::nullopt;
}

std::string normalExtension(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    if (extension.empty()) return {};
    for (char c : extension)
        if (!allowedInFileName(c) || c == '.' || c == ' ') return {};
    return "." + std::string(extension);
}

std::optional<std::string> plotExtensionRefusal(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    static constexpr std::string_view Kept[] = {"dwg", "dwt", "dws", "dxf", "bak", "sv$", "qjob", "csv"};
    for (std::string_view kept : Kept) {
        if (extension.size() != kept.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < kept.size(); ++i)
            same = same && std::tolower(static_cast<unsigned char>(extension[i])) == kept[i];
        if (same)
            return "\"." + std::string(kept) +
                   "\": it is the extension of drawings, their templates and backups, plot jobs or run reports: a plot "
                   "file of that name could replace one of them. Choose the extension of what the device makes, "
                   "such as \".pdf\".";
    }
    return std::nullopt;
}

std::vector<std::string> valueFields(std::string_view pattern) {
    std::vector<std::string> fields;
    for (std::size_t open = pattern.find('{'); open != std::string_view::npos; open = pattern.find('{', open + 1)) {
        const auto close = pattern.find('}', open);
        if (close == std::string_view::npos) break;
        const std::string_view field = pattern.substr(open + 1, close - open - 1);
        if (field.starts_with("attr:") || field.starts_with("prop:")) fields.emplace_back(field);
    }
    return fields;
}

std::vector<std::string> missingValueFields(std::string_view pattern, const NameValues& values) {
    std::vector<std::string> missing;
    for (const std::string& field : valueFields(pattern)) {
        const auto colon = field.find(':');
        const auto value = values ? values(std::string_view(field).substr(0, colon), std::string_view(field).substr(colon + 1))
                                  : std::nullopt;
        // A value of spaces alone would leave a name of separators: as good as none.
        if (!value || value->find_first_not_of(' ') == std::string::npos) missing.push_back(field);
    }
    return missing;
}

std::string plotFilePath(const PlotFileOptions& options, std::string_view drawingPath, std::string_view drawingName,
                         std::string_view device, std::string_view layout, const NameValues& values) {
    const bool model = layout.empty();
    std::string pattern = !options.pattern.empty() ? options.pattern
                          : model                  ? "{drawing}"
                                                   : "{drawing}-{layout}";
    if (!valueFields(pattern).empty() && !missingValueFields(pattern, values).empty()) pattern = MissingValuesPattern;
    if (const auto recorded = options.recorded.find(recordedSheetKey(drawingPath, layout)); recorded != options.recorded.end())
        return recorded->second;
    std::string drawing = withoutExtension(drawingName);
    if (const auto qualifier = options.qualifiers.find(base::foldedPath(drawingPath)); qualifier != options.qualifiers.end())
        drawing += " (" + qualifier->second + ")";
    std::string name =
        fileNameOf(expanded(pattern, drawing, model ? "Model" : layout, folderName(drawingPath), options.runDate, values));
    if (name.empty()) name = fileNameOf(withoutExtension(drawingName));
    const std::string extension = options.extension.empty() ? deviceExtension(device) : options.extension;
    const std::string folder = options.folder.empty() ? std::string(drawingPath.substr(0, nameStart(drawingPath)))
                                                      : withTrailingSeparator(options.folder);
    return folder + keptFileName(std::move(name), folder, extension) + extension;
}

std::string keptFileName(std::string name, std::string_view folder, std::string_view extension) {
    if (reservedDeviceStem(name + std::string(extension)))
        name.insert(name.find('.') == std::string::npos ? name.size() : name.find('.'), "_");
    return withinLength(std::move(name), folder, extension);
}

std::string sheetBookmark(std::string_view pattern, std::string_view drawingPath, std::string_view layout,
                          std::string_view date, const NameValues& values) {
    const std::string shown(layout.empty() ? "Model" : layout);
    if (pattern.find_first_not_of(' ') == std::string_view::npos || !missingValueFields(pattern, values).empty())
        return shown;
    std::string text = expanded(pattern, withoutExtension(drawingPath.substr(nameStart(drawingPath))), shown,
                                folderName(drawingPath), date, values);
    // A line break would end the bookmark's line in a viewer's list.
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string recordedSheetKey(std::string_view drawingPath, std::string_view layout) {
    return base::foldedPath(drawingPath) + '\n' + std::string(layout.empty() ? "Model" : layout);
}

std::map<std::string, std::string> plotNameQualifiers(const std::vector<std::string>& listing,
                                                      const PlotFileOptions& options, std::string_view device) {
    PlotFileOptions plain = options;
    plain.qualifiers.clear();
    plain.recorded.clear();
    std::map<std::string, std::vector<std::string>> byFile;
    for (const std::string& path : listing) {
        auto& group = byFile[base::foldedPath(plotFilePath(plain, path, path.substr(nameStart(path)), device, ""))];
        // One drawing listed twice (two spellings of one path) does not meet itself.
        if (std::none_of(group.begin(), group.end(), [&](const std::string& p) { return base::samePath(p, path); }))
            group.push_back(path);
    }
    std::map<std::string, std::string> qualifiers;
    for (const auto& [file, group] : byFile) {
        if (group.size() < 2) continue;
        // The folder the group shares: the longest run of leading folders every drawing's path has.
        std::vector<std::vector<std::string>> folders;
        for (const std::string& path : group) folders.push_back(folderNamesOf(path));
        std::size_t shared = folders.front().size();
        for (const auto& parts : folders) {
            std::size_t same = 0;
            while (same < std::min(shared, parts.size()) && base::samePath(parts[same], folders.front()[same])) ++same;
            shared = same;
        }
        for (std::size_t i = 0; i < group.size(); ++i) {
            std::string below;
            for (std::size_t k = shared; k < folders[i].size(); ++k) below += (below.empty() ? "" : " - ") + folders[i][k];
            if (!below.empty()) qualifiers[base::foldedPath(group[i])] = below;
        }
    }
    return qualifiers;
}

}  // namespace quillon::plotting
