#pragma once

#include <new>

namespace quillon::win {

// Enters a COM apartment for the life of the object: the window's thread
// (shell and imaging objects), each CAD thread and the workers that use the
// shell or the imaging component.
class ComInit {
public:
    // A single-threaded apartment the thread cannot do without: failing to enter it throws.
    ComInit();
    // For a thread that works on without COM, or that may already be in
    // another apartment: never throws, and leaves only what it entered.
    ComInit(unsigned long coinitFlags, std::nothrow_t) noexcept;
    ~ComInit();
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

private:
    bool entered_ = true;
};

}  // namespace quillon::win
