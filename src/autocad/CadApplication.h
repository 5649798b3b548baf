#pragma once

#include <cstdint>

#include "autocad/CadDocument.h"
#include "autocad/CadDocuments.h"

namespace quillon::autocad {

// The CAD application object, root of everything Quillon drives.
class CadApplication {
public:
    explicit CadApplication(automation::ObjectPtr application) : application_(std::move(application)) {}
    const automation::ObjectPtr& raw() const { return application_; }

    void setVisible(bool visible);
    CadDocument activeDocument();
    CadDocuments documents();
    void zoomExtents();
    void quit();
    // The handle of the application's main window, as a number.
    std::int64_t hwnd();

private:
    automation::ObjectPtr application_;
};

}  // namespace quillon::autocad
