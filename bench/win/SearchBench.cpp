// Times the drawing search of the Windows program against a bare recursive
// enumeration of the same tree, in one run: the search as the window runs it
// (the Windows file system, the five texts of every row in the user's formats,
// the hand-over to the window's thread, the list model and its virtual list
// view) up to the last row being in the list. Prints times, never judges them.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "discovery/win/DrawingListView.h"
#include "discovery/DrawingList.h"
#include "discovery/DrawingTexts.h"
#include "discovery/RowTexts.h"
#include "discovery/SearchRunner.h"
#include "discovery/win/WinFileSystem.h"
#include "discovery/win/WinFormatters.h"
#include "win/Utf.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;
constexpr UINT kUpdatesMessage = WM_APP + 1;
// The main window's pace while a search runs.
constexpr UINT_PTR kPaceTimer = 1;
constexpr UINT kPaceMs = 40;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::size_t bareEnumeration(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    std::size_t files = 0;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files += bareEnumeration(folder + L"\\" + data.cFileName);
        else
            ++files;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

struct SearchTiming {
    double total = 0;
    double firstRow = 0;
    std::size_t rows = 0;
    std::size_t listUpdates = 0;
    double windowBusy = 0;  // the window's thread taking and showing updates
    double addBusy = 0;     // of which adding rows to the list and its view
    std::uint64_t peakBytes = 0;  // peak private bytes above the start of the search
};

std::uint64_t privateBytes(bool peak) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return peak ? counters.PeakPagefileUsage : counters.PagefileUsage;
}

// The window's side: a hidden top-level window with a virtual list view,
// taking the search's updates when the worker posts, as the main window does.
class Window {
public:
    explicit Window(discovery::CellTexts& texts) : model_(collation_, texts) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuillonSearchBench";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                wc.hInstance, nullptr);
        list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 800,
                                500, hwnd_, nullptr, wc.hInstance, nullptr);
        status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 500, 800, 40, hwnd_, nullptr,
                                  wc.hInstance, nullptr);
        view_.emplace(list_, model_);
        view_->addColumns(96);
    }
    ~Window() { DestroyWindow(hwnd_); }

    SearchTiming search(discovery::SearchRunner& runner, const std::string& folder) {
        view_->clear();
        SearchTiming timing;
        const std::uint64_t before = privateBytes(false);
        const auto start = Clock::now();
        runner.start(discovery::SearchRequest{folder, discovery::search_text::Pattern, true});
        SetTimer(hwnd_, kPaceTimer, kPaceMs, nullptr);
        MSG msg{};
        bool finished = false;
        while (!finished && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message != kUpdatesMessage && msg.message != WM_TIMER) {
                DispatchMessageW(&msg);
                continue;
            }
            const auto busyFrom = Clock::now();
            auto updates = runner.takeUpdates();
            if (!updates.batches.empty()) {
                if (timing.firstRow == 0) timing.firstRow = seconds(Clock::now() - start);
                ++timing.listUpdates;
            }
            const auto addFrom = Clock::now();
            view_->add(std::move(updates.batches));
            if (updates.finished) view_->showCount();
            timing.addBusy += seconds(Clock::now() - addFrom);
            if (updates.status) SetWindowTextW(status_, win::toWide(*updates.status).c_str());
            if (updates.label) SetWindowTextW(status_, win::toWide(*updates.label).c_str());
            finished = updates.finished.has_value();
            timing.windowBusy += seconds(Clock::now() - busyFrom);
        }
        timing.total = seconds(Clock::now() - start);
        KillTimer(hwnd_, kPaceTimer);
        timing.rows = view_->size();
        const std::uint64_t peak = privateBytes(true);
        timing.peakBytes = peak > before ? peak - before : 0;
        return timing;
    }

    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HWND status_ = nullptr;
    discovery::AsciiCaseInsensitiveCollation collation_;
    discovery::DrawingList model_;
    std::optional<discovery::DrawingListView> view_;
};

// Where the time goes: the program's file-system calls alone, and the
// search on this thread with no hand-over.
struct NullSink : discovery::SearchSink {
    void addRow(discovery::DrawingRow) override {}
    void setStatus(const std::string&) override {}
    void setLabel(const std::string&) override {}
};

std::size_t programListing(base::FileSystem& files, const std::string& folder, bool identities) {
    if (identities) files.identity(folder);
    std::size_t count = 0;
    if (auto entries = files.list(folder)) {
        for (const auto& entry : *entries) {
            if (entry.isDirectory)
                count += programListing(files, folder + "\\" + entry.name, identities);
            else
                ++count;
        }
    }
    return count;
}

