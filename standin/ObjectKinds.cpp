#include "standin/ObjectKinds.h"

#include "standin/TextCase.h"

namespace quillon::standin {

bool objectKindMatches(std::string_view wanted, std::string_view actual) {
    if (wanted.empty() || equalsNoCase(wanted, actual)) return true;
    return equalsNoCase(wanted, "Block") && (actual == "ModelSpace" || actual == "PaperSpace");
}

}  // namespace quillon::standin
