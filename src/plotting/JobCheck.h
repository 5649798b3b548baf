#pragma once

#include <optional>
#include <string>
#include <vector>

#include "autocad/CadConnection.h"
#include "plotting/PlotJobFile.h"

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

// The papers a device offers. Only a layout set to the device lists them, so
// the first of drawings that opens as a document of Quillon's own serves: it
// is opened read-only, its active layout set to the device in memory, and it
// is closed unsaved. A drawing the user has open is never touched, nor is any
// other document. Nothing when no drawing could serve (at most tries are
// opened).
std::optional<std::vector<std::string>> learnDevicePapers(autocad::CadConnection& connection,
                                                          const std::vector<std::string>& drawings,
                                                          const std::string& device, std::size_t tries = 3);

}  // namespace quillon::plotting
