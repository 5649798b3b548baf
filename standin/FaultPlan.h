#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "standin/DrawingModel.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// The scenario's injected faults, and the call counter that times them. Every
// member access counts as one call, refused ones included.
class FaultPlan {
public:
    explicit FaultPlan(FaultDefs defs);

    // Counts an incoming call; returns its number, starting at 1.
    std::int64_t countCall() { return ++calls_; }
    std::int64_t calls() const { return calls_; }
    bool crashed() const { return crashed_; }
    void crash() { crashed_ = true; }
    // Called when a call has finished: the server dies once it has served its quota.
    void settle();

    std::optional<std::int32_t> busyCode(std::int64_t callNumber) const;
    struct InjectedFailure {
        std::int32_t code;
        std::string description;
    };
    // The failure injected into this access, if any; each use counts against the fault's count.
    std::optional<InjectedFailure> takeMemberFault(std::string_view objectKind, std::string_view member,
                                                   std::string_view access, const DrawingModel* drawing);
    // The drawing a call concerns: its object's document, or the file Documents.Open is asked for.
    struct CallTarget {
        std::string fullName;
        std::string name;
    };
    int slowMilliseconds(std::string_view objectKind, std::string_view member, const CallTarget* target) const;
    bool hangs(std::string_view objectKind, std::string_view member, const CallTarget* target) const;
    bool kills(std::string_view objectKind, std::string_view member, const CallTarget* target) const;
    // The description of an injected open failure for this path (empty: use the default).
    std::optional<std::string> takeOpenFailure(const std::string& path);

    // Whether a fault's drawing filter (full path or file name) names this drawing.
    static bool drawingMatches(const std::string& filter, const std::string& fullName, const std::string& name);
    static bool targetMatches(const std::optional<std::string>& filter, const CallTarget* target);

private:
    FaultDefs defs_;
    std::vector<std::optional<std::int64_t>> throwsLeft_;
    static bool matches(const std::vector<HangingCall>& calls, std::string_view objectKind, std::string_view member,
                        const CallTarget* target);
    std::vector<std::optional<std::int64_t>> openFailsLeft_;
    std::int64_t calls_ = 0;
    bool crashed_ = false;
};

}  // namespace quillon::standin
