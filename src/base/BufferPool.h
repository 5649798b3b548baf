#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace quillon::base {

// Buffers of one size, each lent to one user at a time and kept for the
// next. A thread that lists thousands of folders or hashes thousands of files
// would otherwise make and clear fresh memory for each. The buffers are shared
// by every thread rather than kept per thread: a per-thread buffer needs a
// destructor at the thread's end, and with the Windows toolchain such a
// destructor may run after the thread's storage is gone, which crashes the
// program now and then as a thread ends.
class BufferPool {
public:
    explicit BufferPool(std::size_t bytes) : bytes_(bytes) {}
    BufferPool(const BufferPool&) = delete;
    BufferPool& operator=(const BufferPool&) = delete;

    // A buffer of the pool's size, not cleared; back to the pool when the loan ends.
    class Loan {
    public:
        Loan(BufferPool& pool, std::unique_ptr<std::byte[]> buffer) : pool_(pool), buffer_(std::move(buffer)) {}
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;
        ~Loan() { pool_.giveBack(std::move(buffer_)); }

        std::byte* data() const { return buffer_.get(); }
        std::size_t size() const { return pool_.bytes_; }

    private:
        BufferPool& pool_;
        std::unique_ptr<std::byte[]> buffer_;
    };

    Loan borrow();

private:
    void giveBack(std::unique_ptr<std::byte[]> buffer);

    const std::size_t bytes_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<std::byte[]>> free_;
};

}  // namespace quillon::base
