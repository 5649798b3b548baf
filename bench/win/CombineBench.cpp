// Combining a night's PDF sheets against copying the same files: time and
// peak memory of each, in processes of their own, as ratios (three runs, the
// medians). Run under wine by scripts/bench-combine.
//   quillon-combine-bench.exe <folder> [sheets]          the whole comparison
//   quillon-combine-bench.exe <folder> <sheets> --copy | --combine   one phase, for the comparison
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "plotting/pdf/PdfCombiner.h"
#include "plotting/pdf/win/WinPdfFileAccess.h"
#include "standin/PlotPdf.h"
#include "win/Utf.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

const char* kMedia[] = {"ISO_A1_(841.00_x_594.00_MM)", "ISO_A3_(420.00_x_297.00_MM)", "ANSI_B_(17.00_x_11.00_Inches)"};

fs::path sheetPath(const fs::path& folder, int i) { return folder / L"sheets" / (L"Sheet " + std::to_wstring(i) + L".pdf"); }

// The sheets, once: the stand-in's one-page PDFs, of mixed sizes as a set has them.
void makeSheets(const fs::path& folder, int count) {
    fs::create_directories(folder / L"sheets");
    for (int i = 0; i < count; ++i) {
        const fs::path file = sheetPath(folder, i);
        if (fs::exists(file)) continue;
        standin::writePlotPdf(file, standin::mediaPageSize(kMedia[i % 3], i % 2),
                              {"drawing: Drawing " + std::to_string(i / 3), "layout: Layout" + std::to_string(i % 3),
                               "device: DWG To PDF.pc3", "media: " + std::string(kMedia[i % 3])});
    }
}

double peakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

int phase(const fs::path& folder, int count, bool combine) {
    const fs::path out = folder / (combine ? L"combined" : L"copies");
    fs::remove_all(out);
    fs::create_directories(out);
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    if (combine) {
        std::vector<plotting::CombinedSheet> sheets;
        for (int i = 0; i < count; ++i)
            sheets.push_back({"Drawing " + std::to_string(i / 3), "Layout" + std::to_string(i % 3),
                              win::toUtf8(sheetPath(folder, i).wstring())});
        plotting::WinPdfFileAccess files;
        const auto result = plotting::combinePdfSheets(sheets, win::toUtf8((out / L"Set.pdf").wstring()), files);
        ok = result.kind == plotting::CombineResult::Kind::Combined && result.pages == static_cast<std::size_t>(count);
    } else {
        for (int i = 0; i < count && ok; ++i)
            ok = CopyFileW(sheetPath(folder, i).c_str(), (out / sheetPath(folder, i).filename()).c_str(), FALSE) != 0;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.4f %.1f\n", seconds, peakMegabytes());
    return ok ? 0 : 1;
}

struct Measure {
    double seconds = 0;
    double megabytes = 0;
};

// One phase in a process of its own, so that each peak is its own.
bool runPhase(const fs::path& folder, int count, const wchar_t* which, Measure& measure) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" \"" + folder.wstring() + L"\" " + std::to_wstring(count) + L" " + which;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return false;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    std::string output;
    char buffer[256];
    DWORD got = 0;
    while (started && ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    CloseHandle(read);
    if (!started) return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code == 0 && std::sscanf(output.c_str(), "%lf %lf", &measure.seconds, &measure.megabytes) == 2;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillon-combine-bench <folder> [sheets] [--copy|--combine]\n");
        return 2;
    }
    const fs::path folder = argv[1];
    const int count = argc > 2 ? std::max(1, _wtoi(argv[2])) : 500;
    if (argc > 3) return phase(folder, count, std::wstring(argv[3]) == L"--combine");
    makeSheets(folder, count);
    std::vector<double> copyTime, copyPeak, combineTime, combinePeak;
    for (int run = 1; run <= 3; ++run) {
        Measure copy, combine;
        if (!runPhase(folder, count, L"--copy", copy) || !runPhase(folder, count, L"--combine", combine)) {
            std::fprintf(stderr, "run %d failed\n", run);
            return 1;
        }
        std::printf("run %d: copying %d sheets %.3f s, peak %.1f MB; combining them %.3f s, peak %.1f MB\n", run, count,
                    copy.seconds, copy.megabytes, combine.seconds, combine.megabytes);
        copyTime.push_back(copy.seconds);
        copyPeak.push_back(copy.megabytes);
        combineTime.push_back(combine.seconds);
        combinePeak.push_back(combine.megabytes);
    }
    const double time = median(combineTime), peak = median(combinePeak);
    std::printf("median: combining %d one-page sheets %.3f s (%.3f s per hundred), %.1f x the time of copying them (%.3f s)\n",
                count, time, time * 100.0 / count, time / median(copyTime), median(copyTime));
    std::printf("median: peak memory %.1f MB, %.2f x copying's (%.1f MB)\n", peak, peak / median(copyPeak), median(copyPeak));
    return 0;
}
