#include "standin/ScenarioParser.h"

#include <limits>

#include "automation/AutomationError.h"
#include "standin/JsonNode.h"
#include "standin/ObjectKinds.h"
#include "standin/PathText.h"
#include "standin/ScenarioDrawingContent.h"
#include "standin/ScenarioError.h"
#include "standin/ScenarioFaults.h"
#include "standin/SystemVariables.h"
#include "standin/TextCase.h"

namespace quillon::standin {

namespace {

constexpr std::int64_t kMaxEntities = 1000000;
constexpr std::int64_t kMaxCalls = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMaxAnswerMilliseconds = 24LL * 3600 * 1000;
constexpr std::int64_t kMaxMemoryPerDrawingKB = 1024 * 1024;

class Parser {
public:
    Parser(const ScenarioJson& root, std::string baseDir) : root_(root, ""), baseDir_(std::move(baseDir)) {}

    Scenario run() {
        root_.requireObject({"comment", "name", "version", "visible", "sdi", "backgroundPlot",
                             "backgroundPlotMilliseconds", "xrefDatabaseError", "devices",
                             "plotStyleTables", "defaultDevice", "plotFolder", "journal", "reopenOpenDocuments",
                             "existingPlotFiles", "plotFolderVanishesAfter", "openDocuments", "activeDocument",
                             "variables", "drawings", "faults", "profile", "answerMilliseconds",
                             "memoryPerDrawingKB", "openLimit", "inCommand"});
        Scenario s;
        s.name = root_.text("name", s.name);
        s.version = root_.text("version", s.version);
        s.visible = root_.boolean("visible", false);
        s.inCommand = root_.boolean("inCommand", false);
        s.sdi = static_cast<int>(root_.integer("sdi", 0, 0, 3));
        s.backgroundPlot = static_cast<int>(root_.integer("backgroundPlot", 2, 0, 3));
        s.backgroundPlotMilliseconds =
            static_cast<int>(root_.integer("backgroundPlotMilliseconds", s.backgroundPlotMilliseconds, 0, 600000));
        s.xrefDatabaseError = root_.text("xrefDatabaseError", s.xrefDatabaseError);
        readDevices(s);
        readStyleTables(s);
        if (auto node = root_.optionalChild("defaultDevice")) s.defaultDevice = knownDevice(s, *node);
        if (root_.has("plotFolder")) s.plotFolder = resolveAgainst(baseDir_, root_.requiredText("plotFolder"));
        if (root_.has("journal")) s.journal = resolveAgainst(baseDir_, root_.requiredText("journal"));
        if (root_.has("profile")) s.profile = resolveAgainst(baseDir_, root_.requiredText("profile"));
        s.answerMilliseconds = root_.optionalInteger("answerMilliseconds", 0, kMaxAnswerMilliseconds);
        s.memoryPerDrawingKB = root_.integer("memoryPerDrawingKB", 0, 0, kMaxMemoryPerDrawingKB);
        s.openLimit = root_.optionalInteger("openLimit", 0, kMaxCalls);
        readReopenPolicy(s);
        if (auto node = root_.optionalChild("existingPlotFiles")) {
            const std::string policy = node->text();
            if (policy == "replace") s.existingPlotFiles = ExistingPlotFiles::Replace;
            else if (policy == "refuse") s.existingPlotFiles = ExistingPlotFiles::Refuse;
            else node->fail("expected \"replace\" or \"refuse\", found \"" + policy + "\"");
        }
        if (root_.has("plotFolderVanishesAfter"))
            s.plotFolderVanishesAfter = root_.integer("plotFolderVanishesAfter", 0, 0, kMaxCalls);
        readOpenDocuments(s);
        readVariables(s);
        if (auto node = root_.optionalChild("drawings")) {
            for (const auto& item : node->items()) s.drawings.push_back(readDrawing(s, item));
        }
        if (auto node = root_.optionalChild("faults")) s.faults = readScenarioFaults(*node, baseDir_);
        return s;
    }

private:
    JsonNode root_;
    std::string baseDir_;

    static std::string nonEmptyText(const JsonNode& node) { return nonEmptyScenarioText(node); }

    static const DeviceDef* findDevice(const Scenario& s, std::string_view name) {
        for (const auto& d : s.devices) {
            if (equalsNoCase(d.name, name)) return &d;
        }
        return nullptr;
    }

    static std::optional<std::string> extensionOf(const JsonNode& device, const char* field) {
        auto node = device.optionalChild(field);
        if (!node) return std::nullopt;
        std::string extension = nonEmptyText(*node);
        if (extension.front() != '.') node->fail("a file extension starts with \".\"");
        return extension;
    }

    static std::string knownDevice(const Scenario& s, const JsonNode& node) {
        std::string name = node.text();
        const DeviceDef* device = findDevice(s, name);
        if (!device) node.fail("unknown device \"" + name + "\"");
        return device->name;
    }

