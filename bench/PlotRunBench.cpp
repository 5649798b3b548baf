#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <new>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "BenchDrawings.h"
#include "CadTestFakes.h"
#include "autocad/CadConnection.h"
#include "autocad/CallMonitor.h"
#include "base/TaskMailbox.h"
#include "plotting/PostingRunDisplay.h"
#include "automation/AutoObject.h"
#include "automation/AutomationError.h"
#include "base/StdFileSystem.h"
#include "plotting/PlotRun.h"
#include "standin/Engine.h"

// A plot run of 500 drawings against the stand-in. The engine lives on a
// thread of its own, reached through proxies, as the real application lives
// in a process of its own: the time spent inside its calls is measured at the
// proxies and taken off the run's total. Heap bytes are counted per thread;
// the proxies copy whatever crosses over, so engine memory is allocated and
// freed on the engine thread and the main thread's count is Quillon's own.
namespace {

std::atomic<long long> quillonHeap{0};
thread_local bool countingThisThread = false;

void* countedAllocation(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    if (countingThisThread) quillonHeap += static_cast<long long>(malloc_usable_size(block));
    return block;
}

void countedRelease(void* block) noexcept {
    if (!block) return;
    if (countingThisThread) quillonHeap -= static_cast<long long>(malloc_usable_size(block));
    std::free(block);
}

}  // namespace

// Plain malloc underneath, so malloc's own statistics stay as they were.
void* operator new(std::size_t size) { return countedAllocation(size); }
void* operator new[](std::size_t size) { return countedAllocation(size); }
void operator delete(void* block) noexcept { countedRelease(block); }
void operator delete[](void* block) noexcept { countedRelease(block); }
void operator delete(void* block, std::size_t) noexcept { countedRelease(block); }
void operator delete[](void* block, std::size_t) noexcept { countedRelease(block); }

namespace {

namespace fs = std::filesystem;
using namespace quillon;
using automation::AutoObject;
using automation::ObjectPtr;
using automation::Value;
using Clock = std::chrono::steady_clock;

constexpr int Drawings = 500;

// Runs every task on one thread, waiting for each.
class EngineThread {
public:
    EngineThread() : thread_([this] { loop(); }) {}
    ~EngineThread() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    // Runs task on the engine thread. An automation failure comes back as a
    // new error made on this thread; the engine's own is freed on its thread.
    void run(const std::function<void()>& task) {
        bool failed = false;
        std::int32_t code = 0;
        char description[512] = {};
        bool done = false;
        // Made and destroyed here, so its memory never changes threads.
        const std::function<void()> guarded = [&] {
            try {
                task();
            } catch (const automation::AutomationError& error) {
                failed = true;
                code = error.code();
                std::snprintf(description, sizeof description, "%s", error.description().c_str());
            }
        };
        {
            std::lock_guard lock(mutex_);
            task_ = &guarded;
            done_ = &done;
        }
        wake_.notify_all();
        {
            std::unique_lock lock(mutex_);
            finished_.wait(lock, [&] { return done; });
        }
        if (failed) throw automation::AutomationError(code, description);
    }

private:
    void loop() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return quit_ || task_; });
            if (quit_) return;
            const auto* task = task_;
            task_ = nullptr;
            lock.unlock();
            (*task)();
            lock.lock();
            *done_ = true;
            finished_.notify_all();
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    const std::function<void()>* task_ = nullptr;
    bool* done_ = nullptr;
    bool quit_ = false;
    std::thread thread_;
};

struct CallClock {
    Clock::duration inside{};
    long long calls = 0;
};

// The client side of an engine object: every access crosses to the engine
// thread and is timed; objects come back as fresh proxies, as COM hands them over.
class TimedProxy : public AutoObject {
public:
    TimedProxy(ObjectPtr target, EngineThread& thread, CallClock& clock)
        : target_(std::move(target)), thread_(thread), clock_(clock) {}
    // The engine keeps its objects weakly: the last reference goes on its thread.
    ~TimedProxy() override {
        thread_.run([this] { target_.reset(); });
    }

