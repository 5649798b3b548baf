#include "standin/SelectionFilter.h"

#include "standin/Failures.h"
#include "standin/Wildcard.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr std::int16_t kObjectType = 0;
constexpr std::int16_t kBlockName = 2;
constexpr std::int16_t kLayer = 8;
constexpr std::int16_t kAttributesFollow = 66;
constexpr std::int16_t kLayoutName = 410;

// The DXF name of the only kind of entity the stand-in's drawings hold objects for.
constexpr const char* kInsert = "INSERT";

bool absent(const Value& v) {
    return v.isMissing() || v.isEmpty() || (v.kind() == Value::Kind::Array && v.toArray().empty());
}

}  // namespace

SelectionFilter SelectionFilter::from(const Value& types, const Value& data) {
    SelectionFilter filter;
    if (absent(types) && absent(data)) return filter;
    if (absent(types) || absent(data)) invalidInput("Invalid argument: FilterType and FilterData go together");
    if (types.kind() != Value::Kind::Array || data.kind() != Value::Kind::Array)
        invalidInput("Invalid argument: FilterType and FilterData are arrays");
    const auto& codes = types.toArray();
    const auto& values = data.toArray();
    if (codes.size() != values.size())
        invalidInput("Invalid argument: FilterType has " + std::to_string(codes.size()) + " codes and FilterData " +
                     std::to_string(values.size()) + " values");
    for (std::size_t i = 0; i < codes.size(); ++i) {
        // The application reads the codes as an array of Integer (16-bit); a Long array is not one.
        if (codes[i].kind() != Value::Kind::Int16)
            invalidInput("Invalid argument: FilterType holds 16-bit integer group codes");
        Condition condition;
        condition.code = std::get<std::int16_t>(codes[i].storage());
        const Value& value = values[i];
        switch (condition.code) {
            case kObjectType:
            case kBlockName:
            case kLayer:
            case kLayoutName:
                if (value.kind() != Value::Kind::Text)
                    invalidInput("Invalid argument: group code " + std::to_string(condition.code) + " takes text");
                condition.pattern = value.toText();
                break;
            case kAttributesFollow: {
                const std::int32_t follows = value.kind() == Value::Kind::Text ? -1 : value.toInt();
                if (follows != 0 && follows != 1) invalidInput("Invalid argument: group code 66 takes 0 or 1");
                condition.flag = follows == 1;
                break;
            }
            default:
                invalidInput("Invalid argument: the stand-in does not filter on group code " +
                             std::to_string(condition.code));
        }
        filter.conditions_.push_back(std::move(condition));
    }
    return filter;
}

bool SelectionFilter::matches(const BlockReferenceModel& reference) const {
    for (const auto& c : conditions_) {
        bool met = false;
        switch (c.code) {
            case kObjectType: met = wildcardMatch(kInsert, c.pattern); break;
            case kBlockName: met = wildcardMatch(reference.name, c.pattern); break;
            case kLayer: met = wildcardMatch(reference.layer, c.pattern); break;
            case kLayoutName: met = wildcardMatch(reference.layoutName, c.pattern); break;
            case kAttributesFollow: met = c.flag == !reference.attributes.empty(); break;
            default: break;
        }
        if (!met) return false;
    }
    return true;
}

}  // namespace quillon::standin
