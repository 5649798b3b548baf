#include "standin/SelectionSetsObject.h"

#include "standin/Arguments.h"
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
    {"Add", MemberKind::Method},
};

// "You can create up to 128 selection sets in your drawing."
constexpr std::size_t kMaxSelectionSets = 128;

}  // namespace

SelectionSetsObject::SelectionSetsObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc)
    : ModelObject(std::move(state)), doc_(std::move(doc)) {}

MemberTable SelectionSetsObject::members() const { return kMembers; }

std::shared_ptr<SelectionSetModel> SelectionSetsObject::find(const std::string& name) const {
    for (const auto& set : doc_->selectionSets) {
        if (equalsNoCase(set->name, name)) return set;
    }
    return nullptr;
}

std::vector<ObjectPtr> SelectionSetsObject::items() {
    std::vector<ObjectPtr> out;
    for (const auto& set : doc_->selectionSets) out.push_back(selectionSetObject(sharedState(), doc_, set));
    return out;
}

Value SelectionSetsObject::read(std::string_view member) {
    if (member == "Count") return Value(static_cast<std::int32_t>(doc_->selectionSets.size()));
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

Value SelectionSetsObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "Item") {
        Arguments a(member, args, 1, 1);
        if (a.at(0).kind() == Value::Kind::Text) {
            auto set = find(a.text(0));
            if (!set) keyNotFound();
            return selectionSetObject(sharedState(), doc_, set);
        }
        const std::int32_t index = a.integer(0);
        if (index < 0 || static_cast<std::size_t>(index) >= doc_->selectionSets.size())
            invalidInput("Invalid index " + std::to_string(index));
        return selectionSetObject(sharedState(), doc_, doc_->selectionSets[static_cast<std::size_t>(index)]);
    }
    if (member == "Add") {
        Arguments a(member, args, 1, 1);
        std::string name = a.text(0);
        if (name.empty()) invalidInput("Invalid input: a selection set has a name");
        // The application refuses a second set of a name rather than handing back the first.
        if (find(name)) failed("A selection set named " + name + " already exists");
        if (doc_->selectionSets.size() >= kMaxSelectionSets)
            failed("A drawing holds at most " + std::to_string(kMaxSelectionSets) + " selection sets");
        auto set = std::make_shared<SelectionSetModel>();
        set->name = std::move(name);
        doc_->selectionSets.push_back(set);
        return selectionSetObject(sharedState(), doc_, set);
    }
    return ModelObject::invoke(member, args);
}

}  // namespace quillon::standin
