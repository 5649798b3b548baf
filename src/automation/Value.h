#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillon::automation {

class AutoObject;
using ObjectPtr = std::shared_ptr<AutoObject>;

// An argument the caller leaves out, so the server applies its own default.
struct Missing {
    bool operator==(const Missing&) const = default;
};

// A variant-like value crossing the automation boundary. Text is UTF-8;
// conversion to UTF-16 happens only where a platform call needs it.
class Value {
public:
    using Array = std::vector<Value>;
    using Storage =
        std::variant<std::monostate, Missing, bool, std::int16_t, std::int32_t, double, std::string, ObjectPtr, Array>;

    enum class Kind { Empty, Missing, Bool, Int16, Int32, Double, Text, Object, Array };

    Value() = default;
    Value(Missing m) : storage_(m) {}
    Value(bool b) : storage_(b) {}
    Value(std::int16_t i) : storage_(i) {}
    Value(std::int32_t i) : storage_(i) {}
    Value(double d) : storage_(d) {}
    Value(std::string s) : storage_(std::move(s)) {}
    Value(std::string_view s) : storage_(std::string(s)) {}
    Value(const char* s) : storage_(std::string(s)) {}
    Value(ObjectPtr o) : storage_(std::move(o)) {}
    Value(Array a) : storage_(std::move(a)) {}

    static Value missing() { return Value(Missing{}); }
    static Value textArray(const std::vector<std::string>& items);

    Kind kind() const { return static_cast<Kind>(storage_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isMissing() const { return kind() == Kind::Missing; }

    // Conversions follow automation coercion: numbers convert between each
    // other, booleans are -1/0, numeric text converts; anything else throws
    // AutomationError with a type-mismatch code.
    bool toBool() const;
    std::int32_t toInt() const;
    double toDouble() const;
    std::string toText() const;
    ObjectPtr toObject() const;
    const Array& toArray() const;
    std::vector<std::string> toTextArray() const;

    const Storage& storage() const { return storage_; }

    // A short readable form for journals and test messages.
    std::string describe() const;

    bool operator==(const Value& other) const;

private:
    Storage storage_;
};

const char* kindName(Value::Kind kind);

}  // namespace quillon::automation
