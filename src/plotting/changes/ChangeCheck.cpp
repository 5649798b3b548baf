#include "plotting/changes/ChangeCheck.h"

#include <algorithm>
#include <utility>

#include "base/Paths.h"
#include "plotting/changes/SheetChoices.h"
#include "plotting/record/RunReport.h"
#include "plotting/xref/XrefPaths.h"

namespace quillon::plotting {

namespace {

std::string utcText(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(floor<seconds>(time - day));
    return isoTimestamp(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                        static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(clock.hours().count()),
                        static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count())) +
           "Z";
}

// The drawing's folder with its separator: the application's paths have backslashes, Windows takes slashes too.
std::string folderWithSeparator(const std::string& drawing) {
    const auto cut = drawing.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : drawing.substr(0, cut + 1);
}

bool absolute(const std::string& path) {
    return (path.size() > 1 && path[1] == ':') || (!path.empty() && isSeparator(path[0]));
}

// Whether the outcome's sheets are every sheet of the drawing, each in its file.
bool wholePlot(const DrawingOutcome& outcome) {
    if (!outcome.plotted() || outcome.stopped) return false;
    bool any = false;
    for (const auto& sheet : outcome.sheets) {
        if (sheet.leftOut) continue;
        if (!sheet.plotted || sheet.plotFile.empty() || sheet.sentToDevice) return false;
        any = true;
    }
    return any;
}

}  // namespace

ChangeCheck::ChangeCheck(PlotSetup setup, std::string ownFile, LocalTime localTime)
    : setup_(std::move(setup)), ownFile_(std::move(ownFile)), localTime_(std::move(localTime)) {}

const std::vector<std::pair<std::string, std::string>>& ChangeCheck::choices(base::FileSystem& files) {
    std::lock_guard lock(mutex_);
    if (!choices_) choices_ = sheetChoices(setup_, files);
    return *choices_;
}

PlotKeyStore& ChangeCheck::storeFor(base::FileSystem& files, const std::string& drawing) {
    return storeOfFolder(files, setup_.files.folder.empty() ? folderWithSeparator(drawing) : setup_.files.folder);
}

PlotKeyStore& ChangeCheck::storeOfFolder(base::FileSystem& files, const std::string& folder) {
    auto& store = stores_[base::foldedPath(base::addBackslash(folder))];
    if (!store) store = std::make_unique<PlotKeyStore>(files, folder, ownFile_);
    return *store;
}

ChangeCheck::Verdict ChangeCheck::decide(base::FileSystem& files, const std::string& drawing) {
    const auto& wanted = choices(files);
    std::optional<PlotKey> record;
    std::string missing;
    std::map<std::string, CombinedFileKey> combined;
    {
        std::lock_guard lock(mutex_);
        PlotKeyStore& store = storeFor(files, drawing);
        if (const PlotKey* latest = store.latest(drawing)) record = *latest;
        else missing = store.missingReason();
        for (const auto& sheet : record ? record->sheets : std::vector<SheetFileKey>{})
            if (const CombinedFileKey* in = sheet.combined ? store.combined(sheet.file) : nullptr)
                combined.emplace(base::foldedPath(sheet.file), *in);
    }
    if (!record) return {false, missing, std::nullopt};
    if (!record->whole) return {false, "its last plot was not whole", std::nullopt};
    if (record->choices != wanted) {
        for (const auto& [name, value] : wanted) {
            const auto at = std::find_if(record->choices.begin(), record->choices.end(),
                                         [&](const auto& choice) { return choice.first == name; });
            if (at == record->choices.end() || at->second != value) return {false, name + " changed", std::nullopt};
        }
        return {false, "the choices changed", std::nullopt};
    }
    if (auto change = changeIn(files, drawing, *record, combined)) return {false, std::move(*change), std::nullopt};
    return {true, {}, std::move(record)};
}

std::optional<std::string> ChangeCheck::changeIn(base::FileSystem& files, const std::string& drawing, PlotKey& record,
                                                 const std::map<std::string, CombinedFileKey>& combined) {
    switch (fileStateOf(files, drawing, record.drawingKey)) {
        case FileState::Same: break;
        // Gone: the run says so as it always has ("file not found").
        case FileState::Missing: return std::string();
        case FileState::Changed: return std::string("drawing changed");
    }
    const std::string folder = folderWithSeparator(drawing);
    for (const auto& reference : record.references) {
        if (reference.file.empty()) {
            if (!referenceFileUsed(files, folder, reference.storedPath).empty())
                return "reference " + reference.name + " found";
            continue;
        }
        switch (fileStateOf(files, reference.file, reference.key)) {
            case FileState::Same: break;
            case FileState::Missing: return "reference " + reference.name + " missing";
            case FileState::Changed: return "reference " + reference.name + " changed";
        }
    }
    for (auto& sheet : record.sheets) {
        if (sheet.combined) {
            if (auto change = pagesIn(files, drawing, sheet, combined)) return change;
            continue;
        }
        switch (fileStateOf(files, sheet.file, sheet.key)) {
            case FileState::Same: break;
            case FileState::Missing: return std::string("plot file missing");
            case FileState::Changed: return std::string("plot file changed");
        }
    }
    return std::nullopt;
}

