#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "autocad/CadBlock.h"
#include "autocad/CadBlocks.h"
#include "autocad/CadLayout.h"
#include "autocad/CadLayouts.h"
#include "autocad/CadPlot.h"
#include "automation/Value.h"

namespace quillon::autocad {

// Which viewports a regeneration covers.
enum class RegenScope : std::int32_t { ActiveViewport = 0, AllViewports = 1 };

// One open drawing.
class CadDocument {
public:
    explicit CadDocument(automation::ObjectPtr document) : document_(std::move(document)) {}
    const automation::ObjectPtr& raw() const { return document_; }

    automation::Value getVariable(std::string_view name);
    // Integer system variables take 16-bit integers.
    void setVariable(std::string_view name, std::int16_t value);
    void setVariable(std::string_view name, const automation::Value& value);

    std::string name();      // file name without folder
    std::string path();      // its folder
    std::string fullName();  // folder and name; empty for a drawing never saved
    bool readOnly();

    void close();  // without saving
    void regen(RegenScope scope);
    void activate();

    CadLayout activeLayout();
    void setActiveLayout(const CadLayout& layout);
    CadLayouts layouts();
    CadBlock modelSpace();
    CadBlock paperSpace();
    CadBlocks blocks();
    CadPlot plot();

private:
    automation::ObjectPtr document_;
};

}  // namespace quillon::autocad
