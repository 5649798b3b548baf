#include "autocad/CadLayouts.h"

namespace quillon::autocad {

using automation::Value;

std::int32_t CadLayouts::count() { return layouts_->get("Count").toInt(); }

CadLayout CadLayouts::item(const std::string& name) {
    return CadLayout(layouts_->call("Item", {Value(name)}).toObject());
}

std::vector<CadLayout> CadLayouts::items() {
    std::vector<CadLayout> out;
    for (auto& layout : layouts_->enumerate()) out.emplace_back(std::move(layout));
    return out;
}

}  // namespace quillon::autocad
