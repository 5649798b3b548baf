// What keeping a run's record costs: a run of N drawings of 3 sheets each, its report and a /report copy
// written ahead as the sessions change it (the same RunLedger, RunRecordWriter and RunReport the program
// uses), with a simulated time per sheet. Prints, for 500, 1,000, 2,000 and 4,000 drawings, Quillon's own
// time in the record (the plot time left out) and the bytes written for it, and the ratio of each to the
// run half its size: a record that grows linearly doubles at most. Printed, never asserted.
//   quillon-record-bench [folder] [ms per sheet]
// Built natively and for Windows (run under wine by bench/record).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "plotting/record/RunLedger.h"
#include "plotting/record/RunRecordWriter.h"

namespace fs = std::filesystem;
using namespace quillon::plotting;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
    double seconds = 0;
    double megabytes = 0;
};

std::string drawingPath(int i) {
    return "\\\\server\\Projects\\2026\\J1234 Tower\\Drawings\\Architecture\\Level " + std::to_string(i / 50) +
           "\\A-" + std::to_string(1000 + i) + " General Arrangement Plan.dwg";
}

Figures run(const fs::path& folder, int drawings, std::chrono::milliseconds perSheet) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    PlotSetup setup{"DWG To PDF.pc3", "ISO_A1_(841.00_x_594.00_MM)", "monochrome.ctb", 1};
    setup.files.folder = "\\\\server\\Transmittals\\J1234";
    setup.files.runDate = "2026-12-09";
    std::vector<std::string> paths;
    std::vector<std::pair<int, std::string>> entries;
    for (int i = 0; i < drawings; ++i) {
        paths.push_back(drawingPath(i));
        entries.emplace_back(drawings - i, paths.back());
    }
    Clock::duration own{};
    auto timed = [&](auto&& step) {
        const auto start = Clock::now();
        step();
        own += Clock::now() - start;
    };
    std::shared_ptr<RunReport> report;
    std::shared_ptr<RunRecordWriter> record;
    std::unique_ptr<RunLedger> ledger;
    timed([&] {
        decideRunNames(setup, {}, paths);
        setup.files.claims = std::make_shared<PlotFileClaims>();
        report = std::make_shared<RunReport>(folder / "Quillon run 2026-12-09 01-00-00.csv", false,
                                             std::vector<fs::path>{folder / "night.csv"});
        record = std::make_shared<RunRecordWriter>(report, setup, JobNames{}, paths, CombineNaming{}, setup.files.claims, "",
                                                   [](std::chrono::system_clock::time_point) { return std::string("2026-12-09T01:00:00"); });
        ledger = std::make_unique<RunLedger>(entries, [&](const std::vector<DrawingOutcome>& r, std::size_t c) {
            return record->write(r, c);
        });
        ledger->begin();
    });
    for (int i = 0; i < drawings; ++i) {
        timed([&] { ledger->takenUp(0, drawings - i); });
        DrawingOutcome outcome;
        outcome.kind = DrawingOutcome::Kind::LayoutsPlotted;
        outcome.path = paths[static_cast<std::size_t>(i)];
        outcome.started = std::chrono::system_clock::now();
        for (const char* layout : {"A1 Plan", "A1 Sections", "A1 Elevations"}) {
            if (perSheet.count() > 0) std::this_thread::sleep_for(perSheet);
            SheetRecord sheet{layout, setup.files.folder + "\\A-" + std::to_string(1000 + i) + " " + layout + ".pdf", true, {}};
            outcome.sheets.push_back(sheet);
            ++outcome.layoutsTried;
            ++outcome.layoutsPlotted;
        }
        outcome.seconds = 3 * static_cast<double>(perSheet.count()) / 1000;
        timed([&] { ledger->finished(0, drawings - i, outcome); });
    }
    timed([&] {
        ledger->close("", "");
        record->finish();
    });
    return {std::chrono::duration<double>(own).count(), static_cast<double>(report->bytesWritten()) / 1e6};
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "quillon-record-bench";
    const auto perSheet = std::chrono::milliseconds(argc > 2 ? std::atoi(argv[2]) : 0);
    std::printf("the record of a run of N drawings of 3 sheets, a report and its /report copy, %lld ms per sheet\n",
                static_cast<long long>(perSheet.count()));
    std::printf("%9s %12s %14s %12s %12s\n", "drawings", "seconds", "MB written", "x seconds", "x MB");
    Figures before;
    for (const int drawings : {500, 1000, 2000, 4000}) {
        const Figures now = run(folder, drawings, perSheet);
        if (before.seconds > 0)
            std::printf("%9d %12.3f %14.2f %12.2f %12.2f\n", drawings, now.seconds, now.megabytes,
                        now.seconds / before.seconds, now.megabytes / before.megabytes);
        else
            std::printf("%9d %12.3f %14.2f %12s %12s\n", drawings, now.seconds, now.megabytes, "", "");
        std::fflush(stdout);
        before = now;
    }
    fs::remove_all(folder);
    return 0;
}
