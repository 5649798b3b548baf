#pragma once

#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "automation/Value.h"

namespace quillon::standin {

// How values appear in the journal: plain JSON where JSON has the type,
// objects as {"object": label}, a left-out argument as {"missing": true}.
nlohmann::json valueToJson(const automation::Value& value);
nlohmann::json valuesToJson(std::span<const automation::Value> values);
std::vector<std::string> kindsOf(std::span<const automation::Value> values);

}  // namespace quillon::standin
