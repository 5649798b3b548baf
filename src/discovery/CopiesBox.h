#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon::discovery {

// The rules of the "Number of Copies" box.
namespace copies_box {

// A typed character is kept only when it is a digit or Backspace; anything
// else is discarded with a beep.
bool acceptsCharacter(char32_t code);

// The new copies count for the box's text: a number greater than 0 and at
// most 32767, rounded to a whole number with halves to even. Nothing (the
// count stays as it was) for text that is no number, for 0 and for larger
// values. Blanks around the number are allowed; a point separates the
// fraction, which pasted text may carry.
std::optional<std::int16_t> countFromText(std::string_view text);

}  // namespace copies_box

}  // namespace quillon::discovery
