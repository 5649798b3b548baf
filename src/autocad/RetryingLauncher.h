#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "autocad/CadLauncher.h"

namespace quillon::autocad {

// How patiently Quillon's own application is started.
struct StartPolicy {
    // The waits before the second, third, ... attempt: as many attempts as waits, plus one.
    std::vector<std::chrono::milliseconds> waits{std::chrono::milliseconds(1000), std::chrono::milliseconds(2000)};
    // From the end of one start to the beginning of the next.
    std::chrono::milliseconds spacing{500};
};

// Starts Quillon's own application patiently. A start can fail once for a
// reason that is gone a moment later (two starts at the same moment, the
// server still registering its class, a licence check), so a failed start is
// tried again a few times after a short wait; only one that fails every time
// fails. The starts of every session go through one launcher: they are made
// one at a time, a little apart, never at the same moment. What is not there
// at all (no application registered) is not tried again.
class RetryingLauncher : public CadLauncher {
public:
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    explicit RetryingLauncher(std::shared_ptr<CadLauncher> inner, StartPolicy policy = {}, Sleep sleep = {});

    automation::ObjectPtr connectRunning() override { return inner_->connectRunning(); }
    automation::ObjectPtr createInstance() override;
    std::optional<std::uint32_t> createdProcess() override { return inner_->createdProcess(); }
    std::optional<std::uint32_t> processOfWindow(std::int64_t window) override {
        return inner_->processOfWindow(window);
    }
    std::optional<std::uint64_t> privateMemoryMB(std::uint32_t process) override {
        return inner_->privateMemoryMB(process);
    }
    std::string startNote() override;
    // Made in turn with the starts, a little apart from them, as one more start is.
    std::string startSpare() override;
    // Never while a start is under way, which may be taking one of them just then.
    void endSpares() override;

private:
    // Called holding starting_.
    void keepSpacing();
    // The calling thread's note; an empty one is none.
    void setNote(std::string note);

    std::shared_ptr<CadLauncher> inner_;
    StartPolicy policy_;
    Sleep sleep_;
    // Held for the whole of one start; the end of the last start, for the spacing.
    std::mutex starting_;
    std::chrono::steady_clock::time_point lastEnd_{};
    // Each session starts its applications on its own thread, and asks for its own start's note.
    // Not kept per thread in thread storage: a thread's string there is destroyed unsafely as it ends.
    std::mutex notesMutex_;
    std::map<std::thread::id, std::string> notes_;
};

}  // namespace quillon::autocad
