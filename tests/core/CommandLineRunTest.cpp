#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CommandLineWorld.h"
#include "app/CombineCommand.h"
#include "plotting/pdf/PdfFileAccess.h"
#include "StandinTestSupport.h"
#include "standin/JournalReader.h"

// The command line's jobs run natively, from the job file to the exit code, against a stand-in application:
// what a night's /run, /shard, /until and /resume do without a window.
namespace quillon::app {
namespace {

using nlohmann::json;
using standin::testing::TempFolder;

class CommandLineJob : public ::testing::Test {
protected:
    TempFolder dir;
    std::shared_ptr<standin::Engine> engine = testing::officeApplication(dir.path());
    testing::EngineLauncher launcher;
    std::unique_ptr<testing::CommandLineWorld> world;

    void SetUp() override {
        launcher.application = engine->application();
        world = std::make_unique<testing::CommandLineWorld>(launcher, dir.path());
    }
    std::string job(const json& extra) {
        json spec = {{"device", "Plotter.pc3"}, {"paper", "ISO_A4_(210.00_x_297.00_MM)"}, {"plotStyleTable", "mono.ctb"}};
        spec.update(extra);
        return dir.file("night.qjob", spec.dump());
    }
    // The report's rows but its heading.
    std::vector<std::string> rows(const std::string& report) const {
        std::vector<std::string> lines;
        std::istringstream in(standin::testing::readText(report));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }
    // What Quillon.exe /run (or /resume) <file> /report <copy> /close [/shard <part>] says (a path of this system
    // may start with the option's slash, so the line is given as parsed).
    static CommandLine line(CommandLine::Mode mode, const std::string& file, const std::string& copy,
                            const std::string& part = "") {
        CommandLine parsed;
        parsed.mode = mode;
        parsed.job = file;
        parsed.report = copy;
        parsed.closeWhenDone = true;
        if (!part.empty()) parsed.part = plotting::parseJobPart(part);
        return parsed;
    }
    static int count(const std::vector<std::string>& lines, const std::string& part) {
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        }));
    }
};

TEST_F(CommandLineJob, AJobOfChangedDrawingsCallsTheApplicationOnlyForAChangeAndChecksItsChoicesThen) {
    for (const char* name : {"A.dwg", "B.dwg"}) dir.file(std::string("Jobs/") + name, name);
    const std::string night = job({{"folder", dir.at("Jobs")}, {"plot", "changed"}});
    EXPECT_EQ(world->run(line(CommandLine::Mode::RunJob, night, dir.at("1.csv"))), 0);
    EXPECT_EQ(count(rows(dir.at("1.csv")), ",plotted,never plotted,"), 2);
    const auto calls = engine->journal().size();
    EXPECT_EQ(world->run(line(CommandLine::Mode::RunJob, night, dir.at("2.csv"))), 0);
    EXPECT_EQ(engine->journal().size(), calls) << "nothing changed: not one call to the application";
    EXPECT_EQ(count(rows(dir.at("2.csv")), ",up to date,"), 2);

    // A choice the application does not offer is found once a drawing is to be opened: nothing is plotted.
    const std::string elsewhere = job({{"folder", dir.at("Jobs")}, {"plot", "changed"}, {"device", "Nowhere.pc3"}});
    EXPECT_EQ(world->run(line(CommandLine::Mode::RunJob, elsewhere, dir.at("3.csv"))), 2);
    EXPECT_EQ(count(rows(dir.at("3.csv")), "which AutoCAD does not offer here"), 1);
    EXPECT_EQ(count(rows(dir.at("3.csv")), ",plotted,"), 0);
}

