#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "plotting/PlotRules.h"
#include "plotting/pdf/CombinePlan.h"
#include "plotting/pdf/RunCombine.h"
#include "plotting/register/RegisterPages.h"

namespace quillon::plotting {

// The drawing register a run writes at its end, from its whole record: as pages at the front of the run's
// combined file, when it makes one, and as a CSV file beside it (in the plot folder, else the job's folder),
// named by the run's register pattern. Made and used on the thread that combines.
class SetRegister {
public:
    SetRegister(const PlotSetup& setup, const CombineNaming& naming, RegisterFonts fonts);
    SetRegister(const SetRegister&) = delete;
    SetRegister& operator=(const SetRegister&) = delete;

    // Whether the run writes one: a plot run whose choices name a register.
    bool wanted() const { return wanted_; }
    const std::string& file() const { return file_; }

    // Before the combine: the register's pages for the front of the run's combined file, written beside it
    // under a temporary name (nothing when the run makes no such file, or the pages could not be written:
    // then problem() says why).
    CombineFront frontPages(const std::vector<ReportRow>& rows, PdfFileAccess& files);
    // Once the combine is over, however it ended: the pages went into the combined file or nowhere, and
    // their own file is no one's.
    void removeFrontPages(PdfFileAccess& files);
    // Each combined file's sheets as they were placed in it: the register's Pages.
    void notePlaces(const std::vector<SheetPlace>& places);
    // After the combine: the CSV, from the record as it now stands. False when it could not be written.
    bool writeCsv(const std::vector<ReportRow>& rows);
    // What went wrong, or what the register could not show, for the run's record; empty when nothing.
    const std::string& problem() const { return problem_; }

private:
    PlotSetup setup_;
    bool wanted_ = false;
    std::string file_;
    std::string title_;
    RegisterFonts fonts_;
    std::string front_;
    std::map<std::string, std::string> pages_;
    std::string problem_;
};

}  // namespace quillon::plotting
