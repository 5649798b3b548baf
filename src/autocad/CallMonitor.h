#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace quillon::autocad {

// What the CAD thread is waiting on, read by the window's thread: the
// automation call in progress and since when, and which process serves it.
// The window uses it to say what is waited on and to end a CAD application
// that stopped answering; the CAD thread never waits on the window for it.
class CallMonitor {
public:
    using Clock = std::chrono::steady_clock;

    struct Snapshot {
        bool inCall = false;
        std::string call;  // "Documents.Open"
        Clock::time_point since{};
        std::uint64_t callNumber = 0;
        // The server process, known only for an application Quillon started.
        std::optional<std::uint32_t> serverProcess;
        bool startedByQuillon = false;

        Clock::duration waited(Clock::time_point now) const { return inCall ? now - since : Clock::duration::zero(); }
    };

    void beginCall(std::string call);
    void endCall();
    Snapshot snapshot() const;

    // The application the CAD thread is connected to now.
    void setServer(std::optional<std::uint32_t> process, bool startedByQuillon);
    // Told on the CAD thread whenever the server changes, before anything else can happen to it: the
    // window's side takes hold of the process there and then. Set before the CAD thread starts.
    using ServerObserver = std::function<void(std::optional<std::uint32_t> process, bool startedByQuillon)>;
    void observeServer(ServerObserver observer) { observer_ = std::move(observer); }
    // Ends the application Quillon started, by what the window's side holds of its process; true once it
    // has ended. Set before the CAD thread starts; without it nothing can be ended.
    using ServerEnder = std::function<bool()>;
    void endServerWith(ServerEnder ender) { ender_ = std::move(ender); }
    bool endServer() const { return ender_ && ender_(); }

    // The window ended the server because a call never returned; the drawing
    // in hand is reported with that reason rather than the bare RPC failure.
    void markEndedByWatchdog();
    bool takeEndedByWatchdog();
    // The call in progress when the server was last marked ended ("Documents.Open"); empty when none was.
    std::string endedCall() const;

private:
    mutable std::mutex mutex_;
    Snapshot state_;
    bool endedByWatchdog_ = false;
    std::string endedCall_;
    ServerObserver observer_;
    ServerEnder ender_;
};

}  // namespace quillon::autocad
