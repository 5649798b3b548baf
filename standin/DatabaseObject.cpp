#include "standin/DatabaseObject.h"

#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"

namespace quillon::standin {

namespace {

constexpr MemberDef kMembers[] = {{"ModelSpace", MemberKind::ReadOnly}};

}  // namespace

DatabaseObject::DatabaseObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                               std::shared_ptr<XrefModel> xref)
    : ModelObject(std::move(state)), doc_(std::move(doc)), xref_(std::move(xref)) {}

MemberTable DatabaseObject::members() const { return kMembers; }

automation::Value DatabaseObject::read(std::string_view member) {
    if (member == "ModelSpace") {
        // A database held across a reload that lost the file is gone with it.
        if (!xref_->loaded) failed(state().scenario().xrefDatabaseError);
        return xrefModelSpaceObject(sharedState(), doc_, xref_);
    }
    return ModelObject::read(member);
}

}  // namespace quillon::standin
