#include "standin/BlockObject.h"

#include "standin/Arguments.h"
#include "standin/DrawingFactory.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"

namespace quillon::standin {

using automation::Value;
using Kind = BlockTarget::Kind;

namespace {

constexpr MemberDef kMembers[] = {
    {"Name", MemberKind::ReadOnly},     {"Count", MemberKind::ReadOnly},   {"IsXRef", MemberKind::ReadOnly},
    {"IsLayout", MemberKind::ReadOnly}, {"Layout", MemberKind::ReadOnly},  {"Path", MemberKind::ReadWrite},
    {"XRefDatabase", MemberKind::ReadOnly}, {"Application", MemberKind::ReadOnly}, {"Reload", MemberKind::Method},
};

}  // namespace

BlockObject::BlockObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc, BlockTarget target)
    : ModelObject(std::move(state)), doc_(std::move(doc)), target_(std::move(target)) {}

MemberTable BlockObject::members() const { return kMembers; }

std::string_view BlockObject::objectKind() const {
    switch (target_.kind) {
        case Kind::Layout: return target_.layout->isModel ? "ModelSpace" : "PaperSpace";
        case Kind::EmptyPaperSpace: return "PaperSpace";
        default: return "Block";
    }
}

std::string BlockObject::blockName() const {
    switch (target_.kind) {
        case Kind::Layout: return doc_->blockNameOf(*target_.layout);
        case Kind::EmptyPaperSpace: return "*Paper_Space";
        case Kind::Ordinary: return target_.block->name;
        case Kind::Xref: return target_.xref->name;
    }
    return {};
}

int BlockObject::entityCount() const {
    switch (target_.kind) {
        case Kind::Layout: return target_.layout->entities + static_cast<int>(target_.layout->inserts.size());
        case Kind::EmptyPaperSpace: return 0;
        case Kind::Ordinary: return target_.block->entities;
        case Kind::Xref: return target_.xref->loaded ? target_.xref->entities : 0;
    }
    return 0;
}

XrefModel& BlockObject::requireXref() const {
    if (target_.kind != Kind::Xref) failed("Block " + blockName() + " is not an external reference");
    return *target_.xref;
}

Value BlockObject::read(std::string_view member) {
    if (member == "Name") return Value(blockName());
    if (member == "Count") return Value(static_cast<std::int32_t>(entityCount()));
    if (member == "IsXRef") return target_.kind == Kind::Xref;
    if (member == "IsLayout") return target_.kind == Kind::Layout || target_.kind == Kind::EmptyPaperSpace;
    if (member == "Application") return applicationObject(sharedState());
    if (member == "Path") return Value(target_.kind == Kind::Xref ? target_.xref->path : std::string());
    if (member == "Layout") {
        if (target_.kind == Kind::EmptyPaperSpace) failed("The drawing has no paper space layout");
        if (target_.kind != Kind::Layout) failed("Block " + blockName() + " is not a layout block");
        return layoutObject(sharedState(), doc_, target_.layout);
    }
    if (member == "XRefDatabase") {
        // A reference whose file was not found; the text is the scenario's (the application's language).
        if (target_.kind != Kind::Xref || !target_.xref->loaded) failed(state().scenario().xrefDatabaseError);
        return xrefDatabaseObject(sharedState(), doc_, target_.xref);
    }
    return ModelObject::read(member);
}

void BlockObject::write(std::string_view member, const Value& value) {
    if (member == "Path") {
        // The new path takes effect at the next Reload, not before.
        requireXref().path = value.toText();
        doc_->markModified();
        return;
    }
    ModelObject::write(member, value);
}

Value BlockObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "Reload") {
        Arguments(member, args, 0, 0);
        XrefModel& xref = requireXref();
        xref.loaded = DrawingFactory::xrefFileFound(xref.path, doc_->folder);
        return Value();
    }
    return ModelObject::invoke(member, args);
}

std::vector<automation::ObjectPtr> BlockObject::items() {
    failed("The stand-in does not model the entities of block " + blockName());
}

}  // namespace quillon::standin
