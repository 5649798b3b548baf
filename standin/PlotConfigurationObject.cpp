#include "standin/PlotConfigurationObject.h"

#include "standin/Failures.h"
#include "standin/Handles.h"
#include "standin/TextCase.h"

namespace quillon::standin {

using automation::ObjectPtr;

namespace {

constexpr MemberDef kMembers[] = {
    {"Name", MemberKind::ReadOnly},
    {"ModelType", MemberKind::ReadOnly},
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
    {"GetPlotDeviceNames", MemberKind::Method},
    {"GetCanonicalMediaNames", MemberKind::Method},
    {"GetPlotStyleTableNames", MemberKind::Method},
};

}  // namespace

MemberTable PlotConfigurationObject::members() const { return kMembers; }

std::vector<ObjectPtr> PlotConfigurationsObject::items() {
    std::vector<ObjectPtr> out;
    for (const auto& setup : doc()->pageSetups) out.push_back(plotConfigurationObject(sharedState(), doc(), setup));
    return out;
}

ObjectPtr PlotConfigurationsObject::itemNamed(const std::string& key) {
    for (const auto& setup : doc()->pageSetups)
        if (equalsNoCase(setup->name, key)) return plotConfigurationObject(sharedState(), doc(), setup);
    keyNotFound();
}

}  // namespace quillon::standin
