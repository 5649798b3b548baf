#include "plotting/record/ReportRows.h"

#include "base/Paths.h"
#include "plotting/DrawingCheck.h"
#include "plotting/record/OutcomeWords.h"
#include "plotting/titleblocks/TitleValuesText.h"

namespace quillon::plotting {

namespace {

namespace w = outcome_word;

ReportRow leftOutRow(ReportRow row) {
    row.outcome = w::LeftOut;
    row.reason = EmptyLayoutReason;
    return row;
}

// A check's rows: one per sheet it set up, or one saying why the drawing cannot be plotted as it is.
std::vector<ReportRow> checkRows(const DrawingOutcome& outcome, const ReportRow& base) {
    std::vector<ReportRow> rows;
    using Kind = DrawingOutcome::Kind;
    if (outcome.kind == Kind::Checked) {
        const std::string missing = missingReferencesText(outcome);
        for (const auto& sheet : outcome.sheets) {
            ReportRow row = base;
            row.layout = sheet.layout;
            row.plotAreaAndScale = sheet.plotAreaAndScale;
            row.titleBlock = sheet.titleBlock;
            row.titleValues = titleValuesText(sheet.titleValues);
            if (sheet.leftOut) {
                rows.push_back(leftOutRow(row));
                continue;
            }
            row.reason = missing;
            const std::string warnings = joinedText(sheet.warnings);
            if (!warnings.empty()) row.reason += (row.reason.empty() ? "" : "; ") + warnings;
            if (!sheet.note.empty()) row.reason += (row.reason.empty() ? "" : "; ") + sheet.note;
            if (!outcome.changeReason.empty()) row.reason += (row.reason.empty() ? "" : "; ") + outcome.changeReason;
            row.outcome = checkOutcomeWord(!missing.empty()      ? CheckVerdict::Problems
                                           : !warnings.empty()   ? CheckVerdict::ReadyWithWarnings
                                                                 : CheckVerdict::Ready);
            rows.push_back(std::move(row));
        }
        if (!outcome.stopped && outcome.closeError.empty()) return rows;
    }
    ReportRow row = base;
    if (outcome.kind == Kind::Started) {
        row.outcome = w::StartedNotFinished;
    } else if (outcome.kind == Kind::NotStarted) {
        row.outcome = w::NotStarted;
    } else if (outcome.stopped || (outcome.kind == Kind::Skipped && outcome.detail == StoppedBeforePlotting)) {
        row.outcome = w::Stopped;
    } else {
        row.outcome = checkOutcomeWord(CheckVerdict::Problems);
    }
    row.reason = outcome.kind == Kind::Checked ? (outcome.stopped ? "the check was stopped" : "") : outcome.detail;
    if (!outcome.closeError.empty()) row.reason += (row.reason.empty() ? "" : "; ") + ("not closed: " + outcome.closeError);
    rows.push_back(std::move(row));
    return rows;
}

// What every row of the drawing says, whatever became of its sheets.
ReportRow drawingRow(const DrawingOutcome& outcome, const PlotSetup& setup, const std::string& startedIso) {
    ReportRow base = choicesRow(setup);
    base.drawing = outcome.path;
    base.started = startedIso;
    base.seconds = outcome.seconds;
    base.dwgVersion = outcome.dwgVersion;
    base.drawingHash = outcome.drawingHash;
    if (const auto qualifier = setup.files.qualifiers.find(base::foldedPath(outcome.path));
        qualifier != setup.files.qualifiers.end())
        base.qualifier = qualifier->second;
    else
        base.qualifier = "";
    return base;
}

// The sheets of a drawing that failed are its rows when they say why it failed: no row of its own is added.
bool sheetsSayWhy(const DrawingOutcome& outcome, const std::vector<ReportRow>& rows) {
    if (outcome.kind != DrawingOutcome::Kind::Failed || rows.empty() || outcome.stopped || !outcome.closeError.empty())
        return false;
    bool anyFailed = false;
    for (const auto& sheet : outcome.sheets) {
        if (sheet.leftOut) continue;
        if (sheet.plotted) return false;
        anyFailed = true;
    }
    if (!anyFailed) return false;
    for (const auto& sheet : outcome.sheets)
        if (!sheet.leftOut && sheet.failure == outcome.detail) return true;
    return outcome.detail == PlotNotAccepted || outcome.detail == NoLayoutAccepted;
}

}  // namespace

ReportRow choicesRow(const PlotSetup& setup) {
    ReportRow base;
    base.device = setup.device;
    base.paper = setup.paper;
    base.plotStyleTable = setup.plotStyleTable;
    base.copies = setup.copies > 1 ? setup.copies : 1;
    base.layouts = setup.layouts;
    base.plotFolder = setup.files.folder;
    base.plotFileName = setup.files.pattern;
    base.plotFileExtension = setup.files.extension;
    base.output = plotOutputWord(setup.files.output);
    base.resumes = setup.resumes;
    base.combine = setup.combine;
    base.cadRestartEvery = std::to_string(setup.cadRestartEvery);
    base.nameDate = setup.files.runDate;
    base.sheetSettings = sheetSettingsWord(setup.sheetSettings);
    base.pageSetupFile = setup.pageSetupFile;
    base.pageSetup = setup.pageSetup;
    base.includeLayouts = setup.layoutPatterns.include == "*" ? "" : setup.layoutPatterns.include;
    base.excludeLayouts = setup.layoutPatterns.exclude;
    base.plot = setup.onlyChanged ? "changed" : "all";
    base.titleBlocks = setup.titleBlocks;
    base.bookmarkName = setup.bookmarkName;
    base.registerName = setup.registerName;
    base.registerColumns = registerColumnsText(setup.registerColumns);
    return base;
}

namespace {

// One sheet's row, from the drawing's.
ReportRow sheetRow(ReportRow row, const SheetRecord& sheet, const DrawingOutcome& outcome) {
    row.layout = sheet.layout;
    row.plotFile = sheet.plotFile;
    row.plotAreaAndScale = sheet.plotAreaAndScale;
    row.plotFileHash = sheet.plotFileHash;
    row.combinedPages = sheet.combinedPages;
    row.titleBlock = sheet.titleBlock;
    row.titleValues = titleValuesText(sheet.titleValues);
    row.bookmark = sheet.bookmark;
    if (sheet.leftOut) return leftOutRow(std::move(row));
    if (sheet.upToDate) {
        row.outcome = w::UpToDate;
        row.reason = "plotted " + outcome.detail;
        return row;
    }
    if (!sheet.plotted) {
        row.outcome = w::Failed;
        row.reason = sheet.failure.empty() ? PlotNotAccepted : sheet.failure;
    } else if (!sheet.warnings.empty() || !sheet.plotWarnings.empty()) {
        row.outcome = w::PlottedWithWarnings;
        row.reason = joinedText(sheet.warnings);
        for (const auto& warning : sheet.plotWarnings) row.reason += (row.reason.empty() ? "" : "; ") + warning;
    } else {
        row.outcome = w::Plotted;
    }
    std::string earlier;
    if (sheet.plotted && sheet.earlier == EarlierPlotFile::Replaced)
        earlier = "replaced the earlier plot file of this name";
    if (!earlier.empty()) row.reason += (row.reason.empty() ? "" : "; ") + earlier;
    if (sheet.plotted && sheet.sentToDevice) row.reason += (row.reason.empty() ? "" : "; ") + std::string("sent to the device");
    if (sheet.plotted && !sheet.note.empty()) row.reason += (row.reason.empty() ? "" : "; ") + sheet.note;
    if (sheet.plotted && !outcome.changeReason.empty())
        row.reason += (row.reason.empty() ? "" : "; ") + outcome.changeReason;
    // Not a warning: the sheet is whole, but which file it drew on is worth knowing in a transmittal.
    if (sheet.plotted)
        for (const auto& [stored, now] : outcome.repointedReferences)
            row.reason += (row.reason.empty() ? "reference " : "; reference ") + stored + " now uses " + now;
    return row;
}

}  // namespace

std::vector<ReportRow> reportRows(const DrawingOutcome& outcome, const PlotSetup& setup,
                                  const std::string& startedIso) {
    const ReportRow base = drawingRow(outcome, setup, startedIso);
    if (outcome.purpose == RunPurpose::Check) return checkRows(outcome, base);

    std::vector<ReportRow> rows;
    for (const auto& sheet : outcome.sheets) rows.push_back(sheetRow(base, sheet, outcome));
    for (const auto& [layout, file] : outcome.obsoleteFiles) {
        ReportRow row = base;
        row.layout = layout;
        row.plotFile = file;
        row.outcome = w::Obsolete;
        row.reason = std::string(outcome.gone ? "the drawing is gone" : "the drawing has no such sheet any more") +
                     "; its plot file " +
                     (outcome.obsoleteRemoved ? "was removed, as the run asked" : "is left as it was");
        rows.push_back(std::move(row));
    }
    if (outcome.kind == DrawingOutcome::Kind::UpToDate) return rows;
    const bool stoppedHere = outcome.kind == DrawingOutcome::Kind::Skipped && outcome.detail == StoppedBeforePlotting;
    if (outcome.plotted() && !outcome.stopped && outcome.closeError.empty()) return rows;
    if (outcome.plotted() && !rows.empty()) {
        // Sheets were plotted, then something happened to the drawing: said on its last row. One
        // that would not close was plotted all the same: a resume must not plot it again.
        ReportRow row = base;
        row.outcome = outcome.stopped ? w::Stopped : w::PlottedWithWarnings;
        row.reason = outcome.stopped ? "the run was stopped" : "could not be closed: " + outcome.closeError;
        rows.push_back(std::move(row));
        return rows;
    }
    // A drawing whose every sheet failed for the reason it failed (model space, or no layout made active) has
    // its sheets' rows alone: a row of its own would be a second failure of the same thing.
    if (sheetsSayWhy(outcome, rows)) return rows;
    ReportRow row = base;
    switch (outcome.kind) {
        case DrawingOutcome::Kind::Skipped: row.outcome = stoppedHere ? w::Stopped : w::Skipped; break;
        case DrawingOutcome::Kind::Failed: row.outcome = w::Failed; break;
        case DrawingOutcome::Kind::NotStarted: row.outcome = w::NotStarted; break;
        case DrawingOutcome::Kind::Started: row.outcome = w::StartedNotFinished; break;
        default: row.outcome = w::Failed; break;
    }
    row.reason = outcome.detail;
    if (!outcome.closeError.empty()) row.reason += (row.reason.empty() ? "" : "; ") + ("not closed: " + outcome.closeError);
    // Sheets tried before the failure stay in the report; the drawing's own reason follows them.
    rows.push_back(std::move(row));
    return rows;
}

}  // namespace quillon::plotting
