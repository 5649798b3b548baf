#include "automation/AutoObject.h"

#include <string>

#include "automation/AutomationError.h"

namespace quillon::automation {

std::vector<Value> AutoObject::callWithOut(std::string_view member, std::span<const Value>, std::size_t) {
    throw AutomationError(hresult::NotImplemented,
                          "Not implemented: " + std::string(member) + " answers through arguments by reference");
}

}  // namespace quillon::automation
