#pragma once

#include <map>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "automation/Value.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// The system variables the real application keeps in the user's profile (the
// registry) rather than in a drawing: a change outlives the application, and
// the next instance starts with it. They persist in a small JSON file when
// the scenario names one (QUILLON_STANDIN_PROFILE overrides it): a change
// writes that one value into it, as the registry keeps each value apart
// (instances running side by side share it); without one they live in memory. A
// value the file lacks, or holds in the wrong type, starts at the
// application's own default (SDI and BACKGROUNDPLOT at the scenario's).
class ProfileVariables {
public:
    ProfileVariables(const Scenario& scenario, std::string path);

    static bool has(std::string_view upperName);
    const automation::Value& get(const std::string& upperName) const { return values_.at(upperName); }
    int integer(const std::string& upperName) const { return values_.at(upperName).toInt(); }
    // The value is already checked; it is written to the file before this returns.
    void set(const std::string& upperName, automation::Value value);
    // The whole numbers each integer variable takes; nothing for a text variable.
    struct Range {
        int min;
        int max;
    };
    static const Range* rangeOf(std::string_view upperName);

private:
    nlohmann::json readFile() const;
    void save(const std::string& upperName) const;

    std::string path_;
    std::map<std::string, automation::Value> values_;
};

}  // namespace quillon::standin
