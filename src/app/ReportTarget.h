#pragma once

#include <optional>
#include <string>

#include "app/CommandLine.h"

namespace quillon::app {

// Why the command line's /report cannot be where the run's report is copied:
// it names the job itself, the report being resumed, one of the reports to
// combine, a drawing or a report's journal, each of which the copy would
// overwrite with CSV. None when it may be. (A folder is
// found out where the file system is asked, off the window's thread.)
std::optional<std::string> reportTargetRefusal(const CommandLine& line);

}  // namespace quillon::app
