#include "app/win/PlotBoxes.h"

#include "plotting/job/JobCheck.h"

#include <windows.h>

#include "app/win/ControlIds.h"
#include "app/win/MainWindow.h"
#include "autocad/CadSession.h"
#include "discovery/CopiesBox.h"
#include "plotting/boxes/PlotLists.h"
#include "win/Utf.h"

namespace quillon::app {

namespace {

std::vector<std::string> itemsOf(const plotting::WinComboBox& box) {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < box.itemCount(); ++i) items.push_back(box.itemText(i));
    return items;
}

}  // namespace

PlotBoxes::PlotBoxes(PlotBoxesHost& host) : host_(host) {}

void PlotBoxes::remember(const MainSettings& stored) {
    choices_ = plotting::PlotChoices(stored.cadPrinter, stored.cadPaper, stored.cadCTB);
}

void PlotBoxes::storeInto(MainSettings& settings) const {
    settings.cadPaper = choices_.paper();
    settings.cadPrinter = choices_.device();
    settings.cadCTB = choices_.plotStyleTable();
}

void PlotBoxes::create() {
    auto make = [this](int id) {
        return std::make_unique<plotting::WinComboBox>(host_.window().control(id),
                                             [this, id](const std::string& text) { boxEvent(id, text); });
    };
    deviceBox_ = make(ids::DeviceBox);
    paperBox_ = make(ids::PaperBox);
    plotStyleTableBox_ = make(ids::PlotStyleTableBox);
}

void PlotBoxes::onCommand(int id, int notifyCode) {
    plotting::WinComboBox* changed = box(id);
    if (!changed) return;
    if (notifyCode == CBN_SELCHANGE) boxEvent(id, changed->selectedText());
    else if (notifyCode == CBN_EDITCHANGE) boxEvent(id, changed->text());
}

void PlotBoxes::onKeyDown(int id) {
    // The box's text as it was before this key: the change that follows brings the new text.
    if (plotting::WinComboBox* changed = box(id)) boxEvent(id, changed->text());
}

void PlotBoxes::fillIfEmpty() {
    if (deviceBox_->itemCount() >= 2 || fillPending_ || host_.closing()) return;
    fillPending_ = true;
    host_.postCad([this](autocad::CadSession& session) {
        if (host_.connectsLate()) {
            session.mailbox()->post([this] { fillPending_ = false; });
            return;
        }
        plotting::RecordingComboBox devices, papers, styles;
        std::string error;
        try {
            plotting::fillPlotLists(session.connection(), devices, papers, styles);
        } catch (const automation::AutomationError& failure) {
            error = failure.description();
        }
        session.mailbox()->post([this, devices, papers, styles, error] {
            fillPending_ = false;
            // A full fill resets every choice to its placeholder, as it always has.
            paperChosenSinceRefill_ = false;
            applyFill({{deviceBox_.get(), devices}, {paperBox_.get(), papers}, {plotStyleTableBox_.get(), styles}},
                      error, "The plot lists");
        });
    });
}

void PlotBoxes::applyFill(const std::vector<std::pair<plotting::WinComboBox*, plotting::RecordingComboBox>>& boxes,
                          const std::string& error, const char* what) {
    if (host_.closing()) return;
    // The user may have picked a paper while the list was being read: that choice stands.
    const bool keepPaper = paperChosenSinceRefill_;
    const std::string paper = choices_.paper();
    replayingFill_ = true;
    for (const auto& [target, filled] : boxes) filled.replay(*target);
    replayingFill_ = false;
    if (keepPaper && paperBox_->text() != paper) paperBox_->setText(paper);
    if (!error.empty()) host_.setStatus(std::string("\r\n") + what + " could not be filled: " + error);
}

plotting::WinComboBox* PlotBoxes::box(int id) const {
    switch (id) {
        case ids::DeviceBox: return deviceBox_.get();
        case ids::PaperBox: return paperBox_.get();
        case ids::PlotStyleTableBox: return plotStyleTableBox_.get();
        default: return nullptr;
    }
}

void PlotBoxes::boxEvent(int id, const std::string& text) {
    if (id == ids::PaperBox) {
        if (!replayingFill_) paperChosenSinceRefill_ = true;
        choices_.paperBoxEvent(text);
    } else if (id == ids::PlotStyleTableBox) {
        choices_.styleBoxEvent(text);
    } else if (choices_.deviceBoxEvent(text)) {
        paperChosenSinceRefill_ = false;
        // Only a device the list offers can be put on a layout; a name half typed lists what it always did.
        std::string device;
        for (const auto& offered : itemsOf(*deviceBox_))
            if (plotting::equalsIgnoreCase(offered, text)) device = offered;
        host_.postCad([this, device](autocad::CadSession& session) {
            // The job's device shown by a run that connects late: its papers are read at the first open.
            if (host_.connectsLate()) return;
            plotting::RecordingComboBox papers;
            std::string error;
            try {
                plotting::fillPaperList(session.connection(), papers, device);
            } catch (const automation::AutomationError& failure) {
                error = failure.description();
            }
            session.mailbox()->post(
                [this, papers, error] { applyFill({{paperBox_.get(), papers}}, error, "The paper list"); });
        });
    }
}

void PlotBoxes::copiesChanged() {
    if (auto count = discovery::copies_box::countFromText(win::toUtf8(host_.window().text(ids::CopiesBox))))
        numOfCopies_ = *count;
}

plotting::PlotSetup PlotBoxes::setup() const {
    return plotting::PlotSetup{choices_.device(), choices_.paper(), choices_.plotStyleTable(), numOfCopies_};
}

std::optional<std::string> PlotBoxes::missingFromLists(plotting::PlotJobSpec& job) const {
    // The paper list is that of the device chosen now: it says nothing of another device's papers,
    // which an unattended run learns from a drawing before it plots.
    const bool papersOfJobsDevice = plotting::equalsIgnoreCase(job.device, choices_.device());
    const auto papers = papersOfJobsDevice ? itemsOf(*paperBox_) : std::vector<std::string>{job.paper};
    if (const auto missing =
            plotting::missingFromLists(job, itemsOf(*deviceBox_), papers, itemsOf(*plotStyleTableBox_)))
        return "The plot job names the " + *missing + ", which AutoCAD does not offer here.";
    plotting::adoptOfferedNames(job, itemsOf(*deviceBox_), itemsOf(*plotStyleTableBox_));
    return std::nullopt;
}

void PlotBoxes::applyJob(const plotting::PlotJobSpec& job) {
    deviceBox_->setText(job.device);
    paperBox_->setText(job.paper);
    plotStyleTableBox_->setText(job.plotStyleTable);
    host_.window().setText(ids::CopiesBox, std::to_wstring(job.copies));
}

}  // namespace quillon::app
