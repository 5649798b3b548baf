#include "discovery/RowTexts.h"

namespace quillon::discovery {

const SharedText& RowTexts::type(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    // Letter case is kept in the key: whether a description depends on it is the system's business.
    std::string extension(dot == std::string_view::npos ? std::string_view() : fileName.substr(dot));
    auto it = types_.find(extension);
    if (it == types_.end())
        it = types_.emplace(std::move(extension), SharedText(services_.types.describe(fileName))).first;
    return it->second;
}

const RowTexts::Minute& RowTexts::minute(const LocalTime& local) {
    Minute& shape = minutes_[static_cast<std::size_t>(local.hour * 60 + local.minute)];
    if (shape.seconds != Seconds::Unknown) return shape;
    // Three seconds whose digits all differ tell where the seconds are and
    // how they are written; anything the three do not agree on is left to
    // the formatter, second by second.
    LocalTime probe = local;
    probe.second = 12;
    std::string twelve = services_.dates.longTime(probe);
    probe.second = 34;
    const std::string thirtyFour = services_.dates.longTime(probe);
    probe.second = 5;
    const std::string five = services_.dates.longTime(probe);
    shape.seconds = Seconds::Irregular;
    if (twelve == thirtyFour && twelve == five) {
        shape.seconds = Seconds::Hidden;
        shape.before = std::move(twelve);
        return shape;
    }
    if (twelve.size() != thirtyFour.size()) return shape;
    std::size_t at = 0;
    while (at < twelve.size() && twelve[at] == thirtyFour[at]) ++at;
    if (twelve.compare(at, 2, "12") != 0 || thirtyFour.compare(at, 2, "34") != 0 ||
        twelve.compare(at + 2, std::string::npos, thirtyFour, at + 2) != 0)
        return shape;
    std::string before = twelve.substr(0, at);
    std::string after = twelve.substr(at + 2);
    if (five == before + "05" + after)
        shape.seconds = Seconds::TwoDigits;
    else if (five == before + "5" + after)
        shape.seconds = Seconds::Plain;
    else
        return shape;
    shape.before = std::move(before);
    shape.after = std::move(after);
    return shape;
}

const std::string& RowTexts::timeBySecond(const LocalTime& local) {
    const int second = (local.hour * 60 + local.minute) * 60 + local.second;
    auto it = times_.find(second);
    if (it == times_.end()) it = times_.emplace(second, services_.dates.longTime(local)).first;
    return it->second;
}

std::string RowTexts::date(std::int64_t fileTimeUtc) {
    const auto local = localTimes_.toLocal(fileTimeUtc);
    if (!local) return {};
    const std::int64_t key = (std::int64_t{local->year} * 16 + local->month) * 32 + local->day;
    Day& day = days_[static_cast<std::size_t>(key) % DaySlots];
    if (day.key != key) {
        day.text = services_.dates.shortDate(*local);
        day.key = key;
    }
    const std::string& dayText = day.text;
    if (local->hour == 0 && local->minute == 0 && local->second == 0) return dayText;

    const Minute& shape = minute(*local);
    std::string text;
    if (shape.seconds == Seconds::Irregular) {
        const std::string& time = timeBySecond(*local);
        text.reserve(dayText.size() + 1 + time.size());
        text += dayText;
        text += ' ';
        text += time;
        return text;
    }
    text.reserve(dayText.size() + 1 + shape.before.size() + 2 + shape.after.size());
    text += dayText;
    text += ' ';
    text += shape.before;
    if (shape.seconds != Seconds::Hidden) {
        if (local->second >= 10 || shape.seconds == Seconds::TwoDigits)
            text += static_cast<char>('0' + local->second / 10);
        text += static_cast<char>('0' + local->second % 10);
    }
    text += shape.after;
    return text;
}

}  // namespace quillon::discovery
