#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "discovery/Formatters.h"

namespace quillon::discovery {

// Texts the search shows, word for word.
namespace search_text {
inline constexpr const char* Pattern = "*.DWG";
inline constexpr const char* NoFiles = "No Files Found. Try Again";

// "Searching ... <folder>", a lone carriage return, "Press Cancel to stop search."
std::string searching(std::string_view folder);
std::string foundLabel(std::string_view searchedFolder);
std::string foundStatus(std::size_t count);
// A search that could not go on, with what stopped it.
std::string failed(std::string_view reason);
}  // namespace search_text

// Size in KB: bytes / 1024 rounded to one decimal with halves to even, no
// trailing ".0", in the user's number format, then " KB".
std::string sizeText(std::uint64_t bytes, const NumberFormatter& numbers);

// The user's general date: short date, a blank, long time; the time is left
// out at exactly midnight (to the second, as the time text shows it).
// Empty when the time cannot be converted.
std::string dateText(std::int64_t fileTimeUtc, const DateTimeFormatter& dates);

}  // namespace quillon::discovery
