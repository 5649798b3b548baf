#include "plotting/DrawingPlotter.h"

#include <algorithm>

#include "plotting/PlotRules.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/pdf/CombineChoice.h"
#include "plotting/titleblocks/TitleValuesText.h"

// The title block of each sheet, read as the sheet is set up, and the names it gives.
namespace quillon::plotting {

using automation::AutomationError;

namespace {

// The attributes names and the register need of a title block, in the order first asked.
std::vector<std::string> neededTags(const PlotSetup& setup) {
    std::vector<std::string> tags;
    for (const std::string* pattern : {&setup.files.pattern, &setup.bookmarkName})
        for (const auto& field : valueFields(*pattern))
            if (field.starts_with("attr:")) addTagOnce(tags, field.substr(5));
    for (const auto& tag : setup.registerColumns) addTagOnce(tags, tag);
    return tags;
}

std::string reasonOf(const AutomationError& error) {
    return error.description().empty() ? error.what() : error.description();
}

}  // namespace

void DrawingPlotter::readTitleBlock(autocad::CadDocument& document, const std::string& drawingName,
                                    const std::string& layoutName, SheetRecord& sheet) {
    const std::string& pattern = setup_.files.pattern;
    const bool combinedByProperties =
        setup_.combine.mode == CombineMode::PerDrawing && !valueFields(setup_.combine.fileName).empty();
    if (setup_.titleBlocks.empty() && valueFields(pattern).empty() && valueFields(setup_.bookmarkName).empty() &&
        !combinedByProperties)
        return;
    // One reader per document: its properties are read once however many sheets ask.
    if (!titles_ || titles_->document() != document.raw()) {
        titles_.emplace(document.raw(), TitleBlockPattern(setup_.titleBlocks));
        if (combinedByProperties) nameCombinedFile(sheet);
    }
    if (!setup_.titleBlocks.empty()) {
        std::vector<TitleBlock> found;
        try {
            found = titles_->onLayout(layoutName.empty() ? "Model" : layoutName);
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            sheet.plotWarnings.push_back("its title blocks could not be read (" + reasonOf(error) + ")");
        }
        const SheetTitle title = chooseTitleBlock(std::move(found), neededTags(setup_));
        sheet.titleBlock = title.description();
        if (const TitleBlock* block = title.block()) sheet.titleValues = block->attributes;
    }
    // A name that needs a value the sheet lacks is the usual name instead, and says why: never "-.pdf".
    std::string attributes, properties;
    for (const auto& field : missingValueFields(pattern, nameValues(sheet)))
        (field.starts_with("attr:") ? attributes : properties) +=
            (field.starts_with("attr:") ? attributes : properties).empty() ? field.substr(5) : ", " + field.substr(5);
    std::string why;
    if (!attributes.empty())
        why = sheet.titleBlock == "none found" ? "no title block was found" : "its title block has no " + attributes;
    if (!properties.empty()) why += (why.empty() ? "" : "; ") + std::string("the drawing has no property ") + properties;
    if (!why.empty()) sheet.plotWarnings.push_back("named " + std::string(MissingValuesPattern) + ": " + why);
    if (!setup_.bookmarkName.empty())
        sheet.bookmark = sheetBookmark(setup_.bookmarkName, report_.path, layoutName, setup_.files.runDate, nameValues(sheet));
    if (!checking()) return;
    // A check names what the run would plot, so a naming mistake is caught before the night.
    const std::string file = sheetPlotFile(drawingName, layoutName, sheet);
    std::string said = sheet.titleBlock.empty() ? "" : "title block " + sheet.titleBlock + "; ";
    said += "would be plotted as " + file.substr(file.find_last_of("\\/") + 1);
    sheet.note += (sheet.note.empty() ? "" : "; ") + said;
    // A name that would fall back is a warning of the check, as it would be of the run.
    for (const auto& warning : sheet.plotWarnings)
        sheet.warnings.push_back({layoutName.empty() ? "Model" : layoutName, "file name", pattern, warning});
}

void DrawingPlotter::nameCombinedFile(SheetRecord& sheet) {
    // Decided once, by whichever opening of the drawing comes first (a resume's drawing keeps what was decided).
    if (!plotFiles_->combinedWaits(report_.path)) return;
    const NameValues values = nameValues(sheet);
    if (plotFiles_->nameCombined(report_.path, values)) return;
    std::string missing;
    for (const auto& field : missingValueFields(setup_.combine.fileName, values))
        missing += (missing.empty() ? "" : ", ") + field.substr(5);
    sheet.plotWarnings.push_back("its combined file is named " + std::string(DefaultDrawingCombinedName) +
                                 ": the drawing has no property " + missing);
}

NameValues DrawingPlotter::nameValues(const SheetRecord& sheet) {
    return [this, &sheet](std::string_view kind, std::string_view name) -> std::optional<std::string> {
        if (kind == "attr") {
            for (const auto& [tag, value] : sheet.titleValues)
                if (equalsIgnoreCase(tag, name)) return value;
            return std::nullopt;
        }
        if (!titles_) return std::nullopt;
        try {
            return propertyValue(titles_->properties(), std::string(name));
        } catch (const AutomationError& error) {
            // Said by the name it falls back to: the property is missing for the name's sake.
            if (error.serverGone()) throw;
            return std::nullopt;
        }
    };
}

std::string DrawingPlotter::sheetPlotFile(const std::string& drawingName, const std::string& layoutName,
                                          const SheetRecord& sheet) {
    return plotFilePath(setup_.files, report_.path, drawingName, setup_.device, layoutName, nameValues(sheet));
}

}  // namespace quillon::plotting
