#include "plotting/DrawingPlotter.h"

#include <algorithm>

#include "base/Paths.h"
#include "base/Swallowed.h"
#include "plotting/DrawingCheck.h"
#include "plotting/Tolerate.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/xref/XrefPaths.h"

namespace quillon::plotting {

using autocad::CadApplication;
using autocad::CadDocument;
using autocad::CadDocuments;
using autocad::CadLayout;
using autocad::CadPlot;
using autocad::RegenScope;
using automation::AutomationError;
using automation::AutoObject;
using automation::Value;

namespace {

std::string joinFolder(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : withTrailingSeparator(folder) + name;
}

// Runs fn, letting the connection see a failure first, so a dead
// application is dropped and the next run connects again.
template <class Fn>
decltype(auto) noting(autocad::CadConnection& connection, Fn&& fn) {
    try {
        return std::forward<Fn>(fn)();
    } catch (const AutomationError& error) {
        connection.noteFailure(error);
        throw;
    }
}

bool isActive(CadApplication& app, CadDocument& document) {
    return app.activeDocument().raw()->sameObject(*document.raw());
}

}  // namespace

bool DrawingPlotter::selectionMade() {
    const auto missing = missingChoice(setup_);
    if (missing == MissingChoice::None) return true;
    const auto message = missingChoiceMessage(missing);
    messages_.showInformation(message.title, message.text);
    return false;
}

void DrawingPlotter::closeQuillonsDocument(CadDocument& document) {
    // Known by its name only while it is open.
    connection_.forgetOpened(document);
    try {
        document.close();
        connection_.ownDocumentClosed();
    } catch (const AutomationError& error) {
        // Still open: back on the record, so that leaving Quillon closes it.
        if (!error.serverGone())
            tolerate("the close's own failure is the one reported; one that cannot be named stays off the record",
                     [&] { connection_.rememberOpened(document); });
        throw;
    }
}

void DrawingPlotter::giveUpOnStuckDocument(CadDocument& document) {
    try {
        closeQuillonsDocument(document);
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        // It would not close when its own drawing ended either (its row says so): given up on, off
        // Quillon's record, so that one stuck drawing does not fail every drawing after it.
        tolerate("still on the record, it is closed once more when Quillon ends",
                 [&] { connection_.forgetOpened(document); });
    }
}

bool DrawingPlotter::openDrawing(const std::string& path) {
    report_ = DrawingReport{};
    report_.path = path;
    report_.purpose = setup_.purpose;
    opened_.reset();
    titles_.reset();
    forgetDocument();
    return connection_.withApp([&](CadApplication& app) {
        // The file is looked at before the application is asked anything, so that nothing but Quillon's own
        // calls comes between the reads below: the count and the active document, once read, hold until a
        // document of Quillon's is closed here.
        const bool exists = files_.fileExists(path);
        // A check tells which release saved the drawing, from the file itself.
        const std::string dwgVersion =
            exists && checking() ? dwgVersionText(files_.fileStart(path, DwgVersionBytes)) : std::string();
        auto documents = connection_.documents();
        std::optional<std::int32_t> openBefore = documents.count();
        std::optional<CadDocument> active;
        if (*openBefore > 0) {
            active = app.activeDocument();
            // A modified document of Quillon's own left active is dropped
            // unsaved; a modified drawing of the user's is the user's work.
            if (active->getVariable("DBMOD").toInt() > 0 && connection_.openedByQuillon(*active)) {
                giveUpOnStuckDocument(*active);
                openBefore.reset();
                active.reset();
            }
        }
        if (!exists) return false;
        report_.fileFound = true;
        report_.dwgVersion = dwgVersion;
        if (!openBefore) openBefore = documents.count();
        if (*openBefore > 0) {
            if (!active) active = app.activeDocument();
            if (contains(path, active->name()) && connection_.openedByQuillon(*active)) {
                giveUpOnStuckDocument(*active);
                openBefore = documents.count();
                active.reset();
            }
        }
        openForPlotting(documents, path, *openBefore, std::move(active));
        return true;
    });
}

void DrawingPlotter::openForPlotting(CadDocuments& documents, const std::string& path, std::int32_t openBefore,
                                     std::optional<CadDocument> active) {
    std::optional<CadDocument> document;
    try {
        document = connection_.openQuietly(documents, path, true, std::move(active));
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        // Not plotted; the report tells the run why.
        report_.openError = error.description();
        report_.openElsewhere = openInSession(documents, path);
        return;
    }
    // An application that hands back the user's own document instead of a
    // second one leaves the count as it was: that one is not Quillon's. In a
    // single-document mode of the application's own the count stays too: the
    // drawing took the place of the one open, always one of Quillon's there.
    if (documents.count() <= openBefore && !connection_.opensReplace()) {
        report_.openElsewhere = true;
        connection_.ownDocumentClosed();
        return;
    }
    connection_.rememberOpened(*document);
    opened_ = std::move(document);
    report_.opened = true;
}

bool DrawingPlotter::openInSession(CadDocuments& documents, const std::string& path) {
    bool open = false;
    tolerate("only the reason given to the user depends on this: untold, it stays \"could not be opened\"", [&] {
        for (auto& document : documents.items())
            if (isDocumentFor(document, path)) open = true;
    });
    return open;
}

bool DrawingPlotter::isDocumentFor(CadDocument& document, const std::string& path) {
    const std::string name = document.name();
    if (!base::samePath(name, referenceFileName(path))) return false;
    return base::samePath(joinFolder(document.path(), name), path);
}

bool DrawingPlotter::activateDrawing(bool activate) {
    return connection_.withApp([&](CadApplication& app) {
        if (!opened_) return false;
        try {
            // The document Documents.Open handed back, whatever the user has made active since.
            CadDocument& document = *opened_;
            xrefs_.reloadXrefs(document);
            noteMissingReferences();
            // Without references the reload has just zoomed and regenerated as this would, failing as this would.
            withoutReferences_ = xrefs_.references().empty();
            if (!withoutReferences_) {
                app.zoomExtents();
                document.regen(RegenScope::AllViewports);
                document.regen(RegenScope::ActiveViewport);
            }
            if (activate) document.activate();
            report_.found = true;
            return true;
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            // Reported on the drawing's row; the drawing is not plotted.
            report_.activationError = error.description();
        }
        return false;
    });
}

CadDocument& DrawingPlotter::ownDocument() {
    if (!opened_) throw AutomationError(automation::hresult::Fail, "No drawing is open for plotting");
    return *opened_;
}

void DrawingPlotter::readyToPlot(CadDocument& document) {
    // The application plots the active drawing only, and the user may have
    // made one of their own active since: Quillon's is made active again.
    CadApplication app = connection_.app();
    if (isActive(app, document)) return;
    try {
        document.activate();
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        base::swallowed("whether it became active is asked next, and the sheet fails with the reason if not");
    }
    if (!isActive(app, document)) throw AutomationError(automation::hresult::Fail, NotActiveReason);
}

int DrawingPlotter::getLayouts() {
    return connection_.withApp([&](CadApplication&) {
        auto& document = ownDocument();
        if (!layouts_) layouts_ = document.layouts();
        return layouts_->count() - 1;
    });
}

void DrawingPlotter::forgetDocument() {
    layouts_.reset();
    plot_.reset();
    documentName_.reset();
    withoutReferences_ = false;
}

CadPlot& DrawingPlotter::ownPlot(CadDocument& document) {
    // The document's one Plot object serves every sheet of it.
    if (!plot_) plot_ = document.plot();
    return *plot_;
}

void DrawingPlotter::reloadOwnXrefs(CadDocument& document) {
    // A read-only drawing found without references at its activation has none at its plot either: only the
    // view is settled again, as the reload ends.
    if (withoutReferences_) xrefs_.settleView(document);
    else xrefs_.reloadXrefs(document);
}

void DrawingPlotter::setLayoutsToPlot() {
    if (!beginLayouts()) return;
    while (plotNextLayout()) {
    }
}

bool DrawingPlotter::beginLayouts() {
    layoutsDocument_.reset();
    layoutQueue_.clear();
    nextLayout_ = 0;
    connection_.ensureConnected();
    if (!selectionMade()) return false;
    connection_.withApp([&](CadApplication&) {
        if (!opened_) return;
        layoutsDocument_ = *opened_;
        // Foreground plotting: each plot is done before the next layout is set up. A check plots nothing.
        if (!checking())
            tolerate("a background plot still plots; only its file may come later",
                     [&] { connection_.plotInForeground(*layoutsDocument_); });
        if (tolerate("sheets are plotted with the references as they loaded",
                     [&] { reloadOwnXrefs(*layoutsDocument_); }))
            noteMissingReferences();
        std::vector<CadLayout> items;
        tolerate("a drawing whose layouts cannot be listed has no sheets to plot", [&] {
            if (!layouts_) layouts_ = layoutsDocument_->layouts();
            items = layouts_->items();
        });
        queueSheets(std::move(items));
    });
    return true;
}

void DrawingPlotter::queueSheets(std::vector<CadLayout> layouts) {
    struct Found {
        QueuedSheet sheet;
        std::int32_t tab;
    };
    std::vector<Found> found;
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        auto& layout = layouts[i];
        std::optional<bool> model;
        tolerate("unread, the layout's name tells the model layout apart", [&] { model = layout.modelType(); });
        if (model.value_or(false)) continue;
        std::string name;
        if (!tolerate("a layout whose name cannot be read cannot be made active by name either",
                      [&] { name = layout.name(); }))
            continue;
        // Without ModelType only the model layout's own name tells it apart.
        if (!model && equalsIgnoreCase(name, "Model")) continue;
        // The collection need not list the tabs in order: a tab the user
        // moved keeps its place in the collection.
        auto tab = static_cast<std::int32_t>(i);
        tolerate("unreadable, the tab keeps its place in the collection", [&] { tab = layout.tabOrder(); });
        found.push_back({{std::move(layout), std::move(name)}, tab});
    }
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.tab < b.tab; });
    const LayoutPatterns& patterns = setup_.layoutPatterns;
    for (auto& f : found) {
        if (patterns.selects(f.sheet.name))
            layoutQueue_.push_back(std::move(f.sheet));
        else
            report_.unmatchedLayouts.push_back(f.sheet.name);
    }
    if (!found.empty() && layoutQueue_.empty()) report_.noLayoutMatches = patterns.shown();
}

