#include "standin/JsonNode.h"

#include "standin/ScenarioError.h"

namespace quillon::standin {

namespace {

const char* typeName(const ScenarioJson& v) {
    if (v.is_null()) return "null";
    if (v.is_boolean()) return "a boolean";
    if (v.is_number()) return "a number";
    if (v.is_string()) return "a string";
    if (v.is_array()) return "an array";
    return "an object";
}

// JSON pointer escaping of a key.
std::string escapeKey(std::string_view key) {
    std::string out;
    for (char c : key) {
        if (c == '~') out += "~0";
        else if (c == '/') out += "~1";
        else out += c;
    }
    return out;
}

}  // namespace

JsonNode::JsonNode(const ScenarioJson& value, std::string location) : value_(&value), location_(std::move(location)) {}

std::string JsonNode::where() const { return location_.empty() ? "/" : location_; }

void JsonNode::fail(const std::string& problem) const { throw ScenarioError("scenario: " + problem + " at " + where()); }

void JsonNode::requireObject(std::initializer_list<std::string_view> allowedKeys) const {
    if (!value_->is_object()) fail(std::string("expected an object, found ") + typeName(*value_));
    for (const auto& item : value_->items()) {
        bool known = false;
        for (auto allowed : allowedKeys) known = known || item.key() == allowed;
        if (!known) fail("unknown field \"" + item.key() + "\"");
    }
}

bool JsonNode::has(std::string_view key) const {
    return value_->is_object() && value_->contains(std::string(key)) && !value_->at(std::string(key)).is_null();
}

JsonNode JsonNode::child(std::string_view key) const {
    if (!has(key)) fail("missing required field \"" + std::string(key) + "\"");
    return JsonNode(value_->at(std::string(key)), location_ + "/" + escapeKey(key));
}

std::optional<JsonNode> JsonNode::optionalChild(std::string_view key) const {
    if (!has(key)) return std::nullopt;
    return child(key);
}

std::vector<JsonNode> JsonNode::items() const {
    if (!value_->is_array()) fail(std::string("expected an array, found ") + typeName(*value_));
    std::vector<JsonNode> out;
    for (std::size_t i = 0; i < value_->size(); ++i) out.emplace_back((*value_)[i], location_ + "/" + std::to_string(i));
    return out;
}

std::vector<std::pair<std::string, JsonNode>> JsonNode::fields() const {
    if (!value_->is_object()) fail(std::string("expected an object, found ") + typeName(*value_));
    std::vector<std::pair<std::string, JsonNode>> out;
    for (const auto& item : value_->items()) out.emplace_back(item.key(), JsonNode(item.value(), location_ + "/" + escapeKey(item.key())));
    return out;
}

std::string JsonNode::text() const {
    if (!value_->is_string()) fail(std::string("expected a string, found ") + typeName(*value_));
    return value_->get<std::string>();
}

bool JsonNode::boolean() const {
    if (!value_->is_boolean()) fail(std::string("expected true or false, found ") + typeName(*value_));
    return value_->get<bool>();
}

std::int64_t JsonNode::integer(std::int64_t min, std::int64_t max) const {
    if (!value_->is_number_integer()) fail(std::string("expected a whole number, found ") + typeName(*value_));
    std::int64_t v = 0;
    if (value_->is_number_unsigned()) {
        auto u = value_->get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(max)) fail("number " + std::to_string(u) + " is too large");
        v = static_cast<std::int64_t>(u);
    } else {
        v = value_->get<std::int64_t>();
    }
    if (v < min) fail(v < 0 && min >= 0 ? "negative number " + std::to_string(v) + " not allowed"
                                        : "number " + std::to_string(v) + " is below " + std::to_string(min));
    if (v > max) fail("number " + std::to_string(v) + " is above " + std::to_string(max));
    return v;
}

std::string JsonNode::text(std::string_view key, std::string fallback) const {
    return has(key) ? child(key).text() : std::move(fallback);
}

std::string JsonNode::requiredText(std::string_view key) const { return child(key).text(); }

std::optional<std::string> JsonNode::optionalText(std::string_view key) const {
    if (!has(key)) return std::nullopt;
    return child(key).text();
}

bool JsonNode::boolean(std::string_view key, bool fallback) const { return has(key) ? child(key).boolean() : fallback; }

std::optional<bool> JsonNode::optionalBoolean(std::string_view key) const {
    if (!has(key)) return std::nullopt;
    return child(key).boolean();
}

std::int64_t JsonNode::integer(std::string_view key, std::int64_t fallback, std::int64_t min, std::int64_t max) const {
    return has(key) ? child(key).integer(min, max) : fallback;
}

std::optional<std::int64_t> JsonNode::optionalInteger(std::string_view key, std::int64_t min, std::int64_t max) const {
    if (!has(key)) return std::nullopt;
    return child(key).integer(min, max);
}

}  // namespace quillon::standin
