#include "plotting/PlotFileWriter.h"

#include <atomic>
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
    const auto entries = files_.list(folder);
    if (!entries) return true;
    const std::int64_t oldest = ticksNow() - std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(LeftoverAge).count();
    for (const auto& entry : *entries)
        if (!entry.isDirectory && entry.lastWriteTime != 0 && entry.lastWriteTime < oldest)
            files_.removeFile(hiddenFolderOf(target) + entry.name);
    return true;
}

std::string PlotFileWriter::freshTemporary(const std::string& target) {
    std::string name = temporaryName(target, nextToken());
    for (int tries = 0; tries < 16 && (files_.fileExists(name) || files_.identity(name)); ++tries)
        name = temporaryName(target, nextToken());
    return name;
}

bool PlotFileWriter::arrived(const std::string& file) {
    const auto until = std::chrono::steady_clock::now() + wait_;
    for (;;) {
        const auto size = files_.fileSize(file);
        if (size && *size > 0) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

PlotFileResult PlotFileWriter::write(const std::string& wanted, const PlotCall& plot) {
    PlotFileResult result;
    const std::string target = names_.claim(wanted);
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
    if (!taken || !arrived(temporary)) {
        files_.removeFile(temporary);
        result.failure = taken ? "the plot file was not written: " + target : PlotNotAccepted;
        return result;
    }
    const bool earlier = files_.fileExists(target);
    const auto until = std::chrono::steady_clock::now() + MoveRetries;
    const auto moved = move(temporary, target, true, until);
    if (moved) {
        result.written = target;
        result.earlier = earlier ? EarlierPlotFile::Replaced : EarlierPlotFile::None;
        return result;
    }
    keepBeside(wanted, target, temporary, moved, until, result);
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
