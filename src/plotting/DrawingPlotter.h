#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "autocad/CadConnection.h"
#include "base/FileSystem.h"
#include "plotting/DrawingOutcome.h"
#include "plotting/InformationSink.h"
#include "plotting/PlotRules.h"
#include "plotting/files/PlotFileClaims.h"
#include "plotting/files/PlotFileWriter.h"
#include "plotting/sheets/SetupWarning.h"
#include "plotting/sheets/SheetRecord.h"
#include "plotting/titleblocks/TitleBlockReader.h"
#include "plotting/files/PlotFileNaming.h"
#include "plotting/xref/XrefReloader.h"

namespace quillon::plotting {

// A plotter's sheet sent to the device came out as a file nobody named: its configuration plots to a file.
inline constexpr const char* PlotsToFilePortWarning =
    "the plotter's configuration plots to a file, not to paper: its sheets go to named files";

// What the plotter found of the drawing in hand: the outcome's facts (its sheets, references, warnings), which
// it fills in as it goes, and what it saw on the way that decides the outcome (see outcomeOf).
struct DrawingReport : DrawingOutcome {
    bool fileFound = false;
    // Quillon opened a document of its own for the drawing (and will close it).
    bool opened = false;
    // The drawing is open in the user's session and the application would
    // not open it again as a document of its own.
    bool openElsewhere = false;
    std::string openError;
    // ActivateDrawing found Quillon's document and prepared it.
    bool found = false;
    std::string activationError;
    // Paper layouts the patterns passed over (in unmatchedLayouts), and the patterns shown when they
    // passed over every one.
    std::string noLayoutMatches;
    // PlotActiveLayout ran its plot; whether the application took the job.
    bool activeLayoutTried = false;
    bool activeLayoutPlotted = false;
    // The references its sheets were drawn from, as the last repair left them.
    std::vector<ReferenceUse> references;
};

// The per-drawing operations a run calls in turn: open the drawing, find and
// prepare its document, count its layouts, plot its active layout or all its
// paper layouts with the user's choices, and close it.
//
// Only documents Quillon opened are ever closed: a drawing the user has open
// (modified or not) is left alone, and when the drawing to plot is one of
// them it is opened again read-only as a document of its own, or skipped
// when the application will not do that.
class DrawingPlotter {
public:
    DrawingPlotter(autocad::CadConnection& connection, XrefReloader& xrefs, base::FileSystem& files,
                   InformationSink& messages, const std::atomic<bool>& stopRequested)
        : connection_(connection), xrefs_(xrefs), files_(files), messages_(messages), stopRequested_(stopRequested) {}

    void setSetup(const PlotSetup& setup) {
        setup_ = setup;
        plotsToFilePort_ = false;
        pageSetupFound_.reset();
        if (setup.files.claims) plotFiles_ = setup.files.claims;
    }
    // The plot file names of a run that several sessions plot together.
    void sharePlotFiles(std::shared_ptr<PlotFileClaims> names) { plotFiles_ = std::move(names); }
    PlotFileClaims& plotFiles() { return *plotFiles_; }
    const PlotSetup& setup() const { return setup_; }
    // How long a plot file may take to appear after the application said it plotted.
    void setPlotFileWait(std::chrono::milliseconds wait) { plotFileWait_ = wait; }

    // Each starts with the connection's guard. Failures of the application
    // propagate unless the operation says otherwise.

    // Starts a new drawing. False when no file exists at path; the open
    // itself may fail without an error (the report says why).
    bool openDrawing(const std::string& path);
    // Takes the document Quillon opened for the drawing, reloads its
    // references, regenerates it and, if asked, makes it active. False when
    // there is none or any step fails.
    bool activateDrawing(bool activate);
    // The layouts of Quillon's document less the model layout.
    int getLayouts();
    // Plots every paper layout; failures past the selection check are passed over.
    void setLayoutsToPlot();
    // Plots the active layout of Quillon's document (model space for a drawing saved so).
    void plotActiveLayout();
    // Closes the document Quillon opened for the drawing, unsaved; nothing
    // when it opened none. Always false.
    bool closeDrawing();

    // SetLayoutsToPlot in pieces, so a run can yield between layouts:
    // beginLayouts does everything before the first layout (false when a
    // choice is missing); each plotNextLayout plots one layout and answers
    // whether another may follow.
    bool beginLayouts();
    bool plotNextLayout();

