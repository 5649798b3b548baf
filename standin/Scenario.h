#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/Value.h"

namespace quillon::standin {

enum class PlotStyleKind { ColorDependent, Named };  // .ctb tables, .stb tables
// What Documents.Open does with a file already open: a second, read-only document of it, a refusal, or the
// document already open handed back (the reference does not say which the application does).
enum class ReopenPolicy { ReadOnlyCopy, Refuse, HandBack };
// What PlotToFile does with a file of the name it is to write.
enum class ExistingPlotFiles { Replace, Refuse };

inline constexpr const char* kNoDevice = "None";

struct DeviceDef {
    std::string name;
    std::vector<std::string> media;  // canonical media names, the first is the device's default
    bool plotToFile = true;
    bool available = true;
    // Added by PlotToFile to a file name given without an extension.
    std::string fileExtension = ".plt";
    // False: PlotToFile answers true and writes nothing, as a plot lost on its way.
    bool writesFile = true;
    // Its configuration plots to a file (a file port): PlotToDevice writes a file nobody named.
    bool filePort = false;
    // A raster driver's own extension, put in place of the last extension of the name PlotToFile is given.
    std::string forcedExtension;
};

// A block reference in model space or on a layout.
struct InsertDef {
    std::string block;
    // Tag (upper case, as the application keeps tags) and text, in the order the scenario writes them.
    std::vector<std::pair<std::string, std::string>> attributes;
    // A dynamic block's reference is named after an anonymous block of its own (*U...).
    bool dynamic = false;
};

struct LayoutDef {
    std::string name;
    std::optional<std::string> device;
    std::optional<std::string> media;
    std::optional<std::string> styleSheet;
    std::optional<int> plotType;
    std::optional<int> standardScale;
    std::optional<int> plotRotation;
    std::optional<bool> useStandardScale;
    std::optional<bool> centerPlot;
    std::optional<bool> plotWithPlotStyles;
    int entities = 1;
    // The tab's position (Model is 0); unset: the position it is listed at.
    std::optional<int> tabOrder;
    // A page setup's: for model space rather than for layouts.
    bool modelType = false;
    std::vector<InsertDef> inserts;
};

struct BlockDef {
    std::string name;
    int entities = 1;
};

struct XrefDef {
    std::string name;
    std::string path;             // the stored path, as the drawing keeps it
    std::optional<bool> loaded;   // unset: decided by whether the file is found at open
    int entities = 1;
};

// What a drawing holds that makes the application ask its user something while opening it.
struct OpenTraits {
    bool proxies = false;      // objects of an add-on that is not installed
    bool untrusted = false;    // last saved by another application
    bool damaged = false;      // needs recovering
    bool code = false;         // code stored beside it, from a place that is not trusted
    bool signature = false;    // carries a digital signature
    bool invalidSignature = false;  // carries a digital signature that is not valid
    bool missingFont = false;  // uses a font file that cannot be found
};

// The drawing's properties (SummaryInfo); custom ones in the order written.
struct DrawingProperties {
    std::string title;
    std::string subject;
    std::string author;
    std::string keywords;
    std::string comments;
    std::string revisionNumber;
    std::string lastSavedBy;
    std::string hyperlinkBase;
    std::vector<std::pair<std::string, std::string>> custom;
};

struct DrawingDef {
    std::string match;            // a full path, or a bare file name
    bool matchesFullPath = false;
    LayoutDef model;
    std::vector<LayoutDef> paperLayouts;  // as listed; each has its tab order
    // Named page setups; LayoutDef::modelType says which kind.
    std::vector<LayoutDef> pageSetups;
    std::string activeLayout = "Model";
    PlotStyleKind plotStyles = PlotStyleKind::ColorDependent;
    std::vector<BlockDef> blocks;
    std::vector<XrefDef> xrefs;
    std::optional<std::string> openError;
    OpenTraits traits;
    DrawingProperties properties;
};

struct SessionDocumentDef {
    std::string path;  // empty: an unsaved new drawing
    bool modified = false;
    bool readOnly = false;
};

struct VariableDef {
    std::string name;  // upper case
    automation::Value initial;
    bool perDocument = true;
    bool readOnly = false;
};

struct BusyFault {
    std::int64_t afterCalls = 0;
    std::int64_t calls = 1;
    std::int32_t code = 0;
};

struct MemberFault {
    std::string object;                 // object kind, empty for any
    std::string member;
    std::optional<std::string> access;  // get, put, call or enum; unset for any
    std::optional<std::string> drawing; // full path or file name
    std::string description;
    std::int32_t code = 0;
    std::optional<std::int64_t> count;  // unset: every matching call
};

struct SlowCall {
    std::string object;  // empty for any
    std::string member;
    // Full path or file name: only calls on that drawing's objects, or Documents.Open of it.
    std::optional<std::string> drawing;
    int milliseconds = 0;
};

// A call that never returns: the application stuck on one of its own dialogs.
// Only ending the process (or Engine::kill in-process) releases it.
struct HangingCall {
    std::string object;  // empty for any
    std::string member;
    std::optional<std::string> drawing;
};

struct OpenFault {
    std::string drawing;  // full path or file name
    std::string description;
    std::optional<std::int64_t> count;
};

struct FaultDefs {
    std::vector<BusyFault> busy;
    std::optional<std::int64_t> dieAfterCalls;
    std::vector<MemberFault> throws;
    std::vector<SlowCall> slow;
    std::vector<HangingCall> hangs;
    // Calls that end the application, as a drawing that crashes it does.
    std::vector<HangingCall> kills;
    std::vector<OpenFault> openFails;
};

// Everything a scenario file says, with relative paths already resolved.
struct Scenario {
    std::vector<DeviceDef> devices;  // always includes "None"
    std::vector<std::string> styleTables;
    std::string defaultDevice = kNoDevice;
    std::string plotFolder;
    std::string journal;
    // Where the variables the application keeps in the user's profile persist; empty: in memory only.
    std::string profile;
    // How long a question asked at open waits before someone answers it; unset: for ever.
    std::optional<std::int64_t> answerMilliseconds;
    // Memory the application takes and never gives back for each drawing it opens.
    std::int64_t memoryPerDrawingKB = 0;
    // Opens beyond this many fail, as in an application that has run out of memory.
    std::optional<std::int64_t> openLimit;
    int sdi = 0;
    int backgroundPlot = 2;
    // How long a plot made with BACKGROUNDPLOT not 0 takes to come out.
    int backgroundPlotMilliseconds = 1000;
    // What XRefDatabase fails with for a reference whose file was not loaded.
    std::string xrefDatabaseError = "No database";
    bool visible = false;
    // The application is in the middle of a command: Quit cannot be serviced.
    bool inCommand = false;
    std::string name = "Stand-in CAD";
    std::string version = "1.0";
    ReopenPolicy reopen = ReopenPolicy::ReadOnlyCopy;
    ExistingPlotFiles existingPlotFiles = ExistingPlotFiles::Replace;
    // After this many plots to a file, the folders plot files go to cannot be
    // reached (a share gone away): every later PlotToFile fails.
    std::optional<std::int64_t> plotFolderVanishesAfter;
    std::vector<SessionDocumentDef> openDocuments;
    std::optional<int> activeDocument;
    std::vector<DrawingDef> drawings;
    std::vector<VariableDef> variables;
    FaultDefs faults;
};

}  // namespace quillon::standin
