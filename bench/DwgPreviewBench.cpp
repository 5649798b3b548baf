#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>
#include <vector>

#include "discovery/DwgPreview.h"

namespace {

using quillon::discovery::FileByteSource;
using quillon::discovery::readDwgPreview;

const std::vector<std::string> Samples = {
    "r14_v.dwg",        "sample_2000.dwg", "2004_HatchG.dwg", "2007_ATMOS-DC22S.dwg",
    "2010_gh209_1.dwg", "2013_Arc.dwg",    "2018_Line.dwg",   "r11_entities-2d.dwg"};

std::size_t heapInUse() { return mallinfo2().uordblks; }

// Decoding one sample from its file, as the preview box does; the heap the
// result holds is the peak, since decoding keeps no second copy.
void BM_DwgPreviewDecode(benchmark::State& state) {
    const auto& name = Samples[static_cast<std::size_t>(state.range(0))];
    const std::string path = std::string(QUILLON_TESTDATA_DIR) + "/dwg/" + name;
    state.SetLabel(name);
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        FileByteSource file(path);
        auto preview = readDwgPreview(file);
        const std::size_t after = heapInUse();
        peak = std::max(peak, after > before ? after - before : 0);
        benchmark::DoNotOptimize(preview.pixels.data());
    }
    state.counters["peak_heap_bytes"] = static_cast<double>(peak);
}
BENCHMARK(BM_DwgPreviewDecode)->DenseRange(0, static_cast<int>(Samples.size()) - 1)->Unit(benchmark::kMicrosecond);

}  // namespace
