#pragma once

#include <vector>

#include "standin/JsonNode.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// A drawing's block references ("inserts" of model or a layout). A reference to an external
// reference takes neither attributes nor "dynamic": the application has no such thing.
std::vector<InsertDef> readScenarioInserts(const JsonNode& list, const std::vector<XrefDef>& xrefs);

// A drawing's "properties": what its SummaryInfo answers.
DrawingProperties readScenarioProperties(const JsonNode& node);

}  // namespace quillon::standin
