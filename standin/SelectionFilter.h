#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/Value.h"
#include "standin/BlockReferenceModel.h"

namespace quillon::standin {

// The FilterType and FilterData of a selection: DXF group codes and the values each entity must meet,
// all of them. The stand-in knows the codes a product picks title blocks with: 0 (object type,
// "INSERT"), 2 (block name: the reference's Name, so a dynamic block's anonymous *U one), 8 (layer),
// 66 (attributes follow: 1 or 0) and 410 (layout name, "Model" for model space); text values are
// wild-card patterns. Any other code is refused rather than ignored: ignoring it would select more
// than the application does and hide a product's mistake.
class SelectionFilter {
public:
    // Both or neither given (left out or empty), two arrays of one length, the codes 16-bit integers;
    // else fails with E_INVALIDARG.
    static SelectionFilter from(const automation::Value& types, const automation::Value& data);

    bool matches(const BlockReferenceModel& reference) const;

private:
    struct Condition {
        std::int16_t code = 0;
        std::string pattern;  // text codes
        bool flag = false;    // code 66
    };
    std::vector<Condition> conditions_;
};

}  // namespace quillon::standin
