#include "plotting/titleblocks/TitleValuesText.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "plotting/PlotRules.h"

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

std::string registerColumnsText(const std::vector<std::string>& tags) {
    std::string text;
    for (const auto& tag : tags) text += (text.empty() ? "" : ";") + tag;
    return text;
}

std::vector<std::string> registerColumnsFrom(const std::string& text) {
    std::vector<std::string> tags;
    for (std::size_t at = 0; at < text.size();) {
        const auto cut = std::min(text.find(';', at), text.size());
        if (cut > at) tags.push_back(text.substr(at, cut - at));
        at = cut + 1;
    }
    return tags;
}

void addTagOnce(std::vector<std::string>& tags, const std::string& tag) {
    if (std::none_of(tags.begin(), tags.end(), [&](const std::string& known) { return equalsIgnoreCase(known, tag); }))
        tags.push_back(tag);
}

}  // namespace quillon::plotting
