#include "plotting/titleblocks/TitleValuesText.h"

#include <nlohmann/json.hpp>

namespace quillon::plotting {

std::string titleValuesText(const std::vector<std::pair<std::string, std::string>>& values) {
    if (values.empty()) return {};
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    // A tag twice in one block (the application allows it) keeps its first value, as names take it.
    for (const auto& [tag, value] : values)
        if (!object.contains(tag)) object[tag] = value;
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::optional<std::vector<std::pair<std::string, std::string>>> titleValuesFrom(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> values;
    if (text.empty()) return values;
    const auto object = nlohmann::ordered_json::parse(text, nullptr, false);
    if (object.is_discarded() || !object.is_object()) return std::nullopt;
    for (const auto& [tag, value] : object.items()) {
        if (!value.is_string()) return std::nullopt;
        values.emplace_back(tag, value.get<std::string>());
    }
    return values;
}

}  // namespace quillon::plotting
