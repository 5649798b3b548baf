#pragma once

namespace quillon::win {

// Enters a single-threaded apartment for the life of the object. Automation
// of the CAD application happens on the UI thread, which must be an STA.
class ComInit {
public:
    ComInit();
    ~ComInit();
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
};

}  // namespace quillon::win
