#include "base/BufferPool.h"

#include "base/Swallowed.h"

namespace quillon::base {

BufferPool::Loan BufferPool::borrow() {
    std::unique_ptr<std::byte[]> buffer;
    {
        std::lock_guard lock(mutex_);
        if (!free_.empty()) {
            buffer = std::move(free_.back());
            free_.pop_back();
        }
    }
    if (!buffer) buffer = std::make_unique_for_overwrite<std::byte[]>(bytes_);
    return Loan(*this, std::move(buffer));
}

void BufferPool::giveBack(std::unique_ptr<std::byte[]> buffer) {
    std::lock_guard lock(mutex_);
    try {
        free_.push_back(std::move(buffer));
    } catch (const std::bad_alloc&) {
        base::swallowed("a buffer the pool has no room to keep is freed, and made afresh when next needed");
    }
}

}  // namespace quillon::base
