#pragma once

#include <cstdint>
#include <string>

#include "autocad/CadLayout.h"

namespace quillon::autocad {

// A block definition: model space, paper space, or an external reference.
class CadBlock {
public:
    explicit CadBlock(automation::ObjectPtr block) : block_(std::move(block)) {}
    const automation::ObjectPtr& raw() const { return block_; }

    CadLayout layout();
    bool isXRef();
    std::string name();
    std::string path();
    void setPath(const std::string& path);
    void reload();
    // Entities in the referenced drawing's model space; throws when the
    // reference is not loaded.
    std::int32_t xrefModelSpaceCount();

private:
    automation::ObjectPtr block_;
};

}  // namespace quillon::autocad
