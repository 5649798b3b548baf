#include "autocad/CadDocument.h"

namespace quillon::autocad {

using automation::Value;

Value CadDocument::getVariable(std::string_view name) { return document_->call("GetVariable", {Value(name)}); }

void CadDocument::setVariable(std::string_view name, std::int16_t value) {
    document_->call("SetVariable", {Value(name), Value(value)});
}

void CadDocument::setVariable(std::string_view name, const Value& value) {
    document_->call("SetVariable", {Value(name), value});
}

std::string CadDocument::name() { return document_->get("Name").toText(); }

std::string CadDocument::path() { return document_->get("Path").toText(); }

std::string CadDocument::fullName() { return document_->get("FullName").toText(); }

bool CadDocument::readOnly() { return document_->get("ReadOnly").toBool(); }

void CadDocument::close() { document_->call("Close", {Value(false)}); }

void CadDocument::regen(RegenScope scope) { document_->call("Regen", {Value(static_cast<std::int32_t>(scope))}); }

void CadDocument::activate() { document_->call("Activate"); }

CadLayout CadDocument::activeLayout() { return CadLayout(document_->object("ActiveLayout")); }

void CadDocument::setActiveLayout(const CadLayout& layout) { document_->put("ActiveLayout", Value(layout.raw())); }

CadLayouts CadDocument::layouts() { return CadLayouts(document_->object("Layouts")); }

CadBlock CadDocument::modelSpace() { return CadBlock(document_->object("ModelSpace")); }

CadBlock CadDocument::paperSpace() { return CadBlock(document_->object("PaperSpace")); }

CadBlocks CadDocument::blocks() { return CadBlocks(document_->object("Blocks")); }

CadPlot CadDocument::plot() { return CadPlot(document_->object("Plot")); }

}  // namespace quillon::autocad
