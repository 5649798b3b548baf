#include "standin/OpenQuestions.h"

#include <chrono>
#include <thread>

#include "automation/AutomationError.h"
#include "standin/Failures.h"

namespace quillon::standin {

std::vector<std::string> OpenQuestions::askingVariables(const OpenTraits& traits, const ProfileVariables& profile) {
    std::vector<std::string> asking;
    // PROXYNOTICE 0: no proxy warning.
    if (traits.proxies && profile.integer("PROXYNOTICE") != 0) asking.push_back("PROXYNOTICE");
    // DWGCHECK 0, 2 and 4 say at most a line on the command line about a file another application saved.
    if (traits.untrusted && profile.integer("DWGCHECK") % 2 == 1) asking.push_back("DWGCHECK");
    // RECOVERAUTO 0 asks before recovering, 1 recovers and then tells in a box. Older releases recover in
    // silence at 2 as well; from 2021 on, 2 asks before recovering too: only 3 is silent under both.
    if (traits.damaged && profile.integer("RECOVERAUTO") < 3) asking.push_back("RECOVERAUTO");
    // SECURELOAD 1 asks before loading code from an untrusted place; 2 never loads it, 0 always does.
    if (traits.code && profile.integer("SECURELOAD") == 1) asking.push_back("SECURELOAD");
    // SIGWARN 1 shows the signature's status for every signed file; 0 still shows it when the signature is
    // invalid, so nothing keeps that question away.
    if ((traits.signature && profile.integer("SIGWARN") != 0) || traits.invalidSignature)
        asking.push_back("SIGWARN");
    // Without an alternate font the application asks which font to use in place of the missing one.
    if (traits.missingFont && profile.get("FONTALT").toText().empty()) asking.push_back("FONTALT");
    return asking;
}


void OpenQuestions::wait() const {
    const auto since = std::chrono::steady_clock::now();
    while (!killed_.load()) {
        if (scenario_.answerMilliseconds &&
            std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(*scenario_.answerMilliseconds))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    failWith(automation::hresult::Disconnected, "The object invoked has disconnected from its clients.");
}

}  // namespace quillon::standin
