#include "standin/BlocksObject.h"

#include "standin/BlockObject.h"
#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/TextCase.h"

namespace quillon::standin {

using automation::ObjectPtr;

std::vector<ObjectPtr> BlocksObject::items() {
    const auto& s = sharedState();
    const auto& d = doc();
    std::vector<ObjectPtr> out{layoutBlockObject(s, d, d->modelLayout()), paperSpaceObject(s, d)};
    for (const auto& layout : d->layouts) {
        if (!layout->isModel && layout != d->currentPaperLayout) out.push_back(layoutBlockObject(s, d, layout));
    }
    for (const auto& block : d->blocks) out.push_back(blockObject(s, d, block));
    for (const auto& xref : d->xrefs) out.push_back(xrefBlockObject(s, d, xref));
    return out;
}

ObjectPtr BlocksObject::itemNamed(const std::string& key) {
    for (const auto& block : items()) {
        if (equalsNoCase(static_cast<const BlockObject&>(*block).blockName(), key)) return block;
    }
    keyNotFound();
}

}  // namespace quillon::standin
