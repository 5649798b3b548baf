#pragma once

#include <optional>
#include <string>

namespace quillon::standin {

// An environment variable as UTF-8; unset and empty both give nothing.
std::optional<std::string> environmentText(const char* name);

// `path` with every "{pid}" replaced by this process's id: several
// instances started from one scenario then each keep their own journal.
std::string withProcessId(std::string path);

}  // namespace quillon::standin
