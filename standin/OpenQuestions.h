#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "standin/ProfileVariables.h"
#include "standin/Scenario.h"

namespace quillon::standin {

// The questions the real application asks its user while it opens a drawing:
// each is a modal box inside Documents.Open, which does not return until
// someone answers, unless the profile variable that keeps that question away
// is set. The scenario's answerMilliseconds is when someone answers (never,
// unless given); ending the process releases the call as a dead server.
class OpenQuestions {
public:
    OpenQuestions(const Scenario& scenario, const std::atomic<bool>& killed) : scenario_(scenario), killed_(killed) {}

    // The variables whose values make opening a drawing with these traits ask, as the reference documents
    // them, in the order the boxes come (a drawing may ask more than one question); none: it opens quietly.
    static std::vector<std::string> askingVariables(const OpenTraits& traits, const ProfileVariables& profile);
    // Waits as the box does until it is answered; throws as a dead server once the process is ended.
    void wait() const;

private:
    const Scenario& scenario_;
    const std::atomic<bool>& killed_;
};

}  // namespace quillon::standin
