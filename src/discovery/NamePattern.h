#pragma once

#include <string_view>

namespace quillon::discovery {

// Whether a file's own (long) name matches a pattern of '*' (any run) and
// '?' (one character), ignoring the case of ASCII letters. Unlike the
// system's wildcard search it never looks at 8.3 short names, so "*.DWG"
// does not match "plan.dwgbak".
bool matchesPattern(std::string_view name, std::string_view pattern);

// Whether a folder name passes the "*." rule: names without an extension,
// that is without any dot.
bool hasNoExtension(std::string_view name);

}  // namespace quillon::discovery
