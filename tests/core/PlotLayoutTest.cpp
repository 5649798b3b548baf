#include <atomic>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "CadTestFakes.h"
#include "StandinTestSupport.h"
#include "autocad/CadConnection.h"
#include "base/StdFileSystem.h"
#include "plotting/DrawingCheck.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/DrawingPlotter.h"
#include "plotting/job/JobCheck.h"
#include "plotting/record/ReportRows.h"
#include "plotting/record/ResumePlan.h"
#include "plotting/sheets/PageSetupList.h"
#include "plotting/xref/XrefReloader.h"

namespace quillon::plotting {
namespace {

using automation::AutomationError;
using automation::ObjectPtr;
using nlohmann::json;
using standin::JournalEntryType;
using standin::testing::TempFolder;
using Lines = std::vector<std::string>;

using quillon::testing::EngineLauncher;
using quillon::testing::SilentUi;

class RecordedMessages : public InformationSink {
public:
    Lines shown;
    void showInformation(const std::string& title, const std::string& text) override {
        shown.push_back(title + "|" + text);
    }
};

json scenario() {
    return {
        {"devices",
         {{{"name", "Plotter.pc3"}, {"media", {"ISO_A3_(420.00_x_297.00_MM)", "ISO_A4_(210.00_x_297.00_MM)"}}},
          {{"name", "Office Laser"}, {"media", {"Letter", "A4"}}},
          {{"name", "NoFile.pc3"}, {"media", {"A4"}}, {"plotToFile", false}}}},
        {"plotStyleTables", {"mono.ctb", "mono.stb"}},
        {"plotFolder", "plots"},
        {"drawings",
         {{{"file", "A.dwg"}, {"layouts", {{{"name", "Sheet2"}, {"tabOrder", 2}}, {{"name", "Sheet1"}, {"tabOrder", 1}}}}},
          {{"file", "Site.dwg"}, {"layouts", {{{"name", "Site Model"}}, {{"name", "Model Sheet"}}}}},
          {{"file", "PLAN.DWG"}, {"layouts", {{{"name", "Ground"}}, {{"name", "First"}}}}},
          {{"file", "Named.dwg"}, {"plotStyles", "stb"}},
          {{"file", "Office.dwt"},
           {"pageSetups",
            {{{"name", "A1 Issue"}, {"plotRotation", 3}, {"centerPlot", true}},
             {{"name", "Model Issue"}, {"modelType", true}, {"plotType", 1}}}}}}},
    };
}

class LayoutPlotting : public ::testing::Test {
protected:
    TempFolder dir;
    std::shared_ptr<standin::Engine> engine;
    EngineLauncher launcher;
    SilentUi ui;
    autocad::CadConnection connection{launcher, ui};
    base::StdFileSystem files;
    std::atomic<bool> stop{false};
    RecordedMessages messages;
    XrefReloader xrefs{connection, files, stop};
    DrawingPlotter plotter{connection, xrefs, files, messages, stop};

    void start(json extra = json::object()) {
        json s = scenario();
        s.update(extra);
        dir.folder("plots");
        engine = standin::Engine::fromJson(s.dump(), dir.path());
        launcher.application = engine->application();
        connection.connectAutoCAD();
        plotter.setSetup({"Plotter.pc3", "A4", "mono.ctb", 1});
    }
    std::string drawing(const std::string& relative) { return dir.file(relative, "drawing"); }
    void openAndActivate(const std::string& path) {
        ASSERT_TRUE(plotter.openDrawing(path));
        ASSERT_TRUE(plotter.activateDrawing(true));
    }
    std::size_t mark() const { return engine->journal().size(); }
    Lines closedNames() const {
        Lines out;
        for (const auto& e : engine->journal())
            if (e.type == JournalEntryType::Close) out.push_back(std::filesystem::path(e.close.document).filename());
        return out;
    }

    // The files the journal's plots went to, by the names they were moved to once written.
    Lines plotFiles() const {
        Lines out;
        for (const auto& plot : standin::plotsIn(engine->journal()))
            out.push_back(std::regex_replace(plot.plotFile.value_or(""), std::regex(R"(\.quillon[\\/]([^\\/]*)\.~[0-9a-f]{8}\.)"), "$1."));
        return out;
    }

