#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace quillon::base {

// Work handed from one thread to another: any thread posts, the owning
// thread runs the tasks in the order posted. The notifier wakes the owner
// (a posted window message on Windows); it is called outside the lock, once
// for each post. A closed mailbox drops what is posted to it: a worker that
// was abandoned can go on posting without anything reaching the owner.
class TaskMailbox {
public:
    using Task = std::function<void()>;

    explicit TaskMailbox(std::function<void()> notifier) : notifier_(std::move(notifier)) {}

    // False when the mailbox is closed and the task was dropped.
    bool post(Task task);
    // Runs what has arrived, one task at a time, on the owner's thread. A
    // task that runs a nested loop (a message box) holds back the tasks after
    // it until it returns: a drain from inside that loop does nothing, so what
    // the user reads keeps the order in which it was posted.
    void drain();
    void close();
    bool closed() const;

    // A mailbox whose tasks run on the parent's owner thread, in the order posted to it; closing it drops
    // what it holds and all that is posted to it later, while the parent goes on. What one run or one
    // session posts goes through a child of its own, so that once it is over nothing of it arrives.
    static std::shared_ptr<TaskMailbox> childOf(std::shared_ptr<TaskMailbox> parent);

private:
    mutable std::mutex mutex_;
    std::deque<Task> tasks_;
    bool closed_ = false;
    bool draining_ = false;  // only ever touched on the owner's thread
    std::function<void()> notifier_;
};

}  // namespace quillon::base
