#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "standin/DrawingFactory.h"
#include "standin/DrawingModel.h"
#include "standin/FaultPlan.h"
#include "standin/Journal.h"
#include "standin/OpenQuestions.h"
#include "standin/PlotQueue.h"
#include "standin/Scenario.h"
#include "standin/SystemVariables.h"

namespace quillon::standin {

// The documents open in the application, in opening order, and which one is
// active. The engine cannot write a drawing: a save appends a line to the
// drawing's file, so that it differs from what was opened.
class DocumentSession {
public:
    DocumentSession(const Scenario& scenario, const DrawingFactory& factory, const SystemVariables& variables,
                    FaultPlan& faults, Journal& journal, PlotQueue& plots, const OpenQuestions& questions);

    // Puts the documents the scenario says the user already has open in place.
    void restore();

    const std::vector<std::shared_ptr<DrawingModel>>& documents() const { return documents_; }
    std::shared_ptr<DrawingModel> active() const { return active_; }
    // Fails with "No active document" when nothing is open.
    std::shared_ptr<DrawingModel> requireActive() const;
    void activate(const std::shared_ptr<DrawingModel>& doc);

    std::shared_ptr<DrawingModel> open(const std::string& path, bool readOnly);
    std::shared_ptr<DrawingModel> addNew(const std::string& templatePath);
    void close(const std::shared_ptr<DrawingModel>& doc, std::optional<bool> saveChanges);
    // Application.Quit asks whether to save each modified drawing, waiting for each answer.
    void askBeforeQuitting() const;

private:
    const Scenario& scenario_;
    const DrawingFactory& factory_;
    const SystemVariables& variables_;
    FaultPlan& faults_;
    Journal& journal_;
    PlotQueue& plots_;
    const OpenQuestions& questions_;
    std::vector<std::shared_ptr<DrawingModel>> documents_;
    // Drawings opened so far, and the memory the application never gave back for them.
    std::int64_t opens_ = 0;
    std::vector<std::unique_ptr<char[]>> kept_;
    std::shared_ptr<DrawingModel> active_;
    int nextSerial_ = 1;
    int nextUntitled_ = 1;

    // SDI 1 refuses a second drawing; SDI 2 and 3 close the one open to make room for it.
    void makeRoomInSingleDocumentMode();
    CloseRecord closeRecord(const DrawingModel& doc, std::optional<bool> saveChanges) const;
    void save(const DrawingModel& doc) const;
    void remove(const std::shared_ptr<DrawingModel>& doc, const CloseRecord& record);
    void takeMemoryFor(const std::string& path);
    std::shared_ptr<DrawingModel> createUntitled();
    std::shared_ptr<DrawingModel> findOpen(const std::string& path) const;
};

}  // namespace quillon::standin
