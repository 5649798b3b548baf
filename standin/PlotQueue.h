#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "standin/DrawingModel.h"
#include "standin/Journal.h"
#include "standin/PlotJob.h"

namespace quillon::standin {

// Plots the application runs in the background (BACKGROUNDPLOT not 0): the
// plot call returns at once and the sheet comes out after a delay, unless the
// document is closed first, which loses it. A plot's journal line is written
// when it finishes or is lost. The engine has no thread of its own: queued
// plots are settled at the next call, a close, or a look at the journal.
class PlotQueue {
public:
    using Clock = std::chrono::steady_clock;

    PlotQueue(Journal& journal, int delayMilliseconds) : journal_(journal), delay_(delayMilliseconds) {}

    void add(const std::shared_ptr<DrawingModel>& doc, PlotJob job);
    // Finishes every plot whose time has come.
    void settle();
    // Before doc closes: its plots still running are lost.
    void closing(const DrawingModel& doc);
    // The application ends: what has not finished by now never will.
    void end();

private:
    struct Pending {
        std::weak_ptr<DrawingModel> doc;
        PlotJob job;
        Clock::time_point due;
    };
    Journal& journal_;
    std::chrono::milliseconds delay_;
    std::vector<Pending> pending_;
};

}  // namespace quillon::standin
