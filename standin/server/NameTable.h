#pragma once

#include <oaidl.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::standin_server {

// One DISPID per member name for the whole process, as a type library would
// give: names compare without regard to case, and each keeps the spelling
// it was first asked for. The server is single-threaded (one STA).
class NameTable {
public:
    DISPID idFor(std::string_view name);
    std::optional<std::string> nameOf(DISPID id) const;

private:
    std::map<std::string, DISPID, std::less<>> ids_;
    std::vector<std::string> names_;
};

}  // namespace quillon::standin_server
