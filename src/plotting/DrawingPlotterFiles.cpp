#include "plotting/DrawingPlotter.h"

#include <algorithm>

#include "base/Paths.h"
#include "plotting/DrawingCheck.h"
#include "plotting/Tolerate.h"
#include "plotting/changes/ChangeCheck.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/xref/XrefPaths.h"

// The plot call of a sheet already set up: to its file, or to the device.
namespace quillon::plotting {

using autocad::CadDocument;
using autocad::CadPlot;
using automation::AutomationError;
using automation::Value;

namespace {

// Some servers answer PlotToDevice with nothing; only an explicit false says the job was refused.
bool plotToDevice(CadPlot& plot) {
    const Value answer = plot.raw()->call("PlotToDevice");
    return answer.isEmpty() || answer.toBool();
}

std::string keptWarning(const SheetRecord& sheet) {
    return "the earlier plot file " + sheet.keptFile + " could not be replaced (" + sheet.keptReason + ")";
}

}  // namespace

void DrawingPlotter::releasePlotFiles() {
    for (const auto& sheet : report_.sheets)
        if (!sheet.plotFile.empty()) plotFiles_->release(sheet.plotFile);
}

void DrawingPlotter::plotSheet(CadDocument& document, const std::function<CadPlot&()>& documentPlot,
                               const std::string& drawingName, const std::string& layoutName, SheetRecord& sheet) {
    // A device whose output is a file would write it where nobody looks, or
    // ask for a name in a box: only a plotter's sheet may go to the device instead.
    // So is a plotter whose configuration was found plotting to a file: it makes files from then on.
    const bool systemFiles = systemFilePrinter(setup_.device);
    const bool fileDevice = deviceExtension(setup_.device) != ".plt" || systemFiles || plotsToFilePort_;
    const bool toPaper = setup_.files.output == PlotOutput::Device && !fileDevice;
    const bool toFile = (plotsToFile(setup_.device) || systemFiles || plotsToFilePort_) && !toPaper;
    std::string fileFailure;
    if (toFile) {
        const std::string wanted = sheetPlotFile(drawingName, layoutName, sheet);
        // However a pattern and a listing meet, a drawing is never plotted over.
        if (setup_.files.drawings.count(base::foldedPath(wanted))) {
            sheet.failure = "the plot file " + wanted + " would replace a drawing of the listing or a file the run keeps";
            return;
        }
        readyToPlot(document);
        const bool titleNamed = !valueFields(setup_.files.pattern).empty();
        if (titleNamed) keepOthersFiles(wanted);
        PlotFileWriter writer(files_, *plotFiles_, plotFileWait_);
        const auto result = writer.write(wanted, [&](const std::string& file) {
            return documentPlot().plotToFile(file, setup_.device);
        });
        sheet.earlier = result.earlier;
        sheet.keptFile = result.keptFile;
        sheet.keptReason = result.keptReason;
        if (result.written) {
            sheet.plotted = true;
            sheet.plotFile = *result.written;
            if (result.earlier == EarlierPlotFile::Kept) sheet.plotWarnings.push_back(keptWarning(sheet));
            else if (titleNamed && !base::samePath(base::withExtensionOf(wanted, sheet.plotFile), sheet.plotFile))
                // Two sheets whose title blocks give one name: neither replaces the other, and this one says so.
                sheet.plotWarnings.push_back("another sheet of the job is named " + referenceFileName(wanted) +
                                             "; this one is " + referenceFileName(sheet.plotFile));
            else if (sheet.plotFile != base::withExtensionOf(wanted, sheet.plotFile))
                // A driver that writes its own extension has not renamed the sheet; only a name taken has.
                report_.renamedPlotFiles.push_back(referenceFileName(sheet.plotFile));
            noteMissingReferencesOn(sheet);
            return;
        }
        fileFailure = result.failure;
        if (fileDevice) {
            sheet.failure = fileFailure;
            return;
        }
    }
    readyToPlot(document);
    const auto unnamedBefore = toPaper ? unnamedPlotFiles(drawingName, layoutName) : UnnamedPlotFiles{};
    try {
        sheet.plotted = plotToDevice(documentPlot());
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        // The sheet fails with the application's reason on its row.
        sheet.failure = error.description().empty() ? error.what() : error.description();
    }
    if (!sheet.plotted) {
        if (sheet.failure.empty()) sheet.failure = toFile ? fileFailure : PlotNotAccepted;
        return;
    }
    if (toFile)
        sheet.plotWarnings.push_back("sent to the device: the plot file could not be written (" + fileFailure + ")");
    sheet.sentToDevice = toPaper;
    if (toPaper && takeUnnamedPlotFile(unnamedBefore, drawingName, layoutName, sheet)) return;
    noteMissingReferencesOn(sheet);
}

void DrawingPlotter::keepOthersFiles(const std::string& wanted) {
    if (!setup_.changes) return;
    // Another part's sheet of this name, plotted into the same folder, is as much the job's as this run's own.
    for (int n = 1; n < 100; ++n) {
        const std::string candidate = n == 1 ? wanted : numberedPlotName(wanted, n);
        if (!setup_.changes->heldByAnother(files_, candidate, report_.path)) return;
        plotFiles_->takeRecorded(candidate);
    }
}

std::string DrawingPlotter::unnamedPlotFolder() {
    if (!unnamedPlotFolder_) {
        unnamedPlotFolder_.emplace();
        tolerate("unknown, a plot to a file nobody named cannot be looked for: the sheet counts as sent", [&] {
            *unnamedPlotFolder_ = connection_.app().raw()->object("Preferences")->object("Output")->get(
                "DefaultPlotToFilePath").toText();
        });
    }
    return *unnamedPlotFolder_;
}

DrawingPlotter::UnnamedPlotFiles DrawingPlotter::unnamedPlotFiles(const std::string& drawingName,
                                                                  const std::string& layoutName) {
    UnnamedPlotFiles found;
    const std::string folder = unnamedPlotFolder();
    if (folder.empty()) return found;
    // As the application names a plot to a file it was given no name for: "<drawing>-<layout>.<its extension>".
    const std::string prefix = drawingName.substr(0, base::extensionStart(drawingName)) + "-" +
                               (layoutName.empty() ? std::string("Model") : layoutName) + ".";
    if (const auto entries = files_.list(folder))
        for (const auto& entry : *entries)
            if (!entry.isDirectory && entry.size > 0 && entry.name.size() > prefix.size() &&
                equalsIgnoreCase(std::string_view(entry.name).substr(0, prefix.size()), prefix))
                found[withTrailingSeparator(folder) + entry.name] = entry.lastWriteTime;
    return found;
}

bool DrawingPlotter::takeUnnamedPlotFile(const UnnamedPlotFiles& before, const std::string& drawingName,
                                         const std::string& layoutName, SheetRecord& sheet) {
    std::string unnamed;
    for (const auto& [path, written] : unnamedPlotFiles(drawingName, layoutName)) {
        const auto earlier = before.find(path);
        if (earlier == before.end() || earlier->second != written) unnamed = path;
    }
    if (unnamed.empty()) return false;
    // The plotter's configuration plots to a file: the sheet went there, not to paper. It gets its own name,
    // and the rest of the run's sheets go to named files with PlotToFile.
    plotsToFilePort_ = true;
    sheet.sentToDevice = false;
    PlotFileWriter writer(files_, *plotFiles_, plotFileWait_);
    const auto result = writer.write(sheetPlotFile(drawingName, layoutName, sheet), [&](const std::string& temporary) {
        const std::string under = temporary.substr(0, base::extensionStart(temporary)) +
                                  unnamed.substr(base::extensionStart(unnamed));
        return static_cast<bool>(files_.moveFile(unnamed, under, false));
    });
    if (!result.written) {
        sheet.plotted = false;
        sheet.failure = "the plotter's configuration plots to a file: it wrote " + unnamed +
                        ", which could not be given the sheet's name (" + result.failure + ")";
        return true;
    }
    sheet.plotFile = *result.written;
    sheet.earlier = result.earlier;
    sheet.keptFile = result.keptFile;
    sheet.plotWarnings.push_back(PlotsToFilePortWarning);
    noteMissingReferencesOn(sheet);
    return true;
}

void DrawingPlotter::noteMissingReferences() {
    report_.missingReferences = xrefs_.stillMissing();
    report_.references = xrefs_.references();
    // A later repair of the same drawing finds the references already pointed right: what the first did stays said.
    for (const auto& repointed : xrefs_.repointed())
        if (std::find(report_.repointedReferences.begin(), report_.repointedReferences.end(), repointed) ==
            report_.repointedReferences.end())
            report_.repointedReferences.push_back(repointed);
}

void DrawingPlotter::noteMissingReferencesOn(SheetRecord& sheet) {
    // The sheet lacks what the reference draws (a site plan, a title block): plotted, but not as the drawing is.
    if (const std::string missing = missingReferencesText(report_.missingReferences); !missing.empty())
        sheet.plotWarnings.push_back(missing);
}

void DrawingPlotter::noteSheetWarnings(const SheetRecord& sheet) {
    if (sheet.warnings.empty() && sheet.plotWarnings.empty()) return;
    ++report_.layoutsWithWarnings;
    report_.warnings.insert(report_.warnings.end(), sheet.warnings.begin(), sheet.warnings.end());
    // A kept earlier file is named on the row by the name the plot went to instead.
    for (const auto& warning : sheet.plotWarnings)
        if (sheet.earlier != EarlierPlotFile::Kept || warning != keptWarning(sheet))
            report_.plotWarnings.push_back(sheet.layout + ": " + warning);
}

}  // namespace quillon::plotting
