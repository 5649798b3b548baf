#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "autocad/CadLauncher.h"
#include "automation/AutomationError.h"
#include "plotting/PlotRunDisplay.h"
#include "plotting/PlotRunList.h"
#include "standin/Engine.h"

namespace quillon::testing {

using plotting::DrawingOutcome;
using plotting::Pointer;

// The main window as the run sees it: every change in order, as text.
class RecordingDisplay : public plotting::PlotRunDisplay {
public:
    explicit RecordingDisplay(std::string scratch) : scratch_(std::move(scratch) + "/") {}
    std::vector<std::string> events;
    // What the status bar's panel said before the run, which restoring puts back.
    std::string panel = "Ready";
    const std::string panelBefore = panel;

    void setStatus(const std::string& text) override { add("status:" + text); }
    void repaintStatus() override { add("repaint"); }
    void setStatusPanelText(const std::string& text) override {
        panel = text;
        add("panel:" + text);
    }
    void restoreStatusPanel() override { setStatusPanelText(panelBefore); }
    void setProgress(int value) override { add("progress:" + std::to_string(value)); }
    void setPointer(Pointer pointer) override { add(pointer == Pointer::Hourglass ? "hourglass" : "normal"); }
    void showInformation(const std::string& title, const std::string& text) override {
        add("message:" + title + "|" + text);
    }
    void showOutcome(int entry, const DrawingOutcome& outcome) override {
        add("row " + std::to_string(entry) + ": " + outcome.text());
    }
    std::vector<std::string> starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.rfind(prefix, 0) == 0) out.push_back(e);
        return out;
    }

private:
    void add(std::string event) {
        for (auto at = event.find(scratch_); at != std::string::npos; at = event.find(scratch_))
            event.erase(at, scratch_.size());
        events.push_back(std::move(event));
    }
    std::string scratch_;
};

class FakeList : public plotting::PlotRunList {
public:
    struct Row {
        std::string name;
        std::string folder;
        bool selected = false;
    };
    std::vector<Row> rows;
    std::string directory = "C:\\Jobs";

    int entryCount() override { return static_cast<int>(rows.size()); }
    std::string fileName(int entry) override { return rows.at(static_cast<std::size_t>(entry - 1)).name; }
    std::string folder(int entry) override { return rows.at(static_cast<std::size_t>(entry - 1)).folder; }
    bool isSelected(int entry) override { return rows.at(static_cast<std::size_t>(entry - 1)).selected; }
    std::string directoryFolder() override { return directory; }
};

// Applications Quillon starts itself: each start makes a new one from the next scenario.
class StartingLauncher : public autocad::CadLauncher {
public:
    std::vector<std::shared_ptr<standin::Engine>> started;
    std::function<std::shared_ptr<standin::Engine>()> make;
    automation::ObjectPtr connectRunning() override {
        throw automation::AutomationError(automation::hresult::Unavailable, "Operation unavailable");
    }
    automation::ObjectPtr createInstance() override {
        started.push_back(make());
        return started.back()->application();
    }
};

}  // namespace quillon::testing
