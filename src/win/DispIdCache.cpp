#include "win/DispIdCache.h"

namespace quillon::win {

std::optional<DISPID> DispIdCache::find(std::string_view key) const {
    if (auto found = ids_.find(key); found != ids_.end()) return found->second;
    return std::nullopt;
}

void DispIdCache::remember(const std::string& key, DISPID id) { ids_.insert_or_assign(key, id); }

void DispIdCache::forget(std::string_view key, DISPID id) {
    if (auto found = ids_.find(key); found != ids_.end() && found->second == id) ids_.erase(found);
}

const std::shared_ptr<DispIdCache>& DispIdCache::ofProperty(std::string_view key) {
    auto found = properties_.find(key);
    if (found == properties_.end())
        found = properties_.emplace(std::string(key), std::make_shared<DispIdCache>()).first;
    return found->second;
}

const std::shared_ptr<DispIdCache>& DispIdCache::ofItems() {
    if (!items_) items_ = std::make_shared<DispIdCache>();
    return items_;
}

}  // namespace quillon::win
