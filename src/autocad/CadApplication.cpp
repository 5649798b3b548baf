#include "autocad/CadApplication.h"

namespace quillon::autocad {

void CadApplication::setVisible(bool visible) { application_->put("Visible", visible); }

CadDocument CadApplication::activeDocument() { return CadDocument(application_->object("ActiveDocument")); }

CadDocuments CadApplication::documents() { return CadDocuments(application_->object("Documents")); }

void CadApplication::zoomExtents() { application_->call("ZoomExtents"); }

void CadApplication::quit() { application_->call("Quit"); }

}  // namespace quillon::autocad
