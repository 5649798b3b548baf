#include "autocad/ProfileChanges.h"

#include "automation/AutomationError.h"
#include "base/Swallowed.h"

namespace quillon::autocad {

using automation::AutomationError;
using automation::Value;

namespace {

Value shortValue(int value) { return Value(static_cast<std::int16_t>(value)); }

bool isText(const Value& value) { return value.kind() == Value::Kind::Text; }

}  // namespace

const std::vector<std::string>& ProfileChanges::openQuestionVariables() {
    static const std::vector<std::string> names = {"PROXYNOTICE", "DWGCHECK", "RECOVERAUTO",
                                                   "SECURELOAD",  "SIGWARN",  "FONTALT"};
    return names;
}

std::optional<Value> ProfileChanges::quillonsValue(std::string_view name, const Value& users) {
    if (name == "FONTALT") {
        // "." is how the application is told to have no alternate font.
        const std::string font = isText(users) ? users.toText() : std::string();
        if (font.empty() || font == ".") return Value("simplex.shx");
        return std::nullopt;
    }
    if (isText(users)) return std::nullopt;
    const int value = users.toInt();
    if (name == "SDI") return value == 1 ? std::optional<Value>(shortValue(0)) : std::nullopt;
    if (name == "BACKGROUNDPLOT" || name == "PROXYNOTICE" || name == "SIGWARN")
        return value != 0 ? std::optional<Value>(shortValue(0)) : std::nullopt;
    if (name == "DWGCHECK") return value != 2 ? std::optional<Value>(shortValue(2)) : std::nullopt;
    // 3 is the one value that recovers in silence in every release: from 2021 on, 2 asks before recovering.
    if (name == "RECOVERAUTO") return value != 3 ? std::optional<Value>(shortValue(3)) : std::nullopt;
    if (name == "SECURELOAD") return value == 1 ? std::optional<Value>(shortValue(2)) : std::nullopt;
    return std::nullopt;
}

bool ProfileChanges::change(CadDocument& document, const std::string& name) {
    const Value users = document.getVariable(name);
    const auto wanted = quillonsValue(name, users);
    if (!wanted) return false;
    // Owed before it is changed: Quillon may die between the two.
    owed_->owe(name, users);
    document.setVariable(name, *wanted);
    return true;
}

std::vector<std::string> ProfileChanges::quietOpens(CadDocument& document) {
    std::vector<std::string> changed;
    for (const auto& name : openQuestionVariables()) {
        try {
            if (change(document, name)) changed.push_back(name);
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            base::swallowed(
                "an application without this variable, or locked by its administrator, may still ask: the drawing "
                "then fails as one waiting for an answer; the others are still set");
        }
    }
    return changed;
}

void ProfileChanges::putBack(CadDocument& document, const std::vector<std::string>& names) {
    const auto owed = owed_->owed();
    for (const auto& name : names) {
        const auto found = owed.find(name);
        if (found == owed.end()) continue;
        try {
            document.setVariable(name, found->second);
            owed_->paid(name);
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            base::swallowed("refused now (SDI 1 with several drawings open): still owed, given back at the next "
                            "chance");
        }
    }
}

void ProfileChanges::putBackAll(CadDocument& document) {
    std::vector<std::string> names;
    for (const auto& [name, value] : owed_->owed()) names.push_back(name);
    putBack(document, names);
}

}  // namespace quillon::autocad
