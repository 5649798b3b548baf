#include "autocad/OpenedDocuments.h"

#include <algorithm>

#include "automation/AutomationError.h"

namespace quillon::autocad {

using automation::AutomationError;

namespace {

std::string asciiLower(std::string text) {
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string joinFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

}  // namespace

std::string OpenedDocuments::keyOf(CadDocument& document) {
    std::string fullName;
    try {
        fullName = document.fullName();
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        // A server without FullName still gives folder and name, which tell
        // documents apart just as well for this purpose.
        fullName = joinFolder(document.path(), document.name());
    }
    if (!fullName.empty()) return "file:" + asciiLower(fullName);
    return "new:" + asciiLower(document.name());
}

bool OpenedDocuments::Entry::is(const automation::ObjectPtr& other) const {
    return object && other && object->sameObject(*other);
}

void OpenedDocuments::remember(CadDocument& document) {
    const auto& object = document.raw();
    if (std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.is(object); })) return;
    entries_.push_back({object, keyOf(document)});
}

void OpenedDocuments::forget(CadDocument& document) {
    const auto& object = document.raw();
    if (std::erase_if(entries_, [&](const Entry& entry) { return entry.is(object); }) > 0) return;
    auto key = keyOf(document);
    std::erase_if(entries_, [&](const Entry& entry) { return entry.key == key; });
}

bool OpenedDocuments::contains(CadDocument& document) const {
    const auto& object = document.raw();
    if (std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.is(object); }))
        return true;
    auto key = keyOf(document);
    if (std::none_of(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.key == key; }))
        return false;
    // Another object of the same name: the user's own copy of the file unless it is read-only as Quillon's are.
    return key.starts_with("new:") || document.readOnly();
}

}  // namespace quillon::autocad
