#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "StandinTestSupport.h"
#include "plotting/record/PartsCombine.h"
#include "standin/PlotPdf.h"

// /combine: a job's one set from the reports of its parts.
namespace quillon::plotting {
namespace {

using standin::testing::TempFolder;
using Lines = std::vector<std::string>;

TEST(PartsCombine, ThePartsReportsMakeTheJobsOneSetInTheJobsOrderNamingWhatIsMissing) {
    TempFolder dir;
    StdPdfFileAccess pdfs;
    dir.folder("Out");
    auto sheet = [&](const std::string& name) {
        const std::string file = dir.at("Out/" + name + ".pdf");
        standin::writePlotPdf(file, standin::mediaPageSize("ISO_A3", 0), {name});
        return file;
    };
    auto row = [&](const std::string& drawing, int position, const std::string& file, const std::string& part) {
        ReportRow r;
        r.drawing = "C:\\Jobs\\" + drawing + ".dwg";
        r.layout = "Model";
        r.plotFile = file;
        r.outcome = file.empty() ? "failed" : "plotted";
        r.jobPosition = position;
        r.part = part;
        r.combine = {CombineMode::Run, "Set", false};
        return r;
    };
    ReportRow partFile = row("", 0, dir.at("Out/Set part 1 of 3.pdf"), "part 1 of 3");
    partFile.drawing = dir.at("Out");
    partFile.layout.clear();
    partFile.outcome = "combined";
    const std::vector<PartReport> reports{
        {"p1.csv", {{2, row("C", 3, sheet("C"), "part 1 of 3")}, {3, row("A", 1, sheet("A"), "part 1 of 3")}, {4, partFile}}},
        {"p2.csv", {{2, row("B", 2, "", "part 2 of 3")}}}};
    const PartsCombine plan = planPartsCombine(reports);
    EXPECT_EQ(plan.files, (std::vector<std::pair<std::string, std::string>>{{dir.at("Out"), dir.at("Out/Set.pdf")}}));
    EXPECT_EQ(plan.missingParts, Lines{"part 3 of 3"});
    RunReport combinedReport(dir.at("combine.csv"));
    const RunCombineOutput out = combineParts(plan, combinedReport, pdfs, nullptr);
    ASSERT_EQ(out.rows.size(), 1u);
    EXPECT_EQ(out.rows[0].second.reason, "2 pages; 1 drawing missing: B (failed); parts missing: part 3 of 3");
    const auto rows = combinedReport.rows();
    EXPECT_EQ(rows[0].drawing, "C:\\Jobs\\A.dwg") << "in the job's order";
    EXPECT_EQ(rows[0].carriedFrom, "p1.csv");
    EXPECT_EQ(rows[0].plotFile, dir.at("Out/Set.pdf")) << "the sheet file went into the set";
    EXPECT_THROW(planPartsCombine({reports[0], {"other.csv", {{2, row("D", 4, "", "part 2 of 4")}}}}), std::runtime_error);
}

}  // namespace
}  // namespace quillon::plotting
