#include "discovery/win/WinFileByteSource.h"

#include <algorithm>

#include "win/ExtendedPath.h"

namespace quillon::discovery {

WinFileByteSource::WinFileByteSource(const std::string& utf8Path) {
    file_.reset(CreateFileW(win::extendedLengthPath(utf8Path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_RANDOM_ACCESS, nullptr));
    if (!file_) return;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) {
        file_.reset();
        return;
    }
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

bool WinFileByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (!file_ || !rangeInside(offset, out.size(), size_)) return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
        const std::uint64_t at = offset + done;
        // An offset in the OVERLAPPED positions a read on a synchronous handle too.
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFF);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD read = 0;
        if (!ReadFile(file_.get(), out.data() + done, chunk, &read, &position) || read == 0) return false;
        done += read;
    }
    return true;
}

}  // namespace quillon::discovery
