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

void OpenedDocuments::remember(CadDocument& document) {
    auto key = keyOf(document);
    if (std::any_of(entries_.begin(), entries_.end(),
                    [&](const Entry& entry) { return entry.object == document.raw() || entry.key == key; }))
        return;
    entries_.push_back({document.raw(), std::move(key)});
}

void OpenedDocuments::forget(CadDocument& document) {
    auto key = keyOf(document);
    std::erase_if(entries_, [&](const Entry& entry) { return entry.object == document.raw() || entry.key == key; });
}

bool OpenedDocuments::contains(CadDocument& document) const {
    const auto& object = document.raw();
    if (std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.object == object; }))
        return true;
    auto key = keyOf(document);
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.key == key; });
}

}  // namespace quillon::autocad
