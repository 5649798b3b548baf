#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon::base {

// The length in bytes of the well-formed UTF-8 character at text[at], its code
// point in `code`; 0 where the bytes there are no character: a stray or cut
// sequence, an overlong form, a surrogate or a code point past U+10FFFF.
std::size_t utf8CharAt(std::string_view text, std::size_t at, char32_t& code);

// Appends the code point's UTF-8 bytes.
void appendUtf8(std::string& out, char32_t code);

}  // namespace quillon::base
