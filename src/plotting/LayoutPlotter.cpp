#include "plotting/LayoutPlotter.h"

#include "plotting/PathFold.h"
#include "plotting/PlotFileNaming.h"
#include "plotting/Tolerate.h"
#include "plotting/XrefPaths.h"

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

// Some servers answer PlotToDevice with nothing; only an explicit false says the job was refused.
bool plotToDevice(CadPlot& plot) {
    const Value answer = plot.raw()->call("PlotToDevice");
    return answer.isEmpty() || answer.toBool();
}

// Why the chosen paper was not set, and the paper the sheet is plotted on instead.
std::string paperNotSetReason(AutoObject& layout, bool listed) {
    std::string reason = listed ? "the device does not offer it" : "the device's papers could not be read";
    std::string kept;
    tolerate([&] { kept = layout.get("CanonicalMediaName").toText(); });
    if (!kept.empty()) reason += "; plotted on \"" + kept + "\"";
    return reason;
}

}  // namespace

bool LayoutPlotter::selectionMade() {
    const auto missing = missingChoice(setup_);
    if (missing == MissingChoice::None) return true;
    const auto message = missingChoiceMessage(missing);
    messages_.showInformation(message.title, message.text);
    return false;
}

void LayoutPlotter::closeQuillonsDocument(CadDocument& document) {
    // Known by its name only while it is open.
    connection_.forgetOpened(document);
    try {
        document.close();
    } catch (const AutomationError& error) {
        // Still open: back on the record, so that leaving Quillon closes it.
        if (!error.serverGone()) tolerate([&] { connection_.rememberOpened(document); });
        throw;
    }
}

bool LayoutPlotter::openDrawing(const std::string& path) {
    report_ = DrawingReport{};
    report_.path = path;
    opened_.reset();
    return connection_.withApp([&](CadApplication& app) {
        auto documents = app.documents();
        if (documents.count() > 0) {
            auto active = app.activeDocument();
            // A modified document of Quillon's own left active is dropped
            // unsaved; a modified drawing of the user's is the user's work.
            if (active.getVariable("DBMOD").toInt() > 0 && connection_.openedByQuillon(active))
                closeQuillonsDocument(active);
        }
        if (!files_.fileExists(path)) return false;
        report_.fileFound = true;
        auto openBefore = documents.count();
        if (openBefore > 0) {
            auto active = app.activeDocument();
            if (contains(path, active.name()) && connection_.openedByQuillon(active)) {
                closeQuillonsDocument(active);
                --openBefore;
            }
        }
        openForPlotting(documents, path, openBefore);
        return true;
    });
}

void LayoutPlotter::openForPlotting(CadDocuments& documents, const std::string& path, std::int32_t openBefore) {
    std::optional<CadDocument> document;
    try {
        document = documents.open(path, true);
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        // Not plotted; the report tells the run why.
        report_.openError = error.description();
        report_.openElsewhere = openInSession(documents, path);
        return;
    }
    // An application that hands back the user's own document instead of a
    // second one leaves the count as it was: that one is not Quillon's.
    if (documents.count() <= openBefore) {
        report_.openElsewhere = true;
        return;
    }
    connection_.rememberOpened(*document);
    opened_ = std::move(document);
    report_.opened = true;
}

bool LayoutPlotter::openInSession(CadDocuments& documents, const std::string& path) {
    bool open = false;
    // Only the reason given to the user depends on this; failing to tell leaves it "could not be opened".
    tolerate([&] {
        for (auto& document : documents.items())
            if (isDocumentFor(document, path)) open = true;
    });
    return open;
}

bool LayoutPlotter::isDocumentFor(CadDocument& document, const std::string& path) {
    const std::string name = document.name();
    if (!equalsIgnoreCase(name, referenceFileName(path))) return false;
    return samePath(joinFolder(document.path(), name), path);
}

