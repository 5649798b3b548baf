#include "standin/DrawingFactory.h"

#include "standin/PathText.h"
#include "standin/TextCase.h"

namespace quillon::standin {

DrawingFactory::DrawingFactory(const Scenario& scenario, const DeviceCatalog& devices, const SystemVariables& variables)
    : scenario_(scenario), devices_(devices), variables_(variables) {}

const DrawingDef* DrawingFactory::findDefinition(const std::string& path) const {
    const std::string key = pathKey(path);
    for (const auto& d : scenario_.drawings) {
        if (d.matchesFullPath && pathKey(d.match) == key) return &d;
    }
    const std::string name = fileNameOf(path);
    for (const auto& d : scenario_.drawings) {
        if (!d.matchesFullPath && equalsNoCase(d.match, name)) return &d;
    }
    return nullptr;
}

bool DrawingFactory::xrefFileFound(const std::string& storedPath, const std::string& drawingFolder) {
    if (storedPath.empty()) return false;
    return isReadableFile(isAbsolutePath(storedPath) ? storedPath : resolveAgainst(drawingFolder, storedPath));
}

std::shared_ptr<LayoutModel> DrawingFactory::makeLayout(const LayoutDef& def, bool isModel, PlotStyleKind styles) const {
    auto layout = std::make_shared<LayoutModel>();
    layout->name = def.name;
    layout->isModel = isModel;
    layout->entities = def.entities;
    layout->configName = def.device.value_or(scenario_.defaultDevice);
    layout->refreshedConfigName = layout->configName;
    const DeviceDef* device = devices_.find(layout->configName);
    layout->media = def.media.value_or(device && !device->media.empty() ? device->media.front() : std::string());
    if (def.styleSheet) {
        layout->styleSheet = *def.styleSheet;
    } else if (styles == PlotStyleKind::Named) {
        // A drawing with named plot styles always carries some .stb table.
        for (const auto& table : devices_.styleTables()) {
            if (endsWithNoCase(table, ".stb")) {
                layout->styleSheet = table;
                break;
            }
        }
    }
    // The real application's page-setup defaults: model space plots the
    // display scaled to fit, a paper layout plots the layout at 1:1.
    layout->plotType = def.plotType.value_or(isModel ? 0 : 5);
    layout->standardScale = def.standardScale.value_or(isModel ? 0 : 16);
    layout->plotRotation = def.plotRotation.value_or(0);
    layout->useStandardScale = def.useStandardScale.value_or(true);
    layout->centerPlot = def.centerPlot.value_or(false);
    layout->plotWithPlotStyles = def.plotWithPlotStyles.value_or(true);
    return layout;
}

std::shared_ptr<DrawingModel> DrawingFactory::create(const DrawingDef* definition, const Identity& identity) const {
    static const DrawingDef modelSpaceOnly = [] {
        DrawingDef d;
        d.model.name = "Model";
        return d;
    }();
    const DrawingDef& def = definition ? *definition : modelSpaceOnly;

    auto doc = std::make_shared<DrawingModel>();
    doc->serial = identity.serial;
    doc->fullName = identity.fullName;
    doc->name = identity.name;
    doc->folder = identity.fullName.empty() ? std::string() : folderOf(identity.fullName);
    doc->readOnly = identity.readOnly;
    doc->plotStyles = def.plotStyles;

    doc->layouts.push_back(makeLayout(def.model, true, def.plotStyles));
    for (const auto& l : def.paperLayouts) {
        doc->layouts.push_back(makeLayout(l, false, def.plotStyles));
        doc->layouts.back()->tabOrder = l.tabOrder.value_or(static_cast<int>(doc->layouts.size() - 1));
    }
    for (const auto& p : def.pageSetups) doc->pageSetups.push_back(makeLayout(p, p.modelType, def.plotStyles));
    doc->currentPaperLayout = doc->layouts.size() > 1 ? doc->layouts[1] : nullptr;
    doc->setActiveLayout(doc->findLayout(def.activeLayout));

    for (const auto& b : def.blocks) {
        auto block = std::make_shared<BlockModel>();
        block->name = b.name;
        block->entities = b.entities;
        doc->blocks.push_back(std::move(block));
    }
    for (const auto& x : def.xrefs) {
        auto xref = std::make_shared<XrefModel>();
        xref->name = x.name;
        xref->path = x.path;
        xref->entities = x.entities;
        xref->loaded = x.loaded.value_or(xrefFileFound(x.path, doc->folder));
        doc->xrefs.push_back(std::move(xref));
    }
    addBlockReferences(*doc, def);
    doc->properties = def.properties;
    variables_.initialiseDocument(*doc);
    return doc;
}

namespace {

// The block of that name (ignoring case), adding a definition for it when the scenario listed none:
// a drawing holds the definition of every block it references.
std::string definedBlock(DrawingModel& doc, const std::string& name) {
    for (const auto& block : doc.blocks) {
        if (equalsNoCase(block->name, name)) return block->name;
    }
    for (const auto& xref : doc.xrefs) {
        if (equalsNoCase(xref->name, name)) return xref->name;
    }
    auto block = std::make_shared<BlockModel>();
    block->name = name;
    doc.blocks.push_back(block);
    return name;
}

}  // namespace

void DrawingFactory::addBlockReferences(DrawingModel& doc, const DrawingDef& def) {
    // A dynamic block's reference points at an anonymous block of its own, numbered through the drawing.
    int references = 0;
    int anonymous = 0;
    for (std::size_t i = 0; i < doc.layouts.size(); ++i) {
        LayoutModel& layout = *doc.layouts[i];
        const LayoutDef& layoutDef = i == 0 ? def.model : def.paperLayouts[i - 1];
        for (const auto& insert : layoutDef.inserts) {
            auto ref = std::make_shared<BlockReferenceModel>();
            ref->number = ++references;
            ref->effectiveName = definedBlock(doc, insert.block);
            ref->dynamic = insert.dynamic;
            ref->name = insert.dynamic ? definedBlock(doc, "*U" + std::to_string(++anonymous)) : ref->effectiveName;
            ref->layoutName = layout.name;
            for (const auto& [tag, text] : insert.attributes) {
                auto attribute = std::make_shared<AttributeModel>();
                attribute->tag = tag;
                attribute->text = text;
                ref->attributes.push_back(std::move(attribute));
            }
            layout.inserts.push_back(std::move(ref));
        }
    }
}

}  // namespace quillon::standin
