#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/StdFileSystem.h"
#include "discovery/DrawingList.h"
#include "discovery/DrawingSearch.h"
#include "discovery/DrawingTexts.h"
#include "discovery/RowTexts.h"

namespace {

namespace fs = std::filesystem;
using namespace quillon::discovery;

constexpr int TopFolders = 40;
constexpr int SubFolders = 50;      // per top folder: 2,000 folders in all
constexpr int FilesPerFolder = 50;  // 100,000 files in all
constexpr std::size_t RowCount = 100'000;

// The search speaks Windows paths; the generated tree lives on this machine's file system.
class SlashFileSystem : public quillon::base::FileSystem {
public:
    std::optional<std::vector<quillon::base::DirEntry>> list(const std::string& folder) override {
        return real_.list(native(folder));
    }
    std::optional<quillon::base::FolderIdentity> identity(const std::string& folder) override {
        return real_.identity(native(folder));
    }
    bool fileExists(const std::string& path) override { return real_.fileExists(native(path)); }

private:
    static std::string native(std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    }
    quillon::base::StdFileSystem real_;
};

// The generated tree, made once per run and removed at exit.
class Tree {
public:
    Tree() : root_(fs::temp_directory_path() / ("quillon-bench-tree-" + std::to_string(::getpid()))) {
        for (int t = 0; t < TopFolders; ++t) {
            for (int s = 0; s < SubFolders; ++s) {
                const fs::path folder = root_ / ("Job" + std::to_string(t)) / ("Sheet" + std::to_string(s));
                fs::create_directories(folder);
                for (int f = 0; f < FilesPerFolder; ++f) {
                    const fs::path file = folder / ("Drawing_" + std::to_string(f) + ".dwg");
                    std::ofstream{file};
                    fs::resize_file(file, static_cast<std::uintmax_t>(f) * 1537);
                }
            }
        }
    }
    ~Tree() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::string root() const { return root_.string(); }

private:
    fs::path root_;
};

const Tree& tree() {
    static Tree instance;
    return instance;
}

std::size_t bareEnumeration(quillon::base::FileSystem& files, const std::string& folder) {
    std::size_t count = 0;
    if (auto entries = files.list(folder)) {
        for (const auto& e : *entries) {
            if (e.isDirectory)
                count += bareEnumeration(files, folder + "/" + e.name);
            else
                ++count;
        }
    }
    return count;
}

struct KeepingSink : SearchSink {
    std::vector<DrawingRow> rows;
    void addRow(DrawingRow row) override { rows.push_back(std::move(row)); }
    void setStatus(const std::string&) override {}
    void setLabel(const std::string&) override {}
};

// The search against a bare listing of the same tree, in the same run; the
// ratio is the search's rate over the bare rate (target: at least 0.8).
void BM_SearchAgainstBareEnumeration(benchmark::State& state) {
    const std::string root = tree().root();
    SlashFileSystem files;
    FixedNumberFormatter numbers;
    FixedDateTimeFormatter dates;
    FixedFileTypeNames types;
    SearchServices services{files, numbers, dates, types};
    double bareSeconds = 0;
    double searchSeconds = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bareEnumeration(files, root));
        auto t1 = std::chrono::steady_clock::now();
        KeepingSink sink;
        std::atomic<bool> stop{false};
        found = DrawingSearch(services, sink, stop).run({root, "*.DWG", true}).rows;
        auto t2 = std::chrono::steady_clock::now();
        bareSeconds += std::chrono::duration<double>(t1 - t0).count();
        searchSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["files"] = static_cast<double>(found);
    state.counters["bare_files_per_s"] = static_cast<double>(found) * iterations / bareSeconds;
    state.counters["search_files_per_s"] = static_cast<double>(found) * iterations / searchSeconds;
    state.counters["search_over_bare"] = bareSeconds / searchSeconds;
}
BENCHMARK(BM_SearchAgainstBareEnumeration)->Unit(benchmark::kMillisecond)->Iterations(5);

// The list's texts of size and date, in fixed formats.
struct ListTexts {
    SlashFileSystem files;
    FixedNumberFormatter numbers;
    FixedDateTimeFormatter dates;
    FixedFileTypeNames types;
    RowTexts texts{SearchServices{files, numbers, dates, types}};
};

std::vector<DrawingRow> makeRows() {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint64_t> size(0, 40'000'000);
    std::uniform_int_distribution<std::int64_t> day(0, 3650);
    const auto base = fileTimeFromUtc({2015, 1, 1, 0, 0, 0});
    std::vector<DrawingRow> rows;
    rows.reserve(RowCount);
    for (std::size_t i = 0; i < RowCount; ++i) {
        const auto time =
            base + day(random) * 864'000'000'000LL + static_cast<std::int64_t>(random() % 86400) * 10'000'000;
        rows.push_back(DrawingRow{
            "Drawing " + std::to_string(random() % 1'000'000) + " rev " + std::to_string(i % 7) + ".dwg",
            "\\\\server\\projects\\Job " + std::to_string(i / 50 % 40) + "\\Sheets " + std::to_string(i / 50) + "\\",
            "AutoCAD Drawing", size(random), time});
    }
    return rows;
}

// Sorting 100,000 rows by one column (target: under 150 ms); each
// iteration is one heading click, which sorts the whole list.
void BM_SortRowsByColumn(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    AsciiCaseInsensitiveCollation collation;
    ListTexts texts;
    DrawingList list(collation, texts.texts);
    list.add(makeRows());
    for (auto _ : state) list.clickColumn(column);
    state.SetLabel(std::string("column ") + std::to_string(column));
}
BENCHMARK(BM_SortRowsByColumn)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// Adding 100,000 rows to a sorted list in the batches a search delivers.
void BM_AddRowsWhileSorted(benchmark::State& state) {
    const auto rows = makeRows();
    const auto batch = static_cast<std::size_t>(state.range(0));
    AsciiCaseInsensitiveCollation collation;
    ListTexts texts;
    for (auto _ : state) {
        DrawingList list(collation, texts.texts);
        list.clickColumn(1);
        for (std::size_t i = 0; i < rows.size(); i += batch)
            list.add(
                std::vector<DrawingRow>(rows.begin() + static_cast<std::ptrdiff_t>(i),
                                        rows.begin() + static_cast<std::ptrdiff_t>(std::min(i + batch, rows.size()))));
        benchmark::DoNotOptimize(list.size());
    }
}
BENCHMARK(BM_AddRowsWhileSorted)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Heap per row of a sorted list: its texts and numbers, display order, selection and sort key.
void BM_MemoryPerRow(benchmark::State& state) {
    AsciiCaseInsensitiveCollation collation;
    ListTexts texts;
    double perRow = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        {
            DrawingList list(collation, texts.texts);
            list.add(makeRows());
            list.clickColumn(1);
            perRow = static_cast<double>(mallinfo2().uordblks - before) / RowCount;
        }
    }
    state.counters["bytes_per_row"] = perRow;
}
BENCHMARK(BM_MemoryPerRow)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
