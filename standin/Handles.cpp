#include "standin/Handles.h"

#include "standin/ApplicationObject.h"
#include "standin/AttributeReferenceObject.h"
#include "standin/BlockObject.h"
#include "standin/BlockReferenceObject.h"
#include "standin/BlocksObject.h"
#include "standin/DatabaseObject.h"
#include "standin/DocumentObject.h"
#include "standin/DocumentsObject.h"
#include "standin/EngineState.h"
#include "standin/LayoutObject.h"
#include "standin/LayoutsObject.h"
#include "standin/PlotConfigurationObject.h"
#include "standin/PlotObject.h"
#include "standin/PreferencesObject.h"
#include "standin/PreferencesOutputObject.h"
#include "standin/SelectionSetObject.h"
#include "standin/SelectionSetsObject.h"
#include "standin/SummaryInfoObject.h"
#include "standin/XrefModelSpaceObject.h"

namespace quillon::standin {

using automation::AutoObject;
using automation::ObjectPtr;

namespace {

template <class T, class... Args>
ObjectPtr cached(std::weak_ptr<AutoObject>& slot, Args&&... args) {
    if (auto existing = slot.lock()) return existing;
    auto made = std::make_shared<T>(std::forward<Args>(args)...);
    slot = made;
    return made;
}

}  // namespace

ObjectPtr applicationObject(const StatePtr& state) { return cached<ApplicationObject>(state->applicationHandle, state); }

ObjectPtr documentsObject(const StatePtr& state) { return cached<DocumentsObject>(state->documentsHandle, state); }

ObjectPtr documentObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc) {
    return cached<DocumentObject>(doc->handle, state, doc);
}

ObjectPtr layoutsObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc) {
    return cached<LayoutsObject>(doc->layoutsHandle, state, doc);
}

ObjectPtr layoutObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                       const std::shared_ptr<LayoutModel>& layout) {
    return cached<LayoutObject>(layout->handle, state, doc, layout);
}

ObjectPtr plotConfigurationsObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc) {
    return cached<PlotConfigurationsObject>(doc->plotConfigurationsHandle, state, doc);
}

ObjectPtr plotConfigurationObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                                  const std::shared_ptr<LayoutModel>& pageSetup) {
    return cached<PlotConfigurationObject>(pageSetup->handle, state, doc, pageSetup);
}

ObjectPtr blocksObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc) {
    return cached<BlocksObject>(doc->blocksHandle, state, doc);
}

ObjectPtr layoutBlockObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                            const std::shared_ptr<LayoutModel>& layout) {
    return cached<BlockObject>(layout->blockHandle, state, doc, BlockTarget{BlockTarget::Kind::Layout, layout, nullptr, nullptr});
}

ObjectPtr paperSpaceObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc) {
    if (doc->currentPaperLayout) return layoutBlockObject(state, doc, doc->currentPaperLayout);
    return cached<BlockObject>(doc->emptyPaperSpaceHandle, state, doc,
                               BlockTarget{BlockTarget::Kind::EmptyPaperSpace, nullptr, nullptr, nullptr});
}

ObjectPtr blockObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                      const std::shared_ptr<BlockModel>& block) {
    return cached<BlockObject>(block->handle, state, doc, BlockTarget{BlockTarget::Kind::Ordinary, nullptr, block, nullptr});
}

ObjectPtr xrefBlockObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                          const std::shared_ptr<XrefModel>& xref) {
    return cached<BlockObject>(xref->handle, state, doc, BlockTarget{BlockTarget::Kind::Xref, nullptr, nullptr, xref});
}

ObjectPtr xrefDatabaseObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                             const std::shared_ptr<XrefModel>& xref) {
    return cached<DatabaseObject>(xref->databaseHandle, state, doc, xref);
}

ObjectPtr xrefModelSpaceObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                               const std::shared_ptr<XrefModel>& xref) {
    return cached<XrefModelSpaceObject>(xref->modelSpaceHandle, state, doc, xref);
}

ObjectPtr blockReferenceObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                               const std::shared_ptr<BlockReferenceModel>& reference) {
    return cached<BlockReferenceObject>(reference->handle, state, doc, reference);
}

ObjectPtr attributeObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                          const std::shared_ptr<BlockReferenceModel>& reference,
                          const std::shared_ptr<AttributeModel>& attribute) {
    return cached<AttributeReferenceObject>(attribute->handle, state, doc, reference, attribute);
}

ObjectPtr selectionSetsObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc) {
    return cached<SelectionSetsObject>(doc->selectionSetsHandle, state, doc);
}

ObjectPtr selectionSetObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc,
                             const std::shared_ptr<SelectionSetModel>& set) {
    return cached<SelectionSetObject>(set->handle, state, doc, set);
}

ObjectPtr summaryInfoObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc) {
    return cached<SummaryInfoObject>(doc->summaryInfoHandle, state, doc);
}

ObjectPtr plotObject(const StatePtr& state, const std::shared_ptr<DrawingModel>& doc) {
    return cached<PlotObject>(doc->plotHandle, state, doc);
}

ObjectPtr preferencesObject(const StatePtr& state) { return cached<PreferencesObject>(state->preferencesHandle, state); }

ObjectPtr preferencesOutputObject(const StatePtr& state) {
    return cached<PreferencesOutputObject>(state->preferencesOutputHandle, state);
}

}  // namespace quillon::standin
