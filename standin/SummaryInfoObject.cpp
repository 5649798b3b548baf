#include "standin/SummaryInfoObject.h"

#include "standin/Arguments.h"
#include "standin/Failures.h"
#include "standin/Handles.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Title", MemberKind::ReadWrite},
    {"Subject", MemberKind::ReadWrite},
    {"Author", MemberKind::ReadWrite},
    {"Keywords", MemberKind::ReadWrite},
    {"Comments", MemberKind::ReadWrite},
    {"RevisionNumber", MemberKind::ReadWrite},
    {"LastSavedBy", MemberKind::ReadWrite},
    {"HyperlinkBase", MemberKind::ReadWrite},
    {"Application", MemberKind::ReadOnly},
    {"NumCustomInfo", MemberKind::Method},
    // GetCustomByIndex(Index, [out] pKey, [out] pValue), GetCustomByKey(key, [out] pValue).
    {"GetCustomByIndex", MemberKind::Method, 2},
    {"GetCustomByKey", MemberKind::Method, 1},
};

}  // namespace

SummaryInfoObject::SummaryInfoObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc)
    : ModelObject(std::move(state)), doc_(std::move(doc)) {}

MemberTable SummaryInfoObject::members() const { return kMembers; }

std::string* SummaryInfoObject::standardProperty(std::string_view member) const {
    DrawingProperties& p = doc_->properties;
    if (member == "Title") return &p.title;
    if (member == "Subject") return &p.subject;
    if (member == "Author") return &p.author;
    if (member == "Keywords") return &p.keywords;
    if (member == "Comments") return &p.comments;
    if (member == "RevisionNumber") return &p.revisionNumber;
    if (member == "LastSavedBy") return &p.lastSavedBy;
    if (member == "HyperlinkBase") return &p.hyperlinkBase;
    return nullptr;
}

Value SummaryInfoObject::read(std::string_view member) {
    if (const std::string* property = standardProperty(member)) return Value(*property);
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

void SummaryInfoObject::write(std::string_view member, const Value& value) {
    if (std::string* property = standardProperty(member)) {
        std::string text = value.toText();
        if (text != *property) {
            *property = std::move(text);
            doc_->markModified();
        }
        return;
    }
    ModelObject::write(member, value);
}

Value SummaryInfoObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "NumCustomInfo") {
        Arguments(member, args, 0, 0);
        return Value(static_cast<std::int32_t>(doc_->properties.custom.size()));
    }
    return ModelObject::invoke(member, args);
}

std::vector<Value> SummaryInfoObject::invokeWithOut(std::string_view member, std::span<const Value> args) {
    const auto& custom = doc_->properties.custom;
    if (member == "GetCustomByIndex") {
        // Indexes run from 0 to the number of custom properties less one.
        Arguments a(member, args, 1, 1);
        const std::int32_t index = a.integer(0);
        if (index < 0 || static_cast<std::size_t>(index) >= custom.size())
            invalidInput("Invalid argument: " + std::to_string(index) + " is not the index of a custom property");
        const auto& [key, value] = custom[static_cast<std::size_t>(index)];
        return {Value(key), Value(value)};
    }
    if (member == "GetCustomByKey") {
        // The key is matched as written: a product that spells it otherwise fails here rather than
        // depending on how the application compares keys.
        Arguments a(member, args, 1, 1);
        const std::string key = a.text(0);
        for (const auto& [name, value] : custom) {
            if (name == key) return {Value(value)};
        }
        invalidInput("Invalid argument: the drawing has no custom property " + key);
    }
    return ModelObject::invokeWithOut(member, args);
}

}  // namespace quillon::standin
