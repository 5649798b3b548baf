#include "plotting/files/PlotFileWriter.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <random>
#include <thread>

#include "automation/AutomationError.h"
#include "base/Paths.h"

namespace quillon::plotting {

namespace {

unsigned nextToken() {
    // Seeded once, so two processes plotting into one folder do not meet on a name.
    static std::atomic<unsigned> token{std::random_device{}()};
    return token.fetch_add(0x9e3779b9u);
}

}  // namespace

namespace {

// Where the file name starts, and the separator the path uses.
std::size_t nameStart(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? 0 : cut + 1;
}

std::string hiddenFolderOf(const std::string& target) {
    const std::size_t start = nameStart(target);
    const char separator = start > 0 ? target[start - 1] : '\\';
    return target.substr(0, start) + PlotFileWriter::TemporaryFolder + separator;
}

std::int64_t ticksNow() {
    // FILETIME counts 100 ns ticks from 1601, as the listing's times do.
    constexpr std::int64_t TicksFrom1601To1970 = 116444736000000000LL;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(now).count() +
           TicksFrom1601To1970;
}

// "A.~0123abcd.pdf": a temporary name as earlier versions wrote them beside the sheets.
bool isTemporaryBesideSheets(const std::string& name) {
    const std::size_t mark = name.find(".~");
    if (mark == std::string::npos || name.size() < mark + 10) return false;
    for (std::size_t i = mark + 2; i < mark + 10; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    return name.size() == mark + 10 || name[mark + 10] == '.';
}

}  // namespace

std::string PlotFileWriter::temporaryName(const std::string& target, unsigned token) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", token);
    const std::string name = target.substr(nameStart(target));
    const std::size_t place = base::extensionStart(name);
    return hiddenFolderOf(target) + name.substr(0, place) + ".~" + hex + name.substr(place);
}

bool PlotFileWriter::temporaryFolderReady(const std::string& target) {
    std::string folder = hiddenFolderOf(target);
    folder.pop_back();
    if (!names_.firstUseOf(folder)) return files_.identity(folder).has_value() || files_.makeHiddenFolder(folder);
    if (!files_.makeHiddenFolder(folder)) return false;
    const std::int64_t oldest = ticksNow() - std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(LeftoverAge).count();
    const auto old = [oldest](const base::DirEntry& entry) {
        return !entry.isDirectory && entry.lastWriteTime != 0 && entry.lastWriteTime < oldest;
    };
    if (const auto entries = files_.list(folder))
        for (const auto& entry : *entries)
            if (old(entry)) files_.removeFile(hiddenFolderOf(target) + entry.name);
    // Earlier versions plotted beside the sheets: what a kill left there would pass for a sheet.
    const std::string sheets = target.substr(0, nameStart(target));
    if (const auto entries = files_.list(sheets.empty() ? "." : sheets))
        for (const auto& entry : *entries)
            if (old(entry) && isTemporaryBesideSheets(entry.name)) files_.removeFile(sheets + entry.name);
    return true;
}

std::string PlotFileWriter::freshTemporary(const std::string& target) {
    std::string name = temporaryName(target, nextToken());
    for (int tries = 0; tries < 16 && (files_.fileExists(name) || files_.identity(name)); ++tries)
        name = temporaryName(target, nextToken());
    return name;
}

std::optional<std::string> PlotFileWriter::arrived(const std::string& temporary) {
    const auto until = std::chrono::steady_clock::now() + wait_;
    for (;;) {
        const auto size = files_.fileSize(temporary);
        if (size && *size > 0) return temporary;
        if (auto other = underAnotherExtension(temporary)) return other;
        if (std::chrono::steady_clock::now() >= until) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::optional<std::string> PlotFileWriter::underAnotherExtension(const std::string& temporary) {
    const std::size_t start = nameStart(temporary);
    const std::string name = temporary.substr(start);
    const std::string stem = name.substr(0, base::extensionStart(name));
    const auto entries = files_.list(temporary.substr(0, start));
    if (!entries) return std::nullopt;
    for (const auto& entry : *entries) {
        if (entry.isDirectory || entry.size == 0 || entry.name.size() <= stem.size() + 1) continue;
        if (entry.name.compare(0, stem.size(), stem) != 0 || entry.name[stem.size()] != '.') continue;
        return temporary.substr(0, start) + entry.name;
    }
    return std::nullopt;
}

PlotFileResult PlotFileWriter::write(const std::string& wanted, const PlotCall& plot) {
    PlotFileResult result;
    std::string target = names_.claim(wanted);
    if (!temporaryFolderReady(target)) {
        names_.release(target);
        result.failure = "Quillon's hidden folder for plots cannot be made in the folder of " + target;
        return result;
    }
    const std::string temporary = freshTemporary(target);
    bool taken = false;
    try {
        taken = plot(temporary);
    } catch (const automation::AutomationError& error) {
        files_.removeFile(temporary);
        if (error.serverGone()) {
            names_.release(target);
            throw;
        }
        result.failure = error.description().empty() ? error.what() : error.description();
        return result;
    }
    const auto written = taken ? arrived(temporary) : std::nullopt;
    if (!written) {
        files_.removeFile(temporary);
        result.failure = taken ? "the plot file was not written: " + target : PlotNotAccepted;
        return result;
    }
    // The driver wrote its own extension: the sheet is named with the extension its file really has.
    std::string sheet = wanted;
    if (*written != temporary) {
        sheet = base::withExtensionOf(wanted, *written);
        names_.release(target);
        target = names_.claim(sheet);
    }
    const bool earlier = files_.fileExists(target);
    const auto until = std::chrono::steady_clock::now() + MoveRetries;
    const auto moved = move(*written, target, true, until);
    if (moved) {
        result.written = target;
        result.earlier = earlier ? EarlierPlotFile::Replaced : EarlierPlotFile::None;
        return result;
    }
    keepBeside(sheet, target, *written, moved, until, result);
    return result;
}

base::MoveResult PlotFileWriter::move(const std::string& from, const std::string& to, bool replace,
                                      std::chrono::steady_clock::time_point until) {
    auto wait = std::chrono::milliseconds(50);
    for (;;) {
        auto moved = files_.moveFile(from, to, replace);
        if (moved.outcome != base::MoveResult::Outcome::InUse || std::chrono::steady_clock::now() + wait > until)
            return moved;
        std::this_thread::sleep_for(wait);
        wait *= 2;
    }
}

void PlotFileWriter::keepBeside(const std::string& wanted, const std::string& target, const std::string& temporary,
                                const base::MoveResult& refused, std::chrono::steady_clock::time_point until,
                                PlotFileResult& result) {
    const std::string beside = names_.claim(
        wanted, [&](const std::string& path) { return !files_.fileExists(path) && !files_.identity(path); });
    const auto moved = move(temporary, beside, false, until);
    if (moved) {
        result.written = beside;
        result.earlier = EarlierPlotFile::Kept;
        result.keptFile = target;
        result.keptReason = refused.reason;
        return;
    }
    // Neither place took it: the plot itself is held (or gone), whatever the earlier file is.
    files_.removeFile(temporary);
    names_.release(beside);
    result.failure = "the plot file could not be moved into place as " + target + " (" + refused.reason + ") nor as " +
                     beside + " (" + moved.reason + ")";
}

}  // namespace quillon::plotting
