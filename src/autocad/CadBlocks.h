#pragma once

#include <string>
#include <vector>

#include "autocad/CadBlock.h"

namespace quillon::autocad {

// A document's block table; external references are among its blocks.
class CadBlocks {
public:
    // Its items, and what Item and Add return, are all blocks (model and paper space are blocks too): told
    // so, proxies share what they look up.
    explicit CadBlocks(automation::ObjectPtr blocks) : blocks_(std::move(blocks)) {
        if (blocks_) blocks_->declareItemsOfOneKind();
    }
    const automation::ObjectPtr& raw() const { return blocks_; }

    CadBlock item(const std::string& name);
    std::vector<CadBlock> items();

private:
    automation::ObjectPtr blocks_;
};

}  // namespace quillon::autocad