bool DrawingPlotter::leftOutAsEmpty(CadLayout& layout) {
    if (!setup_.skipEmptyLayouts) return false;
    std::int32_t entities = 1;
    tolerate("unknown, it is plotted: a blank sheet is better than a sheet lost",
             [&] { entities = layout.blockCount(); });
    return entities == 0;
}

bool DrawingPlotter::plotNextLayout() {
    return noting(connection_, [&] {
        while (nextLayout_ < layoutQueue_.size()) {
            if (stopRequested_.load()) {
                report_.stopped = true;
                return false;
            }
            auto& queued = layoutQueue_[nextLayout_++];
            if (leftOutAsEmpty(queued.layout)) {
                SheetRecord sheet{queued.name, "", false, {}};
                sheet.leftOut = true;
                report_.sheets.push_back(std::move(sheet));
                continue;
            }
            plotPaperLayout(queued);
            return nextLayout_ < layoutQueue_.size();
        }
        return false;
    });
}

bool DrawingPlotter::closeDrawing() {
    if (!opened_) return false;  // nothing of Quillon's for this drawing: close nothing
    CadDocument document = std::move(*opened_);
    opened_.reset();
    // Nothing of the document is held once it is closed.
    titles_.reset();
    forgetDocument();
    connection_.withApp([&](CadApplication&) {
        if (connection_.documents().count() > 0) closeQuillonsDocument(document);
    });
    return false;
}

}  // namespace quillon::plotting
