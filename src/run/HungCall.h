#pragma once

#include <cstdint>
#include <string>

namespace quillon::run {

// A call some CAD session has waited on too long, as the question at exit names it: by the session's number
// and the call's, never by pointer or process id.
struct HungCall {
    std::uint64_t session = 0;
    std::uint64_t callNumber = 0;
    std::string call;
    std::string waited;
    // An application Quillon started and holds a handle to: it can be ended.
    bool endable = false;
};

}  // namespace quillon::run