template <class Work>
double timed(Work&& work) {
    const auto start = Clock::now();
    work();
    return seconds(Clock::now() - start);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillon-search-bench <folder> [runs]\n");
        return 2;
    }
    const std::wstring root = argv[1];
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    discovery::WinFileSystem files;
    discovery::WinNumberFormatter numbers;
    discovery::WinDateTimeFormatter dates;
    discovery::ShellFileTypeNames types;
    // The list's own, on this thread, as the window has them.
    discovery::RowTexts listTexts(discovery::SearchServices{files, numbers, dates, types});
    Window window(listTexts);
    HWND target = window.hwnd();
    discovery::SearchRunner runner(discovery::SearchServices{files, numbers, dates, types},
                                   [target] { PostMessageW(target, kUpdatesMessage, 0, 0); });

    std::printf("tree: %s\n", win::toUtf8(root).c_str());
    std::vector<double> bare;
    std::vector<double> search;
    std::vector<double> ratios;
    std::vector<double> firstRows;
    std::uint64_t peak = 0;
    for (int run = 1; run <= runs; ++run) {
        const auto t0 = Clock::now();
        const std::size_t found = bareEnumeration(root);
        bare.push_back(seconds(Clock::now() - t0));
        const SearchTiming timing = window.search(runner, win::toUtf8(root));
        search.push_back(timing.total);
        ratios.push_back(bare.back() / timing.total);
        firstRows.push_back(timing.firstRow);
        peak = std::max(peak, timing.peakBytes);
        std::printf("run %d: bare %zu files %.3f s; search %zu rows %.3f s (first row %.0f ms, %zu list updates); "
                    "ratio %.2f; window busy %.3f s, adding %.3f s\n",
                    run, found, bare.back(), timing.rows, timing.total, timing.firstRow * 1000, timing.listUpdates,
                    ratios.back(), timing.windowBusy, timing.addBusy);
        std::fflush(stdout);
    }
    if (argc > 3 && std::wstring(argv[3]) == L"--parts") {
        const std::string folder = win::toUtf8(root);
        // Each part beside a bare walk of its own, round after round, so the
        // file system's caches and the machine's load weigh on both alike.
        std::vector<double> bareParts, listing, identities, alone;
        for (int round = 0; round < std::max(runs, 5); ++round) {
            bareParts.push_back(timed([&] { bareEnumeration(root); }));
            listing.push_back(timed([&] { programListing(files, folder, false); }));
            identities.push_back(timed([&] { programListing(files, folder, true); }));
            alone.push_back(timed([&] {
                NullSink sink;
                std::atomic<bool> stop{false};
                discovery::DrawingSearch(discovery::SearchServices{files, numbers, dates, types}, sink, stop)
                    .run({folder, discovery::search_text::Pattern, true});
            }));
        }
        std::printf("parts (median): bare %.3f s, listing %.3f s, listing and identities %.3f s, "
                    "search without hand-over %.3f s\n",
                    median(bareParts), median(listing), median(identities), median(alone));
        discovery::SearchServices services{files, numbers, dates, types};
        discovery::RowTexts texts(services);
        constexpr int kCalls = 100'000;
        const std::int64_t base = discovery::fileTimeFromUtc({2015, 1, 1, 0, 0, 0});
        std::printf("per call: type %.2f us, size %.2f us, date %.2f us\n",
                    timed([&] { for (int i = 0; i < kCalls; ++i) texts.type("Drawing 1.dwg"); }) * 1e6 / kCalls,
                    timed([&] { for (int i = 0; i < kCalls; ++i) texts.size(std::uint64_t{1537} * i); }) * 1e6 / kCalls,
                    timed([&] {
                        for (int i = 0; i < kCalls; ++i) texts.date(base + std::int64_t{i} * 31'536'000'000'000LL / 10'000);
                    }) * 1e6 / kCalls);
        // Times to the second over ten years, as a drawing store has them: few
        // repeat a day's second, so a cache of whole texts seldom helps.
        discovery::RowTexts fresh(services);
        std::uint64_t state = 11;
        const double varied = timed([&] {
            for (int i = 0; i < kCalls; ++i) {
                state = state * 6364136223846793005ULL + 1442695040888963407ULL;
                fresh.date(base + static_cast<std::int64_t>(state >> 33) % (3650LL * 86'400) * 10'000'000);
            }
        });
        std::printf("per call, varied times: date %.2f us\n", varied * 1e6 / kCalls);
    }
    std::printf("median: bare %.3f s, search %.3f s, search over bare %.2f, first row %.0f ms, "
                "peak private memory of the search %.1f MiB\n",
                median(bare), median(search), median(ratios), median(firstRows) * 1000,
                static_cast<double>(peak) / (1024.0 * 1024.0));
    return 0;
}
