#include "CommandLineWorld.h"

#include <algorithm>
#include <filesystem>

#include "app/CommandLine.h"

namespace quillon::testing {

int CommandLineWorld::run(app::CommandLine line) {
    exited = false;
    job = std::make_unique<app::CommandLineRun>(*this);
    job->setCommandLine(std::move(line));
    job->checkBeforeCad();
    job->startCommandLineJob();
    pumpUntil([this] { return exited; });
    return job->exitCode();
}

std::optional<std::string> CommandLineWorld::applyJob(const plotting::PlotJobSpec& spec, std::uint64_t* listing,
                                                      plotting::PlotJobSpec* applied, bool) {
    if (applied) *applied = spec;
    std::vector<std::string> paths;
    for (const auto& path : spec.drawings) paths.push_back(SlashFileSystem::slashed(path));
    if (spec.folder) {
        paths.clear();
        for (const auto& entry : std::filesystem::directory_iterator(SlashFileSystem::slashed(*spec.folder)))
            if (entry.path().extension() == ".dwg") paths.push_back(entry.path().string());
        std::sort(paths.begin(), paths.end());
    }
    const std::uint64_t started = listInto(std::move(paths), SlashFileSystem::slashed(spec.folder.value_or("")));
    if (listing) *listing = started;
    return std::nullopt;
}

std::uint64_t CommandLineWorld::listDrawings(std::vector<std::string> paths) {
    for (auto& path : paths) path = SlashFileSystem::slashed(path);
    return listInto(std::move(paths), "");
}

std::uint64_t CommandLineWorld::listInto(std::vector<std::string> paths, std::string folder) {
    rows_.clear();
    for (const auto& path : paths) {
        const auto slash = path.find_last_of("\\/");
        rows_.push_back({path.substr(slash + 1), path.substr(0, slash + 1), false});
    }
    folder_ = std::move(folder);
    const std::uint64_t generation = ++listing_;
    // Its end arrives as a search's does: later, from the window's own mailbox.
    mailbox()->post([this, generation] { job->drawingsListed(generation, true); });
    return generation;
}

void CommandLineWorld::runEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> how,
                                const plotting::PlotRun::Tally& counts) {
    RunWorld::runEnded(generation, how, counts);
    job->runEnded(how, counts);
}

}  // namespace quillon::testing
