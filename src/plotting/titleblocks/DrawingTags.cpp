#include "plotting/titleblocks/DrawingTags.h"

#include <algorithm>
#include <utility>

#include "plotting/PlotRules.h"
#include "plotting/ScratchDocument.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/titleblocks/TitleBlockReader.h"
#include "plotting/titleblocks/TitleValuesText.h"

namespace quillon::plotting {

DrawingTags drawingTags(autocad::CadConnection& connection, const std::string& file, const std::string& titleBlocks,
                        const std::string& namePattern) {
    return connection.withApp([&](autocad::CadApplication& app) {
        auto documents = app.documents();
        return readThenClose(connection, documents.open(file, true), [&](autocad::CadDocument& document) {
            // Model space first, then the layouts by their tabs, as a run takes them.
            std::vector<std::pair<std::int32_t, std::string>> sheets{{-1, "Model"}};
            for (auto& layout : document.layouts().items())
                if (!layout.modelType()) sheets.emplace_back(layout.tabOrder(), layout.name());
            std::stable_sort(sheets.begin(), sheets.end());
            TitleBlockReader reader(document.raw(), TitleBlockPattern(titleBlocks));
            DrawingTags found;
            for (const auto& [order, sheet] : sheets) {
                const SheetTitle title = chooseTitleBlock(reader.onLayout(sheet), {});
                for (const auto& block : title.found)
                    for (const auto& [tag, value] : block.attributes) addTagOnce(found.tags, tag);
                const TitleBlock* block = title.block();
                if (!block || !found.sampleSheet.empty()) continue;
                found.sampleSheet = sheet;
                PlotFileOptions options;
                options.pattern = namePattern;
                const NameValues values = [&](std::string_view kind, std::string_view name) -> std::optional<std::string> {
                    if (kind == "attr") return block->value(std::string(name));
                    return propertyValue(reader.properties(), std::string(name));
                };
                const std::string path = plotFilePath(options, file, file.substr(file.find_last_of("\\\\/") + 1), "PDF",
                                                      sheet == "Model" ? "" : sheet, values);
                found.sampleName = path.substr(path.find_last_of("\\\\/") + 1);
            }
            return found;
        });
    });
}

}  // namespace quillon::plotting