    void readDevices(Scenario& s) {
        if (auto node = root_.optionalChild("devices")) {
            for (const auto& item : node->items()) {
                item.requireObject(
                    {"comment", "name", "media", "plotToFile", "available", "fileExtension", "writesFile", "filePort",
                     "forcedExtension"});
                DeviceDef d;
                d.name = nonEmptyText(item.child("name"));
                if (findDevice(s, d.name)) item.child("name").fail("duplicate device \"" + d.name + "\"");
                if (auto media = item.optionalChild("media")) {
                    for (const auto& m : media->items()) d.media.push_back(nonEmptyText(m));
                }
                d.plotToFile = item.boolean("plotToFile", true);
                d.available = item.boolean("available", true);
                d.writesFile = item.boolean("writesFile", true);
                d.filePort = item.boolean("filePort", false);
                d.fileExtension = extensionOf(item, "fileExtension").value_or(d.fileExtension);
                d.forcedExtension = extensionOf(item, "forcedExtension").value_or("");
                s.devices.push_back(std::move(d));
            }
        }
        // The real application always offers "None", first in its list.
        if (!findDevice(s, kNoDevice)) {
            DeviceDef none;
            none.name = kNoDevice;
            none.media = {"ISO_A4_(210.00_x_297.00_MM)", "ISO_A3_(420.00_x_297.00_MM)", "Letter_(8.50_x_11.00_Inches)"};
            none.plotToFile = false;
            none.available = false;
            s.devices.insert(s.devices.begin(), std::move(none));
        }
    }

    void readStyleTables(Scenario& s) {
        auto node = root_.optionalChild("plotStyleTables");
        if (!node) return;
        for (const auto& item : node->items()) {
            std::string name = nonEmptyText(item);
            if (!endsWithNoCase(name, ".ctb") && !endsWithNoCase(name, ".stb"))
                item.fail("plot style table \"" + name + "\" must end in .ctb or .stb");
            for (const auto& existing : s.styleTables) {
                if (equalsNoCase(existing, name)) item.fail("duplicate plot style table \"" + name + "\"");
            }
            s.styleTables.push_back(name);
        }
    }

    void readReopenPolicy(Scenario& s) {
        auto node = root_.optionalChild("reopenOpenDocuments");
        if (!node) return;
        std::string policy = node->text();
        if (policy == "readOnlyCopy") s.reopen = ReopenPolicy::ReadOnlyCopy;
        else if (policy == "refuse") s.reopen = ReopenPolicy::Refuse;
        else if (policy == "handBack") s.reopen = ReopenPolicy::HandBack;
        else node->fail("expected \"readOnlyCopy\", \"refuse\" or \"handBack\", found \"" + policy + "\"");
    }

    void readOpenDocuments(Scenario& s) {
        if (auto node = root_.optionalChild("openDocuments")) {
            for (const auto& item : node->items()) {
                item.requireObject({"comment", "path", "modified", "readOnly"});
                SessionDocumentDef d;
                if (item.has("path")) d.path = resolveAgainst(baseDir_, nonEmptyText(item.child("path")));
                d.modified = item.boolean("modified", false);
                d.readOnly = item.boolean("readOnly", false);
                s.openDocuments.push_back(std::move(d));
            }
        }
        if (auto node = root_.optionalChild("activeDocument")) {
            if (s.openDocuments.empty()) node->fail("activeDocument given but openDocuments is empty");
            s.activeDocument = static_cast<int>(node->integer(0, static_cast<std::int64_t>(s.openDocuments.size()) - 1));
        }
    }

    void readVariables(Scenario& s) {
        auto node = root_.optionalChild("variables");
        if (!node) return;
        for (const auto& item : node->items()) {
            item.requireObject({"comment", "name", "value", "perDocument", "readOnly"});
            VariableDef v;
            v.name = toUpperAscii(nonEmptyText(item.child("name")));
            if (SystemVariables::isBuiltIn(v.name))
                item.child("name").fail("\"" + v.name + "\" is built in; set it through its own scenario field");
            for (const auto& existing : s.variables) {
                if (existing.name == v.name) item.child("name").fail("duplicate variable \"" + v.name + "\"");
            }
            JsonNode value = item.child("value");
            if (value.value().is_number_integer()) {
                v.initial = automation::Value(static_cast<std::int16_t>(
                    value.integer(std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max())));
            } else if (value.value().is_number()) {
                v.initial = automation::Value(value.value().get<double>());
            } else if (value.value().is_string()) {
                v.initial = automation::Value(value.text());
            } else {
                value.fail("a variable value must be a whole number, a number or a string");
            }
            v.perDocument = item.boolean("perDocument", true);
            v.readOnly = item.boolean("readOnly", false);
            s.variables.push_back(std::move(v));
        }
    }

