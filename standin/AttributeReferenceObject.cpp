#include "standin/AttributeReferenceObject.h"

#include "standin/BlockReferenceObject.h"
#include "standin/Handles.h"

namespace quillon::standin {

using automation::Value;

namespace {

// TagString is read-only here although the application lets a tag be renamed: a product reads title
// blocks and has no business renaming their tags, so a stand-in that refuses it catches one that tries.
constexpr MemberDef kMembers[] = {
    {"TagString", MemberKind::ReadOnly},
    {"TextString", MemberKind::ReadWrite},
    {"ObjectName", MemberKind::ReadOnly},
    {"Application", MemberKind::ReadOnly},
};

}  // namespace

AttributeReferenceObject::AttributeReferenceObject(std::shared_ptr<EngineState> state,
                                                   std::shared_ptr<DrawingModel> doc,
                                                   std::shared_ptr<BlockReferenceModel> reference,
                                                   std::shared_ptr<AttributeModel> attribute)
    : ModelObject(std::move(state)),
      doc_(std::move(doc)),
      reference_(std::move(reference)),
      attribute_(std::move(attribute)) {}

std::string AttributeReferenceObject::label() const {
    return "Attribute(" + attribute_->tag + " of " + BlockReferenceObject::describe(*reference_, *doc_) + ")";
}

MemberTable AttributeReferenceObject::members() const { return kMembers; }

Value AttributeReferenceObject::read(std::string_view member) {
    if (member == "TagString") return Value(attribute_->tag);
    if (member == "TextString") return Value(attribute_->text);
    if (member == "ObjectName") return Value("AcDbAttribute");
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

void AttributeReferenceObject::write(std::string_view member, const Value& value) {
    if (member == "TextString") {
        std::string text = value.toText();
        if (text != attribute_->text) {
            attribute_->text = std::move(text);
            doc_->markModified();
        }
        return;
    }
    ModelObject::write(member, value);
}

}  // namespace quillon::standin
