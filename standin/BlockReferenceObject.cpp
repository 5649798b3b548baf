#include "standin/BlockReferenceObject.h"

#include "standin/Arguments.h"
#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/TextCase.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Name", MemberKind::ReadOnly},           {"EffectiveName", MemberKind::ReadOnly},
    {"HasAttributes", MemberKind::ReadOnly},  {"IsDynamicBlock", MemberKind::ReadOnly},
    {"Layer", MemberKind::ReadWrite},         {"ObjectName", MemberKind::ReadOnly},
    {"Application", MemberKind::ReadOnly},    {"GetAttributes", MemberKind::Method},
};

// The only layer the stand-in's drawings have.
constexpr const char* kLayerZero = "0";

}  // namespace

BlockReferenceObject::BlockReferenceObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                                           std::shared_ptr<BlockReferenceModel> reference)
    : ModelObject(std::move(state)), doc_(std::move(doc)), reference_(std::move(reference)) {}

std::string BlockReferenceObject::describe(const BlockReferenceModel& reference, const DrawingModel& doc) {
    return std::to_string(reference.number) + ": " + reference.name + " on " + reference.layoutName + " of " +
           doc.displayName();
}

MemberTable BlockReferenceObject::members() const { return kMembers; }

Value BlockReferenceObject::read(std::string_view member) {
    const BlockReferenceModel& r = *reference_;
    if (member == "Name") return Value(r.name);
    if (member == "EffectiveName") return Value(r.effectiveName);
    if (member == "HasAttributes") return !r.attributes.empty();
    if (member == "IsDynamicBlock") return r.dynamic;
    if (member == "Layer") return Value(r.layer);
    if (member == "ObjectName") return Value("AcDbBlockReference");
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

void BlockReferenceObject::write(std::string_view member, const Value& value) {
    if (member == "Layer") {
        // A layer the drawing does not have is refused as the application refuses it.
        if (!equalsNoCase(value.toText(), kLayerZero)) keyNotFound();
        return;
    }
    ModelObject::write(member, value);
}

Value BlockReferenceObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "GetAttributes") {
        Arguments(member, args, 0, 0);
        Value::Array out;
        for (const auto& attribute : reference_->attributes)
            out.emplace_back(attributeObject(sharedState(), doc_, reference_, attribute));
        return Value(std::move(out));
    }
    return ModelObject::invoke(member, args);
}

}  // namespace quillon::standin
