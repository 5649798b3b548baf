#include "standin/PreferencesOutputObject.h"

#include "standin/EngineState.h"
#include "standin/Handles.h"

namespace quillon::standin {

namespace {

constexpr MemberDef kMembers[] = {{"DefaultPlotToFilePath", MemberKind::ReadWrite},
                                  {"Application", MemberKind::ReadOnly}};

}  // namespace

MemberTable PreferencesOutputObject::members() const { return kMembers; }

automation::Value PreferencesOutputObject::read(std::string_view member) {
    if (member == "DefaultPlotToFilePath") return automation::Value(state().defaultPlotToFilePath);
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

void PreferencesOutputObject::write(std::string_view member, const automation::Value& value) {
    if (member == "DefaultPlotToFilePath") {
        state().defaultPlotToFilePath = value.toText();
        return;
    }
    ModelObject::write(member, value);
}

}  // namespace quillon::standin
