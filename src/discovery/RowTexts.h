#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "discovery/DrawingRow.h"
#include "discovery/DrawingSearch.h"
#include "discovery/LocalTimeCache.h"

namespace quillon::discovery {

// The type, size and date texts of many rows, exactly as describe,
// sizeText and dateText give them. What repeats is asked once: the type of
// each extension, the date text of each day, the time text around the
// seconds of each minute of the day, the time zone's offset of each week (of
// the days and weeks met lately). For one thread: a search's worker makes
// the types, the list on the window's thread the sizes and dates.
class RowTexts : public CellTexts {
public:
    explicit RowTexts(const SearchServices& services) : services_(services), localTimes_(services.dates) {}

    const SharedText& type(std::string_view fileName);
    std::string size(std::uint64_t bytes) override { return sizeText(bytes, services_.numbers); }
    std::string date(std::int64_t fileTimeUtc) override;

private:
    // How the seconds show in the time texts of one minute of the day. Files
    // are seldom saved in the same second, so texts cached by the second
    // would be asked for nearly once per file; the rest of the text is the
    // same all minute long.
    enum class Seconds : std::uint8_t {
        Unknown,    // not asked yet
        Hidden,     // the time text does not show them
        Plain,      // 5, 12: "s" in a time picture
        TwoDigits,  // 05, 12: "ss"
        Irregular,  // any other shape: texts are asked by the second
    };
    struct Minute {
        Seconds seconds = Seconds::Unknown;
        std::string before;  // the time text before the seconds (all of it when they are hidden)
        std::string after;
    };
    const Minute& minute(const LocalTime& local);
    const std::string& timeBySecond(const LocalTime& local);

    SearchServices services_;  // a copy: it holds only references, and the caller's may be a temporary
    LocalTimeCache localTimes_;
    std::unordered_map<std::string, SharedText> types_;  // by the extension with its dot, as written
    // The date texts of the days last met, each in the slot its day's low
    // bits choose: no hashing or node to chase per file, as the listing
    // between files leaves little of a map in the processor's caches.
    // Sixteen years of days fit without two wanting one slot.
    struct Day {
        std::int64_t key = -1;  // year, month and day packed
        std::string text;
    };
    static constexpr std::size_t DaySlots = 8192;
    std::vector<Day> days_ = std::vector<Day>(DaySlots);
    std::vector<Minute> minutes_ = std::vector<Minute>(24 * 60);  // by minute of the day
    std::unordered_map<int, std::string> times_;                  // by second of the day, for Irregular minutes
};

}  // namespace quillon::discovery
