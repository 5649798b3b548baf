#include "standin/DrawingCollectionObject.h"

#include "standin/Arguments.h"
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

DrawingCollectionObject::DrawingCollectionObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc)
    : ModelObject(std::move(state)), doc_(std::move(doc)) {}

MemberTable DrawingCollectionObject::members() const { return kMembers; }

Value DrawingCollectionObject::read(std::string_view member) {
    if (member == "Count") return Value(static_cast<std::int32_t>(items().size()));
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

Value DrawingCollectionObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "Item") {
        Arguments a(member, args, 1, 1);
        if (a.at(0).kind() == Value::Kind::Text) return itemNamed(a.text(0));
        const std::int32_t index = a.integer(0);
        auto all = items();
        if (index < 0 || static_cast<std::size_t>(index) >= all.size())
            invalidInput("Invalid index " + std::to_string(index));
        return all[static_cast<std::size_t>(index)];
    }
    return ModelObject::invoke(member, args);
}

}  // namespace quillon::standin
