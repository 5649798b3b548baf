#include "autocad/OwedVariables.h"

#include <limits>

#include <nlohmann/json.hpp>

#include "base/Swallowed.h"

namespace quillon::autocad {

using automation::Value;

namespace {

// The stored object's member for the drawings left open; no system variable has a name like it.
constexpr const char* OpenMember = "*open";

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

OwedVariables::OwedVariables(std::shared_ptr<Store> store) : store_(std::move(store)) {
    if (!store_) return;
    const std::string text = store_->read();
    owed_ = decode(text);
    open_ = openBefore_ = decodeOpen(text);
}

void OwedVariables::oweClose(const std::string& fullName) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fullName.empty()) return;
    for (const auto& name : open_)
        if (sameName(name, fullName)) return;
    open_.push_back(fullName);
    save();
}

void OwedVariables::closed(const std::string& fullName) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(openBefore_, [&](const std::string& name) { return sameName(name, fullName); });
    if (std::erase_if(open_, [&](const std::string& name) { return sameName(name, fullName); }) > 0) save();
}

std::vector<std::string> OwedVariables::owedCloses() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

std::vector<std::string> OwedVariables::leftOpenBefore() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return openBefore_;
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

std::string OwedVariables::leftChanged() const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto joined = [](const std::vector<std::string>& names) {
        std::string text;
        for (std::size_t i = 0; i < names.size(); ++i)
            text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
        return text;
    };
    std::vector<std::string> drawings, variables;
    for (const auto& name : open_) drawings.push_back(name.substr(name.find_last_of("\\/") + 1));
    for (const auto& [name, value] : owed_) variables.push_back(name);
    std::string text;
    if (!drawings.empty()) text = joined(drawings) + " open";
    if (!variables.empty()) text += (text.empty() ? "" : "; ") + joined(variables) + " changed";
    return text;
}

void OwedVariables::save() {
    if (!store_) return;
    try {
        store_->write(encode(owed_, open_));
    } catch (...) {
        base::swallowed("settings that cannot be written cost the run nothing; the values are still owed while "
                        "Quillon runs");
    }
}

std::string OwedVariables::encode(const std::map<std::string, Value>& values, const std::vector<std::string>& open) {
    if (values.empty() && open.empty()) return {};
    nlohmann::json root = nlohmann::json::object();
    for (const auto& [name, value] : values) {
        if (value.kind() == Value::Kind::Text) root[name] = value.toText();
        else root[name] = value.toInt();
    }
    if (!open.empty()) root[OpenMember] = open;
    return root.dump();
}

std::vector<std::string> OwedVariables::decodeOpen(const std::string& text) {
    std::vector<std::string> open;
    if (text.empty()) return open;
    const auto root = nlohmann::json::parse(text, nullptr, false);
    if (!root.is_object() || !root.contains(OpenMember) || !root[OpenMember].is_array()) return open;
    for (const auto& name : root[OpenMember])
        if (name.is_string() && !name.get<std::string>().empty()) open.push_back(name.get<std::string>());
    return open;
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
