#include <algorithm>
#include <iostream>

#include "UnattendedFixture.h"

// Quillon started with a plot job on its command line, as a scheduled task
// would start it: no one at the window, an exit code, and a report.
namespace quillon::e2e {
namespace {

TEST_F(UnattendedRun, RunsTheJobWritesItsReportAndExitsWithWhatBecameOfIt) {
    prepareDrawings(wintest::baseScenario());
    const fs::path job = writeJob(wintest::kDevice);
    const fs::path copy = folder.path() / L"Copies" / L"report.csv";
    fs::create_directories(copy.parent_path());
    ProgramUnderTest program(L"/RUN \"" + job.wstring() + L"\" -report \"" + copy.wstring() + L"\" /close");
    ASSERT_TRUE(program.waitForExit(90s)) << "the unattended run did not end";
    EXPECT_EQ(program.exitCode(), 1u) << "one drawing failed";

    int plots = 0;
    for (const auto& line : wintest::readJsonLines(journal)) plots += line.contains("plot") ? 1 : 0;
    EXPECT_EQ(plots, 3) << "two layouts and one model space";

    const auto lines = reportLines(copy);
    ASSERT_EQ(lines.size(), 4u) << "a row per sheet and one for the failed drawing";
    EXPECT_EQ(countContaining(lines, "Façade Süd.dwg,Layout1,DWF6 ePlot.pc3,"), 1);
    EXPECT_EQ(countContaining(lines, "Façade Süd.dwg,Layout2,"), 1);
    EXPECT_EQ(countContaining(lines, "Plain.dwg,Model,"), 1);
    EXPECT_EQ(countContaining(lines, ",plotted,"), 3);
    EXPECT_EQ(countContaining(lines, "Broken.dwg,,"), 1);
    EXPECT_EQ(countContaining(lines, ",failed,"), 1);
    EXPECT_EQ(countContaining(lines, "the file is damaged"), 1);
    EXPECT_EQ(countContaining(lines, "Façade Süd-Layout1.dwf"), 1) << "the plot file beside its drawing";
    ASSERT_FALSE(reports().empty());
    EXPECT_EQ(reportLines(reports().back()), lines) << "the kept report and its copy are the same";
}

TEST_F(UnattendedRun, DrawingsTheApplicationWouldAskAboutArePlottedWithoutAQuestionAndTheProfileIsLeftAsItWas) {
    json scenario = wintest::baseScenario();
    scenario["defaultDevice"] = wintest::kDevice;
    scenario["journal"] = "journal.jsonl";
    scenario["profile"] = "profile.json";
    journal = folder.path() / L"journal.jsonl";
    for (const char* name : {"Proxies", "Untrusted", "Damaged", "Code", "Plain 1", "Plain 2"}) {
        folder.write((fs::path(L"Jobs") / (std::string(name) + ".dwg")).wstring(), kDrawingBytes);
        std::string trait = name;
        trait[0] = static_cast<char>(trait[0] - 'A' + 'a');
        json drawing = {{"file", std::string(name) + ".dwg"}};
        if (trait.rfind("plain", 0) != 0) drawing[trait] = true;
        scenario["drawings"].push_back(drawing);
    }
    const std::string profile = R"({"BACKGROUNDPLOT": 2, "DWGCHECK": 1, "PROXYNOTICE": 1, "RECOVERAUTO": 0, )"
                                R"("SDI": 0, "SECURELOAD": 1, "SIGWARN": 1})";
    const fs::path profileFile = folder.write(L"profile.json", profile);
    standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    const fs::path copy = folder.path() / L"asked.csv";
    ProgramUnderTest program(L"/run \"" + writeJob(wintest::kDevice).wstring() + L"\" /report \"" + copy.wstring() +
                             L"\" /close");
    ASSERT_TRUE(program.waitForExit(120s)) << "a question waited for an answer";
    EXPECT_EQ(program.exitCode(), 0u);
    const auto lines = reportLines(copy);
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(countContaining(lines, ",plotted,"), 6);
    int starts = 0;
    for (const auto& line : wintest::readJsonLines(journal)) starts += line.contains("start") ? 1 : 0;
    EXPECT_EQ(starts, 1) << "one application, never restarted";
    EXPECT_EQ(json::parse(readText(profileFile)), json::parse(profile)) << readText(profileFile);
}

TEST_F(UnattendedRun, AJobNamingADeviceAutoCADLacksPlotsNothingAndAsksNothing) {
    prepareDrawings(wintest::baseScenario());
    const fs::path job = writeJob("Ghost Plotter.pc3");
    const fs::path copy = folder.path() / L"ghost.csv";
    ProgramUnderTest program(L"/run \"" + job.wstring() + L"\" /report \"" + copy.wstring() + L"\" /close");
    // A message box would keep it waiting for ever: no one is there to answer it.
    ASSERT_TRUE(program.waitForExit(60s)) << "Quillon waited for someone";
    EXPECT_EQ(program.exitCode(), 2u);
    EXPECT_EQ(journalCalls("Open"), 0) << "nothing was opened";
    const auto lines = reportLines(copy);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Ghost Plotter.pc3"), std::string::npos) << lines[0];
}

TEST_F(UnattendedRun, APaperTheJobsDeviceLacksIsRefusedBeforeAnySheetAndTheDrawingIsLeftAsItWas) {
    json scenario = wintest::baseScenario();
    scenario["devices"].push_back({{"name", "Second.pc3"}, {"media", {"ISO_A4_(210.00_x_297.00_MM)"}}});
    prepareDrawings(scenario);
    const fs::path job = writeJob("sECOND.PC3");  // A3, which only the other device offers
    const fs::path copy = folder.path() / L"refused.csv";
    ProgramUnderTest program(L"/run \"" + job.wstring() + L"\" /report \"" + copy.wstring() + L"\" /close");
    ASSERT_TRUE(program.waitForExit(60s));
    EXPECT_EQ(program.exitCode(), 2u);
    for (const char* call : {"PlotToFile", "PlotToDevice", "Save", "SaveAs"}) EXPECT_EQ(journalCalls(call), 0) << call;
    const auto lines = reportLines(copy);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Second.pc3"), std::string::npos) << "the application's spelling: " << lines[0];
    EXPECT_NE(lines[0].find("It offers: ISO_A4_(210.00_x_297.00_MM)"), std::string::npos) << lines[0];
}

TEST_F(UnattendedRun, AMissingFolderAReportThatCannotBeWrittenAndNoApplicationEndAtOnceWithoutABox) {
    prepareDrawings(wintest::baseScenario());
    const json job = {{"folder", win::toUtf8((folder.path() / L"Jbos").wstring())}, {"device", wintest::kDevice},
                      {"paper", wintest::kMediaA3}, {"plotStyleTable", wintest::kStyleTable}};
    const fs::path typo = folder.write(L"Typo.qjob", job.dump());
    const fs::path good = writeJob(wintest::kDevice);
    const std::wstring noFolder = (folder.path() / L"No such folder" / L"r.csv").wstring();
    const std::wstring run = L"/run \"" + good.wstring() + L"\" /report \"";
    for (const std::wstring& arguments : {L"/run \"" + typo.wstring() + L"\" /close", run + noFolder + L"\" /close",
                                          run + folder.path().wstring() + L"\" /close"}) {
        ProgramUnderTest program(arguments);
        ASSERT_TRUE(program.waitForExit(60s)) << win::toUtf8(arguments);
        EXPECT_EQ(program.exitCode(), 2u) << win::toUtf8(arguments);
    }
    EXPECT_EQ(journalCalls("Open"), 0) << "nothing was opened";

    standin_server::registerServer(L"C:\\Program Files\\Missing\\acad.exe");
    ProgramUnderTest program(L"/run \"" + good.wstring() + L"\" /close");
    ASSERT_TRUE(program.waitForExit(30s)) << "waited for someone to answer a box";
    EXPECT_EQ(program.exitCode(), 3u);
}

TEST_F(UnattendedRun, AKilledRunLeavesTheRowsDoneSoFarInTheReport) {
    json scenario = wintest::baseScenario();
    scenario["faults"]["slow"] = json::array({{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", 1500}}});
    prepareDrawings(scenario);
    const fs::path job = writeJob(wintest::kDevice);
    const auto before = reports();
    ProgramUnderTest program(L"/run \"" + job.wstring() + L"\"");
    fs::path report;
    ASSERT_TRUE(wintest::waitFor(
        [&] {
            // The run's report is the one not there before: with 100 kept, the count stays as it was.
            for (const auto& now : reports())
                if (std::find(before.begin(), before.end(), now) == before.end()) report = now;
            return !report.empty() && reportLines(report).size() >= 1;
        },
        60s))
        << "no row reached the report";
    TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, program.processId()), 99);
    ASSERT_TRUE(program.waitForExit(10s));
    wintest::terminateProcesses(kServerExe);
    EXPECT_GE(reportLines(report).size(), 1u) << "the rows written before the kill are on disk";
}

// Closed from outside while a plot hangs in the application Quillon started:
// no box, the application is ended, and the exit code and the report say
// what became of every drawing.
TEST_F(UnattendedRun, ClosedDuringAHungCallItAsksNothingNeverSaysAllPlottedAndWritesItsReport) {
    json scenario = wintest::baseScenario();
    scenario["faults"]["hangs"] = json::array({{{"object", "Plot"}, {"member", "PlotToFile"}}});
    prepareDrawings(scenario);
    const fs::path job = writeJob(wintest::kDevice);
    const fs::path copy = folder.path() / L"closed.csv";
    ProgramUnderTest program(L"/run \"" + job.wstring() + L"\" /report \"" + copy.wstring() + L"\" /close");
    HWND main = program.waitForMainWindow(30s);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(wintest::waitFor([&] { return windowText(GetDlgItem(main, ids::Status)).find(L"Plot.PlotToFile") != std::wstring::npos; }, 60s))
        << "the plot never hung";
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.waitForExit(60s)) << "Quillon waited for someone";
    EXPECT_NE(program.exitCode(), 0u) << "a drawing hung and others were never plotted";
    const auto lines = reportLines(copy);
    // Whether the run's own thread or the closing window records the drawing in hand first decides whether
    // the reason also names the call that was waiting; either way it failed because AutoCAD stopped answering.
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    EXPECT_EQ(countContaining(lines, ",failed,AutoCAD stopped answering"), 1) << "the drawing in hand\n" << all;
    EXPECT_EQ(countContaining(lines, ",not started,the run ended because Quillon was closed,"), 2)
        << "the drawings never reached";
}

// The application Quillon starts hangs before it is even visible: it is ended
// as one Quillon started, and the run says the application is unavailable.
TEST_F(UnattendedRun, AnApplicationThatHangsAsItStartsIsEndedAndTheRunEnds) {
    win::RegistryKey::create(HKEY_CURRENT_USER, L"Software\\Quillon\\Settings").writeString(L"CadCallTimeout", L"10");
    json scenario = wintest::baseScenario();
    scenario["faults"]["hangs"] = json::array({{{"object", "Application"}, {"member", "Visible"}}});
    prepareDrawings(scenario);
    const fs::path job = writeJob(wintest::kDevice);
    const fs::path copy = folder.path() / L"hidden.csv";
    ProgramUnderTest program(L"/run \"" + job.wstring() + L"\" /report \"" + copy.wstring() + L"\" /close");
    ASSERT_TRUE(program.waitForExit(60s)) << "the program never ended";
    EXPECT_EQ(program.exitCode(), 3u);
    EXPECT_EQ(reportLines(copy).size(), 1u);
}

TEST_F(UnattendedRun, AJobOnTheCommandLineWithoutRunIsLoadedIntoTheWindowAndWaitsForTheUser) {
    prepareDrawings(wintest::baseScenario());
    json job = {{"drawings",
                 {win::toUtf8((folder.path() / L"Jobs" / L"Façade Süd.dwg").wstring()),
                  win::toUtf8((folder.path() / L"Jobs" / L"Plain.dwg").wstring())}},
                {"layouts", false},
                {"device", wintest::kDevice},
                {"paper", wintest::kMediaA3},
                {"plotStyleTable", wintest::kStyleTable},
                {"copies", 2}};
    const fs::path file = folder.write(L"Two drawings.qjob", job.dump());
    ProgramUnderTest program(L"\"" + file.wstring() + L"\"");
    HWND main = program.waitUntilReady();
    ASSERT_NE(main, nullptr);
    GuiDriver gui(main);
    ASSERT_TRUE(pollUntil([&] { return gui.listCount() == 2; }, 20s)) << win::toUtf8(gui.text(ids::Status));
    EXPECT_EQ(gui.findRow(L"Façade Süd.dwg") >= 0, true);
    EXPECT_EQ(gui.findRow(L"Plain.dwg") >= 0, true);
    EXPECT_EQ(gui.text(ids::DeviceBox), win::toWide(wintest::kDevice));
    EXPECT_EQ(gui.text(ids::PaperBox), win::toWide(wintest::kMediaA3)) << "the paper survives the device's paper list";
    EXPECT_EQ(gui.text(ids::PlotStyleTableBox), win::toWide(wintest::kStyleTable));
    EXPECT_EQ(gui.text(ids::CopiesBox), L"2");
    EXPECT_FALSE(gui.isChecked(ids::ChkLayouts));
    Sleep(500);
    EXPECT_EQ(journalCalls("Open"), 0) << "loading a job plots nothing";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0u);
}

// Three nights into one plot folder: a run, a re-run that fails half way, and the resume of that re-run.
TEST_F(UnattendedRun, SameNamedDrawingsKeepTheirFilesThroughAFailingReRunAndTheResumeOfIt) {
    json scenario = wintest::baseScenario();
    scenario["devices"].push_back({{"name", "DWG To PDF.pc3"}, {"media", {wintest::kMediaA3}}});
    // As the application may: a plot to an existing name fails, so Quillon must clear the way itself.
    scenario["existingPlotFiles"] = "refuse";
    scenario["defaultDevice"] = "DWG To PDF.pc3";
    scenario["journal"] = "journal.jsonl";
    for (const wchar_t* name : {L"North\\Plan.dwg", L"South\\Plan.dwg"}) folder.write(name, kDrawingBytes);
    auto registerScenario = [&] {
        standin_server::registerServer(wintest::standinExePath(),
                                       folder.write(L"scenario.json", scenario.dump()).wstring());
    };
    registerScenario();
    const fs::path out = folder.path() / L"Out";
    fs::create_directories(out);
    json job = {{"drawings", {win::toUtf8((folder.path() / L"North\\Plan.dwg").wstring()),
                              win::toUtf8((folder.path() / L"South\\Plan.dwg").wstring())}},
                {"device", "DWG To PDF.pc3"},
                {"paper", wintest::kMediaA3},
                {"plotStyleTable", wintest::kStyleTable},
                {"plotFolder", win::toUtf8(out.wstring())}};
    const fs::path jobFile = folder.write(L"Out.qjob", job.dump(2));
    const fs::path csv = folder.path() / L"out.csv";
    auto run = [&](const std::wstring& arguments, unsigned exitCode) {
        fs::remove(csv);
        ProgramUnderTest program(arguments + L" /report \"" + csv.wstring() + L"\" /close");
        EXPECT_TRUE(program.waitForExit(90s)) << "the unattended run did not end";
        EXPECT_EQ(program.exitCode(), exitCode);
        return reportLines(csv);
    };
    auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out)) {
            if (entry.is_directory()) continue;  // Quillon's hidden folder of plots in the making
            const std::string text = readText(entry.path());
            // A plot says on its page which drawing it is of.
            const std::string of = text.find("North") != std::string::npos ? "North" : "South";
            names.push_back(win::toUtf8(entry.path().filename().wstring()) + ": " +
                            (text.starts_with("%PDF-") ? "PDF of " + of : text));
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::wstring night = L"/run \"" + jobFile.wstring() + L"\"";
    run(night, 0);
    EXPECT_EQ(listing(), (std::vector<std::string>{"Plan (North).pdf: PDF of North", "Plan (South).pdf: PDF of South"}))
        << "two drawings of one name are told apart by their folders";

    // The re-run loses the plot folder after its first sheet (the run takes South first): North's file stays.
    folder.write(L"Out\\Plan (North).pdf", "last night's North");
    scenario["plotFolderVanishesAfter"] = 1;
    registerScenario();
    const auto lines = run(night, 1);
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    EXPECT_EQ(countContaining(lines, "Plan (South).pdf,plotted,"), 1) << all;
    EXPECT_GE(countContaining(lines, ",failed,"), 1) << all;
    EXPECT_EQ(listing(), (std::vector<std::string>{"Plan (North).pdf: last night's North", "Plan (South).pdf: PDF of South"}))
        << "a failed plot leaves the earlier file and no temporary one";
    const fs::path failed = folder.write(L"rerun.csv", readText(csv));

    // The morning's resume plots North alone, under the name the whole job gives it; South's file is untouched.
    const std::string south = readText(out / L"Plan (South).pdf");
    scenario.erase("plotFolderVanishesAfter");
    registerScenario();
    run(L"/resume \"" + failed.wstring() + L"\"", 0);
    EXPECT_EQ(listing(), (std::vector<std::string>{"Plan (North).pdf: PDF of North", "Plan (South).pdf: PDF of South"}));
    EXPECT_EQ(readText(out / L"Plan (South).pdf"), south);
    for (const auto& line : listing()) std::cout << "  Out\\" << line << "\n";
}

