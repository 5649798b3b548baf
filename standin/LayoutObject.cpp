#include "standin/LayoutObject.h"

#include <algorithm>

#include "standin/Arguments.h"
#include "standin/EngineState.h"
#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/PlotConfigurationObject.h"
#include "standin/TextCase.h"

namespace quillon::standin {

using automation::Value;

namespace {

constexpr MemberDef kMembers[] = {
    {"Name", MemberKind::ReadOnly},
    {"TabOrder", MemberKind::ReadOnly},
    {"ModelType", MemberKind::ReadOnly},
    {"Block", MemberKind::ReadOnly},
    {"Application", MemberKind::ReadOnly},
    {"ConfigName", MemberKind::ReadWrite},
    {"CanonicalMediaName", MemberKind::ReadWrite},
    {"StyleSheet", MemberKind::ReadWrite},
    {"PlotWithPlotStyles", MemberKind::ReadWrite},
    {"UseStandardScale", MemberKind::ReadWrite},
    {"CenterPlot", MemberKind::ReadWrite},
    {"PlotType", MemberKind::ReadWrite},
    {"StandardScale", MemberKind::ReadWrite},
    {"PlotRotation", MemberKind::ReadWrite},
    {"RefreshPlotDeviceInfo", MemberKind::Method},
    {"CopyFrom", MemberKind::Method},
    {"GetPlotDeviceNames", MemberKind::Method},
    {"GetCanonicalMediaNames", MemberKind::Method},
    {"GetPlotStyleTableNames", MemberKind::Method},
};

// Plot types run from display (0) to layout (5); standard scales from
// scale-to-fit (0) to 1000:1 (32); rotations are quarter turns.
constexpr int kLastPlotType = 5;
constexpr int kLastStandardScale = 32;
constexpr int kLastRotation = 3;
constexpr int kPlotTypeLimits = 2;
constexpr int kPlotTypeLayout = 5;

int settingIn(std::string_view member, const Value& value, int last) {
    const std::int32_t v = value.toInt();
    if (v < 0 || v > last)
        invalidInput("Invalid input: " + std::to_string(v) + " is not a valid " + std::string(member));
    return v;
}

std::vector<std::string> mediaOf(const DeviceCatalog& devices, const std::string& deviceName) {
    const DeviceDef* device = devices.find(deviceName);
    return device ? device->media : std::vector<std::string>{};
}

}  // namespace

LayoutObject::LayoutObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc,
                           std::shared_ptr<LayoutModel> layout)
    : ModelObject(std::move(state)), doc_(std::move(doc)), layout_(std::move(layout)) {}

MemberTable LayoutObject::members() const { return kMembers; }

Value LayoutObject::read(std::string_view member) {
    const LayoutModel& l = *layout_;
    if (member == "Name") return Value(l.name);
    if (member == "TabOrder") return Value(static_cast<std::int32_t>(l.tabOrder));
    if (member == "ModelType") return l.isModel;
    if (member == "Block") return layoutBlockObject(sharedState(), doc_, layout_);
    if (member == "Application") return applicationObject(sharedState());
    if (member == "ConfigName") return Value(l.configName);
    if (member == "CanonicalMediaName") return Value(l.media);
    if (member == "StyleSheet") return Value(l.styleSheet);
    if (member == "PlotWithPlotStyles") return l.plotWithPlotStyles;
    if (member == "UseStandardScale") return l.useStandardScale;
    if (member == "CenterPlot") return l.centerPlot;
    if (member == "PlotType") return Value(static_cast<std::int32_t>(l.plotType));
    if (member == "StandardScale") return Value(static_cast<std::int32_t>(l.standardScale));
    if (member == "PlotRotation") return Value(static_cast<std::int32_t>(l.plotRotation));
    return ModelObject::read(member);
}

void LayoutObject::setDevice(const Value& value) {
    const DeviceDef* device = state().devices().find(value.toText());
    if (!device) invalidInput("Invalid input: there is no plot device named " + value.toText());
    layout_->configName = device->name;
    // A device that cannot print the current paper falls back to its own default paper.
    const auto& media = device->media;
    if (std::find(media.begin(), media.end(), layout_->media) == media.end())
        layout_->media = media.empty() ? std::string() : media.front();
}

