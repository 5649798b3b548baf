#pragma once

namespace quillon::base {

// The character's simple (one-to-one) upper case, as the file system's
// upper-case table gives it when Windows compares names: "ü" gives "Ü", "ß"
// stays "ß" (no "SS"), and characters outside the Basic Multilingual Plane
// stay as they are, since that table has one entry per UTF-16 unit.
char32_t upperCaseOf(char32_t c);

}  // namespace quillon::base
