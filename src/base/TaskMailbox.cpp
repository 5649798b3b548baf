#include "base/TaskMailbox.h"

namespace quillon::base {

bool TaskMailbox::post(Task task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return false;
        tasks_.push_back(std::move(task));
    }
    if (notifier_) notifier_();
    return true;
}

void TaskMailbox::drain() {
    if (draining_) return;
    struct Draining {
        bool& flag;
        explicit Draining(bool& f) : flag(f) { flag = true; }
        ~Draining() { flag = false; }
    } draining{draining_};
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (closed_ || tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

void TaskMailbox::close() {
    std::deque<Task> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        dropped.swap(tasks_);
    }
    // Destroyed outside the lock: a task's captures may post again.
}

std::shared_ptr<TaskMailbox> TaskMailbox::childOf(std::shared_ptr<TaskMailbox> parent) {
    auto self = std::make_shared<std::weak_ptr<TaskMailbox>>();
    auto child = std::make_shared<TaskMailbox>([parent, self] {
        parent->post([child = *self] {
            if (auto alive = child.lock()) alive->drain();
        });
    });
    *self = child;
    return child;
}

bool TaskMailbox::closed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

}  // namespace quillon::base