    Value get(std::string_view member, std::span<const Value> args) override {
        return timed([&] { return target_->get(member, args); });
    }
    void put(std::string_view member, const Value& value) override {
        const Value inner = unwrap(value);
        timed([&] {
            target_->put(member, inner);
            return Value();
        });
    }
    Value call(std::string_view member, std::span<const Value> args) override {
        return timed([&] { return target_->call(member, args); });
    }
    // Two proxies of one engine object are one object, as COM's identity makes two interfaces of one object
    // one: without it no drawing opened through a proxy is ever the active one.
    bool sameObject(const AutoObject& other) const override {
        const auto* proxy = dynamic_cast<const TimedProxy*>(&other);
        return proxy && target_->sameObject(*proxy->target_);
    }
    std::vector<ObjectPtr> enumerate() override {
        std::vector<ObjectPtr> engineSide;
        const auto start = Clock::now();
        thread_.run([&] { engineSide = target_->enumerate(); });
        std::vector<ObjectPtr> items;
        for (const auto& item : engineSide) items.push_back(std::make_shared<TimedProxy>(item, thread_, clock_));
        thread_.run([&] { std::vector<ObjectPtr>().swap(engineSide); });
        clock_.inside += Clock::now() - start;
        ++clock_.calls;
        return items;
    }

private:
    template <class Fn>
    Value timed(Fn&& fn) {
        Value engineSide;
        const auto start = Clock::now();
        thread_.run([&] { engineSide = fn(); });
        Value result = engineSide.kind() == Value::Kind::Object
                           ? Value(ObjectPtr(std::make_shared<TimedProxy>(engineSide.toObject(), thread_, clock_)))
                           : engineSide;
        thread_.run([&] { engineSide = Value(); });
        clock_.inside += Clock::now() - start;
        ++clock_.calls;
        return result;
    }
    static Value unwrap(const Value& value) {
        if (value.kind() != Value::Kind::Object) return value;
        auto proxy = std::dynamic_pointer_cast<TimedProxy>(value.toObject());
        return proxy ? Value(proxy->target_) : value;
    }
    ObjectPtr target_;
    EngineThread& thread_;
    CallClock& clock_;
};


std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::size_t quillonHeapBytes() { return static_cast<std::size_t>(quillonHeap.load()); }

struct Sample {
    std::size_t rss = 0;
    std::size_t heap = 0;
};

// The window's side of the run: nothing shown, memory sampled as drawings finish.
class SamplingDisplay : public plotting::PlotRunDisplay {
public:
    int done = 0;
    int failures = 0;
    Sample at50, at500;
    void setStatus(const std::string&) override {}
    void repaintStatus() override {}
    void setStatusPanelText(const std::string&) override {}
    void restoreStatusPanel() override {}
    void setProgress(int) override {}
    void setPointer(plotting::Pointer) override {}
    void showInformation(const std::string&, const std::string&) override { ++failures; }
    void showOutcome(int, const plotting::DrawingOutcome& outcome) override {
        if (!outcome.plotted()) ++failures;
        ++done;
        if (done == 50) at50 = {residentBytes(), quillonHeapBytes()};
        if (done == Drawings) at500 = {residentBytes(), quillonHeapBytes()};
    }
};

// The window's thread: drains what the CAD thread posts until the run has ended.
class WindowThreadLoop {
public:
    std::shared_ptr<base::TaskMailbox> mailbox = std::make_shared<base::TaskMailbox>([this] {
        std::lock_guard lock(mutex_);
        posted_ = true;
        wake_.notify_one();
    });
    std::atomic<bool> ended{false};

    void runUntilEnded() {
        while (!ended.load()) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait_for(lock, std::chrono::milliseconds(50), [&] { return posted_; });
                posted_ = false;
            }
            mailbox->drain();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool posted_ = false;
};

// Runs the plot run on a CAD thread of its own, as the program does: every
// display change crosses to this thread through the mailbox.
void runOnCadThread(plotting::PlotRunDisplay& display, const std::function<void(plotting::PlotRunDisplay&)>& run) {
    WindowThreadLoop window;
    std::shared_ptr<plotting::PlotRunDisplay> target(&display, [](plotting::PlotRunDisplay*) {});
    std::thread cad([&] {
        countingThisThread = true;
        {
            plotting::PostingRunDisplay posting(window.mailbox, target);
            run(posting);
        }
        window.mailbox->post([&] { window.ended = true; });
    });
    window.runUntilEnded();
    cad.join();
}

