#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CadTestFakes.h"
#include "RunTestSupport.h"
#include "SlashFileSystem.h"
#include "autocad/CadSession.h"
#include "base/StdFileSystem.h"
#include "plotting/StatusLines.h"
#include "plotting/pdf/PdfFileAccess.h"
#include "plotting/record/RunReport.h"
#include "run/RunCoordinator.h"
#include "run/RunHost.h"

namespace quillon::testing {

// The application the run tests plot with: a plotter and a PDF device, each with A4, and one plot style table.
std::shared_ptr<standin::Engine> officeApplication(const std::string& folder);

// A CAD session on a thread of its own, as the program's are, talking to whatever application the launcher
// gives. Tasks run in the order posted; giving up drops the rest.
class ThreadSession final : public run::RunSession {
public:
    ThreadSession(const run::SessionSpec& spec, autocad::CadLauncher& launcher, base::FileSystem& files);
    ~ThreadSession() override;
    void post(Task task) override;
    autocad::CallMonitor& monitor() override { return *monitor_; }
    autocad::CallWatchdog& watchdog() override { return watchdog_; }
    std::uint64_t id() const override { return id_; }
    bool endApplication() override { return false; }
    bool canEndApplication() const override { return false; }
    bool ended() const override { return ended_.load(); }
    void giveUp() override;
    bool givenUp() const override { return givenUp_; }
    void release() override;

private:
    void loop(autocad::CadLauncher& launcher, base::FileSystem& files);

    std::uint64_t id_;
    std::shared_ptr<base::TaskMailbox> mailbox_;
    std::shared_ptr<autocad::CallMonitor> monitor_;
    std::shared_ptr<autocad::OwedVariables> owed_;
    autocad::CallWatchdog watchdog_;
    SilentUi ui_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
    bool finishing_ = false;
    bool givenUp_ = false;
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

// How often part occurs in text.
inline int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class ThreadSessions final : public run::RunSessions {
public:
    explicit ThreadSessions(autocad::CadLauncher& launcher) : launcher_(launcher) {}
    std::unique_ptr<run::RunSession> make(const run::SessionSpec& spec) override {
        return std::make_unique<ThreadSession>(spec, launcher_, files_);
    }
    void waitForEnd(const std::vector<run::RunSession*>&, std::chrono::milliseconds) override {}

private:
    autocad::CadLauncher& launcher_;
    SlashFileSystem files_;
};

// The reports of a run, kept in a folder of the test's.
class FolderReports final : public run::RunReports {
public:
    explicit FolderReports(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::optional<std::string> begin(const plotting::PlotSetup& setup) override;
    void addRow(const plotting::ReportRow& row) override;
    void end() override;
    std::vector<std::pair<std::filesystem::path, std::optional<std::string>>> written() const override;
    std::optional<std::string> problem() const override { return report_ ? report_->problem() : problem_; }
    void setCopy(std::optional<std::string> path) override { copy_ = std::move(path); }
    std::shared_ptr<plotting::RunReport> current() const override { return report_; }
    void setPart(std::string part) override { part_ = std::move(part); }
    const std::string& part() const override { return part_; }
    const std::filesystem::path& runReport() const override { return last_; }
    std::optional<std::string> checkCopyTarget(const std::string&) const override { return std::nullopt; }
    std::string localTime(std::chrono::system_clock::time_point) const override { return "2026-12-10T22:00:00"; }

private:
    std::filesystem::path folder_;
    std::shared_ptr<plotting::RunReport> report_;
    std::filesystem::path last_;
    std::string part_;
    std::optional<std::string> copy_;
    std::optional<std::string> problem_;
    std::vector<std::pair<std::filesystem::path, std::optional<std::string>>> written_;
    int runs_ = 0;
};

// The program around the runs, for a test: the window's thread is the test's, which drains the mailbox
// until the run it started has ended. Every line told is kept, and so is every outcome shown.
class RunWorld : public run::RunHost, public run::Teller {
public:
    RunWorld(autocad::CadLauncher& launcher, std::string scratch);
    ~RunWorld() override;

    std::vector<std::string> lines;
    std::shared_ptr<RecordingDisplay> display;
    plotting::LocalTime now{2026, 12, 10, 22, 0, 0};
    // Called on the test's thread each time a drawing's row is shown.
    std::function<void()> onRow;
    std::optional<plotting::PlotRun::Ending> ending;
    plotting::PlotRun::Tally tally;
    bool ended = false;

    // Starts the run and runs the window's side (mailbox, the watch's ticks) until it has ended.
    void runToEnd(run::RunRequest request);
    // Runs the window's side until `done` says so (or a minute has passed).
    void pumpUntil(const std::function<bool()>& done);

    run::RunSessions& sessions() override { return sessions_; }
    run::RunReports& reports() override { return reports_; }
    run::Teller& teller() override { return *this; }
    plotting::StatusLines& statusLines() override { return status_; }
    void setStatus(const std::string& text) override { status_.show(text); }
    std::shared_ptr<plotting::PlotRunDisplay> runDisplay(const run::RunRequest&) override;
    std::unique_ptr<plotting::PdfFileAccess> pdfFiles() override { return std::make_unique<plotting::StdPdfFileAccess>(); }
    std::unique_ptr<base::FileSystem> fileSystem() override { return std::make_unique<SlashFileSystem>(); }
    plotting::LocalTime localNow() override { return now; }
    bool closing() const override { return false; }
    bool leaving() const override { return false; }
    void setBusy(bool) override {}
    void showWindow() override {}
    void couldNotStart(const std::string& why) override { lines.push_back("could not start: " + why); }
    void refuseRun(const std::string& why) override { lines.push_back("refused: " + why); ended = true; }
    void runEnded(std::uint64_t, std::optional<plotting::PlotRun::Ending> how,
                  const plotting::PlotRun::Tally& counts) override {
        ending = how;
        tally = counts;
        ended = true;
    }
    void cadThreadLost() override {}
    void cadLost(const std::string& why, bool) override { lines.push_back("lost: " + why); }
    bool leaveWithoutCad() override { return false; }
    void tell(const std::string& title, const std::string& text) override { lines.push_back(title + ": " + text); }
    void line(const std::string& text) override { lines.push_back(text); }

protected:
    std::shared_ptr<base::TaskMailbox> mailbox() const { return mailbox_; }

private:
    std::string scratch_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool posted_ = false;
    std::shared_ptr<base::TaskMailbox> mailbox_;
    ThreadSessions sessions_;
    FolderReports reports_;
    plotting::StatusLines status_;

public:
    // Last: its sessions end before what they use goes.
    run::RunCoordinator runs{*this};
};

}  // namespace quillon::testing
