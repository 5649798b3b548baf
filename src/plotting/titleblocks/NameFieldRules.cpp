#include "plotting/titleblocks/NameFieldRules.h"

#include <vector>

#include "plotting/files/PlotFileNaming.h"

namespace quillon::plotting {

namespace {

bool takes(const std::vector<std::string>& fields, const char* kind) {
    for (const auto& field : fields)
        if (field.starts_with(kind)) return true;
    return false;
}

}  // namespace

std::optional<std::pair<std::string, std::string>> nameFieldRefusal(const NamePatterns& names) {
    using Refusal = std::pair<std::string, std::string>;
    for (const auto& [field, pattern] : {std::pair<const char*, const std::string&>{"plotFileName", names.plotFileName},
                                         std::pair<const char*, const std::string&>{"bookmarkName", names.bookmarkName}}) {
        const auto fields = valueFields(pattern);
        for (const auto& one : fields) {
            if (one.size() == 5) return Refusal{field, "has {" + one + "} without a name after the colon."};
            if (one.starts_with("attr:") && names.titleBlocks.empty())
                return Refusal{field, "has {" + one + "}, which needs \"titleBlocks\" (the title blocks' name pattern)."};
        }
    }
    const auto combined = valueFields(names.combine.fileName);
    if (names.combine.mode == CombineMode::Run && !combined.empty())
        return Refusal{"combinedFileName", "cannot have {" + combined.front() +
                                               "}: the run's combined file holds every drawing."};
    if (takes(combined, "attr:"))
        return Refusal{"combinedFileName", "cannot have a title block's attribute: a drawing's combined file holds "
                                           "every sheet of it."};
    for (const auto& one : combined)
        if (one.size() == 5) return Refusal{"combinedFileName", "has {" + one + "} without a name after the colon."};
    if (const auto fields = valueFields(names.registerName); !fields.empty())
        return Refusal{"register", "cannot have {" + fields.front() + "}: the register lists every drawing."};
    return std::nullopt;
}

}  // namespace quillon::plotting
