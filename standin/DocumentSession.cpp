#include "standin/DocumentSession.h"

#include <algorithm>
#include <cstring>
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

void DocumentSession::refuseInSingleDocumentMode() const {
    if (variables_.sdi() == 1 && !documents_.empty())
        failed("Only one drawing can be open in single-document mode (SDI is 1)");
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
    refuseInSingleDocumentMode();
    if (path.empty()) invalidInput("Invalid input: no drawing file name given");
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
    refuseInSingleDocumentMode();
    if (!templatePath.empty() && !isReadableFile(templatePath))
        failed("Cannot create a drawing from " + templatePath + ": the template file does not exist");
    // A drawing made from a template starts as a copy of what the template holds: its layouts and page setups.
    const DrawingDef* def = templatePath.empty() ? nullptr : factory_.findDefinition(templatePath);
    auto doc = factory_.create(def, {"", "Drawing" + std::to_string(nextUntitled_++) + ".dwg", false, nextSerial_++});
    documents_.push_back(doc);
    active_ = doc;
    return doc;
}

void DocumentSession::close(const std::shared_ptr<DrawingModel>& doc, std::optional<bool> saveChanges) {
    const bool modified = doc->dbmod != 0;
    const bool save = saveChanges.value_or(false) && modified;
    if (save && doc->readOnly) failed("Cannot save " + doc->name + ": the drawing is open read-only");
    if (save && doc->fullName.empty()) failed("Cannot save " + doc->name + ": the drawing has never been saved");

    // A sheet still plotting in the background goes with its document.
    plots_.closing(*doc);

    CloseRecord record;
    record.document = doc->displayName();
    record.saveChanges = saveChanges;
    record.modified = modified;
    record.readOnly = doc->readOnly;
    record.wouldSave = save;
    record.wouldPrompt = !saveChanges && modified;
    journal_.recordClose(record);

    documents_.erase(std::remove(documents_.begin(), documents_.end(), doc), documents_.end());
    doc->closed = true;
    if (active_ == doc) active_ = documents_.empty() ? nullptr : documents_.back();
}

}  // namespace quillon::standin
