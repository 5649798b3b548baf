#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace quillon::base {

// Every error that is caught and carried past, rather than passed on or
// shown, goes through swallowed() with the reason the program may go on
// without it: no error is dropped without one, and the places that drop one
// are all found by that one name. The error in hand (the exception being
// handled) is told to the sink, when one is set, as "why: what".
void swallowed(std::string_view why) noexcept;

// Where swallowed errors are told, one line each (the Windows build: the
// debugger's output); none until one is set. Set it before any thread that
// could swallow an error starts.
using SwallowedSink = void (*)(const std::string& line) noexcept;
void tellSwallowedTo(SwallowedSink sink) noexcept;

// What an error says: what() of a standard exception, fallback for anything else.
std::string describe(const std::exception_ptr& error, std::string_view fallback);

}  // namespace quillon::base
