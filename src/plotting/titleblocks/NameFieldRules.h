#pragma once

#include <optional>
#include <string>
#include <utility>

#include "plotting/pdf/CombineChoice.h"

namespace quillon::plotting {

// The names a run gives, as a job or the window writes them: which may take a title block's attribute
// ({attr:TAG}) or a drawing property ({prop:Name}).
struct NamePatterns {
    std::string titleBlocks;   // the title blocks' name pattern; empty: none are read
    std::string plotFileName;
    std::string bookmarkName;
    CombineChoice combine{};
    std::string registerName;
};

// The field that may not have what it has, and why ("needs \"titleBlocks\""); nothing when every name can be
// made. A sheet's own names take both kinds; a drawing's combined file its properties only (it holds many
// title blocks); a run's combined file and its register neither (they hold many drawings).
std::optional<std::pair<std::string, std::string>> nameFieldRefusal(const NamePatterns& names);

}  // namespace quillon::plotting