    LayoutDef readLayout(const Scenario& s, const JsonNode& item, bool isModel, PlotStyleKind styles,
                         bool pageSetup = false) {
        if (pageSetup) {
            item.requireObject({"comment", "name", "modelType", "device", "media", "styleSheet", "plotType",
                                "standardScale", "plotRotation", "useStandardScale", "centerPlot", "plotWithPlotStyles"});
        } else if (isModel) {
            item.requireObject({"comment", "device", "media", "styleSheet", "plotType", "standardScale", "plotRotation",
                                "useStandardScale", "centerPlot", "plotWithPlotStyles", "entities", "inserts"});
        } else {
            item.requireObject({"comment", "name", "device", "media", "styleSheet", "plotType", "standardScale",
                                "plotRotation", "useStandardScale", "centerPlot", "plotWithPlotStyles", "entities",
                                "tabOrder", "inserts"});
        }
        LayoutDef l;
        l.name = isModel && !pageSetup ? "Model" : nonEmptyText(item.child("name"));
        if (auto node = item.optionalChild("device")) l.device = knownDevice(s, *node);
        const DeviceDef* device = findDevice(s, l.device.value_or(s.defaultDevice));
        if (auto node = item.optionalChild("media")) {
            std::string media = node->text();
            bool offered = false;
            for (const auto& m : device->media) offered = offered || m == media;
            if (!offered) node->fail("media \"" + media + "\" is not offered by device \"" + device->name + "\"");
            l.media = media;
        }
        if (auto node = item.optionalChild("styleSheet")) l.styleSheet = knownStyleSheet(s, *node, styles);
        if (auto v = item.optionalInteger("plotType", 0, 5)) l.plotType = static_cast<int>(*v);
        if (auto v = item.optionalInteger("standardScale", 0, 32)) l.standardScale = static_cast<int>(*v);
        if (auto v = item.optionalInteger("plotRotation", 0, 3)) l.plotRotation = static_cast<int>(*v);
        l.useStandardScale = item.optionalBoolean("useStandardScale");
        l.centerPlot = item.optionalBoolean("centerPlot");
        l.plotWithPlotStyles = item.optionalBoolean("plotWithPlotStyles");
        l.entities = static_cast<int>(item.integer("entities", 1, 0, kMaxEntities));
        if (!isModel && !pageSetup)
            if (auto v = item.optionalInteger("tabOrder", 1, 255)) l.tabOrder = static_cast<int>(*v);
        return l;
    }

    static std::string knownStyleSheet(const Scenario& s, const JsonNode& node, PlotStyleKind styles) {
        std::string name = node.text();
        if (name.empty()) return name;
        for (const auto& table : s.styleTables) {
            if (!equalsNoCase(table, name)) continue;
            bool named = endsWithNoCase(table, ".stb");
            if (named != (styles == PlotStyleKind::Named))
                node.fail("plot style table \"" + name + "\" does not suit a drawing using " +
                          (named ? "colour-dependent (.ctb)" : "named (.stb)") + " plot styles");
            return table;
        }
        node.fail("unknown plot style table \"" + name + "\"");
    }