TEST_F(UnattendedRun, AJobCombiningTheRunLeavesOnePdfOfEverySheetWithBookmarks) {
    json scenario = wintest::baseScenario();
    scenario["devices"].push_back({{"name", "DWG To PDF.pc3"}, {"media", {wintest::kMediaA3}}});
    scenario["defaultDevice"] = "DWG To PDF.pc3";
    // A name outside the ANSI code page: the library reads its sheets through copies.
    for (const wchar_t* name : {L"Jobs\\Фасад.dwg", L"Jobs\\Plain.dwg"}) folder.write(name, kDrawingBytes);
    wintest::addDrawing(scenario, "Фасад.dwg");
    standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    const fs::path out = folder.path() / L"Выход";
    fs::create_directories(out);
    json job = {{"folder", win::toUtf8((folder.path() / L"Jobs").wstring())}, {"device", "DWG To PDF.pc3"},
                {"paper", wintest::kMediaA3}, {"plotStyleTable", wintest::kStyleTable},
                {"plotFolder", win::toUtf8(out.wstring())}, {"combine", "run"}, {"keepSheetFiles", false}};
    const fs::path jobFile = folder.write(L"Night.qjob", job.dump(2));
    const fs::path csv = folder.path() / L"night.csv";
    ProgramUnderTest program(L"/run \"" + jobFile.wstring() + L"\" /report \"" + csv.wstring() + L"\" /close");
    ASSERT_TRUE(program.waitForExit(90s));
    EXPECT_EQ(program.exitCode(), 0u);

    std::vector<fs::path> pdfs;
    for (const auto& entry : fs::directory_iterator(out))
        if (!entry.is_directory()) pdfs.push_back(entry.path());
    const DWORD hidden = GetFileAttributesW((out / L".quillon").c_str());
    EXPECT_TRUE(hidden != INVALID_FILE_ATTRIBUTES && (hidden & FILE_ATTRIBUTE_HIDDEN)) << "plots are made in a hidden folder";
    ASSERT_EQ(pdfs.size(), 1u) << "the sheet files went once the combined file held them";
    EXPECT_EQ(pdfs[0].filename().wstring().rfind(L"Jobs ", 0), 0u) << win::toUtf8(pdfs[0].wstring());
    const std::string pdf = readText(pdfs[0]);
    std::size_t pages = 0;
    for (std::size_t at = pdf.find("/Type/Page"); at != std::string::npos; at = pdf.find("/Type/Page", at + 1))
        pages += pdf.compare(at, 11, "/Type/Pages") != 0;
    EXPECT_EQ(pages, 3u);
    // Bookmark titles outside ASCII are UTF-16 text strings: "Фасад" begins FEFF 0424.
    EXPECT_NE(pdf.find("<FEFF0424"), std::string::npos);
    EXPECT_NE(pdf.find("(Plain)"), std::string::npos);
    const auto lines = reportLines(csv);
    EXPECT_EQ(countContaining(lines, ",combined,3 pages,"), 1) << (lines.empty() ? "" : lines.back());
}

}  // namespace
}  // namespace quillon::e2e
