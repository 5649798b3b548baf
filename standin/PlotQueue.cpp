#include "standin/PlotQueue.h"

namespace quillon::standin {

void PlotQueue::add(const std::shared_ptr<DrawingModel>& doc, PlotJob job) {
    pending_.push_back({doc, std::move(job), Clock::now() + delay_});
}

void PlotQueue::settle() {
    const auto now = Clock::now();
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due > now) {
            ++it;
            continue;
        }
        it->job.finish();
        journal_.recordPlot(it->job.record());
        it = pending_.erase(it);
    }
}

void PlotQueue::closing(const DrawingModel& doc) {
    settle();
    for (auto it = pending_.begin(); it != pending_.end();) {
        const auto owner = it->doc.lock();
        if (owner && owner.get() != &doc) {
            ++it;
            continue;
        }
        it->job.lose();
        journal_.recordPlot(it->job.record());
        it = pending_.erase(it);
    }
}

void PlotQueue::end() {
    settle();
    for (auto& plot : pending_) {
        plot.job.lose();
        journal_.recordPlot(plot.job.record());
    }
    pending_.clear();
}

}  // namespace quillon::standin
