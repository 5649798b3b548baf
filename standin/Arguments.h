#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "automation/Value.h"

namespace quillon::standin {

// The arguments of one method call, checked against what the method accepts
// the way type-library dispatch checks them.
class Arguments {
public:
    // Trailing Missing arguments count as left out. Too many fails with
    // BadParamCount, a required one left out with ParamNotOptional.
    Arguments(std::string_view member, std::span<const automation::Value> args, std::size_t required,
              std::size_t maximum);

    bool has(std::size_t index) const;
    const automation::Value& at(std::size_t index) const;
    std::string text(std::size_t index) const { return at(index).toText(); }
    bool boolean(std::size_t index) const { return at(index).toBool(); }
    std::int32_t integer(std::size_t index) const { return at(index).toInt(); }
    std::optional<bool> optionalBoolean(std::size_t index) const;
    std::string optionalText(std::size_t index) const;

private:
    std::span<const automation::Value> args_;
};

}  // namespace quillon::standin
