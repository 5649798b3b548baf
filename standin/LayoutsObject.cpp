#include "standin/LayoutsObject.h"

#include "standin/Failures.h"
#include "standin/Handles.h"

namespace quillon::standin {

using automation::ObjectPtr;

std::vector<ObjectPtr> LayoutsObject::items() {
    std::vector<ObjectPtr> out;
    for (const auto& layout : doc()->layouts) out.push_back(layoutObject(sharedState(), doc(), layout));
    return out;
}

ObjectPtr LayoutsObject::itemNamed(const std::string& key) {
    auto layout = doc()->findLayout(key);
    if (!layout) keyNotFound();
    return layoutObject(sharedState(), doc(), layout);
}

}  // namespace quillon::standin
