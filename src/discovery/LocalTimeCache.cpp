#include "discovery/LocalTimeCache.h"

namespace quillon::discovery {

namespace {
constexpr std::int64_t TicksPerDay = 86'400LL * 10'000'000;
constexpr std::int64_t TicksPerWeek = 7 * TicksPerDay;
}  // namespace

std::optional<std::int64_t> LocalTimeCache::offsetAt(std::int64_t instant) {
    if (auto it = offsets_.find(instant); it != offsets_.end()) return it->second;
    std::optional<std::int64_t> offset;
    if (auto local = dates_.toLocal(instant)) offset = fileTimeFromUtc(*local) - instant;
    offsets_.emplace(instant, offset);
    return offset;
}

std::optional<std::int64_t> LocalTimeCache::uniformOffset(std::int64_t fileTimeUtc, std::int64_t span) {
    const std::int64_t start = fileTimeUtc - fileTimeUtc % span;
    const auto first = offsetAt(start);
    if (!first) return std::nullopt;
    const auto next = offsetAt(start + span);
    if (!next || *next != *first) return std::nullopt;
    return first;
}

std::optional<LocalTime> LocalTimeCache::toLocal(std::int64_t fileTimeUtc) {
    // Times before 1601 are the formatter's to refuse.
    if (fileTimeUtc < 0) return dates_.toLocal(fileTimeUtc);
    const std::int64_t week = fileTimeUtc / TicksPerWeek;
    if (week == lastWeek_) return utcFromFileTime(fileTimeUtc + lastWeekOffset_);
    Week& known = weeks_[static_cast<std::size_t>(week) % WeekSlots];
    if (known.week != week) {
        known.offset = uniformOffset(fileTimeUtc, TicksPerWeek);
        known.week = week;
    }
    if (const auto offset = known.offset) {
        lastWeek_ = week;
        lastWeekOffset_ = *offset;
        return utcFromFileTime(fileTimeUtc + *offset);
    }
    if (auto offset = uniformOffset(fileTimeUtc, TicksPerDay)) return utcFromFileTime(fileTimeUtc + *offset);
    return dates_.toLocal(fileTimeUtc);
}

}  // namespace quillon::discovery
