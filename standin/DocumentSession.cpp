#include "standin/DocumentSession.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>

#include "standin/Failures.h"
#include "standin/PathText.h"

namespace quillon::standin {

DocumentSession::DocumentSession(const Scenario& scenario, const DrawingFactory& factory,
                                 const SystemVariables& variables, FaultPlan& faults, Journal& journal, PlotQueue& plots,
                                 const OpenQuestions& questions)
    : scenario_(scenario),
      factory_(factory),
      variables_(variables),
      faults_(faults),
      journal_(journal),
      plots_(plots),
      questions_(questions) {}

void DocumentSession::restore() {
    for (const auto& d : scenario_.openDocuments) {
        std::shared_ptr<DrawingModel> doc;
        if (d.path.empty()) {
            doc = createUntitled();
        } else {
            doc = factory_.create(factory_.findDefinition(d.path), {d.path, fileNameOf(d.path), d.readOnly, nextSerial_++});
        }
        doc->readOnly = d.readOnly;
        if (d.modified) doc->markModified();
        documents_.push_back(doc);
    }
    if (!documents_.empty()) active_ = documents_[static_cast<std::size_t>(scenario_.activeDocument.value_or(
                                 static_cast<int>(documents_.size()) - 1))];
}

std::shared_ptr<DrawingModel> DocumentSession::requireActive() const {
    if (!active_) failed("No active document");
    return active_;
}

void DocumentSession::activate(const std::shared_ptr<DrawingModel>& doc) { active_ = doc; }

void DocumentSession::makeRoomInSingleDocumentMode() {
    if (documents_.empty()) return;
    const int sdi = variables_.sdi();
    if (sdi == 1) failed("Only one drawing can be open in single-document mode (SDI is 1)");
    if (sdi < 2) return;
    // Set by the application for an add-on that works with one drawing: the next drawing takes the place of
    // the one open, which goes first (asking whether to save it when it is modified), whatever becomes of
    // the drawing that follows.
    while (!documents_.empty()) {
        const auto doc = documents_.back();
        CloseRecord record = closeRecord(*doc, std::nullopt);
        if (record.modified) {
            journal_.recordQuestion({doc->displayName(), "SDI"});
            questions_.wait();
            record.wouldPrompt = true;
        }
        remove(doc, record);
    }
}

void DocumentSession::askBeforeQuitting() const {
    // One box per modified drawing, in turn, each waiting for its answer.
    for (const auto& doc : documents_)
        if (doc->dbmod != 0) questions_.wait();
}

std::shared_ptr<DrawingModel> DocumentSession::createUntitled() {
    std::string name = "Drawing" + std::to_string(nextUntitled_++) + ".dwg";
    return factory_.create(nullptr, {"", name, false, nextSerial_++});
}

std::shared_ptr<DrawingModel> DocumentSession::findOpen(const std::string& path) const {
    const std::string key = pathKey(path);
    for (const auto& doc : documents_) {
        if (!doc->fullName.empty() && pathKey(doc->fullName) == key) return doc;
    }
    return nullptr;
}

std::shared_ptr<DrawingModel> DocumentSession::open(const std::string& path, bool readOnly) {
    if (path.empty()) invalidInput("Invalid input: no drawing file name given");
    if (scenario_.reopen == ReopenPolicy::HandBack) {
        if (auto already = findOpen(path)) {
            active_ = already;
            return already;
        }
    }
    makeRoomInSingleDocumentMode();
    if (!isReadableFile(path)) {
        std::error_code ec;
        bool exists = std::filesystem::exists(toFsPath(path), ec);
        failed("Cannot open " + path + (exists ? ": the file cannot be read as a drawing" : ": the file does not exist"));
    }
    const DrawingDef* def = factory_.findDefinition(path);
    if (def && def->openError) failed("Cannot open " + path + ": " + *def->openError);
    if (auto injected = faults_.takeOpenFailure(path))
        failed("Cannot open " + path + ": " + (injected->empty() ? std::string("the drawing file is damaged") : *injected));
    takeMemoryFor(path);
    // The box sits inside Open; once answered, the drawing opens (a damaged one recovered).
    // Each box in turn, journalled as it comes up, so that a test sees which question stopped the open.
    if (def) {
        for (auto& variable : OpenQuestions::askingVariables(def->traits, variables_.profile())) {
            journal_.recordQuestion({path, std::move(variable)});
            questions_.wait();
        }
    }
    if (findOpen(path)) {
        if (scenario_.reopen == ReopenPolicy::Refuse) failed("Cannot open " + path + ": the drawing is already open");
        readOnly = true;
    }
    // A write-protected file can only be opened read-only, whatever was asked.
    if (isWriteProtected(path)) readOnly = true;
    auto doc = factory_.create(def, {path, fileNameOf(path), readOnly, nextSerial_++});
    documents_.push_back(doc);
    active_ = doc;
    return doc;
}

void DocumentSession::takeMemoryFor(const std::string& path) {
    if (scenario_.openLimit && opens_ >= *scenario_.openLimit) failed("Cannot open " + path + ": out of memory");
    ++opens_;
    if (scenario_.memoryPerDrawingKB <= 0) return;
    const auto bytes = static_cast<std::size_t>(scenario_.memoryPerDrawingKB) * 1024;
    auto block = std::make_unique<char[]>(bytes);
    // Touched, so that it counts as the process's own memory.
    std::memset(block.get(), 1, bytes);
    kept_.push_back(std::move(block));
}

std::shared_ptr<DrawingModel> DocumentSession::addNew(const std::string& templatePath) {
    makeRoomInSingleDocumentMode();
    if (!templatePath.empty() && !isReadableFile(templatePath))
        failed("Cannot create a drawing from " + templatePath + ": the template file does not exist");
    // A drawing made from a template starts as a copy of what the template holds: its layouts and page setups.
    const DrawingDef* def = templatePath.empty() ? nullptr : factory_.findDefinition(templatePath);
    auto doc = factory_.create(def, {"", "Drawing" + std::to_string(nextUntitled_++) + ".dwg", false, nextSerial_++});
    documents_.push_back(doc);
    active_ = doc;
    return doc;
}

CloseRecord DocumentSession::closeRecord(const DrawingModel& doc, std::optional<bool> saveChanges) const {
    CloseRecord record;
    record.document = doc.displayName();
    record.saveChanges = saveChanges;
    record.modified = doc.dbmod != 0;
    record.readOnly = doc.readOnly;
    return record;
}

void DocumentSession::close(const std::shared_ptr<DrawingModel>& doc, std::optional<bool> saveChanges) {
    CloseRecord record = closeRecord(*doc, saveChanges);
    // Left out, SaveChanges is true: a modified drawing is saved.
    record.wouldSave = saveChanges.value_or(true) && record.modified;
    if (record.wouldSave) save(*doc);
    remove(doc, record);
}

void DocumentSession::save(const DrawingModel& doc) const {
    if (doc.readOnly) failed("Cannot save " + doc.name + ": the drawing is open read-only");
    if (doc.fullName.empty()) failed("Cannot save " + doc.name + ": the drawing has never been saved");
    // The engine cannot write a drawing; what it adds makes the file differ from what was opened, so that a
    // save nobody meant shows in every comparison of the drawing before and after.
    std::ofstream out(toFsPath(doc.fullName), std::ios::out | std::ios::app | std::ios::binary);
    out << "\n; saved by the stand-in CAD application\n";
    out.flush();
    if (!out) failed("Cannot save " + doc.fullName + ": the file cannot be written");
}

void DocumentSession::remove(const std::shared_ptr<DrawingModel>& doc, const CloseRecord& record) {
    // A sheet still plotting in the background goes with its document.
    plots_.closing(*doc);
    journal_.recordClose(record);
    documents_.erase(std::remove(documents_.begin(), documents_.end(), doc), documents_.end());
    doc->closed = true;
    if (active_ == doc) active_ = documents_.empty() ? nullptr : documents_.back();
}

}  // namespace quillon::standin
