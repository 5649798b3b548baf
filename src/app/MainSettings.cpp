#include "app/MainSettings.h"

#include <algorithm>

#include <array>
#include <charconv>
#include <cmath>

namespace quillon::app {

namespace names = settings_names;

namespace {

// Far beyond any desktop (about 650,000 pixels at 96 dpi), so only nonsense is refused.
constexpr double MaxTwips = 10'000'000.0;

std::optional<std::string> readValue(const SettingsStore& store, std::string_view key) {
    return store.read(names::Application, names::Section, key);
}

void writeValue(SettingsStore& store, std::string_view key, std::string_view value) {
    store.write(names::Application, names::Section, key, value);
}

double readPosition(const SettingsStore& store, std::string_view key) {
    auto text = readValue(store, key);
    if (!text) return MainSettings::DefaultPosition;
    return parseTwips(*text).value_or(MainSettings::DefaultPosition);
}

std::optional<double> readSize(const SettingsStore& store, std::string_view key) {
    auto text = readValue(store, key);
    return text ? parseTwips(*text) : std::nullopt;
}

std::string readChoice(const SettingsStore& store, std::string_view key) {
    return readValue(store, key).value_or(MainSettings::DefaultChoice);
}

}  // namespace

std::optional<double> parseTwips(std::string_view text) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(value) || std::fabs(value) > MaxTwips) return std::nullopt;
    return value;
}

std::string formatTwips(double twips) {
    auto single = static_cast<float>(twips);
    if (single == 0.0f) return "0";  // never "-0"
    std::array<char, 64> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), single, std::chars_format::fixed);
    if (error != std::errc()) return "0";
    return std::string(buffer.data(), end);
}

MainSettings loadMainSettings(const SettingsStore& store) {
    MainSettings settings;
    settings.mainLeft = readPosition(store, names::MainLeft);
    settings.mainTop = readPosition(store, names::MainTop);
    settings.mainWidth = readSize(store, names::MainWidth);
    settings.mainHeight = readSize(store, names::MainHeight);
    settings.mainMaximized = readValue(store, names::MainMaximized) == "1";
    settings.cadPaper = readChoice(store, names::CadPaper);
    settings.cadPrinter = readChoice(store, names::CadPrinter);
    settings.cadCTB = readChoice(store, names::CadCTB);
    return settings;
}

void saveMainSettings(SettingsStore& store, const MainSettings& current, bool minimized) {
    // A minimized window sits off-screen; the previous run's values, choices included, stay.
    if (minimized) return;
    writeValue(store, names::MainLeft, formatTwips(current.mainLeft));
    writeValue(store, names::MainTop, formatTwips(current.mainTop));
    if (current.mainWidth && current.mainHeight) {
        writeValue(store, names::MainWidth, formatTwips(*current.mainWidth));
        writeValue(store, names::MainHeight, formatTwips(*current.mainHeight));
    }
    writeValue(store, names::MainMaximized, current.mainMaximized ? "1" : "0");
    if (!current.cadPaper.empty()) writeValue(store, names::CadPaper, current.cadPaper);
    if (!current.cadPrinter.empty()) writeValue(store, names::CadPrinter, current.cadPrinter);
    if (!current.cadCTB.empty()) writeValue(store, names::CadCTB, current.cadCTB);
}

std::optional<long> wholeNumberIn(std::string_view text, long low, long high) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::chrono::seconds loadCallTimeout(const SettingsStore& store) {
    const auto text = store.read(settings_names::Application, settings_names::Section, settings_names::CadCallTimeout);
    const auto seconds = text ? wholeNumberIn(*text, 1, 86400) : std::nullopt;
    return seconds ? std::chrono::seconds(*seconds) : DefaultCallTimeout;
}

std::chrono::seconds loadOpenTimeout(const SettingsStore& store, std::chrono::seconds callTimeout) {
    const auto text = store.read(settings_names::Application, settings_names::Section, settings_names::CadOpenTimeout);
    const auto seconds = text ? wholeNumberIn(*text, 1, 86400) : std::nullopt;
    return std::min(seconds ? std::chrono::seconds(*seconds) : DefaultOpenTimeout, callTimeout);
}

CadRestartSettings loadCadRestarts(const SettingsStore& store) {
    CadRestartSettings restarts;
    auto number = [&](std::string_view name, long high) -> std::optional<long> {
        const auto text = store.read(settings_names::Application, settings_names::Section, name);
        return text ? wholeNumberIn(*text, 0, high) : std::nullopt;
    };
    if (const auto every = number(settings_names::CadRestartEvery, 1000000)) restarts.every = static_cast<int>(*every);
    if (const auto limit = number(settings_names::CadMemoryLimitMB, 100000000)) restarts.memoryLimitMB = *limit;
    return restarts;
}

int loadCadSessions(const SettingsStore& store) {
    const auto text = store.read(settings_names::Application, settings_names::Section, settings_names::CadSessions);
    const auto sessions = text ? wholeNumberIn(*text, 1, MaxCadSessions) : std::nullopt;
    return sessions ? static_cast<int>(*sessions) : 1;
}

bool loadPlotChangedOnly(const SettingsStore& store) {
    const auto text = store.read(settings_names::Application, settings_names::Section, settings_names::PlotChangedOnly);
    return text && *text == "1";
}

void savePlotChangedOnly(SettingsStore& store, bool onlyChanged) {
    writeValue(store, settings_names::PlotChangedOnly, onlyChanged ? "1" : "0");
}

void saveCadSessions(SettingsStore& store, int sessions) {
    writeValue(store, settings_names::CadSessions, std::to_string(sessions));
}

}  // namespace quillon::app