    // The journal from `from` on, one line per access, plot or close, with
    // the scratch folder and the plot's temporary token left out of every name.
    Lines journalSince(std::size_t from) const {
        const std::string prefix = dir.path() + "/";
        const std::regex token(R"(\.quillon[\\/]([^\\/]*)\.~[0-9a-f]{8}\.)");
        auto shorten = [&](std::string text) {
            for (auto at = text.find(prefix); at != std::string::npos; at = text.find(prefix))
                text.erase(at, prefix.size());
            return std::regex_replace(text, token, "$1.");
        };
        Lines out;
        const auto entries = engine->journal();
        for (std::size_t i = from; i < entries.size(); ++i) {
            const auto& e = entries[i];
            if (e.type == JournalEntryType::Plot) {
                out.push_back(shorten("plot " + e.plot.layout + " " + e.plot.media + " " + e.plot.styleSheet + " " +
                                      e.plot.plotFile.value_or("(device)")));
            } else if (e.type == JournalEntryType::Close) {
                out.push_back(shorten("close " + e.close.document));
            } else if (e.type == JournalEntryType::Access) {
                const auto& a = e.access;
                std::string line = a.object + "." + a.member;
                if (a.kind == "put") line += "=" + a.args[0].dump();
                if (a.kind == "call") line += a.args.dump();
                if (a.kind == "enum") line += " enum";
                if (a.failed()) line += " !";
                out.push_back(shorten(line));
            }
        }
        return out;
    }
};

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The sheets' ReloadXrefs on a drawing its activation found without references: the view settled again.
Lines reloadWithoutReferences(const std::string& doc) {
    return {"Application.ZoomExtents[]", "Document(" + doc + ").Regen[1]", "Document(" + doc + ").Regen[0]"};
}

// One paper layout of SetLayoutsToPlot up to its plot output, from the look at its block on. The layouts'
// ZoomExtents, which the application lacks, is tried at the first only.
Lines paperLayoutSetUp(const std::string& doc, const std::string& name, const std::string& block,
                       const std::string& device, const std::string& paper, bool first = true) {
    const std::string layout = "Layout(" + name + " of " + doc + ").";
    Lines out{layout + "Block", "Block(" + block + " of " + doc + ").Count",
              "Document(" + doc + ").ActiveLayout={\"object\":\"Layout(" + name + " of " + doc + ")\"}"};
    if (first) out.push_back(layout + "ZoomExtents[] !");
    return out + Lines{layout + "ConfigName=\"" + device + "\"",
                       layout + "RefreshPlotDeviceInfo[]",
                       layout + "GetCanonicalMediaNames[]",
                       layout + "CanonicalMediaName=\"" + paper + "\"",
                       layout + "PlotWithPlotStyles=true",
                       layout + "StyleSheet",
                       layout + "StyleSheet=\"mono.ctb\"",
                       layout + "PlotType=1",
                       layout + "StandardScale=0",
                       layout + "UseStandardScale=true",
                       layout + "PlotRotation=1",
                       layout + "CenterPlot=true"};
}

const std::string IsoA4 = "ISO_A4_(210.00_x_297.00_MM)";

TEST_F(LayoutPlotting, EveryPaperLayoutIsASheetWhateverItsNameAndSheetsComeInTabOrder) {
    start();
    openAndActivate(drawing("A.dwg"));
    plotter.setSetup({"Plotter.pc3", "A4", "mono.ctb", 2});
    const auto from = mark();
    plotter.setLayoutsToPlot();

    // The document's Plot and name are read at its first sheet only.
    auto copiesAndFile = [](const std::string& name, bool first) {
        Lines out = first ? Lines{"Document(A.dwg).Plot"} : Lines{};
        out = out + Lines{"Plot(A.dwg).NumberOfCopies=2", "Plot(A.dwg).QuietErrorMode=true",
                          "Layout(" + name + " of A.dwg).ConfigName"};
        if (first) out.push_back("Document(A.dwg).Name");
        out.push_back("Application.ActiveDocument");
        return out;
    };
    const Lines expected =
        Lines{"Document(A.dwg).GetVariable[\"BACKGROUNDPLOT\"]",
              "Document(A.dwg).SetVariable[\"BACKGROUNDPLOT\",0]"} +
        reloadWithoutReferences("A.dwg") +
        Lines{"Document(A.dwg).Layouts", "Layouts(A.dwg)._NewEnum enum", "Layout(Model of A.dwg).ModelType",
              "Layout(Sheet2 of A.dwg).ModelType", "Layout(Sheet2 of A.dwg).Name", "Layout(Sheet2 of A.dwg).TabOrder",
              "Layout(Sheet1 of A.dwg).ModelType", "Layout(Sheet1 of A.dwg).Name",
              "Layout(Sheet1 of A.dwg).TabOrder"} +
        paperLayoutSetUp("A.dwg", "Sheet1", "*Paper_Space0", "Plotter.pc3", IsoA4) + copiesAndFile("Sheet1", true) +
        Lines{"plot Sheet1 " + IsoA4 + " mono.ctb A-Sheet1.plt",
              "Plot(A.dwg).PlotToFile[\"A-Sheet1.plt\",\"Plotter.pc3\"]"} +
        paperLayoutSetUp("A.dwg", "Sheet2", "*Paper_Space0", "Plotter.pc3", IsoA4, false) + copiesAndFile("Sheet2", false) +
        Lines{"plot Sheet2 " + IsoA4 + " mono.ctb A-Sheet2.plt",
              "Plot(A.dwg).PlotToFile[\"A-Sheet2.plt\",\"Plotter.pc3\"]"};
    EXPECT_EQ(journalSince(from), expected);
    EXPECT_EQ(plotter.report().layoutsPlotted, 2);

    // The model layout is told by ModelType: paper layouts whose names hold "Model" are sheets too.
    plotter.closeDrawing();
    openAndActivate(drawing("Site.dwg"));
    plotter.setLayoutsToPlot();
    Lines plotted;
    for (const auto& plot : standin::plotsIn(engine->journal()))
        if (plot.drawing == drawing("Site.dwg")) plotted.push_back(plot.layout);
    EXPECT_EQ(plotted, (Lines{"Site Model", "Model Sheet"}));

    const auto accesses = standin::accessesIn(engine->journal());
    for (const auto& a : accesses) {
        if (a.member == "SetVariable" || a.member == "NumberOfCopies") {
            EXPECT_EQ(a.argKinds.back(), "int16") << a.member;
        }
    }
}

TEST_F(LayoutPlotting, TheActiveLayoutIsSetUpAndPlottedWithFailuresPropagating) {
    start({{"defaultDevice", "Office Laser"}});
    openAndActivate(drawing("M.dwg"));
    plotter.setSetup({"Office Laser", "a4", "mono.ctb", 1});
    const auto from = mark();
    plotter.plotActiveLayout();

    const std::string layout = "Layout(Model of M.dwg).";
    const Lines expected = Lines{"Document(M.dwg).GetVariable[\"BACKGROUNDPLOT\"]",
                                 "Document(M.dwg).SetVariable[\"BACKGROUNDPLOT\",0]"} +
                           reloadWithoutReferences("M.dwg") +
                           Lines{"Document(M.dwg).ActiveLayout",
                                 "Document(M.dwg).Regen[0]",
                                 layout + "ConfigName=\"Office Laser\"",
                                 layout + "ConfigName",
                                 layout + "RefreshPlotDeviceInfo[]",
                                 layout + "GetCanonicalMediaNames[]",
                                 layout + "CanonicalMediaName=\"A4\"",
                                 layout + "PlotWithPlotStyles=true",
                                 layout + "StyleSheet",
                                 layout + "StyleSheet=\"mono.ctb\"",
                                 layout + "PlotType=1",
                                 layout + "StandardScale=0",
                                 layout + "UseStandardScale=true",
                                 layout + "PlotRotation=1",
                                 layout + "CenterPlot=true",
                                 "Document(M.dwg).Plot",
                                 "Plot(M.dwg).QuietErrorMode=true",
                                 "Application.ActiveDocument",
                                 "plot Model A4 mono.ctb (device)",
                                 "Plot(M.dwg).PlotToDevice[]"};
    EXPECT_EQ(journalSince(from), expected);
    EXPECT_TRUE(plotter.report().activeLayoutPlotted);

    engine = standin::Engine::fromJson(
        json({{"faults", {{"throws", {{{"object", "Layout"}, {"member", "PlotType"}}}}}}}).dump(), dir.path());
    launcher.application = engine->application();
    connection.connectAutoCAD();
    openAndActivate(drawing("M.dwg"));
    EXPECT_THROW(plotter.plotActiveLayout(), AutomationError);
}

TEST_F(LayoutPlotting, ASheetWhoseDeviceDidNotTakeFailsWhateverDeviceThePlotCallNames) {
    // A configuration the application cannot find: ConfigName refuses it, and a plot call naming it gives way
    // to the layout's own device without a word.
    start({{"drawings", {{{"file", "G.dwg"}, {"layouts", {{{"name", "Sheet1"}, {"device", "Office Laser"}}}}}}}});
    openAndActivate(drawing("G.dwg"));
    plotter.setSetup({"Ghost.pc3", "A4", "mono.ctb", 1});
    plotter.setLayoutsToPlot();
    EXPECT_TRUE(standin::plotsIn(engine->journal()).empty()) << "nothing went to the Office Laser";
    ASSERT_EQ(plotter.report().sheets.size(), 1u);
    const std::string failure = plotter.report().sheets[0].failure;
    EXPECT_EQ(failure.rfind("the device \"Ghost.pc3\" could not be set (", 0), 0u) << failure;
    EXPECT_NE(failure.find("; the layout's device is \"Office Laser\""), std::string::npos) << failure;
    plotter.closeDrawing();
    // Model space alike.
    openAndActivate(drawing("M.dwg"));
    EXPECT_THROW(plotter.plotActiveLayout(), AutomationError) << "the drawing fails with the reason";
    EXPECT_TRUE(standin::plotsIn(engine->journal()).empty());
}

// The device data is refreshed for each layout the device is set on: the drawing before, already on the
// chosen device, says nothing of the papers this one lists.
TEST_F(LayoutPlotting, ASheetSavedForAnotherDeviceIsGivenThePaperOfTheChosenOneAfterOneSavedForIt) {
    start({{"defaultDevice", "Office Laser"},
           {"drawings",
            {{{"file", "L.dwg"}, {"layouts", {{{"name", "Sheet1"}}}}},
             {{"file", "P.dwg"}, {"layouts", {{{"name", "Sheet1"}, {"device", "Plotter.pc3"}}}}},
             {{"file", "K.dwg"}, {"model", {{"device", "Plotter.pc3"}}}}}}});
    plotter.setSetup({"Office Laser", "A4", "mono.ctb", 1});
    for (const char* name : {"L.dwg", "P.dwg", "K.dwg"}) {
        openAndActivate(drawing(name));
        if (std::string(name) == "K.dwg") plotter.plotActiveLayout();
        else plotter.setLayoutsToPlot();
        ASSERT_EQ(plotter.report().sheets.size(), 1u) << name;
        EXPECT_TRUE(plotter.report().sheets[0].warnings.empty()) << name << ": " << plotter.report().sheets[0].warnings[0].reason;
        plotter.closeDrawing();
    }
    Lines plotted;
    for (const auto& plot : standin::plotsIn(engine->journal())) plotted.push_back(plot.device + " " + plot.media);
    EXPECT_EQ(plotted, Lines(3, "Office Laser A4"));
}

TEST_F(LayoutPlotting, PlotterConfigurationsGoToAFileFirstAndToTheDeviceWhenRefused) {
    start({{"defaultDevice", "NoFile.pc3"}});
    auto plotWith = [&](const char* device) {
        openAndActivate(drawing("M.dwg"));
        plotter.setSetup({device, "A4", "mono.ctb", 1});
        const auto from = mark();
        plotter.plotActiveLayout();
        plotter.closeDrawing();
        Lines outputs;
        for (const auto& line : journalSince(from))
            if (line.rfind("Plot(M.dwg).PlotTo", 0) == 0) outputs.push_back(line);
        return outputs;
    };
    EXPECT_EQ(plotWith("NoFile.pc3"),
              (Lines{"Plot(M.dwg).PlotToFile[\"M.plt\",\"NoFile.pc3\"]", "Plot(M.dwg).PlotToDevice[]"}));
    EXPECT_EQ(plotWith("NoFile.PC3"), Lines{"Plot(M.dwg).PlotToDevice[]"});
    EXPECT_EQ(plotWith("Office Laser"), Lines{"Plot(M.dwg).PlotToDevice[]"});
}

TEST_F(LayoutPlotting, ADrawingSavedForAnotherDeviceGetsThePaperOfTheChosenOne) {
    // The drawing's model layout is set up for the laser printer, whose papers the plotter does not have.
    start({{"defaultDevice", "Office Laser"}});
    openAndActivate(drawing("M.dwg"));
    plotter.setSetup({"Plotter.pc3", "A3", "mono.ctb", 1});
    const auto from = mark();
    plotter.plotActiveLayout();
    Lines plots;
    for (const auto& line : journalSince(from))
        if (line.rfind("plot ", 0) == 0) plots.push_back(line);
    EXPECT_EQ(plots, Lines{"plot Model ISO_A3_(420.00_x_297.00_MM) mono.ctb M.plt"});
}

TEST_F(LayoutPlotting, AModelSpaceSheetWhosePaperDidNotTakeIsPlottedWithAWarningNamingBothPapers) {
    start({{"defaultDevice", "Office Laser"}});
    openAndActivate(drawing("M.dwg"));
    plotter.setSetup({"Office Laser", "ISO_A3", "mono.ctb", 1});
    plotter.plotActiveLayout();
    const auto outcome = outcomeOf(plotter.report(), "");
    ASSERT_EQ(outcome.sheets.size(), 1u);
    EXPECT_TRUE(outcome.sheets[0].plotted);
    ASSERT_EQ(outcome.sheets[0].warnings.size(), 1u);
    const std::string text = outcome.sheets[0].warnings[0].text();
    EXPECT_NE(text.find("\"ISO_A3\""), std::string::npos) << text;
    EXPECT_NE(text.find("plotted on \"Letter\""), std::string::npos) << text;
    EXPECT_EQ(outcome.layoutsWithWarnings, 1) << "counted, so the run's exit code hears of it";
}

TEST_F(LayoutPlotting, ABadTemplateOrPaperIsRefusedThroughABlankDrawingBeforeAnyDrawingOpens) {
    // The user's own application, one drawing at a time (SDI 1): turned off for the blank drawing only.
    const auto users = drawing("U.dwg");
    start({{"openDocuments", {{{"path", users}}}}, {"sdi", 1}});
    PlotSetup setup{"Office Laser", "ISO_A3", "mono.ctb", 1};
    EXPECT_EQ(refusalBeforeFirstOpen(connection, setup, true),
              "The device \"Office Laser\" does not offer the paper \"ISO_A3\". It offers: Letter, A4.");
    setup.paper = "A4";
    setup.sheetSettings = SheetSettings::Template;
    setup.pageSetupFile = dir.at("Office.dwt");
    setup.pageSetup = "a1 issue";
    EXPECT_EQ(refusalBeforeCad(setup, files)->text.rfind("The template drawing " + setup.pageSetupFile +
                                                         " (pageSetupFile) does not exist",
                                                         0),
              0u);
    drawing("Office.dwt");
    EXPECT_EQ(refusalBeforeCad(setup, files), std::nullopt);
    EXPECT_EQ(refusalBeforeFirstOpen(connection, setup, true), std::nullopt);
    setup.pageSetup = "A0 Issue";
    EXPECT_EQ(refusalBeforeFirstOpen(connection, setup, false),
              "The template drawing " + setup.pageSetupFile +
                  " has no page setup \"A0 Issue\" (pageSetup). It has: A1 Issue, Model Issue.");

    for (const auto& access : standin::accessesIn(engine->journal())) EXPECT_NE(access.member, "Open");
    EXPECT_EQ(closedNames(), (Lines{"Drawing1.dwg", "Drawing2.dwg", "Drawing3.dwg"})) << "each closed unsaved";
    auto left = connection.app().documents().items();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].activeLayout().name(), "Model") << "the user's own drawing is left alone";
    EXPECT_EQ(left[0].getVariable("SDI").toInt(), 1);
}

