#pragma once

#include <string>
#include <string_view>

namespace quillon::plotting {

// Windows takes "C:\Jobs\A.dwg" and "c:/jobs/a.DWG" for one file: paths are
// compared ignoring ASCII case and the separator style.
std::string foldedPath(std::string_view path);
bool samePath(std::string_view a, std::string_view b);

}  // namespace quillon::plotting
