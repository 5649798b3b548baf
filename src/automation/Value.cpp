#include "automation/Value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

#include "automation/AutoObject.h"
#include "automation/AutomationError.h"

namespace quillon::automation {

namespace {

[[noreturn]] void mismatch(const Value& v, const char* wanted) {
    throw AutomationError(hresult::TypeMismatch,
                          std::string("Type mismatch: ") + kindName(v.kind()) + " is not " + wanted);
}

bool parseNumber(const std::string& text, double& out) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first != last && *first == ' ') ++first;
    while (last != first && last[-1] == ' ') --last;
    if (first == last) return false;
    if (*first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && ptr == last;
}

}  // namespace

const char* kindName(Value::Kind kind) {
    switch (kind) {
        case Value::Kind::Empty: return "empty";
        case Value::Kind::Missing: return "missing";
        case Value::Kind::Bool: return "bool";
        case Value::Kind::Int16: return "int16";
        case Value::Kind::Int32: return "int32";
        case Value::Kind::Double: return "double";
        case Value::Kind::Text: return "text";
        case Value::Kind::Object: return "object";
        case Value::Kind::Array: return "array";
    }
    return "unknown";
}

Value Value::textArray(const std::vector<std::string>& items) {
    Array array;
    array.reserve(items.size());
    for (const auto& item : items) array.emplace_back(item);
    return Value(std::move(array));
}

double Value::toDouble() const {
    switch (kind()) {
        case Kind::Empty: return 0.0;
        case Kind::Bool: return std::get<bool>(storage_) ? -1.0 : 0.0;
        case Kind::Int16: return std::get<std::int16_t>(storage_);
        case Kind::Int32: return std::get<std::int32_t>(storage_);
        case Kind::Double: return std::get<double>(storage_);
        case Kind::Text: {
            double d = 0;
            if (parseNumber(std::get<std::string>(storage_), d)) return d;
            mismatch(*this, "a number");
        }
        default: mismatch(*this, "a number");
    }
}

std::int32_t Value::toInt() const {
    if (kind() == Kind::Int16) return std::get<std::int16_t>(storage_);
    if (kind() == Kind::Int32) return std::get<std::int32_t>(storage_);
    double d = toDouble();
    // Automation rounds half to even when it narrows a double.
    double r = std::nearbyint(d);
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
        throw AutomationError(hresult::TypeMismatch, "Overflow converting " + describe() + " to an integer");
    return static_cast<std::int32_t>(r);
}

bool Value::toBool() const {
    if (kind() == Kind::Bool) return std::get<bool>(storage_);
    if (kind() == Kind::Text) {
        const auto& s = std::get<std::string>(storage_);
        if (s == "True" || s == "true" || s == "TRUE") return true;
        if (s == "False" || s == "false" || s == "FALSE") return false;
    }
    return toDouble() != 0.0;
}

std::string Value::toText() const {
    switch (kind()) {
        case Kind::Empty: return {};
        case Kind::Bool: return std::get<bool>(storage_) ? "True" : "False";
        case Kind::Int16: return std::to_string(std::get<std::int16_t>(storage_));
        case Kind::Int32: return std::to_string(std::get<std::int32_t>(storage_));
        case Kind::Double: {
            std::ostringstream out;
            out.precision(15);
            out << std::get<double>(storage_);
            return out.str();
        }
        case Kind::Text: return std::get<std::string>(storage_);
        default: mismatch(*this, "text");
    }
}

ObjectPtr Value::toObject() const {
    if (kind() == Kind::Object && std::get<ObjectPtr>(storage_)) return std::get<ObjectPtr>(storage_);
    mismatch(*this, "an object");
}

const Value::Array& Value::toArray() const {
    if (kind() == Kind::Array) return std::get<Array>(storage_);
    mismatch(*this, "an array");
}

std::vector<std::string> Value::toTextArray() const {
    std::vector<std::string> out;
    for (const auto& item : toArray()) out.push_back(item.toText());
    return out;
}

std::string Value::describe() const {
    switch (kind()) {
        case Kind::Empty: return "Empty";
        case Kind::Missing: return "Missing";
        case Kind::Text: return "\"" + std::get<std::string>(storage_) + "\"";
        case Kind::Object: return std::get<ObjectPtr>(storage_) ? "<object>" : "Nothing";
        case Kind::Array: {
            std::string s = "[";
            const auto& a = std::get<Array>(storage_);
            for (std::size_t i = 0; i < a.size(); ++i) s += (i ? ", " : "") + a[i].describe();
            return s + "]";
        }
        default: return toText();
    }
}

bool Value::operator==(const Value& other) const { return storage_ == other.storage_; }

}  // namespace quillon::automation
