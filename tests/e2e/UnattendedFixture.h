#pragma once

// The fixture of the tests that start Quillon with a job or a report on its
// command line, as a scheduled task would: no one at the window, an exit
// code, and a report.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose declarations they use.
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "GuiDriver.h"
#include "ProgramUnderTest.h"
#include "app/win/ControlIds.h"
#include "StandinScenario.h"
#include "TestSupport.h"
#include "standin/server/Registration.h"
#include "win/RegistryKey.h"
#include "win/Utf.h"

namespace quillon::e2e {

using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

using wintest::kServerExe;
using wintest::kDrawingBytes;

inline fs::path reportsFolder() {
    PWSTR base = nullptr;
    fs::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &base))) folder = fs::path(base);
    CoTaskMemFree(base);
    return folder / L"Quillon" / L"Reports";
}

inline std::vector<fs::path> reports() {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(reportsFolder(), error), end; !error && it != end; it.increment(error))
        if (it->path().extension() != L".journal") found.push_back(it->path());  // a run's journal is no report
    std::sort(found.begin(), found.end());
    return found;
}

// The report's lines after its heading; the BOM and heading checked on the way.
inline std::vector<std::string> reportLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    if (text.rfind("\xEF\xBB\xBF" "Drawing,Layout,Device,", 0) != 0) return lines;
    std::istringstream stream(text);
    std::string line;
    std::getline(stream, line);
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

inline std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The drawing each plot in the journal came from.
inline std::vector<std::string> plottedDrawings(const fs::path& journal) {
    std::vector<std::string> drawings;
    for (const auto& line : wintest::readJsonLines(journal))
        if (line.contains("plot")) drawings.push_back(line["plot"].value("drawing", ""));
    return drawings;
}

inline int countContaining(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& line) { return line.find(part) != std::string::npos; }));
}

// The base scenario plotting to PDF, journalled.
inline json pdfScenario() {
    json scenario = wintest::baseScenario();
    scenario["devices"].push_back({{"name", "DWG To PDF.pc3"}, {"media", {wintest::kMediaA3}}});
    scenario["defaultDevice"] = "DWG To PDF.pc3";
    scenario["journal"] = "journal.jsonl";
    return scenario;
}

class UnattendedRun : public ::testing::Test {
protected:
    static void TearDownTestSuite() { standin_server::registerServer(wintest::standinExePath()); }

    wintest::TempFolder folder;
    fs::path journal;

    void SetUp() override { win::RegistryKey::deleteTree(HKEY_CURRENT_USER, L"Software\\Quillon"); }
    void TearDown() override {
        EXPECT_TRUE(wintest::waitFor([] { return wintest::countProcesses(kServerExe) == 0; }, 15s))
            << "a stand-in server outlived its test";
    }

    // Drawings in "Jobs": a non-ANSI name with two layouts, one in model space, one that cannot be opened.
    json prepareDrawings(json scenario) {
        scenario["defaultDevice"] = wintest::kDevice;
        scenario["journal"] = "journal.jsonl";
        journal = folder.path() / L"journal.jsonl";
        for (const wchar_t* name : {L"Façade Süd.dwg", L"Plain.dwg", L"Broken.dwg"})
            folder.write((fs::path(L"Jobs") / name).wstring(), kDrawingBytes);
        wintest::addDrawing(scenario, "Façade Süd.dwg");
        scenario["drawings"].push_back({{"file", "Broken.dwg"}, {"openError", "the file is damaged"}});
        auto file = folder.write(L"scenario.json", scenario.dump());
        standin_server::registerServer(wintest::standinExePath(), file.wstring());
        return scenario;
    }

    // Drawings in "Jobs" that the application is slow to open, for a run to be caught in the middle.
    void prepareSlowDrawings(const std::vector<std::wstring>& names, int openMilliseconds) {
        json scenario = wintest::baseScenario();
        scenario["defaultDevice"] = wintest::kDevice;
        scenario["journal"] = "journal.jsonl";
        scenario["faults"]["slow"] =
            json::array({{{"object", "Documents"}, {"member", "Open"}, {"milliseconds", openMilliseconds}}});
        journal = folder.path() / L"journal.jsonl";
        for (const auto& name : names) folder.write((fs::path(L"Jobs") / name).wstring(), kDrawingBytes);
        standin_server::registerServer(wintest::standinExePath(), folder.write(L"scenario.json", scenario.dump()).wstring());
    }

    fs::path writeJob(const std::string& device) {
        json job = {{"folder", win::toUtf8((folder.path() / L"Jobs").wstring())},
                    {"layouts", true},
                    {"device", device},
                    {"paper", wintest::kMediaA3},
                    {"plotStyleTable", wintest::kStyleTable}};
        return folder.write(L"Night run.qjob", job.dump(2));
    }

    int journalCalls(const char* member) const {
        int calls = 0;
        for (const auto& line : wintest::readJsonLines(journal)) calls += line.value("member", "") == member ? 1 : 0;
        return calls;
    }
};

}  // namespace quillon::e2e
