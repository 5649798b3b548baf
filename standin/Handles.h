#pragma once

#include <memory>

#include "automation/AutoObject.h"
#include "standin/DrawingModel.h"

namespace quillon::standin {

class EngineState;
using StatePtr = std::shared_ptr<EngineState>;

// The objects handed to callers. Each model item has at most one live object,
// so asking twice for the same layout gives the same object, as the real
// server's object identity does.
automation::ObjectPtr applicationObject(const StatePtr& state);
automation::ObjectPtr documentsObject(const StatePtr& state);
automation::ObjectPtr documentObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc);
automation::ObjectPtr layoutsObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc);
automation::ObjectPtr layoutObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                   const std::shared_ptr<LayoutModel>& layout);
automation::ObjectPtr blocksObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc);
automation::ObjectPtr plotConfigurationsObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc);
automation::ObjectPtr plotConfigurationObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                              const std::shared_ptr<LayoutModel>& pageSetup);
// The block holding a layout's entities: *Model_Space or one of the *Paper_Space blocks.
automation::ObjectPtr layoutBlockObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                        const std::shared_ptr<LayoutModel>& layout);
// *Paper_Space: the current paper layout's block, or an empty one in a model-space-only drawing.
automation::ObjectPtr paperSpaceObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc);
automation::ObjectPtr blockObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                  const std::shared_ptr<BlockModel>& block);
automation::ObjectPtr xrefBlockObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                      const std::shared_ptr<XrefModel>& xref);
automation::ObjectPtr xrefDatabaseObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                         const std::shared_ptr<XrefModel>& xref);
automation::ObjectPtr xrefModelSpaceObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                           const std::shared_ptr<XrefModel>& xref);
automation::ObjectPtr blockReferenceObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                           const std::shared_ptr<BlockReferenceModel>& reference);
automation::ObjectPtr attributeObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                      const std::shared_ptr<BlockReferenceModel>& reference,
                                      const std::shared_ptr<AttributeModel>& attribute);
automation::ObjectPtr selectionSetsObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc);
automation::ObjectPtr selectionSetObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                         const std::shared_ptr<SelectionSetModel>& set);
automation::ObjectPtr summaryInfoObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc);
automation::ObjectPtr plotObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc);
automation::ObjectPtr preferencesObject(const StatePtr& state);
automation::ObjectPtr preferencesOutputObject(const StatePtr& state);

}  // namespace quillon::standin
