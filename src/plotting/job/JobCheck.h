#pragma once

#include <optional>
#include <string>
#include <vector>

#include "autocad/CadConnection.h"
#include "base/FileSystem.h"
#include "plotting/PlotRules.h"
#include "plotting/job/PlotJobFile.h"

namespace quillon::plotting {

// The entry of names equal to name ignoring case, spelt as names spell it.
// Devices and plot style tables are files: Windows matches their names ignoring case.
std::optional<std::string> offeredName(const std::vector<std::string>& names, const std::string& name);

// Gives the job's device and plot style table the application's spelling;
// what the application does not offer ("device \"X\"") when it lacks one.
std::optional<std::string> adoptOfferedNames(PlotJobSpec& job, const std::vector<std::string>& devices,
                                             const std::vector<std::string>& styleTables);

// Why a job must be refused whose paper its own device does not offer: the
// device, the paper and the papers it does offer. Nothing when it offers it.
std::optional<std::string> paperRefusal(const std::string& device, const std::string& paper,
                                        const std::vector<std::string>& offered);

// What needs no CAD application, checked before anything is opened, in the order a job is read: the plot
// folder, the plot files' extension, the template drawing's file. The refusal names what is wrong.
std::optional<Refusal> refusalBeforeCad(const PlotSetup& setup, base::FileSystem& files);

// The same for a job before it is applied to the window, with its folder of drawings first.
std::optional<Refusal> jobRefusalBeforeCad(const PlotJobSpec& job, base::FileSystem& files);

// Why a job made from a report's columns cannot be plotted again: what a job file holding these choices would
// be refused for (an extension a plot file may not have, say), naming the field. Nothing when it can.
std::optional<std::string> replayRefusal(const PlotJobSpec& job);

// What only the CAD application can tell, checked before the first drawing of the job is opened: the
// template's page setup (a run that takes its sheets' settings from one) and, when `paper` is set, whether the
// device offers the paper. Both are read through a blank drawing of Quillon's own, added for the purpose
// (from the template, which it then holds) and closed unsaved; never through a drawing of the job, nor any
// drawing the user has open. Nothing when all is well, or when nothing could be read (the run then meets
// the same trouble sheet by sheet and says so there).
std::optional<std::string> refusalBeforeFirstOpen(autocad::CadConnection& connection, const PlotSetup& setup,
                                                  bool paper);

}  // namespace quillon::plotting
