#include "autocad/CadBlocks.h"

namespace quillon::autocad {

using automation::Value;

CadBlock CadBlocks::item(const std::string& name) { return CadBlock(blocks_->call("Item", {Value(name)}).toObject()); }

std::vector<CadBlock> CadBlocks::items() {
    std::vector<CadBlock> out;
    for (auto& block : blocks_->enumerate()) out.emplace_back(std::move(block));
    return out;
}

}  // namespace quillon::autocad