TEST_F(LayoutPlotting, NamedPlotStyleDrawingsGetTheStbTableAndCopiesAreSetOnlyAboveOne) {
    start();
    openAndActivate(drawing("Named.dwg"));
    plotter.setSetup({"Plotter.pc3", "A3", "mono.ctb", 1});
    const auto from = mark();
    plotter.plotActiveLayout();
    for (const auto& line : journalSince(from)) EXPECT_EQ(line.find("NumberOfCopies"), std::string::npos) << line;
    const auto plots = standin::plotsIn(engine->journal());
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_EQ(plots[0].styleSheet, "mono.stb");
    EXPECT_EQ(plots[0].media, "ISO_A3_(420.00_x_297.00_MM)");
    EXPECT_EQ(plots[0].copies, 1);
}

TEST_F(LayoutPlotting, StopEndsTheLayoutsBeforeTheNextOne) {
    start();
    openAndActivate(drawing("A.dwg"));
    ASSERT_TRUE(plotter.beginLayouts());
    EXPECT_TRUE(plotter.plotNextLayout());
    stop = true;
    const auto from = mark();
    EXPECT_FALSE(plotter.plotNextLayout());
    EXPECT_TRUE(journalSince(from).empty()) << "not even the next layout's name is read";
    EXPECT_EQ(plotter.report().layoutsPlotted, 1);

    // Stop already set: the foreground switch and the reference reload still happen, nothing is plotted.
    openAndActivate(drawing("A.dwg"));
    const auto again = mark();
    plotter.setLayoutsToPlot();
    const auto lines = journalSince(again);
    EXPECT_EQ(lines[0], "Document(A.dwg).GetVariable[\"BACKGROUNDPLOT\"]");
    EXPECT_EQ(lines.back(), "Layout(Sheet1 of A.dwg).TabOrder");
    EXPECT_EQ(standin::plotsIn(engine->journal()).size(), 1u);
}

