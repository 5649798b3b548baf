#pragma once

namespace quillon::base {

// The character's simple (one-to-one) upper case, as the upper-case table
// Windows compares names with gives it: "ü" gives "Ü", "ß" stays "ß" (no
// "SS"). That table holds only the pairs that map both ways, so "ſ", "ı", "ς"
// and "µ" stay as they are, and has one entry per UTF-16 unit, so characters
// outside the Basic Multilingual Plane stay as they are too.
char32_t upperCaseOf(char32_t c);

}  // namespace quillon::base
