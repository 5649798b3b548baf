#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/RunExit.h"
#include "base/FileSystem.h"
#include "base/Paths.h"
#include "plotting/job/JobCheck.h"
#include "plotting/job/JobDrawings.h"
#include "plotting/job/JobPart.h"
#include "plotting/record/RunReport.h"

// What a CAD manager reads in the morning: the exit code and the reports.
namespace quillon {
namespace {

using app::RunExitCode;
using Ending = plotting::PlotRun::Ending;
using Names = std::vector<std::string>;

TEST(UnattendedVerdict, ZeroOnlyWhenEveryDrawingWasPlottedAsAsked) {
    using Tally = plotting::PlotRun::Tally;
    Tally clean;
    clean.plotted = 3;
    clean.sheets = 4;
    EXPECT_EQ(app::runExitCode(Ending::Finished, clean, 3), RunExitCode::AllPlotted);
    EXPECT_EQ(app::runExitCode(Ending::Finished, clean, 5), RunExitCode::SomeNotPlotted) << "two never started";
    for (auto field : {&Tally::sheetsWithWarnings, &Tally::sheetsRefused, &Tally::notClosed}) {
        Tally tally = clean;
        tally.*field = 1;
        EXPECT_EQ(app::runExitCode(Ending::Finished, tally, 3), RunExitCode::SomeNotPlotted);
    }
    EXPECT_EQ(app::runExitCode(Ending::Stopped, clean, 3), RunExitCode::Stopped);
    EXPECT_EQ(app::runExitCode(std::nullopt, {}, 3), RunExitCode::CadUnavailable);
    EXPECT_EQ(app::runClosingLines(clean, 5, "C:\\r.csv"),
              (Names{"plotted: 3 of 5 drawings (4 sheets, 0 with warnings, 0 not accepted)", "skipped: 0", "failed: 0",
                     "not started: 2", "run report C:\\r.csv"}));
}

TEST(UnattendedVerdict, PruningCountsAndRemovesOnlyQuillonsOwnReports) {
    // Files a user put beside the reports, and near misses of a report's name.
    Names names{"Quillon run (copy).csv", "Quillon run 2020 budget.csv", "notes.csv", "Quillon run 2020-1-01 00-00.csv",
                "Quillon run 2020-01-01 00-00-00 - annotated.csv", "Quillon run 2020-01-01 00-00-00.csv.bak"};
    Names ours;
    for (int i = 0; i < 101; ++i) ours.push_back(plotting::reportFileName(2026, 1 + i / 28, 1 + i % 28, 12, 0, 0));
    const std::string first = "Quillon run 2026-01-01 12-00-00";
    ours.insert(ours.end(), {first + " (2).csv", first + " part 2 of 4.csv"});
    EXPECT_TRUE(plotting::isRunReportName(plotting::reportFileName(2026, 1, 1, 0, 0, 0, "", true))) << "a check's";
    for (const auto& name : names) EXPECT_FALSE(plotting::isRunReportName(name)) << name;
    for (const auto& name : ours) EXPECT_TRUE(plotting::isRunReportName(name)) << name;
    names.insert(names.end(), ours.rbegin(), ours.rend());
    const auto doomed = plotting::reportsToPrune(names, 100);
    EXPECT_EQ(doomed, (Names{first + ".csv", first + " part 2 of 4.csv", first + " (2).csv"}))
        << "exactly 100 of 103 kept, the oldest go";
}

TEST(UnattendedVerdict, ThePartsOfAJobAreDisjointCoverItAndAgreeWhateverTheListingOrder) {
    Names drawings;
    for (int i = 0; i < 23; ++i)
        drawings.push_back("C:\\Jobs\\" + std::string(i % 2 ? "B" : "a") + std::to_string(i) + ".dwg");
    const Names reversed(drawings.rbegin(), drawings.rend());
    std::multiset<std::string> union_;
    for (int k = 1; k <= 4; ++k) {
        const auto part = plotting::drawingsOfPart(drawings, {k, 4});
        const auto listedBackwards = plotting::drawingsOfPart(reversed, {k, 4});
        EXPECT_EQ(std::set<std::string>(part.begin(), part.end()),
                  std::set<std::string>(listedBackwards.begin(), listedBackwards.end()));
        union_.insert(part.begin(), part.end());
    }
    EXPECT_EQ(union_, std::multiset<std::string>(drawings.begin(), drawings.end()));
    // A drawing's part is its path's alone: one saved into the folder, or renamed, between two workstations'
    // listings moves no other drawing (by position, every later drawing shifted: some plotted twice, some by no one).
    Names more = drawings;
    more.insert(more.begin() + 1, "C:\\Jobs\\Added late.dwg");
    more[5] = "C:\\Jobs\\Renamed.dwg";
    for (int k = 1; k <= 4; ++k) {
        Names before = plotting::drawingsOfPart(drawings, {k, 4}), after = plotting::drawingsOfPart(more, {k, 4});
        std::erase(before, drawings[4]);
        std::erase(after, "C:\\Jobs\\Added late.dwg");
        std::erase(after, "C:\\Jobs\\Renamed.dwg");
        EXPECT_EQ(before, after) << k;
    }
    // The rule workstations share: FNV-1a of the path relative to the job's folder, folded, either separator.
    EXPECT_EQ(plotting::fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(plotting::partOf("C:\\Jobs\\Sub\\A.dwg", "C:\\Jobs", 64), plotting::partOf("d:/other/sub/a.DWG", "D:\\Other\\", 64));
    EXPECT_EQ(plotting::partOf("C:\\Jobs\\Sub\\A.dwg", "", 7),
              static_cast<int>(plotting::fnv1a64(base::foldedPath("C:\\Jobs\\Sub\\A.dwg")) % 7) + 1);

    EXPECT_EQ(app::parseCommandLine({"/run", "j.qjob", "/SHARD", "2/4"}).part, (plotting::JobPart{2, 4}));
    for (const char* bad : {"0/4", "5/4", "1/65", "2", "2/", "/4", "a/b", "2/4/6", "-1/4"})
        EXPECT_THROW(app::parseCommandLine({"/run", "j.qjob", "/shard", bad}), app::CommandLineError) << bad;
    EXPECT_THROW(app::parseCommandLine({"j.qjob", "/shard", "1/2"}), app::CommandLineError) << "goes with /run";
}

// Folders listed from memory, counting how often each is asked for.
class CountedFolders : public base::FileSystem {
public:
    std::map<std::string, std::vector<std::string>> folders;
    std::map<std::string, int> asked;
    std::optional<std::vector<base::DirEntry>> list(const std::string& folder) override {
        ++asked[folder];
        if (!folders.count(folder)) return std::nullopt;
        std::vector<base::DirEntry> entries;
        for (const auto& name : folders[folder]) entries.push_back({name, false, false, false, false, 1, 1, 0});
        return entries;
    }
    std::optional<base::FolderIdentity> identity(const std::string&) override { return std::nullopt; }
    bool fileExists(const std::string&) override { return false; }
};

TEST(UnattendedVerdict, AJobsDrawingsAreFoundWithEitherSeparatorListingEachFolderOnce) {
    CountedFolders files;
    files.folders["C:\\Jobs"] = {"A.dwg", "B.dwg", "Notes.txt"};
    const auto found = plotting::findJobDrawings(
        files, {"C:/Jobs/A.dwg", "C:\\Jobs\\b.DWG", "c:/jobs/Gone.dwg", "D:/Dead share/C.dwg", "D:\\Dead share\\D.dwg"});
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0].first + found[0].second.name, "C:\\Jobs\\A.dwg");
    EXPECT_EQ(found[1].second.name, "B.dwg") << "spelt as the folder lists it";
    EXPECT_NE(found[1].second.lastWriteTime, 0);
    EXPECT_EQ(found[2].second.lastWriteTime, 0) << "not there: reported as not found";
    EXPECT_EQ(found[4].first, "D:\\Dead share\\");
    EXPECT_EQ(files.asked, (std::map<std::string, int>{{"C:\\Jobs", 1}, {"D:\\Dead share", 1}}));
}

TEST(UnattendedVerdict, AJobsFolderAndDrawingsInAnySpellingWindowsReadsAreTheSameFolderAndFiles) {
    const std::string choices = R"("device": "P.pc3", "paper": "A3", "plotStyleTable": "m.ctb")";
    const auto folderJob = plotting::readPlotJob(R"({"folder": "C:/Jobs/H/", )" + choices + "}");
    EXPECT_EQ(folderJob.folder, "C:\\Jobs\\H");
    EXPECT_EQ(plotting::partOf("C:\\Jobs\\H\\D.dwg", *folderJob.folder, 64), plotting::partOf("C:\\Jobs\\H\\D.dwg", "C:\\Jobs\\H", 64));
    const auto listJob =
        plotting::readPlotJob(R"({"drawings": ["C://Jobs//A.dwg", "c:\\jobs\\a.DWG", "C:\\Jobs\\B.dwg."], )" + choices + "}");
    EXPECT_EQ(listJob.drawings, (std::vector<std::string>{"C:\\Jobs\\A.dwg", "C:\\Jobs\\B.dwg"}));
    CountedFolders files;
    files.folders["C:\\Jobs"] = {"A.dwg"};
    const auto found = plotting::findJobDrawings(files, {"C://Jobs//A.dwg"});
    EXPECT_EQ(found.at(0).first + found.at(0).second.name, "C:\\Jobs\\A.dwg");
    EXPECT_NE(found.at(0).second.lastWriteTime, 0) << "found";
}

TEST(UnattendedVerdict, DeviceAndTableNamesMatchIgnoringCaseAndTakeTheApplicationsSpelling) {
    plotting::PlotJobSpec job;
    job.device = "pLOTTER.PC3";
    job.plotStyleTable = "MONO.ctb";
    EXPECT_EQ(plotting::adoptOfferedNames(job, {"None", "Plotter.pc3"}, {"mono.ctb"}), std::nullopt);
    EXPECT_EQ(job.device, "Plotter.pc3");
    EXPECT_EQ(job.plotStyleTable, "mono.ctb");
    job.device = "Ghost.pc3";
    EXPECT_EQ(plotting::adoptOfferedNames(job, {"Plotter.pc3"}, {"mono.ctb"}), "device \"Ghost.pc3\"");
}

}  // namespace
}  // namespace quillon
