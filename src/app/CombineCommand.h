#pragma once

#include "app/CommandLine.h"
#include "app/CommandLineHost.h"
#include "plotting/pdf/PdfFileAccess.h"
#include "run/RunReports.h"

namespace quillon::app {

// Quillon.exe /combine <report.csv> ...: the job's one set of combined PDFs from the reports of its parts
// (and of their resumes), made with no window and no CAD application. Says on the console what it made and
// what is missing, writes its report (and the /report copy), and returns the exit code: 0 every file
// whole, 1 a part, a drawing or a sheet missing, 2 reports that cannot be used.
// The report is kept through `reports`, the console and paths are the system's, the PDFs reached through `files`.
int runCombineCommand(const CommandLine& line, CommandLineSystem& system, run::RunReports& reports,
                      plotting::PdfFileAccess& files);

}  // namespace quillon::app
