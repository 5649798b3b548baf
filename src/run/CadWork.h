#pragma once

#include <functional>

#include "autocad/CadSession.h"

namespace quillon::run {

// Work for the first CAD session, run on its thread; what it finds comes back through the session's mailbox.
class CadWork {
public:
    virtual ~CadWork() = default;
    virtual void postCad(std::function<void(autocad::CadSession&)> task) = 0;
};

}  // namespace quillon::run
