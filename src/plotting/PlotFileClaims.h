#pragma once

#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace quillon::plotting {

// The plot files one run hands to the CAD application. The application
// overwrites an existing file without a word, so within a run no path is
// given out twice: a path already given (ignoring case and separator style,
// as Windows does) comes back with " (2)", " (3)", ... before its extension.
// Sessions plotting side by side share one, so none overwrites another's file.
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

    // True the first time the run asks about this folder (Quillon's hidden folder of plots): its leftovers
    // are cleared then, once per run.
    bool firstUseOf(const std::string& folder);

private:
    std::mutex mutex_;
    std::set<std::string> taken_;
    std::set<std::string> usedFolders_;
};

}  // namespace quillon::plotting
