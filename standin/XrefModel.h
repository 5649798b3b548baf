#pragma once

#include <memory>
#include <string>

#include "automation/AutoObject.h"

namespace quillon::standin {

// An external reference block: the path the drawing stores for it and
// whether its file was found when it was last loaded.
struct XrefModel {
    std::string name;
    std::string path;
    bool loaded = false;
    int entities = 1;
    std::weak_ptr<automation::AutoObject> handle;
    std::weak_ptr<automation::AutoObject> databaseHandle;
    std::weak_ptr<automation::AutoObject> modelSpaceHandle;
};

}  // namespace quillon::standin