    DrawingDef readDrawing(const Scenario& s, const JsonNode& item) {
        item.requireObject({"comment", "file", "model", "layouts", "activeLayout", "plotStyles", "blocks", "xrefs",
                            "openError", "proxies", "untrusted", "damaged", "code", "signed", "missingFont",
                            "invalidSignature", "pageSetups", "properties"});
        DrawingDef d;
        JsonNode file = item.child("file");
        d.match = nonEmptyText(file);
        d.matchesFullPath = hasFolderPart(d.match);
        if (d.matchesFullPath) d.match = resolveAgainst(baseDir_, d.match);
        for (const auto& other : s.drawings) {
            if (other.matchesFullPath == d.matchesFullPath && pathKey(other.match) == pathKey(d.match))
                file.fail("drawing \"" + d.match + "\" is described twice");
        }
        if (auto node = item.optionalChild("plotStyles")) {
            std::string kind = node->text();
            if (kind == "stb") d.plotStyles = PlotStyleKind::Named;
            else if (kind != "ctb") node->fail("expected \"ctb\" or \"stb\", found \"" + kind + "\"");
        }
        // Blocks first: a block reference to an external reference is checked against it.
        readBlocks(d, item);
        if (auto node = item.optionalChild("model")) {
            d.model = readLayout(s, *node, true, d.plotStyles);
            if (auto inserts = node->optionalChild("inserts")) d.model.inserts = readScenarioInserts(*inserts, d.xrefs);
        } else {
            d.model.name = "Model";
        }
        if (auto node = item.optionalChild("layouts")) {
            for (const auto& l : node->items()) {
                LayoutDef layout = readLayout(s, l, false, d.plotStyles);
                if (auto inserts = l.optionalChild("inserts")) layout.inserts = readScenarioInserts(*inserts, d.xrefs);
                if (equalsNoCase(layout.name, "Model")) l.child("name").fail("\"Model\" is implicit; describe it under \"model\"");
                for (const auto& other : d.paperLayouts) {
                    if (equalsNoCase(other.name, layout.name)) l.child("name").fail("duplicate layout \"" + layout.name + "\"");
                }
                d.paperLayouts.push_back(std::move(layout));
            }
            checkTabOrders(d, *node);
        }
        if (auto node = item.optionalChild("pageSetups")) {
            for (const auto& p : node->items()) {
                const bool model = p.boolean("modelType", false);
                LayoutDef setup = readLayout(s, p, model, d.plotStyles, true);
                setup.modelType = model;
                for (const auto& other : d.pageSetups)
                    if (equalsNoCase(other.name, setup.name)) p.child("name").fail("duplicate page setup \"" + setup.name + "\"");
                d.pageSetups.push_back(std::move(setup));
            }
        }
        if (auto node = item.optionalChild("activeLayout")) {
            std::string name = node->text();
            bool known = equalsNoCase(name, "Model");
            for (const auto& l : d.paperLayouts) known = known || equalsNoCase(l.name, name);
            if (!known) node->fail("unknown layout \"" + name + "\"");
            d.activeLayout = name;
        }
        if (auto node = item.optionalChild("openError")) d.openError = nonEmptyText(*node);
        if (auto node = item.optionalChild("properties")) d.properties = readScenarioProperties(*node);
        d.traits.proxies = item.boolean("proxies", false);
        d.traits.untrusted = item.boolean("untrusted", false);
        d.traits.damaged = item.boolean("damaged", false);
        d.traits.code = item.boolean("code", false);
        d.traits.signature = item.boolean("signed", false);
        d.traits.invalidSignature = item.boolean("invalidSignature", false);
        d.traits.missingFont = item.boolean("missingFont", false);
        return d;
    }

    // Tabs are numbered 1 to n on paper, each once: the listed position stands in for an unset one.
    static void checkTabOrders(const DrawingDef& d, const JsonNode& layouts) {
        const auto count = d.paperLayouts.size();
        std::vector<bool> taken(count + 1, false);
        for (std::size_t i = 0; i < count; ++i) {
            const auto tab = static_cast<std::size_t>(d.paperLayouts[i].tabOrder.value_or(static_cast<int>(i + 1)));
            if (tab > count) layouts.fail("tabOrder " + std::to_string(tab) + " is beyond the drawing's " +
                                          std::to_string(count) + " paper layouts");
            if (taken[tab]) layouts.fail("two layouts have tabOrder " + std::to_string(tab));
            taken[tab] = true;
        }
    }

    static void checkBlockName(const DrawingDef& d, const JsonNode& node, const std::string& name) {
        if (name[0] == '*') node.fail("block names starting with '*' are reserved");
        for (const auto& b : d.blocks) {
            if (equalsNoCase(b.name, name)) node.fail("duplicate block \"" + name + "\"");
        }
        for (const auto& x : d.xrefs) {
            if (equalsNoCase(x.name, name)) node.fail("duplicate block \"" + name + "\"");
        }
    }

    static void readBlocks(DrawingDef& d, const JsonNode& item) {
        if (auto node = item.optionalChild("blocks")) {
            for (const auto& b : node->items()) {
                b.requireObject({"comment", "name", "entities"});
                BlockDef block;
                block.name = nonEmptyText(b.child("name"));
                checkBlockName(d, b.child("name"), block.name);
                block.entities = static_cast<int>(b.integer("entities", 1, 0, kMaxEntities));
                d.blocks.push_back(std::move(block));
            }
        }
        if (auto node = item.optionalChild("xrefs")) {
            for (const auto& x : node->items()) {
                x.requireObject({"comment", "name", "path", "loaded", "entities"});
                XrefDef xref;
                xref.name = nonEmptyText(x.child("name"));
                checkBlockName(d, x.child("name"), xref.name);
                xref.path = nonEmptyText(x.child("path"));
                xref.loaded = x.optionalBoolean("loaded");
                xref.entities = static_cast<int>(x.integer("entities", 1, 0, kMaxEntities));
                d.xrefs.push_back(std::move(xref));
            }
        }
    }
};

}  // namespace

Scenario ScenarioParser::parse(std::string_view json, const std::string& baseDir) {
    ScenarioJson root;
    try {
        root = ScenarioJson::parse(json.begin(), json.end());
    } catch (const ScenarioJson::parse_error& e) {
        throw ScenarioError(std::string("scenario: not valid JSON: ") + e.what());
    }
    return Parser(root, baseDir).run();
}

}  // namespace quillon::standin
