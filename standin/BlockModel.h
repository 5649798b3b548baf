#pragma once

#include <memory>
#include <string>

#include "automation/AutoObject.h"

namespace quillon::standin {

// An ordinary block definition of a drawing.
struct BlockModel {
    std::string name;
    int entities = 1;
    std::weak_ptr<automation::AutoObject> handle;
};

}  // namespace quillon::standin
