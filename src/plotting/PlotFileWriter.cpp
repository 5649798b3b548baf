#include "plotting/PlotFileWriter.h"

#include <atomic>
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

std::string PlotFileWriter::temporaryName(const std::string& target, unsigned token) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", token);
    const std::size_t place = base::extensionStart(target);
    return target.substr(0, place) + ".~" + hex + target.substr(place);
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
    if (files_.moveFile(temporary, target, true)) {
        result.written = target;
        result.earlier = earlier ? EarlierPlotFile::Replaced : EarlierPlotFile::None;
        return result;
    }
    keepBeside(wanted, target, temporary, result);
    return result;
}

void PlotFileWriter::keepBeside(const std::string& wanted, const std::string& target, const std::string& temporary,
                                PlotFileResult& result) {
    result.earlier = EarlierPlotFile::Kept;
    result.keptFile = target;
    const std::string beside = names_.claim(
        wanted, [&](const std::string& path) { return !files_.fileExists(path) && !files_.identity(path); });
    if (files_.moveFile(temporary, beside, false)) {
        result.written = beside;
        return;
    }
    files_.removeFile(temporary);
    result.failure = "the plot file could not be put in place of " + target + " nor as " + beside;
}

}  // namespace quillon::plotting
