#pragma once

#include <optional>
#include <string>

namespace quillon::standin {

// An environment variable as UTF-8; unset and empty both give nothing.
std::optional<std::string> environmentText(const char* name);

}  // namespace quillon::standin