    const DrawingReport& report() const { return report_; }
    // The drawing in hand is plotted again from the start (its application died): the plot files it wrote
    // are given back to the run's names, so the new attempt replaces them rather than writing beside them.
    void releasePlotFiles();

    // Closes the template drawing of the page setups, unsaved, once the run is over.
    void closeTemplate();

private:
    // Why a drawing fails when another is active at its plot and its own cannot be made active.
    static constexpr const char* NotActiveReason =
        "another drawing is active in AutoCAD and this one could not be made active to be plotted";

    bool selectionMade();
    bool checking() const { return setup_.purpose == RunPurpose::Check; }
    // The references the repair just ran over left missing, for the drawing's report.
    void noteMissingReferences();
    // A plotted sheet of a drawing whose references are still missing after the repair gets a warning naming them.
    void noteMissingReferencesOn(SheetRecord& sheet);
    // Quillon's document for the drawing in hand; throws when it opened none.
    autocad::CadDocument& ownDocument();
    // Makes document the active one before a plot call; throws with NotActiveReason when it cannot.
    void readyToPlot(autocad::CadDocument& document);
    void closeQuillonsDocument(autocad::CadDocument& document);
    // Closes a document of Quillon's left over from an earlier drawing; one that refuses is given up on.
    void giveUpOnStuckDocument(autocad::CadDocument& document);
    // active: the application's active document as just read, when it was.
    void openForPlotting(autocad::CadDocuments& documents, const std::string& path, std::int32_t openBefore,
                         std::optional<autocad::CadDocument> active);
    bool isDocumentFor(autocad::CadDocument& document, const std::string& path);
    bool openInSession(autocad::CadDocuments& documents, const std::string& path);
    // Lets go of what was read of the document in hand, which goes with it.
    void forgetDocument();
    // Repairs and reloads the references of Quillon's document for its sheets (see withoutReferences_).
    void reloadOwnXrefs(autocad::CadDocument& document);
    // The document's Plot, read at its first use in the drawing.
    autocad::CadPlot& ownPlot(autocad::CadDocument& document);
    // The paper layouts of the drawing in hand, in tab order, into layoutQueue_.
    void queueSheets(std::vector<autocad::CadLayout> layouts);
    // A never-used layout, seen before it is made active (which would make its viewport).
    bool leftOutAsEmpty(autocad::CadLayout& layout);
    struct QueuedSheet;
    void plotPaperLayout(QueuedSheet& queued);
    // Returns where the sheet's settings came from.
    std::string setUpPaperLayout(automation::AutoObject& layout, const std::string& layoutName,
                                 std::vector<SetupWarning>& warnings);
    // Sets up model space on the active layout: the device, the paper, the pen table and, with Quillon's
    // settings, extents, fit and rotation; what did not take is warned.
    void setUpModelSpace(autocad::CadDocument& document, autocad::CadLayout& layout,
                         const std::function<autocad::CadPlot&()>& documentPlot, std::vector<SetupWarning>& warnings);
    // Plots the sheet set up in document, to its file or to the device as
    // the device and the user's choice say; layoutName is empty for model
    // space. Fills in what became of it.
    void plotSheet(autocad::CadDocument& document, const std::function<autocad::CadPlot&()>& documentPlot,
                   const std::string& drawingName, const std::string& layoutName, SheetRecord& sheet);
    // Counts a plotted sheet with warnings of any kind on the drawing's report.
    void noteSheetWarnings(const SheetRecord& sheet);
    // A plotter's configuration may plot to a file (a file port): PlotToDevice then writes the sheet to a file
    // the application names "<drawing>-<layout>" in its folder for such plots, which nothing tells beforehand.
    // The files of that name there, with their write times, before and after the plot tell it.
    using UnnamedPlotFiles = std::map<std::string, std::int64_t>;
    std::string unnamedPlotFolder();
    UnnamedPlotFiles unnamedPlotFiles(const std::string& drawingName, const std::string& layoutName);
    // Gives the file the plot wrote, if it did, the sheet's own name; true when there was one.
    bool takeUnnamedPlotFile(const UnnamedPlotFiles& before, const std::string& drawingName,
                             const std::string& layoutName, SheetRecord& sheet);
    // The sheet's plot file: its name from the pattern, the sheet's title block and the drawing's properties.
    std::string sheetPlotFile(const std::string& drawingName, const std::string& layoutName, const SheetRecord& sheet);
    // Reads the title block of the sheet set up in document, when the run's names or register need one, and
    // the drawing's properties when its names do; a name that will lack a value is warned now, and a check
    // says on the sheet which block it found and the file it would plot.
    void readTitleBlock(autocad::CadDocument& document, const std::string& drawingName, const std::string& layoutName,
                        SheetRecord& sheet);
    NameValues nameValues(const SheetRecord& sheet);
    // The drawing's combined file, named by its properties now that it is open; the sheet says when one is missing.
    void nameCombinedFile(SheetRecord& sheet);
    // Takes, before a sheet named from its title block is plotted, the names of that name the plot record
    // gives another drawing's sheets, so the sheet goes to the next free " (n)" name instead.
    void keepOthersFiles(const std::string& wanted);
    // Why a sheet set up on layout cannot be plotted because the chosen device did not take; empty when it did.
    std::string deviceNotTaken(automation::AutoObject& layout, const std::vector<SetupWarning>& warnings);
    // The template drawing, opened read-only at its first use (again after a restart).
    autocad::CadDocument* templateDocument();
    // Copies the chosen page setup onto the layout; what did not take is warned. Whether it was copied.
    bool applyPageSetup(automation::AutoObject& layout, bool modelSpace, const std::string& layoutName,
                        std::vector<SetupWarning>& warnings);
    // Zooms a sheet's layout to its extents before it is set up, where the application's layouts can.
    void zoomLayoutToExtents(automation::AutoObject& layout);
    // Quillon's own, or as the layout reads after its set-up.
    std::string plotAreaAndScale(automation::AutoObject& layout) const;
    // The sheet's settingsFrom; a page setup that was not copied leaves the layout its own.
    std::string settingsFrom(bool pageSetupCopied) const;
    // A sheet set up from the user's own open template says so.
    void noteTemplate(SheetRecord& sheet) const;

