#pragma once

#include <memory>
#include <string>

#include "standin/DeviceCatalog.h"
#include "standin/DrawingModel.h"
#include "standin/Scenario.h"
#include "standin/SystemVariables.h"

namespace quillon::standin {

// Builds the state of a document being opened, from the scenario's
// description of that drawing or, for any other drawing, a model-space-only one.
class DrawingFactory {
public:
    DrawingFactory(const Scenario& scenario, const DeviceCatalog& devices, const SystemVariables& variables);

    // A description naming this full path wins over one naming its file name.
    const DrawingDef* findDefinition(const std::string& path) const;

    struct Identity {
        std::string fullName;  // empty for a never-saved drawing
        std::string name;
        bool readOnly = false;
        int serial = 0;
    };
    std::shared_ptr<DrawingModel> create(const DrawingDef* definition, const Identity& identity) const;

    // Whether an external reference's stored path leads to a readable file;
    // a relative path counts from the host drawing's folder.
    static bool xrefFileFound(const std::string& storedPath, const std::string& drawingFolder);

private:
    const Scenario& scenario_;
    const DeviceCatalog& devices_;
    const SystemVariables& variables_;

    std::shared_ptr<LayoutModel> makeLayout(const LayoutDef& def, bool isModel, PlotStyleKind styles) const;
    static void addBlockReferences(DrawingModel& doc, const DrawingDef& def);
};

}  // namespace quillon::standin
