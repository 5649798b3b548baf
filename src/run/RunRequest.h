#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plotting/job/JobPart.h"
#include "plotting/PlotRules.h"
#include "plotting/PlotRun.h"
#include "plotting/RunDeadline.h"
#include "plotting/RunListSnapshot.h"
#include "plotting/record/JobNames.h"

namespace quillon::run {

// Everything one run needs, decided before it starts: the window builds it from its controls when the user
// presses a Print button, the command line from its job. The run reads nothing else, no control and no
// getter of the window, so a new job field is a field here and its use.
struct RunRequest {
    plotting::RunKind kind = plotting::RunKind::AllListed;
    // Device, paper, plot style table, copies, plot files, sheets, combining, whether every layout is plotted,
    // the purpose (plot or check) and the report a resume takes up.
    plotting::PlotSetup setup;
    // The drawing list as the run takes it: each row's name and folder (with its backslash) and whether it was
    // selected, in the list's order. The rows are the run's entries, numbered from 1.
    std::vector<plotting::RunListSnapshot::Row> rows;
    // The folder listed; empty for a list of drawings.
    std::string listedFolder;
    // What names the plot files: the whole job's listing (a part's run names its files as the whole job
    // would), or what the report a resume takes up recorded. An empty listing stands for the rows.
    plotting::JobNames names;
    // One part of a job (/shard), and the job's folder its drawings' parts are decided from.
    std::optional<plotting::JobPart> part;
    std::string partBase;
    // How many CAD sessions plot side by side.
    int sessions = 1;
    // How often Quillon's own application starts afresh; unset: the setting.
    std::optional<int> restartEvery;
    // The local time the run ends by, as Stop ends it, and what is said then; none: no deadline.
    std::optional<plotting::RunDeadline> deadline;
    std::string deadlineText;
    // Files no step of the run may write over besides the drawings and its own report: the job, the report
    // a resume takes up, the /report copy.
    std::vector<std::string> kept;
    // The command line's job file (empty: a run from the window) and whether that job named a folder; a
    // run's combined file is named after them.
    std::string jobFile;
    bool jobHadFolder = false;

    // The drawings the run plots, each with its entry, in the order it takes them up: from the last row
    // (the order the run has always taken), the selected ones only for a run of the selection.
    std::vector<std::pair<int, std::string>> drawings() const;
    // Every drawing of the list, in its order: what the plot files' names are decided over, unless the
    // request's names carry the whole job's listing.
    std::vector<std::string> listing() const;
};

// The rows of a list of drawings given in the order they are to be plotted: the run takes them up from the
// last row, so the rows are that order backwards. The one place that order is turned round.
std::vector<plotting::RunListSnapshot::Row> rowsInRunOrder(const std::vector<std::string>& paths);

}  // namespace quillon::run
