#include "standin/server/NameTable.h"

namespace quillon::standin_server {

namespace {
std::string caseKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}
}  // namespace

DISPID NameTable::idFor(std::string_view name) {
    std::string key = caseKey(name);
    if (auto found = ids_.find(key); found != ids_.end()) return found->second;
    names_.emplace_back(name);
    // Positive and from 1: zero and the negative numbers are reserved (DISPID_VALUE, DISPID_NEWENUM...).
    auto id = static_cast<DISPID>(names_.size());
    ids_.emplace(std::move(key), id);
    return id;
}

std::optional<std::string> NameTable::nameOf(DISPID id) const {
    if (id < 1 || static_cast<std::size_t>(id) > names_.size()) return std::nullopt;
    return names_[static_cast<std::size_t>(id) - 1];
}

}  // namespace quillon::standin_server