TEST_F(LayoutPlotting, AMissingChoiceIsToldAndNothingIsTouched) {
    start();
    openAndActivate(drawing("A.dwg"));
    const auto from = mark();
    plotter.setSetup({"None", "Select a Paper", "mono.ctb", 1});
    plotter.setLayoutsToPlot();
    plotter.setSetup({"Plotter.pc3", "A4", "Select Plot Style Table", 1});
    plotter.plotActiveLayout();
    EXPECT_TRUE(journalSince(from).empty());
    EXPECT_EQ(messages.shown,
              (Lines{"Printer Not Selected|Please Select a Printer before printing",
                     "Plot Style Table Not Selected|Please Select a Plot Style Table before printing"}));
}

TEST_F(LayoutPlotting, TheUsersDrawingsAreNeverClosedButQuillonsModifiedLeftoverIs) {
    start({{"openDocuments", {{{"path", dir.at("U.dwg")}, {"modified", true}}}}});
    const auto path = drawing("A.dwg");
    openAndActivate(path);
    plotter.setLayoutsToPlot();
    plotter.closeDrawing();
    EXPECT_EQ(closedNames(), Lines{"A.dwg"});

    // Quillon's own new drawing, modified and active, is dropped before the next open.
    auto added = connection.app().documents().add();
    connection.rememberOpened(added);
    added.activeLayout().setConfigName("Office Laser");
    plotter.openDrawing(drawing("M.dwg"));
    plotter.closeDrawing();
    EXPECT_EQ(closedNames(), (Lines{"A.dwg", "Drawing1.dwg", "M.dwg"}));
    auto left = connection.app().documents().items();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name(), "U.dwg");
}

