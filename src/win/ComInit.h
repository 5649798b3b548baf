#pragma once

namespace quillon::win {

// Enters a single-threaded apartment for the life of the object: the
// window's thread (shell and imaging objects) and each CAD thread.
class ComInit {
public:
    ComInit();
    ~ComInit();
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
};

}  // namespace quillon::win
