#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "app/CommandLineHost.h"
#include "base/FileSystem.h"
#include "plotting/PlotRun.h"
#include "plotting/job/PlotJobFile.h"
#include "plotting/RunDeadline.h"
#include "run/RunRequest.h"
#include "plotting/record/JobNames.h"
#include "run/Teller.h"

namespace quillon::app {

// The command line's job: loaded once start-up is done, run with no one at
// the window under /run, its outcome told on the console, in the report and
// in the program's exit code.
class CommandLineRun final : public run::Teller {
public:
    explicit CommandLineRun(CommandLineHost& host) : host_(host) {}

    static constexpr const char* ResumeTitle = "Resume Run";

    // With /run, /check or /resume no one is at the window from the very start: nothing is ever asked in a box.
    void setCommandLine(CommandLine line) {
        commandLine_ = std::move(line);
        unattended_ = commandLine_.unattended();
    }
    const CommandLine& commandLine() const { return commandLine_; }
    // The program's exit code: an unattended run's outcome, else 0.
    int exitCode() const { return exitCode_; }
    bool unattended() const { return unattended_; }

    // With /run, /check or /resume, what needs no CAD application is checked before anything can start it: a
    // job refused here ends with exit code 2, and the application is never started.
    void checkBeforeCad();
    void startCommandLineJob();
    // A listing has ended, read to its end or not: if it is the one the job or resume asked for, its run
    // starts now (only over a listing read in full).
    void drawingsListed(std::uint64_t listing, bool complete);
    // Tells the user: a message box, or with /run (no one to press OK) the console and Status.
    void tell(const std::string& title, const std::string& text) override;
    // With /run, a line on the console.
    void line(const std::string& text) override;
    // The CAD application could not be started, for this reason.
    void cadUnavailable(const std::string& why);
    // The CAD application was given up on before any run: with /run, the job ends there.
    void cadLost(const std::string& why);
    // The window goes: with /run, an outcome not told yet is told now (never "all plotted"), report included.
    void leaving();
    // A run ended, or its CAD application was given up on: with /run, the outcome is told and the program leaves.
    void runEnded(std::optional<plotting::PlotRun::Ending> ending, const plotting::PlotRun::Tally& tally);
    // File > Resume Run...: the drawings of that report left over are listed, then plotted again.
    void resumeInWindow(const std::string& report);
    // The run cannot start with these choices: said in Status, or with /run the job ends with exit code 2.
    void refuseRun(const std::string& why);
    // Whether the job being run names a folder (else a list of drawings).
    bool jobHadFolder() const { return jobHadFolder_; }
    // An unattended run of only the changed drawings: nothing at start uses the CAD application, and the
    // checks that need it wait for the first drawing to be opened. Known on the CAD thread once the job
    // was read there (checkBeforeCad's work), before any later start-up work runs there.
    bool connectsLate() const { return connectLate_.load(); }
    // What names the plot files of the run starting now, taken by it (see RunNames).
    plotting::JobNames takeRunNames() { return std::exchange(runNames_, {}); }
    // The files of the command line's job no step of its run may write over: the job or the report it
    // resumes, and the /report copy.
    std::vector<std::string> keptFiles() const;

private:
    void failure(RunExitCode code, const std::string& why, bool close = true);
    // The job read (or made from a report to resume) is checked, applied, and run once its drawings are listed.
    void runJob(const plotting::PlotJobSpec& job);
    // Reads the report to resume on the CAD thread; then() has the job of its left-over drawings.
    void readResume(const std::string& report, bool attended);
    void startListedRun();
    // A resume whose report has nothing left to do (or a part with no drawings): a report of its own carrying
    // the resumed report's rows, exit code 0.
    void nothingLeft(const std::string& resumed, const std::vector<plotting::ReportRow>& carried = {});
    // The job checked as far as it can be before its first drawing opens, then the run started.
    void checkThenRun();
    // What checkBeforeCad refuses, read on the CAD thread before the application is used.
    // onlyChanged: whether the job read plots only changed drawings.
    std::optional<std::string> problemBeforeCad(base::FileSystem& files, bool& onlyChanged) const;
    // Whether the run's report and its /report copy are whole on disk; false (and why on the console) when not.
    bool reportWhole();
    // The console names each file the run's record was written to, and what of it failed.
    void tellWritten();
    // Why /report names what the copy must never overwrite (the job, the report resumed, a drawing).
    std::optional<std::string> reportTargetProblem() const;

    // The time the job's run must end by (the command line's /until, else the job's), and what is said then.
    std::optional<plotting::RunDeadline> deadline_;
    std::string deadlineText_;
    // The run of the command line's job, as its request says: the job's choices, the listing's rows.
    run::RunRequest jobRunRequest() const;

    // Reads the job file; why not, when it cannot be read or used.
    std::optional<std::string> readJob(const std::string& file, plotting::PlotJobSpec& job) const;

    CommandLineHost& host_;
    // The job the command line runs, as applied (named as the application offers); none for the window's resume.
    std::optional<plotting::PlotJobSpec> jobToRun_;
    CommandLine commandLine_;
    bool unattended_ = false;
    // How far the command line's job has come; each stage only ever follows the ones before it. A job told
    // (its outcome on the console, in the report and the exit code) says and runs nothing more.
    enum class Stage { Waiting, Started, PartListed, Told };
    Stage stage_ = Stage::Waiting;
    bool told() const { return stage_ == Stage::Told; }
    // What comes once a job's drawings are listed: nothing, the unattended run, or a resume the user asked for.
    enum class AfterListing { Nothing, UnattendedRun, WindowResume };
    AfterListing afterListing_ = AfterListing::Nothing;
    // The generation of the listing afterListing_ waits for; 0: none.
    std::uint64_t awaited_ = 0;
    // What comes after the listing this apply started (nothing when it started none).
    void awaitListing(AfterListing after, const plotting::PlotJobSpec& job, const std::function<void(const std::string&)>& refused);
    // The report a resumed run takes up; empty for any other run. combineOnly_: every drawing of it was
    // plotted, and only its combined files are to make.
    std::string resumes_;
    bool combineOnly_ = false;
    // The job's folder, against which a drawing's part is decided; empty for a job listing its drawings.
    std::string jobFolder_;
    plotting::JobNames runNames_;
    // The drawings the run was given, for its exit code.
    int runDrawings_ = 0;
    int exitCode_ = 0;
    bool jobHadFolder_ = false;
    std::atomic<bool> connectLate_{false};
    // The /report target could not be written: the kept report alone says why.
    bool copyRefused_ = false;
    // What the program says last when it goes before the outcome was told.
    std::string why_;
};

}  // namespace quillon::app
