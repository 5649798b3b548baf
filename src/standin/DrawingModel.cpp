#include "standin/DrawingModel.h"

#include "standin/TextCase.h"

namespace quillon::standin {

std::shared_ptr<LayoutModel> DrawingModel::findLayout(std::string_view layoutName) const {
    for (const auto& layout : layouts) {
        if (equalsNoCase(layout->name, layoutName)) return layout;
    }
    return nullptr;
}

int DrawingModel::tabOrder(const LayoutModel& layout) const {
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        if (layouts[i].get() == &layout) return static_cast<int>(i);
    }
    return -1;
}

void DrawingModel::setActiveLayout(const std::shared_ptr<LayoutModel>& layout) {
    activeLayout = layout;
    if (!layout->isModel) currentPaperLayout = layout;
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