TEST_F(LayoutPlotting, ADrawingOpenInTheUsersSessionIsPlottedFromAReadOnlyCopyOfItsOwn) {
    const auto path = drawing("A.dwg");
    start({{"openDocuments", {{{"path", path}, {"modified", true}}}}});
    openAndActivate(path);
    plotter.setLayoutsToPlot();
    plotter.closeDrawing();

    EXPECT_EQ(plotter.report().layoutsPlotted, 2);
    EXPECT_EQ(closedNames(), Lines{"A.dwg"});
    for (const auto& e : engine->journal()) {
        if (e.type == JournalEntryType::Close) {
            EXPECT_TRUE(e.close.readOnly);
        }
    }
    auto documents = connection.app().documents().items();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].getVariable("DBMOD").toInt(), 1);
    EXPECT_EQ(documents[0].activeLayout().name(), "Model") << "the user's own document was not set up";
}

TEST_F(LayoutPlotting, WhenTheApplicationRefusesASecondCopyTheDrawingIsSkippedAndNothingClosed) {
    const auto path = drawing("A.dwg");
    start({{"reopenOpenDocuments", "refuse"}, {"openDocuments", {{{"path", path}}}}});
    EXPECT_TRUE(plotter.openDrawing(path));
    EXPECT_TRUE(plotter.report().openElsewhere);
    EXPECT_FALSE(plotter.activateDrawing(true));
    const auto from = mark();
    plotter.closeDrawing();
    EXPECT_TRUE(journalSince(from).empty());
    EXPECT_TRUE(standin::plotsIn(engine->journal()).empty());
}

