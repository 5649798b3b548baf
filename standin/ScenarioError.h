#pragma once

#include <stdexcept>

namespace quillon::standin {

// A scenario that cannot be used; the message names the problem and where it is.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace quillon::standin
