#include "autocad/OwedVariables.h"

#include <limits>

#include <nlohmann/json.hpp>

#include "base/Swallowed.h"

namespace quillon::autocad {

using automation::Value;

OwedVariables::OwedVariables(std::shared_ptr<Store> store) : store_(std::move(store)) {
    if (store_) owed_ = decode(store_->read());
}

void OwedVariables::owe(const std::string& name, const Value& users) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (owed_.count(name)) return;
    owed_[name] = users;
    save();
}

void OwedVariables::paid(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (owed_.erase(name)) save();
}

bool OwedVariables::owes(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return owed_.count(name) > 0;
}

std::map<std::string, Value> OwedVariables::owed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return owed_;
}

void OwedVariables::save() {
    if (!store_) return;
    try {
        store_->write(encode(owed_));
    } catch (...) {
        base::swallowed("settings that cannot be written cost the run nothing; the values are still owed while "
                        "Quillon runs");
    }
}

std::string OwedVariables::encode(const std::map<std::string, Value>& values) {
    if (values.empty()) return {};
    nlohmann::json root = nlohmann::json::object();
    for (const auto& [name, value] : values) {
        if (value.kind() == Value::Kind::Text) root[name] = value.toText();
        else root[name] = value.toInt();
    }
    return root.dump();
}

std::map<std::string, Value> OwedVariables::decode(const std::string& text) {
    std::map<std::string, Value> values;
    if (text.empty()) return values;
    const auto root = nlohmann::json::parse(text, nullptr, false);
    if (!root.is_object()) return values;
    for (const auto& [name, value] : root.items()) {
        if (value.is_string()) {
            values[name] = Value(value.get<std::string>());
        } else if (value.is_number_integer()) {
            const auto number = value.get<std::int64_t>();
            // The variables Quillon changes are 16-bit integers or texts.
            if (number >= std::numeric_limits<std::int16_t>::min() && number <= std::numeric_limits<std::int16_t>::max())
                values[name] = Value(static_cast<std::int16_t>(number));
        }
    }
    return values;
}

}  // namespace quillon::autocad
