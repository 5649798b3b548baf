#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "discovery/DrawingSearch.h"
#include "discovery/LocalTimeCache.h"

namespace quillon::discovery {

// The type, size and date texts of one search's rows, exactly as
// describe, sizeText and dateText give them. What repeats is asked once: the
// type of each extension, the date text of each day, the time text of each
// second of the day, the time zone's offset of each week. For one thread.
class RowTexts {
public:
    explicit RowTexts(const SearchServices& services) : services_(services), localTimes_(services.dates) {}

    const std::string& type(std::string_view fileName);
    std::string size(std::uint64_t bytes) const { return sizeText(bytes, services_.numbers); }
    std::string date(std::int64_t fileTimeUtc);

private:
    SearchServices services_;  // a copy: it holds only references, and the caller's may be a temporary
    LocalTimeCache localTimes_;
    std::unordered_map<std::string, std::string> types_;  // by the extension with its dot, as written
    std::unordered_map<std::int64_t, std::string> days_;  // year, month and day packed
    std::unordered_map<int, std::string> times_;          // by second of the day
};

}  // namespace quillon::discovery
