#include "discovery/ByteSource.h"

#include <algorithm>
#include <filesystem>

namespace quillon::discovery {

bool MemoryByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (!rangeInside(offset, out.size(), bytes_.size())) return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
}

FileByteSource::FileByteSource(const std::string& utf8Path) {
    const std::filesystem::path path(std::u8string(utf8Path.begin(), utf8Path.end()));
    stream_.open(path, std::ios::binary);
    if (!stream_) return;
    stream_.seekg(0, std::ios::end);
    const auto end = stream_.tellg();
    if (end < 0) return;
    size_ = static_cast<std::uint64_t>(end);
    open_ = true;
}

bool FileByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (!open_ || !rangeInside(offset, out.size(), size_)) return false;
    if (out.empty()) return true;
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    stream_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return stream_.gcount() == static_cast<std::streamsize>(out.size());
}

}  // namespace quillon::discovery
