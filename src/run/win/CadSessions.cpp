#include "run/win/CadSessions.h"

#include "run/win/CadSessionOwner.h"

namespace quillon::run {

std::unique_ptr<RunSession> CadSessions::make(const SessionSpec& spec) {
    return std::make_unique<CadSessionOwner>(spec.mailbox, launcher_, window_, spec.announceAfter, spec.limit,
                                             spec.openLimit, spec.onFailure, spec.owed);
}

void CadSessions::waitForEnd(const std::vector<RunSession*>& sessions, std::chrono::milliseconds bound) {
    // Every session here is one this maker made.
    std::vector<CadSessionOwner*> owners;
    for (RunSession* session : sessions) owners.push_back(static_cast<CadSessionOwner*>(session));
    CadSessionOwner::waitForEnd(owners, bound);
}

}  // namespace quillon::run
