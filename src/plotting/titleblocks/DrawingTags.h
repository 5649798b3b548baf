#pragma once

#include <string>
#include <vector>

#include "autocad/CadConnection.h"

namespace quillon::plotting {

// What a drawing offers names made from title blocks: the tags of its title blocks, in the order first found
// (model space, then its layouts in their order), and the name its first titled sheet would get.
struct DrawingTags {
    std::vector<std::string> tags;
    std::string sampleSheet;  // "A1 Sheet"; empty when no sheet has a title block
    std::string sampleName;   // that sheet's plot file name by the pattern, without folder
};

// Opens the drawing read-only in the application (on the CAD thread, as a template's page setups are read),
// reads its title blocks by the block name pattern, and closes it unsaved. Throws when it cannot be opened.
DrawingTags drawingTags(autocad::CadConnection& connection, const std::string& file, const std::string& titleBlocks,
                        const std::string& namePattern);

}  // namespace quillon::plotting
