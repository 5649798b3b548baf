#include "standin/PreferencesObject.h"

#include "standin/Handles.h"

namespace quillon::standin {

namespace {

constexpr MemberDef kMembers[] = {{"Output", MemberKind::ReadOnly}, {"Application", MemberKind::ReadOnly}};

}  // namespace

MemberTable PreferencesObject::members() const { return kMembers; }

automation::Value PreferencesObject::read(std::string_view member) {
    if (member == "Output") return preferencesOutputObject(sharedState());
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

}  // namespace quillon::standin
