#include "standin/LayoutsObject.h"

#include "standin/Arguments.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Count", MemberKind::ReadOnly},
    {"Application", MemberKind::ReadOnly},
    {"Item", MemberKind::Method},
};

}  // namespace

LayoutsObject::LayoutsObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc)
    : ModelObject(std::move(state)), doc_(std::move(doc)) {}

MemberTable LayoutsObject::members() const { return kMembers; }

Value LayoutsObject::read(std::string_view member) {
    if (member == "Count") return Value(static_cast<std::int32_t>(doc_->layouts.size()));
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

Value LayoutsObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "Item") {
        Arguments a(member, args, 1, 1);
        if (a.at(0).kind() == Value::Kind::Text) {
            auto layout = doc_->findLayout(a.text(0));
            if (!layout) keyNotFound();
            return layoutObject(sharedState(), doc_, layout);
        }
        const std::int32_t index = a.integer(0);
        if (index < 0 || static_cast<std::size_t>(index) >= doc_->layouts.size())
            invalidInput("Invalid index " + std::to_string(index));
        return layoutObject(sharedState(), doc_, doc_->layouts[static_cast<std::size_t>(index)]);
    }
    return ModelObject::invoke(member, args);
}

std::vector<automation::ObjectPtr> LayoutsObject::items() {
    std::vector<automation::ObjectPtr> out;
    for (const auto& layout : doc_->layouts) out.push_back(layoutObject(sharedState(), doc_, layout));
    return out;
}

}  // namespace quillon::standin
