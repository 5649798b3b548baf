// What deciding which drawings changed costs, without the CAD application: a project of N drawings of
// 1 MB, each with 3 external references of 1 MB (from a pool the drawings share) and a plot file, recorded
// once as a night's run records them (the same ChangeCheck and plot record the program uses); then decided
// again with nothing changed (sizes and times alone), and again after every drawing was touched without
// being changed (each drawing's content read and hashed). Prints each time and its ratio to the goal
// (2 s for 2,000 unchanged drawings; 5 ms a drawing when all were touched). Printed, never asserted.
//   quillon-changed-bench [folder] [drawings]
// Built natively and for Windows (run under wine by bench/changed).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "plotting/changes/ChangeCheck.h"
#ifdef _WIN32
#include "discovery/win/WinFileSystem.h"
#else
#include "SlashFileSystem.h"
#endif

namespace fs = std::filesystem;
using namespace quillon;
using Clock = std::chrono::steady_clock;

namespace {

#ifdef _WIN32
using Files = discovery::WinFileSystem;
#else
// The program's paths have backslashes; the tests' file system reads them as the native separator.
using Files = testing::SlashFileSystem;
#endif

constexpr char Separator = fs::path::preferred_separator;

void writeFile(const fs::path& path, std::size_t bytes, unsigned seed) {
    std::string content(bytes, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (auto& c : content) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    std::ofstream(path, std::ios::binary) << content;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

int main(int argc, char** argv) {
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "quillon-changed-bench";
    const int drawings = argc > 2 ? std::atoi(argv[2]) : 2000;
    constexpr std::size_t MB = 1 << 20;
    constexpr int ReferencePool = 60;
    fs::remove_all(root);
    fs::create_directories(root / "Jobs" / "Refs");
    fs::create_directories(root / "Out");
    const std::string jobs = (root / "Jobs").string() + Separator, out = (root / "Out").string() + Separator;

    std::printf("making %d drawings of 1 MB, %d references of 1 MB and a plot file of 200 KB each ...\n", drawings,
                ReferencePool);
    for (int r = 0; r < ReferencePool; ++r) writeFile(root / "Jobs" / "Refs" / ("ref" + std::to_string(r) + ".dwg"), MB, 100000u + r);
    std::vector<std::string> paths;
    for (int i = 0; i < drawings; ++i) {
        paths.push_back(jobs + "A-" + std::to_string(1000 + i) + ".dwg");
        writeFile(paths.back(), MB, static_cast<unsigned>(i));
        writeFile(out + "A-" + std::to_string(1000 + i) + ".pdf", 200 * 1024, 500000u + i);
    }

    plotting::PlotSetup setup{"DWG To PDF.pc3", "ISO_A1_(841.00_x_594.00_MM)", "monochrome.ctb", 1};
    setup.files.folder = out;
    setup.onlyChanged = true;
    Files files;
    auto local = [](std::chrono::system_clock::time_point) { return std::string("2026-12-10T22:00:00"); };

    // The first night: every drawing plotted and recorded (its content, its references', its file's).
    auto start = Clock::now();
    {
        plotting::ChangeCheck check(setup, "bench.txt", local);
        for (int i = 0; i < drawings; ++i) {
            std::vector<plotting::ReferenceUse> references;
            for (int r = 0; r < 3; ++r)
                references.push_back({"REF" + std::to_string(r), "Refs" + std::string(1, Separator) + "ref" +
                                                                      std::to_string((i + r * 7) % ReferencePool) + ".dwg",
                                      true});
            plotting::DrawingOutcome outcome;
            outcome.kind = plotting::DrawingOutcome::Kind::ModelPlotted;
            plotting::SheetRecord sheet;
            sheet.layout = "Model";
            sheet.plotFile = out + "A-" + std::to_string(1000 + i) + ".pdf";
            sheet.plotted = true;
            outcome.sheets.push_back(sheet);
            check.recordPlot(files, paths[static_cast<std::size_t>(i)], plotting::fileKeyOf(files, paths[static_cast<std::size_t>(i)]),
                             references, outcome);
        }
    }
    const double recorded = secondsSince(start);

    auto decideAll = [&] {
        plotting::ChangeCheck check(setup, "bench.txt", local);
        int upToDate = 0;
        const auto begin = Clock::now();
        for (const auto& path : paths) upToDate += check.decide(files, path).upToDate ? 1 : 0;
        return std::pair(secondsSince(begin), upToDate);
    };
    const auto [unchanged, unchangedUpToDate] = decideAll();

    for (const auto& path : paths) {
#ifdef _WIN32
        const fs::path native = path;
#else
        const fs::path native = Files::slashed(path);
#endif
        fs::last_write_time(native, fs::last_write_time(native) + std::chrono::minutes(1));
    }
    const auto [touched, touchedUpToDate] = decideAll();

    const double scale = drawings / 2000.0;
    std::printf("recording %d plots (hashing drawings, references once, plot files): %.2f s\n", drawings, recorded);
    std::printf("deciding %d unchanged drawings: %.3f s, %d up to date (goal under %.2f s: ratio %.2f)\n", drawings,
                unchanged, unchangedUpToDate, 2.0 * scale, unchanged / (2.0 * scale));
    std::printf("deciding %d drawings touched, not changed: %.2f ms a drawing, %d up to date (goal under 5 ms: ratio %.2f)\n",
                drawings, touched * 1000 / drawings, touchedUpToDate, touched * 1000 / drawings / 5.0);
    fs::remove_all(root);
    return unchangedUpToDate == drawings && touchedUpToDate == drawings ? 0 : 1;
}
