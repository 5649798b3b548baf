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

std::string OpenedDocuments::keyOf(CadDocument& document, std::optional<std::string>* read) {
    std::string fullName;
    try {
        fullName = document.fullName();
        if (read) *read = fullName;
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

std::optional<std::string> OpenedDocuments::remember(CadDocument& document) { return add(document, false); }

void OpenedDocuments::rememberAdded(CadDocument& document) { add(document, true); }

std::optional<std::string> OpenedDocuments::add(CadDocument& document, bool added) {
    const auto& object = document.raw();
    if (std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.is(object); }))
        return std::nullopt;
    std::optional<std::string> fullName;
    entries_.push_back({object, keyOf(document, &fullName), added});
    return fullName;
}

bool OpenedDocuments::stillQuillons(std::vector<Entry>::iterator entry, CadDocument& document) {
    if (!entry->added || document.getVariable("DBMOD").toInt() == 0) return true;
    entries_.erase(entry);
    return false;
}

bool OpenedDocuments::anyOpened() const {
    for (const auto& entry : entries_)
        if (!entry.added) return true;
    return false;
}

void OpenedDocuments::forget(CadDocument& document) {
    const auto& object = document.raw();
    if (std::erase_if(entries_, [&](const Entry& entry) { return entry.is(object); }) > 0) return;
    auto key = keyOf(document);
    std::erase_if(entries_, [&](const Entry& entry) { return entry.key == key; });
}

bool OpenedDocuments::contains(CadDocument& document) {
    const auto& object = document.raw();
    auto same = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.is(object); });
    if (same != entries_.end()) return stillQuillons(same, document);
    auto key = keyOf(document);
    auto named = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.key == key; });
    if (named == entries_.end()) return false;
    // Another object of the same name: the user's own copy of the file unless it is read-only as Quillon's are.
    if (!key.starts_with("new:") && !document.readOnly()) return false;
    return stillQuillons(named, document);
}

}  // namespace quillon::autocad
