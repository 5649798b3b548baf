#include "autocad/CadLayout.h"

namespace quillon::autocad {

std::string CadLayout::name() { return layout_->get("Name").toText(); }

bool CadLayout::modelType() { return layout_->get("ModelType").toBool(); }

std::int32_t CadLayout::tabOrder() { return layout_->get("TabOrder").toInt(); }

std::int32_t CadLayout::blockCount() { return layout_->object("Block")->get("Count").toInt(); }

std::string CadLayout::configName() { return layout_->get("ConfigName").toText(); }

void CadLayout::setConfigName(const std::string& deviceName) { layout_->put("ConfigName", deviceName); }

void CadLayout::refreshPlotDeviceInfo() { layout_->call("RefreshPlotDeviceInfo"); }

std::vector<std::string> CadLayout::plotDeviceNames() { return layout_->call("GetPlotDeviceNames").toTextArray(); }

std::vector<std::string> CadLayout::canonicalMediaNames() {
    return layout_->call("GetCanonicalMediaNames").toTextArray();
}

std::vector<std::string> CadLayout::plotStyleTableNames() {
    return layout_->call("GetPlotStyleTableNames").toTextArray();
}

void CadLayout::setCanonicalMediaName(const std::string& mediaName) { layout_->put("CanonicalMediaName", mediaName); }

std::string CadLayout::plotStyleTable() { return layout_->get("StyleSheet").toText(); }

void CadLayout::setPlotStyleTable(const std::string& tableName) { layout_->put("StyleSheet", tableName); }

void CadLayout::setPlotWithPlotStyles(bool on) { layout_->put("PlotWithPlotStyles", on); }

void CadLayout::setUseStandardScale(bool on) { layout_->put("UseStandardScale", on); }

void CadLayout::setCenterPlot(bool on) { layout_->put("CenterPlot", on); }

void CadLayout::setPlotType(std::int32_t type) { layout_->put("PlotType", type); }

void CadLayout::setStandardScale(std::int32_t scale) { layout_->put("StandardScale", scale); }

void CadLayout::setPlotRotation(std::int32_t rotation) { layout_->put("PlotRotation", rotation); }

}  // namespace quillon::autocad
