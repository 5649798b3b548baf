#pragma once

#include <string>
#include <string_view>

#include "standin/Scenario.h"

namespace quillon::standin {

// Turns scenario JSON into a Scenario, checking every field; anything it
// cannot use throws ScenarioError naming the problem and its JSON location.
class ScenarioParser {
public:
    static Scenario parse(std::string_view json, const std::string& baseDir);
};

}  // namespace quillon::standin
