#include "plotting/changes/PlotKeyStore.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <variant>

#include "base/Paths.h"
#include "plotting/files/PlotFileWriter.h"

namespace quillon::plotting {

namespace {

constexpr const char* RecordFolderName = "plotted";
// Superseded lines a file may hold beyond its live ones before it is written afresh.
constexpr std::size_t CompactSlack = 64;

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

std::string PlotKeyStore::recordFolder(const std::string& plotFolder) {
    return base::addBackslash(plotFolder) + PlotFileWriter::TemporaryFolder + "\\" + RecordFolderName + "\\";
}

std::string PlotKeyStore::ownFileName(const std::string& part) {
    const char* computer = std::getenv("COMPUTERNAME");
    std::string name = computer && *computer ? computer : "this computer";
    if (!part.empty()) name += " " + part;
    // Whatever the environment says, nothing in it may leave the record folder.
    for (char& c : name)
        if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|' || static_cast<unsigned char>(c) < 32)
            c = '_';
    return name + FileExtension;
}

PlotKeyStore::PlotKeyStore(base::FileSystem& files, std::string plotFolder, std::string ownFile)
    : plotFolder_(base::addBackslash(plotFolder)), folder_(recordFolder(plotFolder)), ownFile_(std::move(ownFile)) {
    const auto entries = files.list(folder_);
    if (!entries) return;
    // The own file last: of two records made at the same second, this workstation's stands.
    for (const auto& entry : *entries)
        if (!entry.isDirectory && endsWith(entry.name, FileExtension) && entry.name != ownFile_) read(files, entry.name);
    read(files, ownFile_);
}

void PlotKeyStore::read(base::FileSystem& files, const std::string& name) {
    const bool own = name == ownFile_;
    std::string text;
    if (!files.readPieces(folder_ + name, [&text](std::string_view piece) { text.append(piece); })) {
        if (files.stamp(folder_ + name)) {
            ++unreadable_;
            unreadableWhy_ = "its plot record could not be read";
        }
        return;
    }
    if (own) ownEndsOpen_ = !text.empty() && text.back() != '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (line.empty() || line == "\r") continue;
        if (own) ++ownLines_;
        std::string why;
        if (auto key = plotKeyFromLine(line, why)) {
            std::visit([&](auto&& one) { take(std::move(one), own); }, std::move(*key));
        } else {
            ++unreadable_;
            unreadableWhy_ = "its plot record was " + why;
        }
    }
}

void PlotKeyStore::take(PlotKey key, bool own) {
    const std::string drawing = base::foldedPath(key.drawing);
    for (const auto& sheet : key.sheets)
        if (!sheet.combined) ownerOf_[base::foldedPath(sheet.file)] = drawing;
    auto [at, fresh] = latest_.try_emplace(drawing, Held<PlotKey>{key, own});
    if (!fresh && key.plottedAtUtc >= at->second.key.plottedAtUtc) at->second = Held<PlotKey>{std::move(key), own};
}

void PlotKeyStore::take(CombinedFileKey key, bool own) {
    const std::string file = base::foldedPath(key.file);
    // A drawing's own combined file: every sheet in it is that drawing's.
    if (!key.sheets.empty() &&
        std::all_of(key.sheets.begin(), key.sheets.end(),
                    [&](const CombinedFileKey::Sheet& sheet) { return base::samePath(sheet.drawing, key.sheets[0].drawing); })) {
        const std::string drawing = base::foldedPath(key.sheets[0].drawing);
        const auto known = combinedOf_.find(drawing);
        const CombinedFileKey* before = known == combinedOf_.end() ? nullptr : combined(known->second);
        if (!before || key.plottedAtUtc >= before->plottedAtUtc) combinedOf_[drawing] = file;
    }
    auto [at, fresh] = combined_.try_emplace(file, Held<CombinedFileKey>{key, own});
    if (!fresh && key.plottedAtUtc >= at->second.key.plottedAtUtc)
        at->second = Held<CombinedFileKey>{std::move(key), own};
}

const CombinedFileKey* PlotKeyStore::combinedOf(const std::string& drawing) const {
    const auto found = combinedOf_.find(base::foldedPath(drawing));
    return found == combinedOf_.end() ? nullptr : combined(found->second);
}

bool PlotKeyStore::heldByAnother(const std::string& file, const std::string& drawing) const {
    const auto owner = ownerOf_.find(base::foldedPath(file));
    return owner != ownerOf_.end() && owner->second != base::foldedPath(drawing);
}

std::vector<const PlotKey*> PlotKeyStore::records() const {
    std::vector<const PlotKey*> all;
    all.reserve(latest_.size());
    for (const auto& [drawing, held] : latest_) all.push_back(&held.key);
    return all;
}

const CombinedFileKey* PlotKeyStore::combined(const std::string& file) const {
    const auto found = combined_.find(base::foldedPath(file));
    return found == combined_.end() ? nullptr : &found->second.key;
}

const PlotKey* PlotKeyStore::latest(const std::string& drawing) const {
    const auto found = latest_.find(base::foldedPath(drawing));
    return found == latest_.end() ? nullptr : &found->second.key;
}

std::string PlotKeyStore::missingReason() const { return unreadable_ > 0 ? unreadableWhy_ : "never plotted"; }

bool PlotKeyStore::add(base::FileSystem& files, const PlotKey& key) {
    if (!append(files, plotKeyLine(key))) return false;
    take(key, true);
    return true;
}

bool PlotKeyStore::add(base::FileSystem& files, const CombinedFileKey& key) {
    if (!append(files, plotKeyLine(key))) return false;
    take(key, true);
    return true;
}

bool PlotKeyStore::append(base::FileSystem& files, const std::string& text) {
    if (!folderMade_) {
        const std::string hidden = plotFolder_ + PlotFileWriter::TemporaryFolder;
        if (!files.makeHiddenFolder(hidden) || !files.makeHiddenFolder(hidden + "\\" + RecordFolderName)) return false;
        folderMade_ = true;
        compactOwn(files);
    }
    const std::string line = ownEndsOpen_ ? "\n" + text : text;
    if (!files.appendToFile(folder_ + ownFile_, line)) return false;
    ownEndsOpen_ = false;
    ++ownLines_;
    return true;
}

bool PlotKeyStore::compactOwn(base::FileSystem& files) {
    std::size_t live = 0;
    for (const auto& [drawing, held] : latest_) live += held.own ? 1 : 0;
    for (const auto& [file, held] : combined_) live += held.own ? 1 : 0;
    if (ownLines_ <= 2 * live + CompactSlack) return true;
    // Written whole under another name, then moved over in one step: the record is whole at every instant.
    const std::string fresh = folder_ + ownFile_ + ".new";
    if (!files.removeFile(fresh)) return false;
    std::string text;
    for (const auto& [drawing, held] : latest_)
        if (held.own) text += plotKeyLine(held.key);
    for (const auto& [file, held] : combined_)
        if (held.own) text += plotKeyLine(held.key);
    if (!files.appendToFile(fresh, text) || !files.moveFile(fresh, folder_ + ownFile_, true)) return false;
    ownLines_ = live;
    ownEndsOpen_ = false;
    return true;
}

}  // namespace quillon::plotting
