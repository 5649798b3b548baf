#pragma once

#include "standin/DrawingCollectionObject.h"

namespace quillon::standin {

// A drawing's layouts in tab order, "Model" first.
class LayoutsObject : public DrawingCollectionObject {
public:
    using DrawingCollectionObject::DrawingCollectionObject;

    std::string label() const override { return "Layouts(" + doc()->displayName() + ")"; }
    std::string_view objectKind() const override { return "Layouts"; }

protected:
    std::vector<automation::ObjectPtr> items() override;
    automation::ObjectPtr itemNamed(const std::string& key) override;
};

}  // namespace quillon::standin
