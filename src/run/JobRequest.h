#pragma once

#include <string>

#include "plotting/job/PlotJobFile.h"
#include "run/RunRequest.h"

namespace quillon::run {

// A job's choices as its run takes them, written into the request: device, paper, plot style table and
// copies (as the application offers them: the job checked against its lists first), plot files, sheets,
// combining, every layout or model space, and how often Quillon's application starts afresh. `runDate`
// ("YYYY-MM-DD") is the run's start, for {date} in names. Nothing of the window is read: the job alone
// says what its run does.
void takeJobChoices(RunRequest& request, const plotting::PlotJobSpec& job, const std::string& runDate);

}  // namespace quillon::run
