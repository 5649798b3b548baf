#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/AutoObject.h"
#include "standin/BlockModel.h"
#include "standin/LayoutModel.h"
#include "standin/Scenario.h"
#include "standin/SelectionSetModel.h"
#include "standin/XrefModel.h"

namespace quillon::standin {

// The state of one open document.
struct DrawingModel {
    int serial = 0;
    std::string fullName;  // empty for a drawing never saved
    std::string name;
    std::string folder;    // empty for a drawing never saved
    bool readOnly = false;
    bool closed = false;
    int dbmod = 0;
    PlotStyleKind plotStyles = PlotStyleKind::ColorDependent;

    std::vector<std::shared_ptr<LayoutModel>> layouts;  // as the scenario lists them, "Model" first
    std::shared_ptr<LayoutModel> activeLayout;
    // The layout *Paper_Space stands for: the paper layout last made active.
    std::shared_ptr<LayoutModel> currentPaperLayout;
    // Named page setups (PlotConfigurations); isModel is their ModelType.
    std::vector<std::shared_ptr<LayoutModel>> pageSetups;
    std::vector<std::shared_ptr<BlockModel>> blocks;
    std::vector<std::shared_ptr<XrefModel>> xrefs;
    std::map<std::string, automation::Value> variables;  // per-document scenario variables, by upper-case name
    DrawingProperties properties;                         // what SummaryInfo answers
    std::vector<std::shared_ptr<SelectionSetModel>> selectionSets;  // in the order they were added

    int copies = 1;
    bool quietErrorMode = false;

    std::weak_ptr<automation::AutoObject> handle;
    std::weak_ptr<automation::AutoObject> layoutsHandle;
    std::weak_ptr<automation::AutoObject> blocksHandle;
    std::weak_ptr<automation::AutoObject> plotConfigurationsHandle;
    std::weak_ptr<automation::AutoObject> plotHandle;
    std::weak_ptr<automation::AutoObject> emptyPaperSpaceHandle;
    std::weak_ptr<automation::AutoObject> selectionSetsHandle;
    std::weak_ptr<automation::AutoObject> summaryInfoHandle;

    // Full name when saved, else the name: how journal lines name it.
    std::string displayName() const { return fullName.empty() ? name : fullName; }
    std::shared_ptr<LayoutModel> modelLayout() const { return layouts.front(); }
    std::shared_ptr<LayoutModel> findLayout(std::string_view layoutName) const;
    void setActiveLayout(const std::shared_ptr<LayoutModel>& layout);
    // "*Model_Space", "*Paper_Space" for the current paper layout, "*Paper_Space0".. for the others.
    std::string blockNameOf(const LayoutModel& layout) const;
    void markModified() { dbmod |= 1; }
};

}  // namespace quillon::standin
