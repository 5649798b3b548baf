#include "plotting/DrawingCheck.h"

#include "plotting/record/OutcomeWords.h"

#include <utility>

namespace quillon::plotting {

namespace {

bool hasWarnings(const DrawingOutcome& outcome) {
    for (const auto& sheet : outcome.sheets)
        if (!sheet.warnings.empty()) return true;
    return false;
}

std::string joinedWarnings(const DrawingOutcome& outcome) {
    std::vector<SetupWarning> all;
    for (const auto& sheet : outcome.sheets) all.insert(all.end(), sheet.warnings.begin(), sheet.warnings.end());
    return joinedText(all);
}

// " (page setup \"A1 Issue\": layout, 1:1)": what the sheet was set up with; empty when nothing is known.
std::string settingsText(const SheetRecord& sheet) {
    std::string settings = sheet.settingsFrom;
    if (!sheet.plotAreaAndScale.empty()) settings += (settings.empty() ? "" : ": ") + sheet.plotAreaAndScale;
    return settings.empty() ? settings : " (" + settings + ")";
}

// "One (...), Two (...)": each sheet set up, in the order it would plot.
std::string sheetSettingsText(const DrawingOutcome& outcome) {
    std::string text;
    for (const auto& sheet : outcome.sheets)
        if (!sheet.leftOut) text += (text.empty() ? "" : ", ") + sheet.layout + settingsText(sheet);
    return text;
}

}  // namespace

CheckVerdict checkVerdict(const DrawingOutcome& outcome) {
    if (outcome.kind != DrawingOutcome::Kind::Checked || !outcome.missingReferences.empty() || outcome.sheetsSetUp() == 0)
        return CheckVerdict::Problems;
    return hasWarnings(outcome) ? CheckVerdict::ReadyWithWarnings : CheckVerdict::Ready;
}

const char* checkOutcomeWord(CheckVerdict verdict) {
    switch (verdict) {
        case CheckVerdict::Ready: return outcome_word::Ready;
        case CheckVerdict::ReadyWithWarnings: return outcome_word::ReadyWithWarnings;
        case CheckVerdict::Problems: break;
    }
    return outcome_word::Problems;
}

std::string missingReferencesText(const std::vector<std::string>& storedPaths) {
    std::string text;
    for (const auto& path : storedPaths) text += (text.empty() ? "reference not found after the repair: " : "; ") + path;
    return text;
}

std::string missingReferencesText(const DrawingOutcome& outcome) { return missingReferencesText(outcome.missingReferences); }

std::string checkText(const DrawingOutcome& outcome) {
    using Kind = DrawingOutcome::Kind;
    if (outcome.kind == Kind::NotStarted) return "Not started: " + outcome.detail;
    // Stopped before its sheets were set up: nothing was found wrong with it, nor checked.
    if (outcome.kind == Kind::Skipped && outcome.detail == StoppedBeforePlotting) return "Skipped: the check was stopped";
    if (outcome.kind != Kind::Checked) return "Problems: " + outcome.detail + outcome.passedOverText();
    std::string sheets;
    const std::size_t setUp = outcome.sheetsSetUp();
    if (outcome.sheets.size() == 1 && outcome.layoutsTried == 0 && setUp == 1)
        sheets = "model space" + settingsText(outcome.sheets.front());
    else
        sheets = std::to_string(setUp) + (setUp == 1 ? " layout: " : " layouts: ") + sheetSettingsText(outcome);
    std::string out;
    switch (checkVerdict(outcome)) {
        case CheckVerdict::Ready: out = "Ready: " + sheets; break;
        case CheckVerdict::ReadyWithWarnings: out = "Ready with warnings (" + sheets + "): " + joinedWarnings(outcome); break;
        case CheckVerdict::Problems:
            out = "Problems: " + (setUp == 0 ? std::string("no layout to plot") : missingReferencesText(outcome));
            if (hasWarnings(outcome)) out += "; " + joinedWarnings(outcome);
            break;
    }
    out += outcome.passedOverText();
    if (outcome.stopped) out += " (stopped)";
    if (!outcome.closeError.empty()) out += "; not closed: " + outcome.closeError;
    return out;
}

std::string dwgVersionText(std::string_view fileStart) {
    static constexpr std::pair<const char*, const char*> Releases[] = {
        {"AC1006", "R10"},  {"AC1009", "R11/R12"}, {"AC1012", "R13"},  {"AC1014", "R14"},
        {"AC1015", "2000"}, {"AC1018", "2004"},    {"AC1021", "2007"}, {"AC1024", "2010"},
        {"AC1027", "2013"}, {"AC1032", "2018"},
    };
    const std::string_view version = fileStart.substr(0, DwgVersionBytes);
    if (version.size() < DwgVersionBytes || version.substr(0, 2) != "AC") return "not a DWG file";
    for (char c : version.substr(2))
        if (!(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z') && c != '.') return "not a DWG file";
    for (const auto& [code, release] : Releases)
        if (version == code) return std::string(code) + " (" + release + " format)";
    return std::string(version) + " (a release Quillon does not know)";
}

}  // namespace quillon::plotting
