#pragma once

#include <string_view>

namespace quillon::plotting {

// The words a run report's Outcome column holds. A report is read back by a
// later build, so a word once written stays readable for ever: a new outcome
// is a new entry of outcomeWords(), never a changed one.
namespace outcome_word {
inline constexpr const char* Plotted = "plotted";
inline constexpr const char* PlottedWithWarnings = "plotted with warnings";
inline constexpr const char* Skipped = "skipped";
inline constexpr const char* Failed = "failed";
inline constexpr const char* Stopped = "stopped";
inline constexpr const char* NotStarted = "not started";
// The process ended (killed, power cut) while the drawing was in hand.
inline constexpr const char* StartedNotFinished = "started, not finished";
inline constexpr const char* Ready = "ready";
inline constexpr const char* ReadyWithWarnings = "ready with warnings";
inline constexpr const char* Problems = "problems";
// A combined file's row: every sheet in it, some missing, or no file made (stopped or failed); before
// that, from the run's start, the file the record names is to be made yet.
inline constexpr const char* Combined = "combined";
inline constexpr const char* CombinedWithWarnings = "combined with warnings";
inline constexpr const char* NotCombined = "not combined";
inline constexpr const char* NotCombinedYet = "not combined yet";
// A sheet never set up because its layout was never used: neither a warning nor left for a resume.
inline constexpr const char* LeftOut = "left out";
// A sheet whose file an earlier run made and nothing that shapes it changed since: plotted in full.
inline constexpr const char* UpToDate = "up to date";
// A plot file an earlier plot of the drawing made for a sheet it no longer has (a layout removed or renamed):
// a warning; nothing to plot again, nothing for a set.
inline constexpr const char* Obsolete = "obsolete";
}  // namespace outcome_word

struct OutcomeWord {
    enum class Meaning {
        // The sheet is plotted: a resume does not plot its drawing again for it.
        PlottedInFull,
        // Left to do: a resume plots the drawing again.
        LeftToPlot,
        // A check's word: its run plotted nothing.
        OfACheck,
        // A combined file of a run's sheets: not a drawing, nothing for a resume to plot.
        CombinedFile,
    };
    std::string_view word;
    Meaning meaning;
};

// Every outcome word a run or a check writes, with what it means to a resume.
const OutcomeWord* findOutcomeWord(std::string_view word);

}  // namespace quillon::plotting
