#include "base/Swallowed.h"

#include <atomic>
#include <stdexcept>

namespace quillon::base {

namespace {

std::atomic<SwallowedSink> sink{nullptr};

}  // namespace

void swallowed(std::string_view why) noexcept {
    const SwallowedSink tell = sink.load();
    if (!tell) return;
    try {
        std::string line(why);
        if (auto error = std::current_exception()) line += ": " + describe(error, "an unknown error");
        tell(line);
    } catch (...) {
        // Out of memory while building the line: the error was carried past for its reason all the same.
    }
}

void tellSwallowedTo(SwallowedSink to) noexcept { sink.store(to); }

std::string describe(const std::exception_ptr& error, std::string_view fallback) {
    if (!error) return std::string(fallback);
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        // Not a standard exception: it carries no text of its own.
    }
    return std::string(fallback);
}

}  // namespace quillon::base