TEST_F(CommandLineJob, TwoPartsOfAJobPlotEachDrawingOnceBetweenThemEachReportSayingItsPart) {
    for (const char* name : {"D1.dwg", "d2.dwg", "D3.dwg", "E4.dwg", "F5.dwg"}) dir.file(std::string("Jobs/") + name, "drawing");
    const std::string night = job({{"folder", dir.at("Jobs")}});
    std::vector<std::string> drawings;
    for (const std::string part : {"1/2", "2/2"}) {
        const std::string copy = dir.at("part " + part.substr(0, 1) + ".csv");
        EXPECT_EQ(world->run(line(CommandLine::Mode::RunJob, night, copy, part)), 0) << part;
        for (const auto& line : rows(copy)) {
            EXPECT_NE(line.find(",part " + part.substr(0, 1) + " of 2"), std::string::npos) << line;
            drawings.push_back(line.substr(0, line.find(',')));
        }
    }
    std::sort(drawings.begin(), drawings.end());
    EXPECT_EQ(std::adjacent_find(drawings.begin(), drawings.end()), drawings.end()) << "a drawing plotted twice";
    EXPECT_EQ(drawings.size(), 5u) << "every drawing of the job";
}

TEST_F(CommandLineJob, AJobsUntilStopsItWithCodeFourAndItsResumePlotsExactlyTheDrawingsLeft) {
    std::vector<std::string> paths;
    for (const char* name : {"A.dwg", "B.dwg", "C.dwg", "D.dwg"}) paths.push_back(dir.file(std::string("J/") + name, "drawing"));
    const std::string copy = dir.at("night.csv");
    // The time comes as the first drawing's row is shown.
    world->onRow = [this] { world->now = plotting::LocalTime{2026, 12, 10, 23, 0, 0}; };
    EXPECT_EQ(world->run(line(CommandLine::Mode::RunJob, job({{"drawings", paths}, {"until", "22:30"}}), copy)), 4);
    const auto night = rows(copy);
    const int plotted = count(night, ",plotted,");
    EXPECT_GE(plotted, 1);
    EXPECT_LT(plotted, 4);
    EXPECT_NE(std::find(world->console.begin(), world->console.end(), "Quillon: exit code 4"), world->console.end());

    world->onRow = nullptr;
    const std::string again = dir.at("resume.csv");
    EXPECT_EQ(world->run(line(CommandLine::Mode::ResumeRun, copy, again)), 0);
    const auto resumed = rows(again);
    // The resume's report holds the whole set: what it plotted, and the rows it carried from the night's.
    EXPECT_EQ(count(resumed, ",plotted,"), 4) << standin::testing::readText(again);
    EXPECT_EQ(standin::plotsIn(engine->journal()).size(), 4u) << "a drawing the night plotted was plotted again";
}

TEST_F(CommandLineJob, CombineRefusesAReportItCannotReadWithCodeTwoAndSaysAPartNotGivenWithCodeOne) {
    plotting::StdPdfFileAccess files;
    CommandLine combine;
    combine.mode = CommandLine::Mode::CombineReports;
    combine.reports = {dir.file("notes.csv", "Shopping list\nmilk\n")};
    EXPECT_EQ(runCombineCommand(combine, *world, world->reports(), files), 2);
    EXPECT_EQ(count(rows(world->reports().runReport().string()), ",failed,"), 1) << "its report says why";

    // Part 1 of 2 alone: its drawings' combined files are made, and the set says part 2 is missing.
    for (const char* name : {"D1.dwg", "d2.dwg", "D3.dwg", "E4.dwg"}) dir.file(std::string("Jobs/") + name, "drawing");
    const std::string part1 = dir.at("part 1.csv");
    const json choices = {{"folder", dir.at("Jobs")}, {"device", "DWG To PDF.pc3"}, {"plotFolder", dir.folder("Out")},
                          {"combine", "drawing"}, {"register", "{folder} register"}};
    EXPECT_EQ(world->run(line(CommandLine::Mode::RunJob, job(choices), part1, "1/2")), 0);
    combine.reports = {part1};
    EXPECT_EQ(runCombineCommand(combine, *world, world->reports(), files), 1);
    EXPECT_EQ(count(world->console, "part 2 of 2: no report was given"), 1) << ::testing::PrintToString(world->console);
    // The set's register, from the parts' reports, beside the part's own.
    const auto registered = rows(dir.at("Out/Jobs register.csv"));
    EXPECT_EQ(registered.size(), rows(dir.at("Out/Jobs register part 1 of 2.csv")).size()) << dir.at("Out");
    EXPECT_FALSE(registered.empty());
}

}  // namespace
}  // namespace quillon::app
