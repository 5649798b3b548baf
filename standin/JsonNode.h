#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace quillon::standin {

// A scenario document keeps its objects' members in the order written: attributes and custom
// properties are listed in that order.
using ScenarioJson = nlohmann::ordered_json;

// One value of a scenario document together with its JSON-pointer location,
// so every complaint can say where the problem is.
class JsonNode {
public:
    JsonNode(const ScenarioJson& value, std::string location);

    const ScenarioJson& value() const { return *value_; }
    std::string where() const;
    [[noreturn]] void fail(const std::string& problem) const;

    // Checks this is an object and holds no key outside allowedKeys.
    void requireObject(std::initializer_list<std::string_view> allowedKeys) const;
    bool has(std::string_view key) const;
    JsonNode child(std::string_view key) const;
    std::optional<JsonNode> optionalChild(std::string_view key) const;
    std::vector<JsonNode> items() const;
    // An object's members as written, each with its key.
    std::vector<std::pair<std::string, JsonNode>> fields() const;

    std::string text() const;
    bool boolean() const;
    std::int64_t integer(std::int64_t min, std::int64_t max) const;

    std::string text(std::string_view key, std::string fallback) const;
    std::string requiredText(std::string_view key) const;
    std::optional<std::string> optionalText(std::string_view key) const;
    bool boolean(std::string_view key, bool fallback) const;
    std::optional<bool> optionalBoolean(std::string_view key) const;
    std::int64_t integer(std::string_view key, std::int64_t fallback, std::int64_t min, std::int64_t max) const;
    std::optional<std::int64_t> optionalInteger(std::string_view key, std::int64_t min, std::int64_t max) const;

private:
    const ScenarioJson* value_;
    std::string location_;
};

}  // namespace quillon::standin
