#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/AutoObject.h"
#include "plotting/titleblocks/TitleBlock.h"
#include "plotting/titleblocks/TitleBlockPattern.h"

namespace quillon::plotting {

// Reads the title blocks of an open drawing's sheets and the drawing's own properties, on the CAD thread.
// One filtered selection per sheet (block references, by block name, in that layout) instead of walking
// every object of the layout across processes; a dynamic block's references are selected by their
// anonymous names and kept by their effective names.
class TitleBlockReader {
public:
    TitleBlockReader(automation::ObjectPtr document, TitleBlockPattern pattern);
    const automation::ObjectPtr& document() const { return document_; }

    // The title blocks on one layout ("Model" for model space), in the drawing's order. A failure to read
    // throws (the caller says the sheet found none, and why).
    std::vector<TitleBlock> onLayout(const std::string& layoutName);

    // The drawing's properties by name: Title, Subject, Author, Keywords, Comments, RevisionNumber, and each
    // custom property by its own name. Read once per drawing.
    const std::vector<std::pair<std::string, std::string>>& properties();

private:
    automation::ObjectPtr document_;
    TitleBlockPattern pattern_;
    std::optional<std::vector<std::pair<std::string, std::string>>> properties_;
};

// A property's value by name (case ignored); none when the drawing has no such property.
std::optional<std::string> propertyValue(const std::vector<std::pair<std::string, std::string>>& properties,
                                         const std::string& name);

}  // namespace quillon::plotting