void LayoutObject::setMedia(const Value& value) {
    const std::string name = value.toText();
    // Checked against the device actually set, not the possibly stale list the
    // layout last loaded: a paper of the previous device is refused.
    const auto media = mediaOf(state().devices(), layout_->configName);
    if (std::find(media.begin(), media.end(), name) == media.end())
        invalidInput("Invalid input: " + layout_->configName + " has no paper named " + name);
    layout_->media = name;
}

void LayoutObject::setStyleSheet(const Value& value) {
    const std::string name = value.toText();
    if (name.empty()) {
        layout_->styleSheet.clear();
        return;
    }
    const std::string* table = state().devices().findStyleTable(name);
    if (!table) invalidInput("Invalid input: there is no plot style table named " + name);
    // A drawing uses either colour-dependent or named plot styles, never both.
    const bool named = endsWithNoCase(*table, ".stb");
    if (named != (doc_->plotStyles == PlotStyleKind::Named))
        invalidInput("Invalid input: " + *table + " does not suit a drawing using " +
                     (doc_->plotStyles == PlotStyleKind::Named ? "named" : "colour-dependent") + " plot styles");
    layout_->styleSheet = *table;
}

bool LayoutObject::writeSetting(std::string_view member, const Value& value) {
    LayoutModel& l = *layout_;
    if (member == "ConfigName") setDevice(value);
    else if (member == "CanonicalMediaName") setMedia(value);
    else if (member == "StyleSheet") setStyleSheet(value);
    else if (member == "PlotWithPlotStyles") l.plotWithPlotStyles = value.toBool();
    else if (member == "UseStandardScale") l.useStandardScale = value.toBool();
    else if (member == "CenterPlot") l.centerPlot = value.toBool();
    else if (member == "StandardScale") l.standardScale = settingIn(member, value, kLastStandardScale);
    else if (member == "PlotRotation") l.plotRotation = settingIn(member, value, kLastRotation);
    else if (member == "PlotType") {
        const int type = settingIn(member, value, kLastPlotType);
        // Limits exist only in model space, a paper layout only on paper.
        if ((type == kPlotTypeLayout && l.isModel) || (type == kPlotTypeLimits && !l.isModel))
            invalidInput("Invalid input: plot type " + std::to_string(type) + " does not apply to layout " + l.name);
        l.plotType = type;
    } else {
        return false;
    }
    return true;
}

void LayoutObject::write(std::string_view member, const Value& value) {
    if (!writeSetting(member, value)) {
        ModelObject::write(member, value);
        return;
    }
    doc_->markModified();
}

void LayoutObject::copyFrom(std::span<const Value> args) {
    Arguments(std::string_view("CopyFrom"), args, 1, 1);
    // The reference: the source of a layout's CopyFrom must be a PlotConfiguration.
    auto source = std::dynamic_pointer_cast<PlotConfigurationObject>(args[0].toObject());
    if (!source) invalidInput("Invalid input: CopyFrom takes a PlotConfiguration");
    const LayoutModel& from = *source->layoutModel();
    LayoutModel& to = *layout_;
    // A page setup for model space does not apply to a paper layout, nor one for layouts to model space.
    if (from.isModel != to.isModel)
        invalidInput("Invalid input: page setup " + from.name + " is for " + (from.isModel ? "model space" : "layouts"));
    to.configName = from.configName;
    to.media = from.media;
    to.styleSheet = from.styleSheet;
    to.plotWithPlotStyles = from.plotWithPlotStyles;
    to.useStandardScale = from.useStandardScale;
    to.centerPlot = from.centerPlot;
    to.plotType = from.plotType;
    to.standardScale = from.standardScale;
    to.plotRotation = from.plotRotation;
    doc_->markModified();
}

Value LayoutObject::invoke(std::string_view member, std::span<const Value> args) {
    if (member == "CopyFrom") {
        copyFrom(args);
        return Value();
    }
    Arguments(member, args, 0, 0);
    if (member == "RefreshPlotDeviceInfo") {
        layout_->refreshedConfigName = layout_->configName;
        return Value();
    }
    if (member == "GetPlotDeviceNames") return Value::textArray(state().devices().deviceNames());
    if (member == "GetCanonicalMediaNames")
        return Value::textArray(mediaOf(state().devices(), layout_->refreshedConfigName));
    if (member == "GetPlotStyleTableNames") return Value::textArray(state().devices().styleTables());
    return ModelObject::invoke(member, args);
}

}  // namespace quillon::standin
