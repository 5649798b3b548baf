#include "standin/FaultPlan.h"

#include "standin/ObjectKinds.h"
#include "standin/PathText.h"
#include "standin/TextCase.h"

namespace quillon::standin {

namespace {

bool useOne(std::optional<std::int64_t>& left) {
    if (!left) return true;
    if (*left <= 0) return false;
    --*left;
    return true;
}

}  // namespace

FaultPlan::FaultPlan(FaultDefs defs) : defs_(std::move(defs)) {
    for (const auto& f : defs_.throws) throwsLeft_.push_back(f.count);
    for (const auto& f : defs_.openFails) openFailsLeft_.push_back(f.count);
    crashed_ = defs_.dieAfterCalls && *defs_.dieAfterCalls == 0;
}

void FaultPlan::settle() {
    if (defs_.dieAfterCalls && calls_ >= *defs_.dieAfterCalls) crashed_ = true;
}

std::optional<std::int32_t> FaultPlan::busyCode(std::int64_t callNumber) const {
    for (const auto& b : defs_.busy) {
        if (callNumber > b.afterCalls && callNumber <= b.afterCalls + b.calls) return b.code;
    }
    return std::nullopt;
}

bool FaultPlan::drawingMatches(const std::string& filter, const std::string& fullName, const std::string& name) {
    if (hasFolderPart(filter)) return !fullName.empty() && pathKey(filter) == pathKey(fullName);
    return equalsNoCase(filter, name);
}

std::optional<FaultPlan::InjectedFailure> FaultPlan::takeMemberFault(std::string_view objectKind, std::string_view member,
                                                                     std::string_view access,
                                                                     const DrawingModel* drawing) {
    for (std::size_t i = 0; i < defs_.throws.size(); ++i) {
        const MemberFault& f = defs_.throws[i];
        if (!objectKindMatches(f.object, objectKind) || !equalsNoCase(f.member, member)) continue;
        if (f.access && *f.access != access) continue;
        if (f.drawing && (!drawing || !drawingMatches(*f.drawing, drawing->fullName, drawing->name))) continue;
        if (!useOne(throwsLeft_[i])) continue;
        return InjectedFailure{f.code, f.description};
    }
    return std::nullopt;
}

bool FaultPlan::targetMatches(const std::optional<std::string>& filter, const CallTarget* target) {
    if (!filter) return true;
    return target && drawingMatches(*filter, target->fullName, target->name);
}

int FaultPlan::slowMilliseconds(std::string_view objectKind, std::string_view member, const CallTarget* target) const {
    int total = 0;
    for (const auto& s : defs_.slow) {
        if (objectKindMatches(s.object, objectKind) && equalsNoCase(s.member, member) && targetMatches(s.drawing, target))
            total += s.milliseconds;
    }
    return total;
}

bool FaultPlan::hangs(std::string_view objectKind, std::string_view member, const CallTarget* target) const {
    return matches(defs_.hangs, objectKind, member, target);
}

bool FaultPlan::kills(std::string_view objectKind, std::string_view member, const CallTarget* target) const {
    return matches(defs_.kills, objectKind, member, target);
}

bool FaultPlan::matches(const std::vector<HangingCall>& calls, std::string_view objectKind, std::string_view member,
                        const CallTarget* target) {
    for (const auto& h : calls) {
        if (objectKindMatches(h.object, objectKind) && equalsNoCase(h.member, member) && targetMatches(h.drawing, target))
            return true;
    }
    return false;
}

std::optional<std::string> FaultPlan::takeOpenFailure(const std::string& path) {
    for (std::size_t i = 0; i < defs_.openFails.size(); ++i) {
        const OpenFault& f = defs_.openFails[i];
        if (!drawingMatches(f.drawing, path, fileNameOf(path))) continue;
        if (!useOne(openFailsLeft_[i])) continue;
        return f.description;
    }
    return std::nullopt;
}

}  // namespace quillon::standin
