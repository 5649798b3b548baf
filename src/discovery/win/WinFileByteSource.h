#pragma once

#include <string>

#include "discovery/ByteSource.h"
#include "win/UniqueResource.h"

namespace quillon::discovery {

// A drawing file opened for reading only the ranges asked for: extended-length
// paths, and sharing everything, since the drawing may be open in the CAD
// application at the same time.
class WinFileByteSource : public ByteSource {
public:
    explicit WinFileByteSource(const std::string& utf8Path);
    bool isOpen() const { return file_.valid(); }
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    win::UniqueFileHandle file_;
    std::uint64_t size_ = 0;
};

}  // namespace quillon::discovery
