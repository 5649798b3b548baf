#include "discovery/RowTexts.h"

namespace quillon::discovery {

const std::string& RowTexts::type(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    // Letter case is kept in the key: whether a description depends on it is the system's business.
    std::string extension(dot == std::string_view::npos ? std::string_view() : fileName.substr(dot));
    auto it = types_.find(extension);
    if (it == types_.end()) it = types_.emplace(std::move(extension), services_.types.describe(fileName)).first;
    return it->second;
}

std::string RowTexts::date(std::int64_t fileTimeUtc) {
    const auto local = localTimes_.toLocal(fileTimeUtc);
    if (!local) return {};
    const std::int64_t day = (std::int64_t{local->year} * 16 + local->month) * 32 + local->day;
    auto dayText = days_.find(day);
    if (dayText == days_.end()) dayText = days_.emplace(day, services_.dates.shortDate(*local)).first;
    const int second = (local->hour * 60 + local->minute) * 60 + local->second;
    if (second == 0) return dayText->second;
    auto timeText = times_.find(second);
    if (timeText == times_.end()) timeText = times_.emplace(second, services_.dates.longTime(*local)).first;
    std::string text;
    text.reserve(dayText->second.size() + 1 + timeText->second.size());
    text += dayText->second;
    text += ' ';
    text += timeText->second;
    return text;
}

}  // namespace quillon::discovery
