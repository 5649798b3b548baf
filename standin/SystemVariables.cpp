#include "standin/SystemVariables.h"

#include "standin/EnvironmentText.h"
#include "standin/Failures.h"
#include "standin/PathText.h"
#include "standin/TextCase.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr const char* kBuiltIns[] = {"SDI", "BACKGROUNDPLOT", "DBMOD", "DWGNAME", "DWGPREFIX", "CTAB"};

void requireKind(const std::string& name, const Value& value, Value::Kind wanted) {
    if (value.kind() != wanted)
        invalidInput("Invalid argument: " + name + " takes a value of type " + automation::kindName(wanted) + ", not " +
                     automation::kindName(value.kind()));
}

std::int16_t shortIn(const std::string& name, const Value& value, int min, int max) {
    requireKind(name, value, Value::Kind::Int16);
    int v = value.toInt();
    if (v < min || v > max) invalidInput("Invalid input: " + std::to_string(v) + " is not a valid value for " + name);
    return static_cast<std::int16_t>(v);
}

// DWGPREFIX ends in a separator, unlike the document's Path.
std::string withTrailingSeparator(const std::string& folder) {
    if (folder.empty() || isPathSeparator(folder.back())) return folder;
    return folder + (folder.find('/') != std::string::npos ? '/' : '\\');
}

[[noreturn]] void readOnly(const std::string& name) { failed("System variable " + name + " is read-only"); }

}  // namespace

SystemVariables::SystemVariables(const Scenario& scenario)
    : profile_(scenario, environmentText("QUILLON_STANDIN_PROFILE").value_or(scenario.profile)),
      extras_(scenario.variables) {
    for (const auto& v : extras_) {
        if (!v.perDocument) sessionValues_[v.name] = v.initial;
    }
}

bool SystemVariables::isBuiltIn(std::string_view upperName) {
    if (ProfileVariables::has(upperName)) return true;
    for (const char* name : kBuiltIns) {
        if (upperName == name) return true;
    }
    return false;
}

const VariableDef* SystemVariables::findExtra(const std::string& upperName) const {
    for (const auto& v : extras_) {
        if (v.name == upperName) return &v;
    }
    return nullptr;
}

void SystemVariables::initialiseDocument(DrawingModel& doc) const {
    for (const auto& v : extras_) {
        if (v.perDocument) doc.variables[v.name] = v.initial;
    }
}

Value SystemVariables::get(const DrawingModel& doc, std::string_view name) const {
    std::string upper = toUpperAscii(name);
    if (ProfileVariables::has(upper)) return profile_.get(upper);
    if (upper == "DBMOD") return Value(static_cast<std::int16_t>(doc.dbmod));
    if (upper == "DWGNAME") return Value(doc.name);
    if (upper == "DWGPREFIX") return Value(withTrailingSeparator(doc.folder));
    if (upper == "CTAB") return Value(doc.activeLayout->name);
    if (const VariableDef* extra = findExtra(upper)) {
        if (!extra->perDocument) return sessionValues_.at(upper);
        return doc.variables.at(upper);
    }
    invalidInput("Invalid input");
}

void SystemVariables::set(DrawingModel& doc, std::string_view name, const Value& value, std::size_t openDocuments) {
    std::string upper = toUpperAscii(name);
    if (upper == "SDI") {
        // 2 and 3 are the application's own, set while an add-on that works with one drawing is loaded.
        if (const int current = profile_.integer(upper); current >= 2)
            failed("SDI is " + std::to_string(current) + ", set by an application that works with one drawing; it "
                   "cannot be changed");
        std::int16_t v = shortIn(upper, value, 0, 1);
        // Single-document mode cannot be entered while several drawings are open.
        if (v == 1 && openDocuments > 1) failed("SDI cannot be set to 1 while more than one drawing is open");
        profile_.set(upper, Value(v));
        return;
    }
    if (const auto* range = ProfileVariables::rangeOf(upper)) {
        profile_.set(upper, Value(shortIn(upper, value, range->min, range->max)));
        return;
    }
    if (ProfileVariables::has(upper)) {
        requireKind(upper, value, Value::Kind::Text);
        profile_.set(upper, value);
        return;
    }
    if (upper == "DBMOD" || upper == "DWGNAME" || upper == "DWGPREFIX") readOnly(upper);
    if (upper == "CTAB") {
        requireKind(upper, value, Value::Kind::Text);
        auto layout = doc.findLayout(value.toText());
        if (!layout) invalidInput("Invalid input: there is no layout named " + value.toText());
        doc.setActiveLayout(layout);
        doc.markModified();
        return;
    }
    const VariableDef* extra = findExtra(upper);
    if (!extra) invalidInput("Invalid input");
    if (extra->readOnly) readOnly(upper);
    requireKind(upper, value, extra->initial.kind());
    if (extra->perDocument) doc.variables[upper] = value;
    else sessionValues_[upper] = value;
}

}  // namespace quillon::standin
