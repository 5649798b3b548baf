#include "autocad/CadBlock.h"

namespace quillon::autocad {

CadLayout CadBlock::layout() { return CadLayout(block_->object("Layout")); }

bool CadBlock::isXRef() { return block_->get("IsXRef").toBool(); }

std::string CadBlock::name() { return block_->get("Name").toText(); }

std::string CadBlock::path() { return block_->get("Path").toText(); }

void CadBlock::setPath(const std::string& path) { block_->put("Path", path); }

void CadBlock::reload() { block_->call("Reload"); }

std::int32_t CadBlock::xrefModelSpaceCount() {
    return block_->object("XRefDatabase")->object("ModelSpace")->get("Count").toInt();
}

}  // namespace quillon::autocad
