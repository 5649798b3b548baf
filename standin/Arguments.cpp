#include "standin/Arguments.h"

#include "automation/AutomationError.h"
#include "standin/Failures.h"

namespace quillon::standin {

namespace hr = automation::hresult;

Arguments::Arguments(std::string_view member, std::span<const automation::Value> args, std::size_t required,
                     std::size_t maximum)
    : args_(args) {
    while (!args_.empty() && args_.back().isMissing()) args_ = args_.first(args_.size() - 1);
    if (args_.size() > maximum)
        failWith(hr::BadParamCount, "Invalid number of parameters: " + std::string(member) + " takes at most " +
                                        std::to_string(maximum));
    for (std::size_t i = 0; i < required; ++i) {
        if (!has(i))
            failWith(hr::ParamNotOptional,
                     "Parameter not optional: argument " + std::to_string(i + 1) + " of " + std::string(member));
    }
}

bool Arguments::has(std::size_t index) const { return index < args_.size() && !args_[index].isMissing(); }

const automation::Value& Arguments::at(std::size_t index) const {
    static const automation::Value missing = automation::Value::missing();
    return index < args_.size() ? args_[index] : missing;
}

std::optional<bool> Arguments::optionalBoolean(std::size_t index) const {
    if (!has(index)) return std::nullopt;
    return boolean(index);
}

std::string Arguments::optionalText(std::size_t index) const { return has(index) ? text(index) : std::string(); }

}  // namespace quillon::standin