std::optional<std::string> ChangeCheck::pagesIn(base::FileSystem& files, const std::string& drawing,
                                                SheetFileKey& sheet, const std::map<std::string, CombinedFileKey>& combined) {
    // Only the combined file's own record says which of its pages are the sheet's, and only while the file
    // is as that record says: a later combine that left the sheet out wrote a record without it.
    const auto in = combined.find(base::foldedPath(sheet.file));
    if (in == combined.end()) return std::string("combined file changed");
    const auto& held = in->second.sheets;
    const auto at = std::find_if(held.begin(), held.end(), [&](const CombinedFileKey::Sheet& one) {
        return one.layout == sheet.layout && base::samePath(one.drawing, drawing);
    });
    if (at == held.end()) return std::string("combined file changed");
    switch (fileStateOf(files, sheet.file, in->second.key)) {
        case FileState::Same: break;
        case FileState::Missing: return std::string("combined file missing");
        case FileState::Changed: return std::string("combined file changed");
    }
    sheet.pages = at->pages;
    return std::nullopt;
}

std::optional<std::string> ChangeCheck::combinedFileOf(base::FileSystem& files, const std::string& drawing) {
    std::lock_guard lock(mutex_);
    const CombinedFileKey* key = storeFor(files, drawing).combinedOf(drawing);
    if (!key) return std::nullopt;
    return key->file;
}

bool ChangeCheck::recordPlot(base::FileSystem& files, const std::string& drawing, const std::optional<FileKey>& before,
                             const std::vector<ReferenceUse>& references, DrawingOutcome& outcome) {
    if (setup_.purpose != RunPurpose::Plot || setup_.files.output != PlotOutput::File) return true;
    const auto now = std::chrono::system_clock::now();
    PlotKey key;
    key.drawing = drawing;
    key.plottedAtUtc = utcText(now);
    key.plottedAtLocal = localTime_ ? localTime_(now) : key.plottedAtUtc;
    // A reference known by no path cannot be told again: such a plot is never taken for unchanged.
    const bool referencesKnown = std::all_of(references.begin(), references.end(),
                                             [](const ReferenceUse& reference) { return !reference.path.empty(); });
    key.whole = before.has_value() && referencesKnown && wholePlot(outcome);
    if (key.whole) {
        key.drawingKey = *before;
        key.choices = choices(files);
        const std::string folder = folderWithSeparator(drawing);
        for (const auto& reference : references) {
            ReferenceKey one{reference.name, reference.path, {}, {}};
            if (reference.loaded) one.file = referenceFileUsed(files, folder, reference.path);
            if (!one.file.empty()) {
                const auto file = referenceKey(files, one.file);
                if (!file) one.file.clear();
                else one.key = *file;
            }
            key.references.push_back(std::move(one));
        }
        for (auto& sheet : outcome.sheets) {
            if (sheet.leftOut) continue;
            const auto file = fileKeyOf(files, sheet.plotFile);
            if (!file) {
                key.whole = false;
                break;
            }
            sheet.plotFileHash = file->hash;
            SheetFileKey made{sheet.layout, sheet.plotFile, *file};
            made.titleBlock = sheet.titleBlock;
            made.titleValues = sheet.titleValues;
            made.bookmark = sheet.bookmark;
            key.sheets.push_back(std::move(made));
        }
        if (key.whole) outcome.drawingHash = key.drawingKey.hash;
    }
    if (!key.whole) {
        key.references.clear();
        key.sheets.clear();
    }
    std::lock_guard lock(mutex_);
    PlotKeyStore& store = storeFor(files, drawing);
    const PlotKey* last = store.latest(drawing);
    // Nothing to take back where nothing was recorded.
    if (!key.whole && !last) return true;
    if (key.whole && last && last->whole) noteObsolete(files, *last, key, outcome);
    return store.add(files, key);
}

