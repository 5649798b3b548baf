#pragma once

#include <cstdint>
#include <fstream>
#include <span>
#include <string>

namespace quillon::discovery {

// Random access to a file's bytes, so a reader fetches only the few ranges
// it needs instead of the whole drawing (which may sit on a slow share).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills out from offset; false when the range is not entirely there or
    // the read fails. Never reads past size().
    virtual bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// Bytes already in memory; the span must outlive the source.
class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// A file opened through the standard library; the Windows program uses its
// own source for extended-length paths and share modes.
class FileByteSource : public ByteSource {
public:
    explicit FileByteSource(const std::string& utf8Path);
    bool isOpen() const { return open_; }
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::ifstream stream_;
    std::uint64_t size_ = 0;
    bool open_ = false;
};

// True when [offset, offset + length) lies inside [0, total), without overflow.
constexpr bool rangeInside(std::uint64_t offset, std::uint64_t length, std::uint64_t total) {
    return offset <= total && length <= total - offset;
}

}  // namespace quillon::discovery
