#pragma once

#include <memory>
#include <string>
#include <vector>

#include "automation/AutoObject.h"
#include "standin/BlockReferenceModel.h"

namespace quillon::standin {

// One layout of an open drawing: its tab and its page setup.
struct LayoutModel {
    std::string name;
    bool isModel = false;
    // Entities of the layout's block besides its block references: 0 for a layout never made active (its
    // viewport comes with the first activation).
    int entities = 1;
    // The block references it holds, in the order they were inserted; its block's Count includes them.
    std::vector<std::shared_ptr<BlockReferenceModel>> inserts;
    int tabOrder = 0;

    std::string configName;
    // The device whose data RefreshPlotDeviceInfo last loaded: media lists
    // answer from it, so they go stale when ConfigName changes until refreshed.
    std::string refreshedConfigName;
    std::string media;
    std::string styleSheet;
    bool plotWithPlotStyles = true;
    bool useStandardScale = true;
    bool centerPlot = false;
    int plotType = 0;
    int standardScale = 0;
    int plotRotation = 0;

    std::weak_ptr<automation::AutoObject> handle;
    std::weak_ptr<automation::AutoObject> blockHandle;
};

}  // namespace quillon::standin
