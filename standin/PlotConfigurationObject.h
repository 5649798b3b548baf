#pragma once

#include "standin/DrawingCollectionObject.h"
#include "standin/LayoutObject.h"

namespace quillon::standin {

// A named page setup of a drawing: a layout's plot settings without a tab or
// a block. ModelType says whether it is for model space or for layouts.
class PlotConfigurationObject : public LayoutObject {
public:
    using LayoutObject::LayoutObject;

    std::string label() const override {
        return "PlotConfiguration(" + layoutModel()->name + " of " + drawingModel()->displayName() + ")";
    }
    std::string_view objectKind() const override { return "PlotConfiguration"; }

protected:
    MemberTable members() const override;
};

// A drawing's named page setups, in the order the scenario lists them.
class PlotConfigurationsObject : public DrawingCollectionObject {
public:
    using DrawingCollectionObject::DrawingCollectionObject;

    std::string label() const override { return "PlotConfigurations(" + doc()->displayName() + ")"; }
    std::string_view objectKind() const override { return "PlotConfigurations"; }

protected:
    std::vector<automation::ObjectPtr> items() override;
    automation::ObjectPtr itemNamed(const std::string& key) override;
};

}  // namespace quillon::standin
