#pragma once

#include <string>

#include "standin/JsonNode.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// A scenario's injected failures (busy periods, deaths, throwing, slow and hanging members, failing opens),
// checked field by field like the rest of the scenario; drawing filters with a folder resolve against baseDir.
FaultDefs readScenarioFaults(const JsonNode& node, const std::string& baseDir);
// A text field of the scenario that may not be empty.
std::string nonEmptyScenarioText(const JsonNode& node);

}  // namespace quillon::standin
