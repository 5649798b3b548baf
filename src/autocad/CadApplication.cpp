#include "autocad/CadApplication.h"

namespace quillon::autocad {

void CadApplication::setVisible(bool visible) { application_->put("Visible", visible); }

CadDocument CadApplication::activeDocument() { return CadDocument(application_->object("ActiveDocument")); }

CadDocuments CadApplication::documents() { return CadDocuments(application_->object("Documents")); }

void CadApplication::zoomExtents() { application_->call("ZoomExtents"); }

void CadApplication::quit() { application_->call("Quit"); }

std::int64_t CadApplication::hwnd() {
    // 64-bit applications hand the handle over as a 64-bit integer, which arrives as a double.
    return static_cast<std::int64_t>(application_->get("HWND").toDouble());
}

}  // namespace quillon::autocad
