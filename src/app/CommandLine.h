#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "plotting/RunDeadline.h"
#include "plotting/job/JobPart.h"

namespace quillon::app {

// What Quillon was started to do:
//   Quillon.exe                                   the window, as always
//   Quillon.exe <job.qjob>                        the window with a job loaded
//   Quillon.exe /run <job.qjob> [/report <file.csv>] [/close] [/shard K/N]
//                                                 the job run without a question asked
//                                                 (with /shard only its K-th of N parts)
//   Quillon.exe /check <job.qjob> [/report <file.csv>] [/close] [/shard K/N]
//                                                 the job's drawings checked: set up, never plotted
//   Quillon.exe /resume <report.csv> [/report <file.csv>] [/close]
//                                                 the drawings an earlier run did not plot in full,
//                                                 plotted again with that run's choices
//   Quillon.exe /combine <report.csv> [<report.csv> ...] [/report <file.csv>] [/close]
//                                                 the job's one set of combined PDFs, from the reports of
//                                                 all its parts (and of their resumes)
//   Quillon.exe /?                                the usage
// and with any of them /sessions <1-8>: the CAD sessions a run plots with; with /run or /check, /changed:
// only the drawings changed since their last plot.
// Options start with "/" or "-" and ignore case.
struct CommandLine {
    enum class Mode { Window, OpenJob, RunJob, CheckJob, ResumeRun, CombineReports, Usage };
    Mode mode = Mode::Window;
    // The plot job, or with /resume the earlier run's report.
    std::string job;
    std::optional<std::string> report;
    // With /combine: the reports of the job's parts.
    std::vector<std::string> reports;
    bool closeWhenDone = false;
    std::optional<int> sessions;
    std::optional<plotting::JobPart> part;
    // /until HH:MM: the run ends as Stop ends it at that local time (the next day's when already past).
    std::optional<plotting::TimeOfDay> until;
    // /changed: only the drawings changed since their last plot are plotted (or, with /check, told).
    bool onlyChanged = false;

    // Run with no one at the window: nothing is ever asked in a box.
    bool unattended() const {
        return mode == Mode::RunJob || mode == Mode::CheckJob || mode == Mode::ResumeRun || mode == Mode::CombineReports;
    }
};

class CommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name, as the shell split them (quotes removed).
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The text "/?" shows, with the exit codes.
std::string commandLineUsage();

// How an unattended run ended, as its exit code.
enum class RunExitCode : int {
    AllPlotted = 0,
    // A warning, a failure, a skip, a drawing not started, no drawing at all.
    SomeNotPlotted = 1,
    BadJobOrArguments = 2,
    CadUnavailable = 3,
    Stopped = 4,
};

}  // namespace quillon::app
