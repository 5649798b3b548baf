#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "plotting/files/PlotFileNaming.h"

namespace quillon::plotting {

// The plot files one run hands to the CAD application, and the names of its
// combined files. The application overwrites an existing file without a word,
// so within a run no path is given out twice: a path already given (compared
// as Windows compares names) comes back with " (2)", " (3)", ... before its
// extension. Sessions plotting side by side share one, so none overwrites
// another's file. A sheet always keeps its pattern's name: a combined file
// whose name a sheet claims moves on to the next free " (n)" name before it is
// ever written, and the record names the file it moved to.
// "Set.pdf" -> "Set (2).pdf": a name's n-th free alternative, " (n)" before its extension.
std::string numberedPlotName(const std::string& wanted, int n);

class PlotFileClaims {
public:
    // The path to plot to for `wanted`, now taken for the rest of the run.
    std::string claim(const std::string& wanted);
    // The first of wanted's " (n)" names not given out in this run that
    // isFree accepts, now taken for the rest of the run.
    std::string claim(const std::string& wanted, const std::function<bool(const std::string&)>& isFree);

    // Gives a path back: nothing was written to it (the application died in the plot), or its drawing is
    // plotted again from the start and replaces its own file.
    void release(const std::string& path);

    // A name the job's record already gives a sheet (a resume's carried rows): taken for the whole run.
    void takeRecorded(const std::string& path);
    // The name a drawing's combined file takes from its drawing's properties: nothing when one it needs is
    // missing (the file keeps the name it has).
    using CombinedNamer = std::function<std::optional<std::string>(const NameValues&)>;
    // A combined file's name, decided at the run's start for its subject (a drawing's path, or the run's folder).
    // One with a namer waits for its drawing to be opened: its name then is decided once, by nameCombined.
    void reserveCombined(const std::string& subject, const std::string& path, CombinedNamer namer = {});
    // The subject's drawing is open: its combined file, while it still waits, takes the name its properties
    // give (its first free " (n)" name), once. False when it was not waiting or a property was missing.
    bool nameCombined(const std::string& subject, const NameValues& values);
    // The subject's drawing is not opened (up to date): its combined file, while it still waits, keeps the
    // name its last plot gave it.
    void nameCombinedAs(const std::string& subject, const std::string& path);
    // Whether the subject's combined file still waits for its drawing to be opened.
    bool combinedWaits(const std::string& subject) const;
    // The combined files in the order reserved, each with the name it has now.
    std::vector<std::pair<std::string, std::string>> combinedFiles() const;
    // How many times a sheet has taken a combined file's name so far.
    std::size_t combinedMoves() const;

    // True the first time the run asks about this folder (Quillon's hidden folder of plots): its leftovers
    // are cleared then, once per run.
    bool firstUseOf(const std::string& folder);

private:
    // Moves the combined file named `folded` to its next free name; under the lock.
    void moveCombinedFrom(const std::string& folded);
    // Gives the combined file at `at` the first free " (n)" name of `wanted`; under the lock.
    void renameCombined(std::size_t at, const std::string& wanted);
    bool takenByAny(const std::string& folded) const { return taken_.count(folded) > 0 || combinedAt_.count(folded) > 0; }

    mutable std::mutex mutex_;
    std::set<std::string> taken_;
    std::vector<std::pair<std::string, std::string>> combined_;
    std::map<std::string, std::size_t> combinedAt_;  // folded name -> its place in combined_
    std::map<std::string, std::pair<std::size_t, CombinedNamer>> waiting_;  // folded subject -> its place, its namer
    std::size_t combinedMoves_ = 0;
    std::set<std::string> usedFolders_;
};

}  // namespace quillon::plotting
