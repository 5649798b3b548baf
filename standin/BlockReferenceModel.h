#pragma once

#include <memory>
#include <string>
#include <vector>

#include "automation/AutoObject.h"

namespace quillon::standin {

// One attribute of a block reference: its tag and the text it shows.
struct AttributeModel {
    std::string tag;
    std::string text;
    std::weak_ptr<automation::AutoObject> handle;
};

// A block reference (an INSERT) in model space or on a paper layout.
struct BlockReferenceModel {
    // Its place among the drawing's references, from 1: tells two references of one block apart in the journal.
    int number = 0;
    // Name: the block's, or for a dynamic block the anonymous block (*U...) the reference really points at.
    std::string name;
    std::string effectiveName;
    bool dynamic = false;
    std::string layer = "0";
    std::string layoutName;  // the space holding it: "Model" or the paper layout's name
    std::vector<std::shared_ptr<AttributeModel>> attributes;
    std::weak_ptr<automation::AutoObject> handle;
};

}  // namespace quillon::standin
