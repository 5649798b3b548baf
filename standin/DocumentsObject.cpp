#include "standin/DocumentsObject.h"

#include "standin/Arguments.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/PathText.h"
#include "standin/TextCase.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Count", MemberKind::ReadOnly}, {"Application", MemberKind::ReadOnly}, {"Item", MemberKind::Method},
    {"Add", MemberKind::Method},     {"Open", MemberKind::Method},
};

}  // namespace

DocumentsObject::DocumentsObject(std::shared_ptr<EngineState> state) : ModelObject(std::move(state)) {}

MemberTable DocumentsObject::members() const { return kMembers; }

Value DocumentsObject::read(std::string_view member) {
    if (member == "Count") return Value(static_cast<std::int32_t>(state().session().documents().size()));
    if (member == "Application") return applicationObject(sharedState());
    return ModelObject::read(member);
}

Value DocumentsObject::invoke(std::string_view member, std::span<const Value> args) {
    DocumentSession& session = state().session();
    if (member == "Item") {
        Arguments a(member, args, 1, 1);
        const auto& docs = session.documents();
        if (a.at(0).kind() == Value::Kind::Text) {
            const std::string key = a.text(0);
            for (const auto& doc : docs) {
                if (equalsNoCase(doc->name, key) || (!doc->fullName.empty() && pathKey(doc->fullName) == pathKey(key)))
                    return documentObject(sharedState(), doc);
            }
            keyNotFound();
        }
        const std::int32_t index = a.integer(0);
        if (index < 0 || static_cast<std::size_t>(index) >= docs.size())
            invalidInput("Invalid index " + std::to_string(index));
        return documentObject(sharedState(), docs[static_cast<std::size_t>(index)]);
    }
    if (member == "Add") {
        Arguments a(member, args, 0, 1);
        return documentObject(sharedState(), session.addNew(a.optionalText(0)));
    }
    if (member == "Open") {
        Arguments a(member, args, 1, 3);
        return documentObject(sharedState(), session.open(a.text(0), a.optionalBoolean(1).value_or(false)));
    }
    return ModelObject::invoke(member, args);
}

std::vector<automation::ObjectPtr> DocumentsObject::items() {
    std::vector<automation::ObjectPtr> out;
    for (const auto& doc : state().session().documents()) out.push_back(documentObject(sharedState(), doc));
    return out;
}

}  // namespace quillon::standin
