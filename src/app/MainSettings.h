#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/SettingsStore.h"

namespace quillon::app {

namespace settings_names {
inline constexpr std::string_view Application = "Quillon";
inline constexpr std::string_view Section = "Settings";
inline constexpr std::string_view MainLeft = "MainLeft";
inline constexpr std::string_view MainTop = "MainTop";
inline constexpr std::string_view MainWidth = "MainWidth";
inline constexpr std::string_view MainHeight = "MainHeight";
inline constexpr std::string_view MainMaximized = "MainMaximized";
inline constexpr std::string_view CadPaper = "CadPaper";
inline constexpr std::string_view CadPrinter = "CadPrinter";
inline constexpr std::string_view CadCTB = "CadCTB";
// Seconds one CAD call may take before Quillon treats the application as hung.
inline constexpr std::string_view CadCallTimeout = "CadCallTimeout";
// Seconds the opening of one drawing may take: past it, the application is taken to wait on a question.
inline constexpr std::string_view CadOpenTimeout = "CadOpenTimeout";
// How many CAD sessions a run plots with side by side.
inline constexpr std::string_view CadSessions = "CadSessions";
// The user's values of the CAD application's profile variables Quillon has changed and not yet given back.
inline constexpr std::string_view CadVariablesOwed = "CadVariablesOwed";
// Quillon's own CAD application is started afresh after this many drawings (0: never), and once its private
// memory passes this many MB (0: no bound).
inline constexpr std::string_view CadRestartEvery = "CadRestartEvery";
inline constexpr std::string_view CadMemoryLimitMB = "CadMemoryLimitMB";
// "1": the window's runs plot only the drawings changed since their last plot.
inline constexpr std::string_view PlotChangedOnly = "PlotChangedOnly";
}  // namespace settings_names

// What the main window remembers between runs: its position and size in
// twips, whether it was maximized, and the last plot choices (paper, device,
// plot style table). Position and size are those of the window when not
// maximized.
struct MainSettings {
    static constexpr double DefaultPosition = 1000.0;
    static constexpr const char* DefaultChoice = "0";

    double mainLeft = DefaultPosition;
    double mainTop = DefaultPosition;
    // Nothing: the designed size.
    std::optional<double> mainWidth;
    std::optional<double> mainHeight;
    bool mainMaximized = false;
    std::string cadPaper = DefaultChoice;
    std::string cadPrinter = DefaultChoice;
    std::string cadCTB = DefaultChoice;
};

// Missing values, and positions that are no usable number, take the defaults.
MainSettings loadMainSettings(const SettingsStore& store);

// Writes nothing at all for a minimized window; the size only when known;
// plot choices only when not empty.
void saveMainSettings(SettingsStore& store, const MainSettings& current, bool minimized);

// How long one CAD call may take: the stored whole number of seconds (1 to
// one day), else ten minutes. Quillon only reads it; users and tests set it.
std::chrono::seconds loadCallTimeout(const SettingsStore& store);
inline constexpr std::chrono::seconds DefaultCallTimeout{600};
// How long opening one drawing may take: the stored whole number of seconds, else two minutes; never more
// than a call may take. An open is shorter than the longest plot: one past it waits on a question the
// application asked (an invalid signature's, which no variable keeps away) that nobody will answer.
std::chrono::seconds loadOpenTimeout(const SettingsStore& store, std::chrono::seconds callTimeout);
inline constexpr std::chrono::seconds DefaultOpenTimeout{120};

// How many CAD sessions a run may plot with at once: the stored number (1
// to MaxCadSessions), else 1. Saved whenever the user changes it.
inline constexpr int MaxCadSessions = 8;
int loadCadSessions(const SettingsStore& store);
void saveCadSessions(SettingsStore& store, int sessions);

// Whether the window's runs plot only changed drawings: "1", anything else not. Saved whenever the user changes it.
bool loadPlotChangedOnly(const SettingsStore& store);
void savePlotChangedOnly(SettingsStore& store, bool onlyChanged);

// When Quillon starts its own application afresh: the stored whole numbers, else every 100 drawings and no
// memory bound. Quillon only reads them; users and tests set them.
struct CadRestartSettings {
    int every = 100;
    std::uint64_t memoryLimitMB = 0;
};
CadRestartSettings loadCadRestarts(const SettingsStore& store);

// A plain decimal whole number from low to high (no sign, no spaces), else nothing.
std::optional<long> wholeNumberIn(std::string_view text, long low, long high);

// A stored position: a finite decimal number within any real desktop.
std::optional<double> parseTwips(std::string_view text);
// The decimal text of a position as a single-precision number: 1000 gives
// "1000", 1234.5 gives "1234.5".
std::string formatTwips(double twips);

}  // namespace quillon::app