    autocad::CadConnection& connection_;
    XrefReloader& xrefs_;
    base::FileSystem& files_;
    InformationSink& messages_;
    const std::atomic<bool>& stopRequested_;
    PlotSetup setup_;
    DrawingReport report_;
    // The document Quillon opened for the drawing in hand.
    std::optional<autocad::CadDocument> opened_;
    // SetLayoutsToPlot's state between layouts.
    std::optional<autocad::CadDocument> layoutsDocument_;
    // What was read of Quillon's document for the drawing in hand, kept for its later steps and sheets since
    // every read is a call to another process; let go of with the document (forgetDocument). Its Layouts
    // collection and Plot, and its file's name.
    std::optional<autocad::CadLayouts> layouts_;
    std::optional<autocad::CadPlot> plot_;
    std::optional<std::string> documentName_;
    // Its activation's reload met no external reference: the drawing is open read-only, so its sheets meet none.
    bool withoutReferences_ = false;
    // The drawing's sheets in tab order, with their names as read.
    struct QueuedSheet {
        autocad::CadLayout layout;
        std::string name;
    };
    std::vector<QueuedSheet> layoutQueue_;
    std::size_t nextLayout_ = 0;
    std::optional<autocad::CadDocument> pageSetupTemplate_;
    // The application handed back the template the user has open: read, never closed.
    bool templateIsUsers_ = false;
    // The chosen page setup of Quillon's own read-only template, and whether it is for model space: nothing
    // changes it while that stays open, so it is looked up once. The user's own open template is looked up
    // at every sheet, as the user may change it meanwhile.
    struct FoundPageSetup {
        automation::ObjectPtr object;
        bool modelType = false;
    };
    std::optional<FoundPageSetup> pageSetupFound_;
    std::shared_ptr<PlotFileClaims> plotFiles_ = std::make_shared<PlotFileClaims>();
    std::chrono::milliseconds plotFileWait_{3000};
    // Preferences.Output.DefaultPlotToFilePath, read at the first plot sent to a plotter; empty when unknown.
    std::optional<std::string> unnamedPlotFolder_;
    // The run's plotter was found plotting to a file: its sheets go to named files.
    bool plotsToFilePort_ = false;
    // The application whose layouts answered that they have no ZoomExtents: asked no more while it is held. A
    // new or restarted application is asked again.
    std::weak_ptr<automation::AutoObject> layoutsWithoutZoom_;
    // The title blocks and properties of the document in hand, read as its sheets are set up.
    std::optional<TitleBlockReader> titles_;
};

}  // namespace quillon::plotting