bool LayoutPlotter::activateDrawing(bool activate) {
    return connection_.withApp([&](CadApplication& app) {
        if (!opened_) return false;
        try {
            // The document Documents.Open handed back, whatever the user has made active since.
            CadDocument& document = *opened_;
            xrefs_.reloadXrefs(document);
            app.zoomExtents();
            document.regen(RegenScope::AllViewports);
            document.regen(RegenScope::ActiveViewport);
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

CadDocument& LayoutPlotter::ownDocument() {
    if (!opened_) throw AutomationError(automation::hresult::Fail, "No drawing is open for plotting");
    return *opened_;
}

void LayoutPlotter::readyToPlot(CadDocument& document) {
    // The application plots the active drawing only, and the user may have
    // made one of their own active since: Quillon's is made active again.
    CadApplication app = connection_.app();
    if (isActive(app, document)) return;
    try {
        document.activate();
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
    }
    if (!isActive(app, document)) throw AutomationError(automation::hresult::Fail, NotActiveReason);
}

int LayoutPlotter::getLayouts() {
    return connection_.withApp([&](CadApplication&) { return ownDocument().layouts().count() - 1; });
}

void LayoutPlotter::setLayoutsToPlot() {
    if (!beginLayouts()) return;
    while (plotNextLayout()) {
    }
}

bool LayoutPlotter::beginLayouts() {
    layoutsDocument_.reset();
    layouts_.reset();
    layoutQueue_.clear();
    nextLayout_ = 0;
    connection_.ensureConnected();
    if (!selectionMade()) return false;
    connection_.withApp([&](CadApplication&) {
        if (!opened_) return;
        layoutsDocument_ = *opened_;
        // Foreground plotting: each plot is done before the next layout is set up.
        tolerate([&] { connection_.plotInForeground(*layoutsDocument_); });
        tolerate([&] { xrefs_.reloadXrefs(*layoutsDocument_); });
        tolerate([&] {
            layouts_ = layoutsDocument_->layouts();
            layoutQueue_ = layouts_->items();
        });
    });
    return true;
}

bool LayoutPlotter::plotNextLayout() {
    return noting(connection_, [&] {
        while (nextLayout_ < layoutQueue_.size()) {
            if (stopRequested_.load()) {
                report_.stoppedBeforePlot = true;
                return false;
            }
            auto& layout = layoutQueue_[nextLayout_++];
            std::string name;
            // A layout whose name cannot be read cannot be made active by name either.
            if (!tolerate([&] { name = layout.name(); })) continue;
            if (contains(name, "Model")) continue;
            plotPaperLayout(name);
            return nextLayout_ < layoutQueue_.size();
        }
        return false;
    });
}

void LayoutPlotter::plotPaperLayout(const std::string& layoutName) {
    CadDocument& document = *layoutsDocument_;
    std::vector<SetupWarning> warnings;
    applySetting(warnings, layoutName, "active layout", layoutName,
                 [&] { document.setActiveLayout(layouts_->item(layoutName)); });
    std::optional<CadLayout> activated;
    applySetting(warnings, layoutName, "page setup", "", [&] { activated = document.paperSpace().layout(); });
    if (activated) setUpPaperLayout(*activated->raw(), layoutName, warnings);

    std::optional<CadPlot> plot;
    auto documentPlot = [&]() -> CadPlot& {
        if (!plot) plot = document.plot();
        return *plot;
    };
    if (setup_.copies > 1)
        applySetting(warnings, layoutName, "copies", std::to_string(setup_.copies),
                     [&] { documentPlot().setNumberOfCopies(setup_.copies); });
    // Quiet errors belong to the document's Plot: a layout has none, and an
    // error dialog would halt an unattended run.
    tolerate([&] { documentPlot().setQuietErrorMode(true); });

    ++report_.layoutsTried;
    SheetRecord sheet{layoutName, "", false, warnings};
    const bool toFile = plotsToFile(setup_.printer);
    if (toFile) {
        std::string drawingName = referenceFileName(report_.path);
        tolerate([&] { drawingName = document.name(); });
        readyToPlot(document);
        tolerate([&] {
            const auto written = plotToFile(documentPlot(), sheetPlotFile(drawingName, layoutName), sheet);
            sheet.plotted = written.has_value();
            sheet.plotFile = written.value_or("");
        });
    }
    if (!toFile || !sheet.plotted) {
        readyToPlot(document);
        tolerate([&] { sheet.plotted = plotToDevice(documentPlot()); });
    }
    const bool plotted = sheet.plotted;
    report_.sheets.push_back(std::move(sheet));
    if (!plotted) return;
    ++report_.layoutsPlotted;
    if (warnings.empty()) return;
    ++report_.layoutsWithWarnings;
    report_.warnings.insert(report_.warnings.end(), warnings.begin(), warnings.end());
}

std::string LayoutPlotter::sheetPlotFile(const std::string& drawingName, const std::string& layoutName) const {
    return plotFilePath(setup_.files, report_.path, drawingName, setup_.printer, layoutName);
}

std::optional<std::string> LayoutPlotter::plotToFile(CadPlot& plot, const std::string& wanted, SheetRecord& sheet) {
    std::string file = plotFiles_->claim(wanted);
    // The application does not reliably replace a file of the name it is
    // given: an earlier run's file goes just before the plot, or, when it
    // cannot, the plot goes to the next name that is free on disk too.
    const bool earlier = files_.fileExists(file);
    if (!files_.removeFile(file)) {
        sheet.earlier = EarlierPlotFile::Kept;
        sheet.keptFile = file;
        file = plotFiles_->claim(wanted, [&](const std::string& path) {
            return !files_.fileExists(path) && !files_.identity(path);
        });
    } else if (earlier) {
        sheet.earlier = EarlierPlotFile::Replaced;
    }
    if (!plot.plotToFile(file, setup_.printer)) return std::nullopt;
    if (file != wanted && sheet.earlier != EarlierPlotFile::Kept)
        report_.renamedPlotFiles.push_back(referenceFileName(file));
    return file;
}

void LayoutPlotter::setUpPaperLayout(AutoObject& layout, const std::string& layoutName,
                                     std::vector<SetupWarning>& warnings) {
    // Called by name on whatever object PaperSpace.Layout gives; a member it
    // lacks fails alone and the set-up goes on. What the user chose and did
    // not take is noted for the drawing's row.
    auto setting = [&](const char* name, const std::string& shown, const char* member, const Value& value) {
        applySetting(warnings, layoutName, name, shown, [&] { layout.put(member, value); });
    };
    tolerate([&] { layout.call("ZoomExtents"); });
    tolerate([&] { layout.call("RefreshPlotDeviceInfo"); });
    setting("device", setup_.printer, "ConfigName", Value(setup_.printer));
    tolerate([&] { layout.call("RefreshPlotDeviceInfo"); });
    std::vector<std::string> papers;
    const bool listed = tolerate([&] { papers = layout.call("GetCanonicalMediaNames").toTextArray(); });
    if (const auto match = matchPaper(papers, setup_.paper))
        setting("paper", papers[*match], "CanonicalMediaName", Value(papers[*match]));
    else
        warnings.push_back({layoutName, "paper", setup_.paper, paperNotSetReason(layout, listed)});
    setting("plot with plot styles", "on", "PlotWithPlotStyles", Value(true));
    std::string styleSheet;
    tolerate([&] { styleSheet = layout.get("StyleSheet").toText(); });
    const std::string table = styleSheetFor(styleSheet, setup_.ctb);
    setting("plot style table", table, "StyleSheet", Value(table));
    setting("plot area", "extents", "PlotType", Value(autocad::plot_type::Extents));
    setting("scale", "fit", "StandardScale", Value(autocad::standard_scale::ScaleToFit));
    setting("standard scale", "on", "UseStandardScale", Value(true));
    setting("rotation", "90 degrees", "PlotRotation", Value(autocad::plot_rotation::Degrees90));
    setting("centre the plot", "on", "CenterPlot", Value(true));
    tolerate([&] { layout.call("RefreshPlotDeviceInfo"); });
}

void LayoutPlotter::plotActiveLayout() {
    connection_.withApp([&](CadApplication& app) {
        if (stopRequested_.load()) {
            report_.stoppedBeforePlot = true;
            return;
        }
        if (!selectionMade()) return;
        CadDocument& document = ownDocument();
        // A sheet plotted in the background may never arrive once the drawing is closed.
        tolerate([&] { connection_.plotInForeground(document); });
        app.zoomExtents();
        xrefs_.reloadXrefs(document);
        auto layout = document.activeLayout();
        std::optional<CadPlot> plot;
        auto documentPlot = [&]() -> CadPlot& {
            if (!plot) plot = document.plot();
            return *plot;
        };
        layout.refreshPlotDeviceInfo();
        document.regen(RegenScope::ActiveViewport);
        layout.setConfigName(setup_.printer);
        // The media names stay those of the drawing's old device until the device data is refreshed;
        // matching the paper against them would fail on every drawing saved for another device.
        layout.refreshPlotDeviceInfo();
        const auto papers = layout.canonicalMediaNames();
        std::vector<SetupWarning> warnings;
        if (const auto match = matchPaper(papers, setup_.paper))
            layout.setCanonicalMediaName(papers[*match]);
        else
            warnings.push_back({"Model", "paper", setup_.paper, paperNotSetReason(*layout.raw(), true)});
        layout.setPlotWithPlotStyles(true);
        layout.setStyleSheet(styleSheetFor(layout.styleSheet(), setup_.ctb));
        layout.setPlotType(autocad::plot_type::Extents);
        layout.setStandardScale(autocad::standard_scale::ScaleToFit);
        layout.setUseStandardScale(true);
        if (setup_.copies > 1) documentPlot().setNumberOfCopies(setup_.copies);
        layout.setPlotRotation(autocad::plot_rotation::Degrees90);
        layout.setCenterPlot(true);
        layout.refreshPlotDeviceInfo();
        documentPlot().setQuietErrorMode(true);

        report_.activeLayoutTried = true;
        SheetRecord sheet{"Model", "", false, warnings};
        const bool toFile = plotsToFile(setup_.printer);
        if (toFile) {
            readyToPlot(document);
            const auto written =
                plotToFile(documentPlot(), sheetPlotFile(referenceFileName(report_.path), ""), sheet);
            sheet.plotted = written.has_value();
            sheet.plotFile = written.value_or("");
        }
        if (!toFile || !sheet.plotted) {
            readyToPlot(document);
            sheet.plotted = plotToDevice(documentPlot());
        }
        report_.activeLayoutPlotted = sheet.plotted;
        // What the rows call "Plotted (model space)"; asking the layout's name would add a call.
        const bool plotted = sheet.plotted;
        report_.sheets.push_back(std::move(sheet));
        if (plotted && !warnings.empty()) {
            report_.layoutsWithWarnings = 1;
            report_.warnings = warnings;
        }
    });
}

bool LayoutPlotter::closeDrawing() {
    if (!opened_) return false;  // nothing of Quillon's for this drawing: close nothing
    CadDocument document = std::move(*opened_);
    opened_.reset();
    connection_.withApp([&](CadApplication& app) {
        if (app.documents().count() > 0) closeQuillonsDocument(document);
    });
    return false;
}

}  // namespace quillon::plotting
