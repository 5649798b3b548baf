#include "standin/ApplicationObject.h"

#include "standin/Arguments.h"
#include "standin/DocumentObject.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Visible", MemberKind::ReadWrite},    {"ActiveDocument", MemberKind::ReadWrite},
    {"Documents", MemberKind::ReadOnly},   {"Application", MemberKind::ReadOnly},
    {"Name", MemberKind::ReadOnly},        {"Version", MemberKind::ReadOnly},
    {"ZoomExtents", MemberKind::Method},   {"Quit", MemberKind::Method},
    {"HWND", MemberKind::ReadOnly},        {"Preferences", MemberKind::ReadOnly},
};

}  // namespace

ApplicationObject::ApplicationObject(std::shared_ptr<EngineState> state) : ModelObject(std::move(state)) {}

MemberTable ApplicationObject::members() const { return kMembers; }

Value ApplicationObject::read(std::string_view member) {
    if (member == "Visible") return state().visible;
    if (member == "ActiveDocument") return documentObject(sharedState(), state().session().requireActive());
    if (member == "Documents") return documentsObject(sharedState());
    if (member == "Preferences") return preferencesObject(sharedState());
    if (member == "Application") return applicationObject(sharedState());
    if (member == "Name") return Value(state().scenario().name);
    if (member == "Version") return Value(state().scenario().version);
    // Window handles carry 32 significant bits, also in 64-bit processes.
    if (member == "HWND") return Value(static_cast<std::int32_t>(state().windowHandle));
    return ModelObject::read(member);
}

void ApplicationObject::write(std::string_view member, const Value& value) {
    if (member == "Visible") {
        state().visible = value.toBool();
        return;
    }
    if (member == "ActiveDocument") {
        auto document = std::dynamic_pointer_cast<DocumentObject>(value.toObject());
        if (!document || !document->belongsTo(state()) || document->model()->closed)
            invalidInput("Invalid input: not an open document of this application");
        state().session().activate(document->model());
        return;
    }
    ModelObject::write(member, value);
}

Value ApplicationObject::invoke(std::string_view member, std::span<const Value> args) {
    Arguments(member, args, 0, 0);
    if (member == "ZoomExtents") {
        state().session().requireActive();
        return Value();
    }
    if (member == "Quit") {
        if (state().scenario().inCommand) failed(state().scenario().name + " unable to service automation request");
        QuitRecord record;
        for (const auto& doc : state().session().documents())
            if (doc->dbmod != 0) record.modified.push_back(doc->displayName());
        record.wouldPrompt = !record.modified.empty();
        state().journal().recordQuit(std::move(record));
        // Each unsaved drawing's question sits inside the call until someone answers it.
        state().session().askBeforeQuitting();
        // The process stays to answer calls; whoever hosts the engine ends it.
        state().quitRequested = true;
        return Value();
    }
    return ModelObject::invoke(member, args);
}

}  // namespace quillon::standin
