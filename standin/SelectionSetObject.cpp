#include "standin/SelectionSetObject.h"

#include <algorithm>

#include "standin/Arguments.h"
#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/SelectionFilter.h"

namespace quillon::standin {

using automation::ObjectPtr;
using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Name", MemberKind::ReadOnly},  {"Count", MemberKind::ReadOnly},  {"Application", MemberKind::ReadOnly},
    {"Item", MemberKind::Method},    {"Select", MemberKind::Method},   {"Clear", MemberKind::Method},
    {"Delete", MemberKind::Method},
};

// AcSelect: the one mode that needs no points on screen.
constexpr std::int32_t kSelectAll = 5;

}  // namespace

SelectionSetObject::SelectionSetObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                                       std::shared_ptr<SelectionSetModel> set)
    : ModelObject(std::move(state)), doc_(std::move(doc)), set_(std::move(set)) {}

MemberTable SelectionSetObject::members() const { return kMembers; }

void SelectionSetObject::requireLive() const {
    if (set_->deleted) failed("The selection set " + set_->name + " has been deleted");
}

std::vector<ObjectPtr> SelectionSetObject::items() {
    requireLive();
    std::vector<ObjectPtr> out;
    for (const auto& reference : set_->items) out.push_back(blockReferenceObject(sharedState(), doc_, reference));
    return out;
}

Value SelectionSetObject::read(std::string_view member) {
    requireLive();
    if (member == "Name") return Value(set_->name);
    if (member == "Count") return Value(static_cast<std::int32_t>(set_->items.size()));
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

Value SelectionSetObject::invoke(std::string_view member, std::span<const Value> args) {
    requireLive();
    if (member == "Item") {
        Arguments a(member, args, 1, 1);
        const std::int32_t index = a.integer(0);
        if (index < 0 || static_cast<std::size_t>(index) >= set_->items.size())
            invalidInput("Invalid index " + std::to_string(index));
        return blockReferenceObject(sharedState(), doc_, set_->items[static_cast<std::size_t>(index)]);
    }
    if (member == "Select") {
        selectAll(args);
        return Value();
    }
    if (member == "Clear") {
        Arguments(member, args, 0, 0);
        set_->items.clear();
        return Value();
    }
    if (member == "Delete") {
        Arguments(member, args, 0, 0);
        set_->deleted = true;
        std::erase(doc_->selectionSets, set_);
        return Value();
    }
    return ModelObject::invoke(member, args);
}

void SelectionSetObject::selectAll(std::span<const Value> args) {
    Arguments a("Select", args, 1, 5);
    const std::int32_t mode = a.integer(0);
    if (mode != kSelectAll)
        invalidInput("Invalid argument: the stand-in selects with acSelectionSetAll (5) only, not mode " +
                     std::to_string(mode));
    // The points mean nothing to a selection of all.
    const SelectionFilter filter = SelectionFilter::from(a.at(3), a.at(4));

    // Model space first, then the paper layouts in tab order; each space's references in insert order.
    std::vector<const LayoutModel*> spaces;
    for (const auto& layout : doc_->layouts) spaces.push_back(layout.get());
    std::stable_sort(spaces.begin(), spaces.end(),
                     [](const LayoutModel* x, const LayoutModel* y) { return x->tabOrder < y->tabOrder; });
    for (const LayoutModel* space : spaces) {
        for (const auto& reference : space->inserts) {
            // A set holds an object once, however often it is selected.
            if (filter.matches(*reference) && std::find(set_->items.begin(), set_->items.end(), reference) == set_->items.end())
                set_->items.push_back(reference);
        }
    }
}

}  // namespace quillon::standin
