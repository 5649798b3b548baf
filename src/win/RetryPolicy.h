#pragma once

#include <chrono>

namespace quillon::win {

// How long a call that the server rejects as busy is tried again. The CAD
// application refuses calls while it is in a command or a modal dialog, often
// for seconds; past the budget the call fails with a Busy error.
struct RetryPolicy {
    std::chrono::milliseconds budget{60'000};
    std::chrono::milliseconds pause{100};
};

}  // namespace quillon::win
