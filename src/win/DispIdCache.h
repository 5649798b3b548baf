#pragma once

#include <oaidl.h>
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::win {

// The DISPIDs of one interface's members, shared by every proxy known to be
// of that interface, so that a member is looked up once instead of once per
// proxy: each look-up is a round trip to the application. Knowing is the
// hard part: one member name may have different DISPIDs on two interfaces,
// so only the way an object was reached tells its interface. A parameterless
// property always returns the interface it is typed with, and a collection
// may be declared to hand out objects of one kind; any other way of reaching
// an object starts a cache of its own.
// Keys are member names in lower case. Caches pass only from a proxy to the
// objects reached through it, so one tree serves one apartment's thread and
// needs no lock.
class DispIdCache {
public:
    std::optional<DISPID> find(std::string_view key) const;
    void remember(const std::string& key, DISPID id);
    // Drops key unless another proxy has put a different DISPID there since.
    void forget(std::string_view key, DISPID id);

    // The cache of the objects the parameterless property key returns.
    const std::shared_ptr<DispIdCache>& ofProperty(std::string_view key);
    // The cache of the objects a collection declared uniform hands out.
    const std::shared_ptr<DispIdCache>& ofItems();

private:
    std::map<std::string, DISPID, std::less<>> ids_;
    std::map<std::string, std::shared_ptr<DispIdCache>, std::less<>> properties_;
    std::shared_ptr<DispIdCache> items_;
};

}  // namespace quillon::win
