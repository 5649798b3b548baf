#include "plotting/record/OutcomeWords.h"

#include <algorithm>
#include <iterator>

namespace quillon::plotting {

namespace {

using Meaning = OutcomeWord::Meaning;
namespace w = outcome_word;

constexpr OutcomeWord Words[] = {
    {w::Plotted, Meaning::PlottedInFull},  {w::PlottedWithWarnings, Meaning::PlottedInFull},
    {w::Skipped, Meaning::LeftToPlot},     {w::Failed, Meaning::LeftToPlot},
    {w::Stopped, Meaning::LeftToPlot},     {w::NotStarted, Meaning::LeftToPlot},
    {w::StartedNotFinished, Meaning::LeftToPlot},
    {w::Ready, Meaning::OfACheck},         {w::ReadyWithWarnings, Meaning::OfACheck},
    {w::Problems, Meaning::OfACheck},
    {w::Combined, Meaning::CombinedFile},  {w::CombinedWithWarnings, Meaning::CombinedFile},
    {w::NotCombined, Meaning::CombinedFile},   {w::NotCombinedYet, Meaning::CombinedFile},
    // Left out by the run's own choice: nothing of it is left to plot.
    {w::LeftOut, Meaning::PlottedInFull},
    {w::UpToDate, Meaning::PlottedInFull},
    {w::Obsolete, Meaning::PlottedInFull},
};

}  // namespace

const OutcomeWord* findOutcomeWord(std::string_view word) {
    const auto found = std::find_if(std::begin(Words), std::end(Words), [&](const OutcomeWord& w) { return w.word == word; });
    return found == std::end(Words) ? nullptr : found;
}

}  // namespace quillon::plotting
