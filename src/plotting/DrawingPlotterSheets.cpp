#include "plotting/DrawingPlotter.h"

#include "base/Swallowed.h"
#include "plotting/Tolerate.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/xref/XrefPaths.h"

// The sheets of a drawing: each set up with the user's choices, then plotted
// (or, in a check, left there).
namespace quillon::plotting {

using autocad::CadApplication;
using autocad::CadDocument;
using autocad::CadLayout;
using autocad::CadPlot;
using autocad::RegenScope;
using automation::AutoObject;
using automation::Value;

namespace {

// Why the chosen paper was not set, and the paper the sheet is plotted on instead (a check: would be).
std::string paperNotSetReason(AutoObject& layout, bool listed, bool checking) {
    std::string reason = listed ? "the device does not offer it" : "the device's papers could not be read";
    std::string kept;
    tolerate("the reason is given without the paper kept", [&] { kept = layout.get("CanonicalMediaName").toText(); });
    if (!kept.empty()) reason += (checking ? "; it would plot on \"" : "; plotted on \"") + kept + "\"";
    return reason;
}

}  // namespace

void DrawingPlotter::plotPaperLayout(QueuedSheet& queued) {
    const std::string& layoutName = queued.name;
    CadDocument& document = *layoutsDocument_;
    std::vector<SetupWarning> warnings;
    // A plot goes out of whatever layout is active: one that cannot be made
    // active would put another's sheet under this layout's name. A check
    // goes on setting up and names the layout among its warnings. The layout
    // is the object the collection listed, the one its name would find there.
    const bool madeActive = applySetting(warnings, layoutName, "active layout", layoutName,
                                         [&] { document.setActiveLayout(queued.layout); });
    if (!madeActive && !checking()) {
        ++report_.layoutsTried;
        SheetRecord sheet{layoutName, "", false, {}};
        sheet.failure = "the layout could not be made active (" + warnings.front().reason + ")";
        report_.sheets.push_back(std::move(sheet));
        return;
    }
    // Made active, it is the layout PaperSpace.Layout gives; else (a check) that is whichever layout is active.
    std::optional<CadLayout> activated;
    if (madeActive) activated = queued.layout;
    else applySetting(warnings, layoutName, "page setup", "", [&] { activated = document.paperSpace().layout(); });
    std::string settingsFrom;
    if (activated) settingsFrom = setUpPaperLayout(*activated->raw(), layoutName, warnings);

    std::function<CadPlot&()> documentPlot = [&]() -> CadPlot& { return ownPlot(document); };
    if (setup_.copies > 1)
        applySetting(warnings, layoutName, "copies", std::to_string(setup_.copies),
                     [&] { documentPlot().setNumberOfCopies(setup_.copies); });
    // Quiet errors belong to the document's Plot: a layout has none, and an
    // error dialog would halt an unattended run.
    tolerate("a Plot without quiet errors still plots", [&] { documentPlot().setQuietErrorMode(true); });

    ++report_.layoutsTried;
    SheetRecord sheet{layoutName, "", false, warnings};
    sheet.checked = checking();
    if (activated) sheet.plotAreaAndScale = plotAreaAndScale(*activated->raw());
    sheet.settingsFrom = settingsFrom;
    noteTemplate(sheet);
    if (!sheet.checked)
        sheet.failure = deviceNotTaken(activated ? *activated->raw() : *queued.layout.raw(), warnings);
    std::string drawingName = referenceFileName(report_.path);
    if (sheet.failure.empty()) {
        if (!documentName_)
            tolerate("the file's own name names the plot file as well", [&] { documentName_ = document.name(); });
        if (documentName_) drawingName = *documentName_;
        readTitleBlock(document, drawingName, layoutName, sheet);
    }
    if (!sheet.checked && sheet.failure.empty()) plotSheet(document, documentPlot, drawingName, layoutName, sheet);
    const bool plotted = sheet.plotted;
    const bool checked = sheet.checked;
    report_.sheets.push_back(std::move(sheet));
    if (!plotted && !checked) return;
    if (plotted) ++report_.layoutsPlotted;
    noteSheetWarnings(report_.sheets.back());
}

std::string DrawingPlotter::deviceNotTaken(AutoObject& layout, const std::vector<SetupWarning>& warnings) {
    // The plot call's own device argument is no help: a configuration the application cannot find gives way
    // to the layout's, without a word, and the sheet would come out of the layout's old device.
    std::string device;
    try {
        device = layout.get("ConfigName").toText();
    } catch (const automation::AutomationError& error) {
        if (error.serverGone()) throw;
        return "the device could not be read back to see that \"" + setup_.device + "\" was set (" +
               (error.description().empty() ? error.what() : error.description()) + ")";
    }
    if (equalsIgnoreCase(device, setup_.device)) return {};
    std::string why;
    for (const auto& warning : warnings)
        if (warning.setting == std::string("device")) why = " (" + warning.reason + ")";
    return "the device \"" + setup_.device + "\" could not be set" + why + "; the layout's device is \"" + device +
           "\"";
}

std::string DrawingPlotter::setUpPaperLayout(AutoObject& layout, const std::string& layoutName,
                                             std::vector<SetupWarning>& warnings) {
    // Called by name on whatever object PaperSpace.Layout gives; a member it
    // lacks fails alone and the set-up goes on. What the user chose and did
    // not take is noted for the drawing's row.
    auto setting = [&](const char* name, const std::string& shown, const char* member, const Value& value) {
        applySetting(warnings, layoutName, name, shown, [&] { layout.put(member, value); });
    };
    const bool quillons = setup_.sheetSettings == SheetSettings::Quillon;
    constexpr const char* goesOn = "the settings that matter are warned one by one";
    if (quillons) zoomLayoutToExtents(layout);
    const bool copied =
        setup_.sheetSettings == SheetSettings::Template && applyPageSetup(layout, false, layoutName, warnings);
    // The device data (its papers) is refreshed once the device is set, the one change that needs it: the
    // papers listed before would be the old device's.
    setting("device", setup_.device, "ConfigName", Value(setup_.device));
    tolerate(goesOn, [&] { layout.call("RefreshPlotDeviceInfo"); });
    std::vector<std::string> papers;
    const bool listed = tolerate("the paper's warning says the papers could not be read",
                                 [&] { papers = layout.call("GetCanonicalMediaNames").toTextArray(); });
    if (const auto match = matchPaper(papers, setup_.paper))
        setting("paper", papers[*match], "CanonicalMediaName", Value(papers[*match]));
    else
        warnings.push_back({layoutName, "paper", setup_.paper, paperNotSetReason(layout, listed, checking())});
    if (quillons) setting("plot with plot styles", "on", "PlotWithPlotStyles", Value(true));
    std::string currentTable;
    tolerate("unread, the chosen table is set as chosen", [&] { currentTable = layout.get("StyleSheet").toText(); });
    const std::string table = plotStyleTableFor(currentTable, setup_.plotStyleTable);
    setting("plot style table", table, "StyleSheet", Value(table));
    // The layout's own page setup keeps its plot area, scale, rotation and offset.
    if (quillons) {
        setting("plot area", "extents", "PlotType", Value(autocad::plot_type::Extents));
        setting("scale", "fit", "StandardScale", Value(autocad::standard_scale::ScaleToFit));
        setting("standard scale", "on", "UseStandardScale", Value(true));
        setting("rotation", "90 degrees", "PlotRotation", Value(autocad::plot_rotation::Degrees90));
        setting("centre the plot", "on", "CenterPlot", Value(true));
    }
    return settingsFrom(copied);
}

void DrawingPlotter::zoomLayoutToExtents(AutoObject& layout) {
    const auto& application = connection_.acadApp();
    if (application && layoutsWithoutZoom_.lock() == application) return;
    try {
        layout.call("ZoomExtents");
    } catch (const automation::AutomationError& error) {
        if (error.serverGone()) throw;
        // A member the application's layouts lack is lacked by every layout of it: not asked for again.
        if (error.code() == automation::hresult::UnknownName || error.code() == automation::hresult::MemberNotFound)
            layoutsWithoutZoom_ = application;
        base::swallowed("the sheet is set up to plot its extents whatever its view shows");
    }
}

std::string DrawingPlotter::plotAreaAndScale(AutoObject& layout) const {
    if (setup_.sheetSettings == SheetSettings::Quillon) return QuillonsPlotAreaAndScale;
    std::string text;
    tolerate("the sheet's record leaves its plot area and scale blank", [&] {
        text = plotAreaAndScaleText(layout.get("PlotType").toInt(), layout.get("UseStandardScale").toBool(),
                                    layout.get("StandardScale").toInt());
    });
    return text;
}

void DrawingPlotter::setUpModelSpace(CadDocument& document, CadLayout& layout,
                                     const std::function<CadPlot&()>& documentPlot,
                                     std::vector<SetupWarning>& warnings) {
    document.regen(RegenScope::ActiveViewport);
    layout.setConfigName(setup_.device);
    // A device that did not take would plot the sheet on the layout's old one, whatever the plot call names.
    if (const auto device = layout.configName(); !equalsIgnoreCase(device, setup_.device))
        throw automation::AutomationError(automation::hresult::Fail, "the device \"" + setup_.device +
                                                                         "\" could not be set; the layout's device is \"" +
                                                                         device + "\"");
    // The media names stay those of the drawing's old device until the device data is refreshed;
    // matching the paper against them would fail on every drawing saved for another device. Only the device
    // changes the device data: the settings below need no refresh of their own.
    layout.refreshPlotDeviceInfo();
    const auto papers = layout.canonicalMediaNames();
    if (const auto match = matchPaper(papers, setup_.paper))
        layout.setCanonicalMediaName(papers[*match]);
    else
        warnings.push_back({"Model", "paper", setup_.paper, paperNotSetReason(*layout.raw(), true, checking())});
    const bool quillons = setup_.sheetSettings == SheetSettings::Quillon;
    if (quillons) layout.setPlotWithPlotStyles(true);
    layout.setPlotStyleTable(plotStyleTableFor(layout.plotStyleTable(), setup_.plotStyleTable));
    if (quillons) {
        layout.setPlotType(autocad::plot_type::Extents);
        layout.setStandardScale(autocad::standard_scale::ScaleToFit);
        layout.setUseStandardScale(true);
    }
    if (setup_.copies > 1) documentPlot().setNumberOfCopies(setup_.copies);
    if (quillons) {
        layout.setPlotRotation(autocad::plot_rotation::Degrees90);
        layout.setCenterPlot(true);
    }
    documentPlot().setQuietErrorMode(true);
}

void DrawingPlotter::plotActiveLayout() {
    connection_.withApp([&](CadApplication& app) {
        if (stopRequested_.load()) {
            report_.stopped = true;
            return;
        }
        if (!selectionMade()) return;
        CadDocument& document = ownDocument();
        // A sheet plotted in the background may never arrive once the drawing is closed.
        if (!checking())
            tolerate("the plot still goes out; its file is waited for",
                     [&] { connection_.plotInForeground(document); });
        // Without references the reload is only its closing zoom, which this one would merely repeat.
        if (!withoutReferences_) app.zoomExtents();
        reloadOwnXrefs(document);
        noteMissingReferences();
        auto layout = document.activeLayout();
        std::vector<SetupWarning> warnings;
        const bool copied =
            setup_.sheetSettings == SheetSettings::Template && applyPageSetup(*layout.raw(), true, "Model", warnings);
        std::function<CadPlot&()> documentPlot = [&]() -> CadPlot& { return ownPlot(document); };
        setUpModelSpace(document, layout, documentPlot, warnings);

        report_.activeLayoutTried = true;
        SheetRecord sheet{"Model", "", false, warnings};
        sheet.checked = checking();
        sheet.plotAreaAndScale = plotAreaAndScale(*layout.raw());
        sheet.settingsFrom = settingsFrom(copied);
        noteTemplate(sheet);
        readTitleBlock(document, referenceFileName(report_.path), "", sheet);
        if (!sheet.checked) plotSheet(document, documentPlot, referenceFileName(report_.path), "", sheet);
        report_.activeLayoutPlotted = sheet.plotted;
        // What the rows call "Plotted (model space)"; asking the layout's name would add a call.
        const bool plotted = sheet.plotted || sheet.checked;
        report_.sheets.push_back(std::move(sheet));
        if (plotted) noteSheetWarnings(report_.sheets.back());
    });
}

}  // namespace quillon::plotting