TEST_F(LayoutPlotting, AUsersADwgIsNeverTakenForBADwg) {
    start({{"openDocuments", {{{"path", drawing("A.dwg")}}}}});
    const auto path = drawing("Jobs/BA.dwg");
    openAndActivate(path);
    plotter.plotActiveLayout();
    plotter.closeDrawing();
    EXPECT_EQ(standin::plotsIn(engine->journal()).at(0).drawing, path);
    for (const auto& line : journalSince(0)) {
        EXPECT_EQ(line.find("Document(A.dwg).Activate"), std::string::npos);
        EXPECT_EQ(line.find("close A.dwg"), std::string::npos);
    }

    // Opening fails: nothing else of that name stands in for it.
    start({{"openDocuments", {{{"path", drawing("A.dwg")}}}},
           {"drawings", {{{"file", "BA.dwg"}, {"openError", "damaged"}}}}});
    EXPECT_TRUE(plotter.openDrawing(path));
    EXPECT_FALSE(plotter.activateDrawing(true));
    EXPECT_EQ(plotter.report().openError, "Cannot open " + path + ": damaged");
}

TEST_F(LayoutPlotting, PlotFilesNeverNameTheDrawingAndEachLayoutGetsItsOwn) {
    start();
    const auto path = drawing("PLAN.DWG");
    openAndActivate(path);
    EXPECT_EQ(plotter.getLayouts(), 2);
    plotter.setLayoutsToPlot();
    plotter.plotActiveLayout();
    const Lines written = plotFiles();
    EXPECT_EQ(written, (Lines{dir.at("PLAN-Ground.plt"), dir.at("PLAN-First.plt"), dir.at("PLAN.plt")}));
    for (const auto& file : written) EXPECT_TRUE(std::filesystem::exists(file)) << file;
    EXPECT_EQ(standin::testing::readText(path), "drawing");
}

TEST_F(LayoutPlotting, ARasterDriverThatForcesItsOwnExtensionNamesTheSheetWithIt) {
    start({{"devices", {{{"name", "Raster.pc3"}, {"media", {"A4"}}, {"forcedExtension", ".png"}}}},
           {"defaultDevice", "Raster.pc3"}});
    openAndActivate(drawing("M.dwg"));
    plotter.setSetup({"Raster.pc3", "A4", "mono.ctb", 1});
    plotter.plotActiveLayout();
    ASSERT_TRUE(plotter.report().activeLayoutPlotted) << plotter.report().sheets.at(0).failure;
    EXPECT_EQ(plotter.report().sheets.at(0).plotFile, dir.at("M.png"));
    EXPECT_TRUE(std::filesystem::exists(dir.at("M.png")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.at(".quillon"))) << "nothing left behind";
    EXPECT_TRUE(plotter.report().renamedPlotFiles.empty()) << "its own extension is no name taken";
}

TEST_F(LayoutPlotting, APlotterWhoseConfigurationPlotsToAFileIsFoundOutAndItsSheetsGoToNamedFiles) {
    start({{"devices", {{{"name", "Port.pc3"}, {"media", {"A4"}}, {"filePort", true}}}}, {"defaultDevice", "Port.pc3"}});
    openAndActivate(drawing("A.dwg"));
    PlotSetup toPaper{"Port.pc3", "A4", "mono.ctb", 1};
    toPaper.files.output = PlotOutput::Device;
    plotter.setSetup(toPaper);
    plotter.setLayoutsToPlot();
    Lines calls;
    for (const auto& a : standin::accessesIn(engine->journal()))
        if (a.member.rfind("PlotTo", 0) == 0) calls.push_back(a.member);
    EXPECT_EQ(calls, (Lines{"PlotToDevice", "PlotToFile"})) << "found out at the first sheet";
    const auto& sheets = plotter.report().sheets;
    ASSERT_EQ(sheets.size(), 2u);
    for (const auto& sheet : sheets) {
        EXPECT_TRUE(sheet.plotted) << sheet.failure;
        EXPECT_FALSE(sheet.sentToDevice);
    }
    EXPECT_EQ(sheets[0].plotFile, dir.at("A-Sheet1.plt"));
    EXPECT_EQ(sheets[0].plotWarnings, Lines{PlotsToFilePortWarning});
    EXPECT_EQ(sheets[1].plotFile, dir.at("A-Sheet2.plt"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.at("plots"))) << "no file nobody named is left";
}

TEST_F(LayoutPlotting, PlotFilesLieBesideTheirDrawingAndNoPathIsHandedOutTwiceInARun) {
    start();
    const auto first = drawing("North/PLAN.DWG");
    const auto second = drawing("South/PLAN.DWG");
    // Its model-space file would be the name of the first drawing's first layout file.
    const auto clash = drawing("North/PLAN-Ground.dwg");
    for (const auto& path : {first, second}) {
        openAndActivate(path);
        plotter.setLayoutsToPlot();
        plotter.closeDrawing();
    }
    openAndActivate(clash);
    plotter.plotActiveLayout();
    const Lines written = plotFiles();
    EXPECT_EQ(written, (Lines{dir.at("North/PLAN-Ground.plt"), dir.at("North/PLAN-First.plt"),
                              dir.at("South/PLAN-Ground.plt"), dir.at("South/PLAN-First.plt"),
                              dir.at("North/PLAN-Ground (2).plt")}));
    EXPECT_EQ(outcomeOf(plotter.report(), "").text(),
              "Plotted (model space); plot file named so as not to overwrite one of this run: PLAN-Ground (2).plt");
}

