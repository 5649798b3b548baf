#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "autocad/CadLayout.h"

namespace quillon::autocad {

// A document's layouts, the model layout among them.
class CadLayouts {
public:
    // Its items, and what Item and Add return, are all layouts: told so, proxies share what they look up.
    explicit CadLayouts(automation::ObjectPtr layouts) : layouts_(std::move(layouts)) {
        if (layouts_) layouts_->declareItemsOfOneKind();
    }
    const automation::ObjectPtr& raw() const { return layouts_; }

    std::int32_t count();
    CadLayout item(const std::string& name);
    std::vector<CadLayout> items();

private:
    automation::ObjectPtr layouts_;
};

}  // namespace quillon::autocad
