#pragma once

#include <cstdint>
#include <string>

namespace quillon::standin {

// The engine's ways of refusing a call, each an AutomationError.
[[noreturn]] void failWith(std::int32_t code, std::string description);
// The member ran and could not do what was asked.
[[noreturn]] void failed(std::string description);
// An argument or property value the member does not accept.
[[noreturn]] void invalidInput(std::string description);
// A collection has no item under the name asked for.
[[noreturn]] void keyNotFound();

}  // namespace quillon::standin
