#include "standin/BlocksObject.h"

#include "standin/Arguments.h"
#include "standin/BlockObject.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/TextCase.h"

namespace quillon::standin {

using automation::ObjectPtr;
using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Count", MemberKind::ReadOnly},
    {"Application", MemberKind::ReadOnly},
    {"Item", MemberKind::Method},
};

}  // namespace

BlocksObject::BlocksObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc)
    : ModelObject(std::move(state)), doc_(std::move(doc)) {}

MemberTable BlocksObject::members() const { return kMembers; }

std::vector<ObjectPtr> BlocksObject::items() {
    const auto& s = sharedState();
    std::vector<ObjectPtr> out{layoutBlockObject(s, doc_, doc_->modelLayout()), paperSpaceObject(s, doc_)};
    for (const auto& layout : doc_->layouts) {
        if (!layout->isModel && layout != doc_->currentPaperLayout) out.push_back(layoutBlockObject(s, doc_, layout));
    }
    for (const auto& block : doc_->blocks) out.push_back(blockObject(s, doc_, block));
    for (const auto& xref : doc_->xrefs) out.push_back(xrefBlockObject(s, doc_, xref));
    return out;
}

Value BlocksObject::read(std::string_view member) {
    if (member == "Count") return Value(static_cast<std::int32_t>(items().size()));
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

Value BlocksObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "Item") {
        Arguments a(member, args, 1, 1);
        auto blocks = items();
        if (a.at(0).kind() == Value::Kind::Text) {
            const std::string key = a.text(0);
            for (const auto& block : blocks) {
                if (equalsNoCase(static_cast<const BlockObject&>(*block).blockName(), key)) return block;
            }
            keyNotFound();
        }
        const std::int32_t index = a.integer(0);
        if (index < 0 || static_cast<std::size_t>(index) >= blocks.size())
            invalidInput("Invalid index " + std::to_string(index));
        return blocks[static_cast<std::size_t>(index)];
    }
    return ModelObject::invoke(member, args);
}

}  // namespace quillon::standin