TEST_F(LayoutPlotting, LayoutsArePlottedWithQuietErrorsOnTheDocumentsPlot) {
    start();
    openAndActivate(drawing("A.dwg"));
    plotter.setLayoutsToPlot();
    const auto plots = standin::plotsIn(engine->journal());
    ASSERT_EQ(plots.size(), 2u);
    for (const auto& plot : plots) EXPECT_TRUE(plot.quietErrorMode) << plot.layout;
}

TEST_F(LayoutPlotting, ABlankDrawingQuillonAddedIsTheUsersOnceTheyDrawInIt) {
    start();  // nothing open: the connection adds a blank drawing
    connection.app().activeDocument().activeLayout().setConfigName("Office Laser");
    ASSERT_TRUE(plotter.openDrawing(drawing("M.dwg")));
    plotter.closeDrawing();
    connection.cleanUpAtExit();
    EXPECT_EQ(closedNames(), Lines{"M.dwg"});
}

TEST_F(LayoutPlotting, PatternsChooseTheSheetsIgnoringCaseAndANeverUsedLayoutIsLeftOutUnactivated) {
    start({{"drawings",
            {{{"file", "E.dwg"},
              {"layouts",
               {{{"name", "ELEV North"}}, {{"name", "Layout1"}, {"entities", 0}}, {{"name", "Plan"}},
                {{"name", "Elev-old"}}}}}}}});
    PlotSetup setup{"Plotter.pc3", "A4", "mono.ctb", 1};
    setup.layoutPatterns = {"elev*; Lay?ut1", "*OLD"};
    plotter.setSetup(setup);
    openAndActivate(drawing("E.dwg"));
    plotter.setLayoutsToPlot();
    const auto plots = standin::plotsIn(engine->journal());
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_EQ(plots[0].layout, "ELEV North");
    for (const auto& line : journalSince(0))
        EXPECT_EQ(line.find("ActiveLayout={\"object\":\"Layout(Layout1"), std::string::npos) << "it would get a viewport";
    const auto outcome = outcomeOf(plotter.report(), "");
    EXPECT_EQ(outcome.text(), "1 layout plotted; left out as empty: Layout1; not matching the layout patterns: Plan, Elev-old");
    std::vector<ReportRecord> records;
    for (const auto& row : reportRows(outcome, setup, "")) records.push_back({int(records.size()) + 2, row});
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].row.outcome + "|" + records[1].row.reason, "left out|empty layout");
    plotter.closeDrawing();

    // Nothing matches: skipped, a problem to a check, and nothing a resume takes up again.
    setup.layoutPatterns = {"Section*", ""};
    plotter.setSetup(setup);
    openAndActivate(drawing("E.dwg"));
    plotter.setLayoutsToPlot();
    const auto none = outcomeOf(plotter.report(), "");
    EXPECT_EQ(none.text(), "Skipped: no layout matches Section*");
    EXPECT_TRUE(resumePlan(records).job.drawings.empty());
    records.clear();
    for (const auto& row : reportRows(none, setup, "")) records.push_back({int(records.size()) + 2, row});
    EXPECT_TRUE(resumePlan(records).job.drawings.empty());
    plotter.closeDrawing();
    setup.purpose = RunPurpose::Check;
    plotter.setSetup(setup);
    openAndActivate(drawing("E.dwg"));
    plotter.setLayoutsToPlot();
    EXPECT_EQ(outcomeOf(plotter.report(), "").text(), "Problems: no layout matches Section*; not matching the layout "
                                                       "patterns: ELEV North, Layout1, Plan, Elev-old");
}

TEST_F(LayoutPlotting, TheLayoutsOwnSettingsKeepAllButTheChosenDevicePaperAndTableAndNothingIsSaved) {
    start();
    PlotSetup setup{"Plotter.pc3", "A4", "mono.ctb", 1};
    setup.sheetSettings = SheetSettings::Layout;
    plotter.setSetup(setup);
    openAndActivate(drawing("A.dwg"));
    const auto from = mark();
    plotter.setLayoutsToPlot();
    plotter.closeDrawing();
    Lines puts;
    for (const auto& line : journalSince(from))
        if (line.rfind("Layout(Sheet1", 0) == 0 && line.find('=') != std::string::npos) puts.push_back(line);
    EXPECT_EQ(puts, (Lines{"Layout(Sheet1 of A.dwg).ConfigName=\"Plotter.pc3\"",
                           "Layout(Sheet1 of A.dwg).CanonicalMediaName=\"" + IsoA4 + "\"",
                           "Layout(Sheet1 of A.dwg).StyleSheet=\"mono.ctb\""}));
    const auto plots = standin::plotsIn(engine->journal());
    ASSERT_EQ(plots.size(), 2u);
    EXPECT_EQ((std::vector<int>{plots[0].plotType, plots[0].rotation}), (std::vector<int>{5, 0})) << "the layout's own";
    EXPECT_EQ(plotter.report().sheets[0].plotAreaAndScale, "layout, 1:1");
    for (const auto& e : engine->journal())
        if (e.type == JournalEntryType::Close) {
            EXPECT_FALSE(e.close.wouldSave);
        }
}

