#include "autocad/RetryingLauncher.h"

#include <thread>

#include "automation/AutomationError.h"

namespace quillon::autocad {

using automation::AutomationError;

namespace {

std::string reasonOf(const AutomationError& error) {
    return error.description().empty() ? error.what() : error.description();
}

const char* ordinal(std::size_t attempt) {
    static const char* const names[] = {"first", "second", "third", "fourth", "fifth"};
    return attempt >= 1 && attempt <= 5 ? names[attempt - 1] : "last";
}

}  // namespace

RetryingLauncher::RetryingLauncher(std::shared_ptr<CadLauncher> inner, StartPolicy policy, Sleep sleep)
    : inner_(std::move(inner)), policy_(std::move(policy)), sleep_(std::move(sleep)) {
    if (!sleep_) sleep_ = [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); };
}

void RetryingLauncher::keepSpacing() {
    const auto since = std::chrono::steady_clock::now() - lastEnd_;
    if (lastEnd_ != std::chrono::steady_clock::time_point{} && since < policy_.spacing)
        sleep_(std::chrono::duration_cast<std::chrono::milliseconds>(policy_.spacing - since));
}

automation::ObjectPtr RetryingLauncher::createInstance() {
    setNote({});
    std::lock_guard<std::mutex> turn(starting_);
    std::string firstFailure;
    for (std::size_t attempt = 1;; ++attempt) {
        keepSpacing();
        try {
            auto application = inner_->createInstance();
            lastEnd_ = std::chrono::steady_clock::now();
            if (attempt > 1)
                setNote("AutoCAD started at the " + std::string(ordinal(attempt)) + " attempt (the first failed: " +
                        firstFailure + ")");
            return application;
        } catch (const AutomationError& error) {
            lastEnd_ = std::chrono::steady_clock::now();
            if (firstFailure.empty()) firstFailure = reasonOf(error);
            // Nothing registered under the name: no wait brings it.
            if (error.code() == automation::hresult::ClassString) throw;
            if (attempt > policy_.waits.size()) {
                if (attempt == 1) throw;
                throw AutomationError(error.code(), reasonOf(error) + " (" + std::to_string(attempt) + " attempts)");
            }
            sleep_(policy_.waits[attempt - 1]);
        }
    }
}

std::string RetryingLauncher::startNote() {
    std::lock_guard<std::mutex> lock(notesMutex_);
    const auto found = notes_.find(std::this_thread::get_id());
    return found == notes_.end() ? std::string() : found->second;
}

void RetryingLauncher::setNote(std::string note) {
    std::lock_guard<std::mutex> lock(notesMutex_);
    if (note.empty())
        notes_.erase(std::this_thread::get_id());
    else
        notes_[std::this_thread::get_id()] = std::move(note);
}

std::string RetryingLauncher::startSpare() {
    std::lock_guard<std::mutex> turn(starting_);
    keepSpacing();
    // Not tried again: a spare that does not come costs only the wait it was to save.
    std::string failure = inner_->startSpare();
    lastEnd_ = std::chrono::steady_clock::now();
    return failure;
}

void RetryingLauncher::endSpares() {
    std::lock_guard<std::mutex> turn(starting_);
    inner_->endSpares();
}

}  // namespace quillon::autocad
