#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "BenchDrawings.h"
#include "CadTestFakes.h"
#include "autocad/CadConnection.h"
#include "automation/AutomationError.h"
#include "base/StdFileSystem.h"
#include "plotting/PlotRun.h"
#include "standin/Engine.h"

// How many automation calls a run makes per drawing and per sheet. Each call
// is a round trip to another process, which costs far more than anything
// Quillon does between them, so the count is the figure to watch. The engine
// is called in process; its journal holds every member access it received.
namespace {

namespace fs = std::filesystem;
using namespace quillon;

constexpr int Drawings = 24;

class QuietDisplay : public plotting::PlotRunDisplay {
public:
    int failures = 0;
    void setStatus(const std::string&) override {}
    void repaintStatus() override {}
    void setStatusPanelText(const std::string&) override {}
    void restoreStatusPanel() override {}
    void setProgress(int) override {}
    void setPointer(plotting::Pointer) override {}
    void showInformation(const std::string&, const std::string&) override { ++failures; }
    void showOutcome(int, const plotting::DrawingOutcome& outcome) override {
        if (!outcome.plotted()) ++failures;
    }
};

// The application Quillon starts itself, as an unattended run mostly finds: nothing running to attach to.
class StartingLauncher : public autocad::CadLauncher {
public:
    automation::ObjectPtr application;
    automation::ObjectPtr connectRunning() override {
        throw automation::AutomationError(automation::hresult::Fail, "nothing running");
    }
    automation::ObjectPtr createInstance() override { return application; }
};

void BM_CallsPerSheet(benchmark::State& state) {
    const bool withLayouts = state.range(0) == 1;
    // In the user's own application the variables an open would ask about are set and given back around
    // every open; in one Quillon started they are set once.
    const bool started = state.range(1) == 1;
    bench::DrawingsFolder drawings("quillon-callbench", Drawings, withLayouts);

    for (auto _ : state) {
        auto engine = standin::Engine::fromJson(drawings.scenario.dump(), drawings.path.string());
        quillon::testing::EngineLauncher users;
        StartingLauncher own;
        users.application = own.application = engine->application();
        quillon::testing::SilentUi ui;
        autocad::CadConnection connection(started ? static_cast<autocad::CadLauncher&>(own) : users, ui);
        base::StdFileSystem files;
        std::atomic<bool> stop{false};
        QuietDisplay display;
        plotting::PlotRun run(plotting::RunKind::AllListed, connection, files, display, drawings.list, stop,
                              {"Plotter.pc3", "A4", "mono.ctb", 1});
        run.runToEnd();

        long long accesses = 0, sheets = 0, beforeFirstOpen = 0;
        bool opened = false;
        for (const auto& entry : engine->journal()) {
            if (entry.type == standin::JournalEntryType::Plot) sheets += entry.plot.succeeded;
            if (entry.type != standin::JournalEntryType::Access) continue;
            ++accesses;
            opened = opened || entry.access.member == "Open";
            beforeFirstOpen += !opened;
        }
        state.counters["calls_per_drawing"] = static_cast<double>(accesses) / Drawings;
        state.counters["calls_per_sheet"] = sheets ? static_cast<double>(accesses) / static_cast<double>(sheets) : 0;
        // What connecting costs once per run, before the first drawing opens; the rest is the drawings'.
        state.counters["calls_before_first_open"] = static_cast<double>(beforeFirstOpen);
        state.counters["sheets"] = static_cast<double>(sheets);
        state.counters["failed"] = display.failures;
    }
}

BENCHMARK(BM_CallsPerSheet)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"layouts", "started"})
    ->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
