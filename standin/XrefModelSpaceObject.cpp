#include "standin/XrefModelSpaceObject.h"

#include "standin/EngineState.h"
#include "standin/Failures.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Name", MemberKind::ReadOnly},
    {"Count", MemberKind::ReadOnly},
    {"IsXRef", MemberKind::ReadOnly},
    {"IsLayout", MemberKind::ReadOnly},
};

}  // namespace

XrefModelSpaceObject::XrefModelSpaceObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                                           std::shared_ptr<XrefModel> xref)
    : ModelObject(std::move(state)), doc_(std::move(doc)), xref_(std::move(xref)) {}

MemberTable XrefModelSpaceObject::members() const { return kMembers; }

Value XrefModelSpaceObject::read(std::string_view member) {
    if (!xref_->loaded) failed(state().scenario().xrefDatabaseError);
    if (member == "Name") return Value("*Model_Space");
    if (member == "Count") return Value(static_cast<std::int32_t>(xref_->entities));
    if (member == "IsXRef") return false;
    if (member == "IsLayout") return true;
    return ModelObject::read(member);
}

}  // namespace quillon::standin
