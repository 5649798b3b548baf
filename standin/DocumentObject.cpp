#include "standin/DocumentObject.h"

#include "standin/Arguments.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/LayoutObject.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Name", MemberKind::ReadOnly},         {"Path", MemberKind::ReadOnly},
    {"FullName", MemberKind::ReadOnly},     {"ReadOnly", MemberKind::ReadOnly},
    {"Saved", MemberKind::ReadOnly},        {"ActiveLayout", MemberKind::ReadWrite},
    {"Layouts", MemberKind::ReadOnly},      {"PlotConfigurations", MemberKind::ReadOnly},      {"ModelSpace", MemberKind::ReadOnly},
    {"PaperSpace", MemberKind::ReadOnly},   {"Blocks", MemberKind::ReadOnly},
    {"SelectionSets", MemberKind::ReadOnly}, {"SummaryInfo", MemberKind::ReadOnly},
    {"Plot", MemberKind::ReadOnly},         {"Application", MemberKind::ReadOnly},
    {"GetVariable", MemberKind::Method},    {"SetVariable", MemberKind::Method},
    {"Close", MemberKind::Method},          {"Regen", MemberKind::Method},
    {"Activate", MemberKind::Method},
};

}  // namespace

DocumentObject::DocumentObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc)
    : ModelObject(std::move(state)), doc_(std::move(doc)) {}

MemberTable DocumentObject::members() const { return kMembers; }

Value DocumentObject::read(std::string_view member) {
    const auto& s = sharedState();
    if (member == "Name") return Value(doc_->name);
    if (member == "Path") return Value(doc_->folder);
    if (member == "FullName") return Value(doc_->fullName);
    if (member == "ReadOnly") return doc_->readOnly;
    if (member == "Saved") return doc_->dbmod == 0;
    if (member == "ActiveLayout") return layoutObject(s, doc_, doc_->activeLayout);
    if (member == "Layouts") return layoutsObject(s, doc_);
    if (member == "ModelSpace") return layoutBlockObject(s, doc_, doc_->modelLayout());
    if (member == "PaperSpace") return paperSpaceObject(s, doc_);
    if (member == "Blocks") return blocksObject(s, doc_);
    if (member == "SelectionSets") return selectionSetsObject(s, doc_);
    if (member == "SummaryInfo") return summaryInfoObject(s, doc_);
    if (member == "PlotConfigurations") return plotConfigurationsObject(s, doc_);
    if (member == "Plot") return plotObject(s, doc_);
    if (member == "Application") return applicationObject(s);
    return ModelObject::read(member);
}

void DocumentObject::write(std::string_view member, const Value& value) {
    if (member == "ActiveLayout") {
        auto layout = std::dynamic_pointer_cast<LayoutObject>(value.toObject());
        if (!layout || layout->drawingModel() != doc_)
            invalidInput("Invalid input: ActiveLayout takes a layout of this drawing");
        if (layout->layoutModel() != doc_->activeLayout) {
            doc_->setActiveLayout(layout->layoutModel());
            doc_->markModified();
        }
        return;
    }
    ModelObject::write(member, value);
}

Value DocumentObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "GetVariable") {
        Arguments a(member, args, 1, 1);
        return state().variables().get(*doc_, a.text(0));
    }
    if (member == "SetVariable") {
        Arguments a(member, args, 2, 2);
        state().variables().set(*doc_, a.text(0), a.at(1), state().session().documents().size());
        return Value();
    }
    if (member == "Close") {
        // The second argument, a file name to save under, changes nothing
        // here: the engine never writes drawings.
        Arguments a(member, args, 0, 2);
        state().session().close(doc_, a.optionalBoolean(0));
        return Value();
    }
    if (member == "Regen") {
        Arguments a(member, args, 1, 1);
        const std::int32_t which = a.integer(0);
        if (which != 0 && which != 1) invalidInput("Invalid input: Regen takes 0 (active viewport) or 1 (all viewports)");
        return Value();
    }
    if (member == "Activate") {
        Arguments(member, args, 0, 0);
        state().session().activate(doc_);
        return Value();
    }
    return ModelObject::invoke(member, args);
}

}  // namespace quillon::standin
