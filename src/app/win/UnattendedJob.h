#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "plotting/PlotRun.h"

namespace quillon::app {

class MainController;

// The command line's job: loaded once start-up is done, run with no one at
// the window under /run, its outcome told on the console, in the report and
// in the program's exit code.
class UnattendedJob {
public:
    explicit UnattendedJob(MainController& host) : host_(host) {}

    void setCommandLine(CommandLine line) { commandLine_ = std::move(line); }
    const CommandLine& commandLine() const { return commandLine_; }
    // The program's exit code: an unattended run's outcome, else 0.
    int exitCode() const { return exitCode_; }
    bool unattended() const { return unattended_; }

    void startCommandLineJob();
    // The job's drawings are listed: its run starts now.
    void drawingsListed();
    // Tells the user: a message box, or with /run (no one to press OK) the console and Status.
    void tell(const std::string& title, const std::string& text);
    // The CAD application could not be started, for this reason.
    void cadUnavailable(const std::string& why);
    // A run ended, or its CAD application was given up on: with /run, the outcome is told and the program leaves.
    void runEnded(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally);

private:
    void failure(RunExitCode code, const std::string& why);
    // The job's paper checked against the papers of its own device, then the run started.
    void checkPaperThenRun(std::vector<std::string> runOrder);
    // The report copied where /report asks; false (and why on the console) when it could not be.
    bool copyReport();

    MainController& host_;
    CommandLine commandLine_;
    bool unattended_ = false;
    bool commandLineStarted_ = false;
    // A job's drawings are listed; the unattended run starts once they are.
    bool runWhenListed_ = false;
    // A run of one part of a job: the part's drawings are listed in place of the job's.
    bool partListed_ = false;
    // The drawings the run was given, for its exit code.
    int runDrawings_ = 0;
    int exitCode_ = 0;
};

}  // namespace quillon::app
