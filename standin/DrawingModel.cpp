#include "standin/DrawingModel.h"

#include "standin/TextCase.h"

namespace quillon::standin {

std::shared_ptr<LayoutModel> DrawingModel::findLayout(std::string_view layoutName) const {
    for (const auto& layout : layouts) {
        if (equalsNoCase(layout->name, layoutName)) return layout;
    }
    return nullptr;
}

void DrawingModel::setActiveLayout(const std::shared_ptr<LayoutModel>& layout) {
    activeLayout = layout;
    if (layout->isModel) return;
    currentPaperLayout = layout;
    // A layout never made active gets its viewport now.
    if (layout->entities == 0) layout->entities = 1;
}

std::string DrawingModel::blockNameOf(const LayoutModel& layout) const {
    if (layout.isModel) return "*Model_Space";
    if (&layout == currentPaperLayout.get()) return "*Paper_Space";
    int index = 0;
    for (const auto& other : layouts) {
        if (other->isModel || other == currentPaperLayout) continue;
        if (other.get() == &layout) break;
        ++index;
    }
    return "*Paper_Space" + std::to_string(index);
}

}  // namespace quillon::standin
