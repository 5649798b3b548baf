#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "RunHarness.h"
#include "app/CommandLineHost.h"
#include "app/CommandLineRun.h"

namespace quillon::testing {

// The program around a command-line run, for a test: the run's world, a console that keeps its lines, and
// a listing made at once (a job's folder: its drawings by name; a list: as given).
class CommandLineWorld final : public RunWorld, public app::CommandLineHost, public app::CommandLineSystem {
public:
    CommandLineWorld(autocad::CadLauncher& launcher, std::string scratch) : RunWorld(launcher, std::move(scratch)) {}

    std::vector<std::string> console;
    bool exited = false;
    // One per program: each run() starts a new one, as each Quillon.exe does.
    std::unique_ptr<app::CommandLineRun> job = std::make_unique<app::CommandLineRun>(*this);

    // Quillon.exe with this command line: runs until the program would leave; its exit code.
    int run(app::CommandLine line);

    // Whom the runs tell: the command line's run, as at the window.
    run::Teller& teller() override { return *job; }

    // CommandLineHost
    void postCad(std::function<void(autocad::CadSession&)> task) override { runs.postCad(std::move(task)); }
    app::CommandLineSystem& system() override { return *this; }
    void notify(const std::string& title, const std::string& text) override { lines.push_back(title + ": " + text); }
    void setStatus(const std::string& text) override { RunWorld::setStatus(text); }
    plotting::StatusLines& statusLines() override { return RunWorld::statusLines(); }
    run::RunReports& reports() override { return RunWorld::reports(); }
    std::optional<std::string> applyJob(const plotting::PlotJobSpec& spec, std::uint64_t* listing,
                                        plotting::PlotJobSpec* applied, bool checkLists) override;
    std::optional<std::string> loadJob(const std::string&) override { return std::nullopt; }
    std::uint64_t listDrawings(std::vector<std::string> paths) override;
    std::vector<plotting::RunListSnapshot::Row> listedRows() override { return rows_; }
    std::string listedFolder() const override { return folder_; }
    std::uint64_t askListing() override { return ++listing_; }
    bool latestListing(std::uint64_t generation) const override { return generation == listing_; }
    plotting::PlotSetup chosenSetup() const override { return {}; }
    void startRun(plotting::RunKind, plotting::RunPurpose, const std::string&) override {}
    void startRequestedRun(run::RunRequest request) override { runs.startRun(std::move(request)); }
    int storedSessions() const override { return 1; }
    void exitCommand() override { exited = true; }

    // CommandLineSystem
    void attachConsole() override {}
    void consoleLine(const std::string& text) override { console.push_back(text); }
    std::string fullPath(const std::string& path) override { return path; }
    const plotting::AnsiCodePage& codePage() override { return plotting::windows1252(); }
    plotting::LocalTime localNow() override { return now; }

    // The run's end reaches the command line, as the window hands it on.
    void runEnded(std::uint64_t generation, std::optional<plotting::PlotRun::Ending> how,
                  const plotting::PlotRun::Tally& counts) override;
    void refuseRun(const std::string& why) override { job->refuseRun(why); }

private:
    std::uint64_t listInto(std::vector<std::string> paths, std::string folder);

    std::vector<plotting::RunListSnapshot::Row> rows_;
    std::string folder_;
    std::uint64_t listing_ = 0;
};

}  // namespace quillon::testing
