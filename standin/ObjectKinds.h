#pragma once

#include <string_view>

namespace quillon::standin {

// The kinds of object a scenario's faults can name. "Block" also covers the
// ModelSpace and PaperSpace blocks.
inline constexpr const char* kObjectKinds[] = {"Application", "Documents", "Document", "Layouts",   "Layout", "Blocks",
                                               "Block",       "ModelSpace", "PaperSpace", "Database", "Plot",
                                               "Preferences", "PreferencesOutput", "BlockReference", "Attribute",
                                               "SelectionSets", "SelectionSet", "SummaryInfo"};

bool objectKindMatches(std::string_view wanted, std::string_view actual);

}  // namespace quillon::standin
