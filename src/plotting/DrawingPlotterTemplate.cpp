#include "plotting/DrawingPlotter.h"

#include "plotting/Tolerate.h"

#include <utility>

// The office's template drawing: opened read-only once, as a drawing of the
// job is (nothing the application would ask while opening it is asked), its
// named page setups copied onto each sheet of Quillon's own copy of a
// drawing, closed unsaved when the run ends. Neither it nor any drawing is
// ever saved. Where the application hands back the template the user has
// open instead of a copy of Quillon's own, its page setups are read and it is
// left as it was: never changed, never closed.
namespace quillon::plotting {

using autocad::CadDocument;
using automation::AutoObject;
using automation::AutomationError;
using automation::Value;

CadDocument* DrawingPlotter::templateDocument() {
    if (pageSetupTemplate_) {
        if (tolerate("a restarted application has lost it: it is opened again in the new one",
                     [&] { pageSetupTemplate_->name(); }))
            return &*pageSetupTemplate_;
        connection_.forgetOpened(*pageSetupTemplate_);
        pageSetupTemplate_.reset();
    }
    pageSetupFound_.reset();
    auto documents = connection_.documents();
    const auto before = documents.count();
    CadDocument document = connection_.openQuietly(documents, setup_.pageSetupFile, true);
    templateIsUsers_ = documents.count() <= before;
    if (templateIsUsers_) connection_.ownDocumentClosed();
    else connection_.rememberOpened(document);
    pageSetupTemplate_ = std::move(document);
    return &*pageSetupTemplate_;
}

void DrawingPlotter::noteTemplate(SheetRecord& sheet) const {
    if (templateIsUsers_ && sheet.settingsFrom.rfind("page setup \"", 0) == 0)
        sheet.note = "its page setup was read from " + setup_.pageSetupFile +
                     " as it is open in AutoCAD, which was left as it was";
}

bool DrawingPlotter::applyPageSetup(AutoObject& layout, bool modelSpace, const std::string& layoutName,
                                    std::vector<SetupWarning>& warnings) {
    const std::string& name = setup_.pageSetup;
    std::string why;
    try {
        CadDocument* document = templateDocument();
        FoundPageSetup pageSetup;
        if (pageSetupFound_) {
            pageSetup = *pageSetupFound_;
        } else {
            pageSetup.object = document->raw()->object("PlotConfigurations")->call("Item", {Value(name)}).toObject();
            pageSetup.modelType = pageSetup.object->get("ModelType").toBool();
            if (!templateIsUsers_) pageSetupFound_ = pageSetup;
        }
        // A model-space page setup for model space, a layout one for layouts: the other kind does not fit.
        if (pageSetup.modelType != modelSpace) {
            why = std::string("it is a page setup for ") + (modelSpace ? "layouts" : "model space");
        } else {
            // CopyFrom takes every setting the page setup holds (plot area, window, offset, lineweights,
            // shading), those Quillon knows no member for too; one call, not a dozen.
            layout.call("CopyFrom", {Value(pageSetup.object)});
            return true;
        }
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        why = error.description();
    }
    warnings.push_back({layoutName, "page setup", name, why + "; the layout's own settings were kept"});
    return false;
}

std::string DrawingPlotter::settingsFrom(bool pageSetupCopied) const {
    if (setup_.sheetSettings == SheetSettings::Quillon) return "Quillon's settings";
    if (setup_.sheetSettings == SheetSettings::Template && pageSetupCopied)
        return "page setup \"" + setup_.pageSetup + "\"";
    return "own page setup";
}

void DrawingPlotter::closeTemplate() {
    pageSetupFound_.reset();
    if (!pageSetupTemplate_) return;
    CadDocument document = std::move(*pageSetupTemplate_);
    pageSetupTemplate_.reset();
    // The user's own stays open, as the user left it.
    if (std::exchange(templateIsUsers_, false)) return;
    // Closed unsaved like every document of Quillon's.
    tolerate("one left open is back on the record, and closed when Quillon ends",
             [&] { closeQuillonsDocument(document); });
}

}  // namespace quillon::plotting