void BM_PlotRun500(benchmark::State& state) {
    const bool withLayouts = state.range(0) == 1;
    const bool cadThread = state.range(1) == 1;
    bench::DrawingsFolder drawings("quillon-plotbench", Drawings, withLayouts);

    for (auto _ : state) {
        EngineThread engineThread;
        std::shared_ptr<standin::Engine> engine;
        engineThread.run(
            [&] { engine = standin::Engine::fromJson(drawings.scenario.dump(), drawings.path.string()); });
        CallClock clock;
        quillon::testing::EngineLauncher launcher;
        engineThread.run([&] { launcher.application = engine->application(); });
        launcher.application = std::make_shared<TimedProxy>(launcher.application, engineThread, clock);

        countingThisThread = true;
        quillon::testing::SilentUi ui;
        auto connection = std::make_unique<autocad::CadConnection>(
            launcher, ui, cadThread ? std::make_shared<autocad::CallMonitor>() : nullptr);
        base::StdFileSystem files;
        std::atomic<bool> stop{false};
        SamplingDisplay display;
        const Sample atStart{residentBytes(), quillonHeapBytes()};

        const auto started = Clock::now();
        const auto runAll = [&](plotting::PlotRunDisplay& shown) {
            plotting::PlotRun run(plotting::RunKind::AllListed, *connection, files, shown, drawings.list, stop,
                                  {"Plotter.pc3", "A4", "mono.ctb", 1});
            run.runToEnd();
        };
        if (cadThread) runOnCadThread(display, runAll);
        else runAll(display);
        const auto total = Clock::now() - started;

        std::vector<standin::JournalEntry> journal;
        engineThread.run([&] { journal = engine->journal(); });
        long long accesses = 0, plots = 0;
        for (const auto& entry : journal) {
            accesses += entry.type == standin::JournalEntryType::Access;
            plots += entry.type == standin::JournalEntryType::Plot;
        }
        using Ms = std::chrono::duration<double, std::milli>;
        const double ownMs = Ms(total - clock.inside).count() / Drawings;
        const double insideMs = Ms(clock.inside).count() / Drawings;
        const double heapGrowthPerDrawing =
            (static_cast<double>(display.at500.heap) - static_cast<double>(display.at50.heap)) / (Drawings - 50);

        state.counters["calls_per_drawing"] = static_cast<double>(accesses) / Drawings;
        state.counters["plots"] = static_cast<double>(plots);
        state.counters["own_ms_per_drawing"] = ownMs;
        state.counters["engine_ms_per_drawing"] = insideMs;
        state.counters["rss_MB_at_50"] = static_cast<double>(display.at50.rss) / (1 << 20);
        state.counters["rss_MB_at_500"] = static_cast<double>(display.at500.rss) / (1 << 20);
        state.counters["own_heap_KB_at_50"] = (static_cast<double>(display.at50.heap) - atStart.heap) / 1024;
        state.counters["own_heap_KB_at_500"] = (static_cast<double>(display.at500.heap) - atStart.heap) / 1024;
        state.counters["own_heap_B_per_drawing"] = heapGrowthPerDrawing;
        state.counters["failed"] = display.failures;

        connection.reset();
        launcher.application.reset();
        countingThisThread = false;
        engineThread.run([&] { engine.reset(); });
    }
}

BENCHMARK(BM_PlotRun500)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"layouts", "cad_thread"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Stop pressed one second into a ten-second open: how long from the press to
// the run's end. The call in progress is waited out; what follows it (closing
// the drawing, the summary) is Quillon's share.
void BM_StopDuringTenSecondCall(benchmark::State& state) {
    constexpr int CallMs = 10000;
    const fs::path folder = fs::temp_directory_path() / ("quillon-stopbench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    bench::NumberedDrawings list(folder.string() + "/", Drawings);
    for (int i = 1; i <= Drawings; ++i) std::ofstream(folder / list.fileName(i)) << "drawing";
    const nlohmann::json scenario = {
        {"devices", {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
        {"defaultDevice", "Plotter.pc3"},
        {"plotStyleTables", {"mono.ctb"}},
        {"faults", {{"slow", {{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", CallMs}}}}}}};
    for (auto _ : state) {
        auto engine = standin::Engine::fromJson(scenario.dump(), folder.string());
        quillon::testing::EngineLauncher launcher;
        launcher.application = engine->application();
        quillon::testing::SilentUi ui;
        auto monitor = std::make_shared<autocad::CallMonitor>();
        autocad::CadConnection connection(launcher, ui, monitor);
        base::StdFileSystem files;
        std::atomic<bool> stop{false};
        SamplingDisplay display;
        Clock::time_point pressed{}, callStarted{};
        std::thread presser([&] {
            for (;;) {
                const auto call = monitor->snapshot();
                if (call.inCall && call.call == "Documents.Open" && Clock::now() - call.since >= std::chrono::seconds(1)) {
                    callStarted = call.since;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            pressed = Clock::now();
            stop = true;
        });
        runOnCadThread(display, [&](plotting::PlotRunDisplay& shown) {
            plotting::PlotRun run(plotting::RunKind::AllListed, connection, files, shown, list, stop,
                                  {"Plotter.pc3", "A4", "mono.ctb", 1});
            run.runToEnd();
        });
        const auto ended = Clock::now();
        presser.join();
        using Ms = std::chrono::duration<double, std::milli>;
        state.counters["stop_to_end_ms"] = Ms(ended - pressed).count();
        state.counters["after_call_returned_ms"] = Ms(ended - (callStarted + std::chrono::milliseconds(CallMs))).count();
        state.counters["drawings_done"] = display.done;
    }
    fs::remove_all(folder);
}

BENCHMARK(BM_StopDuringTenSecondCall)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