TEST_F(LayoutPlotting, ATemplatesPageSetupIsCopiedOntoSheetsOfItsKindFromOneReadOnlyOpenAndNothingIsSaved) {
    start();
    PlotSetup setup{"Plotter.pc3", "A4", "mono.ctb", 1};
    setup.sheetSettings = SheetSettings::Template;
    setup.pageSetupFile = drawing("Office.dwt");
    setup.pageSetup = "a1 issue";
    plotter.setSetup(setup);
    openAndActivate(drawing("A.dwg"));
    plotter.setLayoutsToPlot();
    plotter.closeDrawing();
    openAndActivate(drawing("M.dwg"));
    plotter.plotActiveLayout();
    plotter.closeDrawing();
    const auto warnings = plotter.report().warnings;
    plotter.closeTemplate();

    Lines copies, opens;
    for (const auto& line : journalSince(0)) {
        if (line.find(".CopyFrom") != std::string::npos) copies.push_back(line);
        if (line.find("Documents.Open") != std::string::npos) opens.push_back(line.substr(0, line.find(',')));
    }
    EXPECT_EQ(copies, (Lines{"Layout(Sheet1 of A.dwg).CopyFrom[{\"object\":\"PlotConfiguration(A1 Issue of Office.dwt)\"}]",
                             "Layout(Sheet2 of A.dwg).CopyFrom[{\"object\":\"PlotConfiguration(A1 Issue of Office.dwt)\"}]"}));
    EXPECT_EQ(opens.size(), 3u) << "the template once, then the two drawings";
    const auto plots = standin::plotsIn(engine->journal());
    ASSERT_EQ(plots.size(), 3u);
    EXPECT_EQ((std::vector<int>{plots[0].rotation, plots[0].plotType, plots[0].media == IsoA4}), (std::vector<int>{3, 5, 1}))
        << "the page setup's rotation and area, the chosen paper";
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text(), "Model: page setup \"a1 issue\" not set (it is a page setup for layouts; the layout's "
                                  "own settings were kept)");
    EXPECT_EQ(closedNames(), (Lines{"A.dwg", "M.dwg", "Office.dwt"}));
    // The window's list of the template's page setups: read from a read-only open, closed again.
    EXPECT_EQ(pageSetupsOf(connection, drawing("Office.dwt")),
              (std::vector<PageSetupName>{{"A1 Issue", false}, {"Model Issue", true}}));
    EXPECT_EQ(closedNames(), (Lines{"A.dwg", "M.dwg", "Office.dwt", "Office.dwt"}));
    for (const auto& e : engine->journal())
        if (e.type == JournalEntryType::Close) {
            EXPECT_FALSE(e.close.wouldSave) << e.close.document;
            EXPECT_TRUE(e.close.readOnly) << e.close.document;
        }
}

TEST_F(LayoutPlotting, TheTemplateIsOpenedAsADrawingIsAndTheUsersValuesAreGivenBack) {
    // A template with a missing font and another application's signature, in the user's own application.
    json drawings = scenario()["drawings"];
    drawings[4]["missingFont"] = drawings[4]["signed"] = true;
    start({{"drawings", drawings}, {"answerMilliseconds", 20}});
    PlotSetup setup{"Plotter.pc3", "A4", "mono.ctb", 1};
    setup.sheetSettings = SheetSettings::Template;
    setup.pageSetupFile = drawing("Office.dwt");
    setup.pageSetup = "A1 Issue";
    plotter.setSetup(setup);
    openAndActivate(drawing("A.dwg"));
    plotter.setLayoutsToPlot();
    plotter.closeDrawing();
    plotter.closeTemplate();

    for (const auto& e : engine->journal())
        EXPECT_NE(e.type, JournalEntryType::Question) << "asked about " << e.question.variable;
    EXPECT_TRUE(connection.owed()->owed().empty()) << "every value given back";
    EXPECT_EQ(closedNames(), (Lines{"A.dwg", "Office.dwt"}));
}

TEST_F(LayoutPlotting, ATemplateTheApplicationHandsBackIsTheUsersReadButNeverChangedOrClosed) {
    const std::string office = drawing("Office.dwt");
    start({{"reopenOpenDocuments", "handBack"}, {"openDocuments", {{{"path", office}, {"modified", true}}}}});
    PlotSetup setup{"Plotter.pc3", "A4", "mono.ctb", 1};
    setup.sheetSettings = SheetSettings::Template;
    setup.pageSetupFile = office;
    setup.pageSetup = "A1 Issue";
    plotter.setSetup(setup);
    openAndActivate(drawing("A.dwg"));
    plotter.setLayoutsToPlot();
    const auto sheets = plotter.report().sheets;
    plotter.closeDrawing();
    plotter.closeTemplate();

    ASSERT_FALSE(sheets.empty());
    EXPECT_EQ(sheets[0].note, "its page setup was read from " + office + " as it is open in AutoCAD, which was left as it was");
    EXPECT_EQ(closedNames(), Lines{"A.dwg"}) << "the user's template stays open";
    for (const auto& a : standin::accessesIn(engine->journal()))
        EXPECT_FALSE(a.kind == "put" && a.object.find("Office.dwt") != std::string::npos) << a.object << "." << a.member;
}

}  // namespace
}  // namespace quillon::plotting
