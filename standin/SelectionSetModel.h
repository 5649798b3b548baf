#pragma once

#include <memory>
#include <string>
#include <vector>

#include "automation/AutoObject.h"
#include "standin/BlockReferenceModel.h"

namespace quillon::standin {

// A named selection set of a drawing and the references selected into it.
struct SelectionSetModel {
    std::string name;
    std::vector<std::shared_ptr<BlockReferenceModel>> items;
    // Delete took it out of the drawing: its object fails from then on.
    bool deleted = false;
    std::weak_ptr<automation::AutoObject> handle;
};

}  // namespace quillon::standin
