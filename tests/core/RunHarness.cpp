#include "RunHarness.h"

#include <nlohmann/json.hpp>

namespace quillon::testing {

namespace {

std::atomic<std::uint64_t> nextId{1};

// The run's rows as the window would show them, and a hook on each.
class ReactingRows final : public RecordingDisplay {
public:
    ReactingRows(std::string scratch, std::function<void()>& onRow) : RecordingDisplay(std::move(scratch)), onRow_(onRow) {}
    void showOutcome(int entry, const DrawingOutcome& outcome) override {
        RecordingDisplay::showOutcome(entry, outcome);
        if (onRow_) onRow_();
    }

private:
    std::function<void()>& onRow_;
};

}  // namespace

std::shared_ptr<standin::Engine> officeApplication(const std::string& folder) {
    const nlohmann::json scenario = {
        {"devices",
         {{{"name", "Plotter.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}},
          {{"name", "DWG To PDF.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}}}},
        {"defaultDevice", "Plotter.pc3"},
        {"plotStyleTables", {"mono.ctb"}}};
    return standin::Engine::fromJson(scenario.dump(), folder);
}

ThreadSession::ThreadSession(const run::SessionSpec& spec, autocad::CadLauncher& launcher, base::FileSystem& files)
    : id_(nextId++),
      mailbox_(base::TaskMailbox::childOf(spec.mailbox)),
      monitor_(std::make_shared<autocad::CallMonitor>()),
      owed_(spec.owed),
      watchdog_(spec.announceAfter, spec.limit, spec.openLimit),
      thread_([this, &launcher, &files] { loop(launcher, files); }) {}

ThreadSession::~ThreadSession() {
    mailbox_->close();
    release();
    thread_.join();
}

void ThreadSession::loop(autocad::CadLauncher& launcher, base::FileSystem& files) {
    autocad::CadSession session(launcher, mailbox_, ui_, monitor_, files, owed_);
    for (;;) {
        Task task;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return !tasks_.empty() || finishing_; });
            if (tasks_.empty()) break;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task(session);
    }
    ended_ = true;
}

void ThreadSession::post(Task task) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (givenUp_) return;
    tasks_.push_back(std::move(task));
    wake_.notify_one();
}

void ThreadSession::giveUp() {
    std::lock_guard<std::mutex> lock(mutex_);
    givenUp_ = true;
    mailbox_->close();
    tasks_.clear();
    finishing_ = true;
    wake_.notify_one();
}

void ThreadSession::release() {
    std::lock_guard<std::mutex> lock(mutex_);
    finishing_ = true;
    wake_.notify_one();
}

std::optional<std::string> FolderReports::begin(const plotting::PlotSetup&) {
    std::filesystem::create_directories(folder_);
    last_ = folder_ / ("run " + std::to_string(++runs_) + ".csv");
    std::vector<std::filesystem::path> copies;
    if (copy_) copies.emplace_back(*copy_);
    report_ = std::make_shared<plotting::RunReport>(last_, !part_.empty(), std::move(copies));
    problem_ = report_->problem();
    return problem_;
}

void FolderReports::addRow(const plotting::ReportRow& row) {
    if (!report_) return;
    plotting::ReportRow ofPart = row;
    ofPart.part = part_;
    report_->add(ofPart);
}

void FolderReports::end() {
    if (!report_) return;
    report_->finish();
    written_ = report_->written();
    if (report_->problem()) problem_ = report_->problem();
    report_.reset();
}

std::vector<std::pair<std::filesystem::path, std::optional<std::string>>> FolderReports::written() const {
    return report_ ? report_->written() : written_;
}

RunWorld::RunWorld(autocad::CadLauncher& launcher, std::string scratch)
    : scratch_(std::move(scratch)),
      mailbox_(std::make_shared<base::TaskMailbox>([this] {
          std::lock_guard<std::mutex> lock(wakeMutex_);
          posted_ = true;
          wake_.notify_one();
      })),
      sessions_(launcher),
      reports_(std::filesystem::path(scratch_) / "reports"),
      status_([](const std::string&) {}, [](const std::string&) {}) {
    run::RunSettings settings;
    settings.callTimeout = std::chrono::seconds(60);
    settings.openTimeout = std::chrono::seconds(60);
    runs.start(mailbox_, settings);
}

RunWorld::~RunWorld() { mailbox_->close(); }

std::shared_ptr<plotting::PlotRunDisplay> RunWorld::runDisplay(const run::RunRequest&) {
    auto shown = std::make_shared<ReactingRows>(scratch_, onRow);
    display = shown;
    return shown;
}

void RunWorld::runToEnd(run::RunRequest request) {
    ended = false;
    runs.startRun(std::move(request));
    pumpUntil([this] { return ended; });
}

void RunWorld::pumpUntil(const std::function<bool()>& done) {
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < giveUpAt) {
        {
            std::unique_lock<std::mutex> lock(wakeMutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return posted_; });
            posted_ = false;
        }
        mailbox_->drain();
        runs.watchCalls();
    }
}

}  // namespace quillon::testing
