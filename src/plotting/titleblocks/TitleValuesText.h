#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon::plotting {

// A title block's tags and values as the run report keeps them: a JSON object in the block's order
// ({"SHEETNO":"A-101","TITLE":"Ground Floor Plan"}), empty for none. And back; nothing when the text is not one.
std::string titleValuesText(const std::vector<std::pair<std::string, std::string>>& values);
std::optional<std::vector<std::pair<std::string, std::string>>> titleValuesFrom(const std::string& text);

// The register's columns as the report keeps them, tags joined by ';'; and back.
std::string registerColumnsText(const std::vector<std::string>& tags);
std::vector<std::string> registerColumnsFrom(const std::string& text);

// Adds the tag unless the list holds it already, matched as the application matches tags (case ignored).
void addTagOnce(std::vector<std::string>& tags, const std::string& tag);

}  // namespace quillon::plotting