bool ChangeCheck::recordCombined(base::FileSystem& files, const std::vector<SheetPlace>& places) {
    if (setup_.purpose != RunPurpose::Plot || setup_.files.output != PlotOutput::File || places.empty()) return true;
    const std::string& into = places.front().into;
    const auto key = fileKeyOf(files, into);
    if (!key) return false;
    const std::string now = utcText(std::chrono::system_clock::now());
    std::lock_guard lock(mutex_);
    // One record of the file in each plot folder that has sheets in it, listing those sheets.
    std::map<PlotKeyStore*, CombinedFileKey> lines;
    std::map<std::string, std::pair<PlotKeyStore*, PlotKey>> moved;
    for (const SheetPlace& place : places) {
        PlotKeyStore& store = storeFor(files, place.drawing);
        CombinedFileKey& line = lines[&store];
        if (line.file.empty()) line = {into, now, *key, {}};
        line.sheets.push_back({place.drawing, place.layout, place.pages});
        if (!place.moves && !place.fromCombined) continue;
        const std::string folded = base::foldedPath(place.drawing);
        auto known = moved.find(folded);
        if (known == moved.end()) {
            const PlotKey* last = store.latest(place.drawing);
            if (!last || !last->whole) continue;
            known = moved.emplace(folded, std::pair{&store, *last}).first;
        }
        for (SheetFileKey& sheet : known->second.second.sheets)
            if (sheet.layout == place.layout && base::samePath(sheet.file, place.from) && (place.moves || sheet.combined)) {
                sheet.file = into;
                sheet.key = {};
                sheet.combined = true;
                sheet.pages.clear();
            }
    }
    bool written = true;
    for (auto& [store, line] : lines) written = store->add(files, line) && written;
    for (auto& [folded, record] : moved) {
        const PlotKey* last = record.first->latest(record.second.drawing);
        if (last && *last != record.second) written = record.first->add(files, record.second) && written;
    }
    return written;
}

std::vector<std::pair<std::string, std::string>> ChangeCheck::stillObsolete(base::FileSystem& files, const PlotKey& record) {
    std::vector<std::pair<std::string, std::string>> left;
    for (const auto& sheet : record.obsolete)
        if (fileStateOf(files, sheet.file, sheet.key) == FileState::Same) left.emplace_back(sheet.layout, sheet.file);
    return left;
}

void ChangeCheck::noteObsolete(base::FileSystem& files, const PlotKey& last, PlotKey& now, DrawingOutcome& outcome) {
    std::vector<SheetFileKey> candidates = last.sheets;
    candidates.insert(candidates.end(), last.obsolete.begin(), last.obsolete.end());
    for (const auto& sheet : candidates) {
        // A combined file is a set, never one sheet's file.
        if (sheet.combined) continue;
        const bool kept = std::any_of(now.sheets.begin(), now.sheets.end(),
                                      [&](const SheetFileKey& made) { return base::samePath(made.file, sheet.file); });
        // Only the file Quillon wrote: one replaced since is the user's, never called obsolete nor removed.
        if (kept || fileStateOf(files, sheet.file, sheet.key) != FileState::Same) continue;
        outcome.obsoleteFiles.emplace_back(sheet.layout, sheet.file);
        now.obsolete.push_back(sheet);
    }
    if (outcome.obsoleteFiles.empty() || !setup_.removeObsolete) return;
    outcome.obsoleteRemoved = true;
    for (const auto& [layout, file] : outcome.obsoleteFiles) outcome.obsoleteRemoved = files.removeFile(file) && outcome.obsoleteRemoved;
    if (outcome.obsoleteRemoved) now.obsolete.clear();
}

bool ChangeCheck::heldByAnother(base::FileSystem& files, const std::string& file, const std::string& drawing) {
    std::lock_guard lock(mutex_);
    return storeFor(files, drawing).heldByAnother(file, drawing);
}

std::optional<FileKey> ChangeCheck::referenceKey(base::FileSystem& files, const std::string& file) {
    const std::string folded = base::foldedPath(file);
    const auto stamp = files.stamp(file);
    if (!stamp) return std::nullopt;
    {
        std::lock_guard lock(mutex_);
        if (const auto known = references_.find(folded); known != references_.end() && known->second.stamp == *stamp)
            return known->second;
    }
    auto key = fileKeyOf(files, file);
    if (key && key->stamp == *stamp) {
        std::lock_guard lock(mutex_);
        references_[folded] = *key;
    }
    return key;
}

std::string referenceFileUsed(base::FileSystem& files, const std::string& drawingFolder, const std::string& path) {
    if (path.empty()) return {};
    std::vector<std::string> places;
    if (absolute(path)) places.push_back(path);
    else places.push_back(withTrailingSeparator(drawingFolder) + path);
    places.push_back(withTrailingSeparator(drawingFolder) + referenceFileName(path));
    for (const auto& place : places)
        if (files.fileExists(place)) return place;
    return {};
}

DrawingOutcome upToDateOutcome(const std::string& drawing, const PlotKey& record) {
    DrawingOutcome outcome;
    outcome.kind = DrawingOutcome::Kind::UpToDate;
    outcome.path = drawing;
    outcome.detail = record.plottedAtLocal;
    outcome.drawingHash = record.drawingKey.hash;
    for (const auto& sheet : record.sheets) {
        SheetRecord one;
        one.layout = sheet.layout;
        one.plotFile = sheet.file;
        one.plotted = true;
        one.upToDate = true;
        if (sheet.combined) one.combinedPages = sheet.pages;
        else one.plotFileHash = sheet.key.hash;
        one.titleBlock = sheet.titleBlock;
        one.titleValues = sheet.titleValues;
        one.bookmark = sheet.bookmark;
        outcome.sheets.push_back(std::move(one));
    }
    return outcome;
}

}  // namespace quillon::plotting
