#include "discovery/DwgPreview.h"

#include <algorithm>
#include <array>
#include <set>
#include <tuple>
#include <cstring>

#include "discovery/PreviewImage.h"

namespace quillon::discovery {

namespace {

constexpr std::array<std::uint8_t, 16> StartSentinel = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                                        0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
constexpr std::uint64_t ImageSeekerOffset = 0x0D;
// Release 13 is the first whose header carries the image seeker.
constexpr int FirstSeekerRelease = 1012;
constexpr std::size_t EntrySize = 9;

std::uint32_t le32(const std::uint8_t* b) {
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::optional<std::uint32_t> readLe32(ByteSource& file, std::uint64_t offset) {
    std::array<std::uint8_t, 4> bytes{};
    if (!file.readAt(offset, bytes)) return std::nullopt;
    return le32(bytes.data());
}

bool matches(ByteSource& file, std::uint64_t offset, bool inverted) {
    std::array<std::uint8_t, 16> bytes{};
    if (!file.readAt(offset, bytes)) return false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto expected = static_cast<std::uint8_t>(inverted ? ~StartSentinel[i] : StartSentinel[i]);
        if (bytes[i] != expected) return false;
    }
    return true;
}

int releaseNumber(const std::string& version) {
    if (version.size() != 6 || version[0] != 'A' || version[1] != 'C') return -1;
    int number = 0;
    for (std::size_t i = 2; i < 6; ++i) {
        if (version[i] < '0' || version[i] > '9') return -1;
        number = number * 10 + (version[i] - '0');
    }
    return number;
}

std::optional<std::vector<std::uint8_t>> readPayload(ByteSource& file, const PreviewEntry& entry,
                                                     const PreviewLimits& limits) {
    if (entry.size == 0 || entry.size > limits.maxPayloadBytes) return std::nullopt;
    if (!rangeInside(entry.start, entry.size, file.size())) return std::nullopt;
    std::vector<std::uint8_t> payload(entry.size);
    if (!file.readAt(entry.start, payload)) return std::nullopt;
    return payload;
}

// The entry's first bytes pass the checks of its kind: a payload is read
// only once its header is known to be usable.
bool headerUsable(ByteSource& file, const PreviewEntry& entry, const PreviewLimits& limits) {
    if (entry.size == 0 || entry.size > limits.maxPayloadBytes) return false;
    if (!rangeInside(entry.start, entry.size, file.size())) return false;
    const std::size_t wanted = entry.code == preview_code::Bitmap ? DibHeaderBytes : PngHeaderBytes;
    std::vector<std::uint8_t> head(std::min<std::size_t>(wanted, entry.size));
    if (!file.readAt(entry.start, head)) return false;
    if (entry.code == preview_code::Bitmap) return parseDibHeader(head, entry.size, limits.maxDimension).has_value();
    return parsePngHeader(head, limits.maxDimension).has_value();
}

std::optional<DwgPreview> bitmapPreview(std::vector<std::uint8_t> payload, const PreviewLimits& limits) {
    auto image = decodeDib(payload, limits.maxDimension);
    if (!image) return std::nullopt;
    DwgPreview preview;
    preview.kind = PreviewKind::Bmp;
    preview.width = image->width;
    preview.height = image->height;
    preview.bitCount = parseDib(payload, limits.maxDimension)->bitCount;
    preview.payload = std::move(payload);
    preview.pixels = std::move(image->pixels);
    return preview;
}

std::optional<DwgPreview> pngPreview(std::vector<std::uint8_t> payload, const PreviewLimits& limits) {
    const auto header = parsePngHeader(payload, limits.maxDimension);
    if (!header) return std::nullopt;
    DwgPreview preview;
    preview.kind = PreviewKind::Png;
    preview.width = header->width;
    preview.height = header->height;
    preview.payload = std::move(payload);
    return preview;
}

}  // namespace

std::string dwgVersion(ByteSource& file) {
    std::array<std::uint8_t, 6> bytes{};
    if (!file.readAt(0, bytes)) return {};
    std::string version(bytes.begin(), bytes.end());
    return version.starts_with("AC") ? version : std::string();
}

std::optional<std::vector<PreviewEntry>> readPreviewDirectory(ByteSource& file) {
    if (releaseNumber(dwgVersion(file)) < FirstSeekerRelease) return std::nullopt;
    const auto seeker = readLe32(file, ImageSeekerOffset);
    if (!seeker || !matches(file, *seeker, false)) return std::nullopt;

    // After the sentinel: the section's size, then the entry count and the entries.
    const std::uint64_t sizeAt = std::uint64_t{*seeker} + 16;
    const auto sectionSize = readLe32(file, sizeAt);
    if (!sectionSize) return std::nullopt;
    const std::uint64_t dataAt = sizeAt + 4;
    if (!matches(file, dataAt + *sectionSize, true)) return std::nullopt;

    std::array<std::uint8_t, 1> count{};
    if (*sectionSize < 1 || !file.readAt(dataAt, count)) return std::nullopt;
    const std::size_t tableSize = std::size_t{count[0]} * EntrySize;
    if (1 + tableSize > *sectionSize) return std::nullopt;
    std::vector<std::uint8_t> table(tableSize);
    if (!file.readAt(dataAt + 1, table)) return std::nullopt;

    std::vector<PreviewEntry> entries(count[0]);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::uint8_t* raw = table.data() + i * EntrySize;
        entries[i] = PreviewEntry{raw[0], le32(raw + 1), le32(raw + 5)};
    }
    return entries;
}

DwgPreview readDwgPreview(ByteSource& file, const PreviewLimits& limits) {
    const auto entries = readPreviewDirectory(file);
    if (!entries) return {};

    std::optional<PreviewEntry> metafile;
    // A directory may list one payload many times over: each is looked at once.
    std::set<std::tuple<std::uint8_t, std::uint32_t, std::uint32_t>> tried;
    for (const auto& entry : *entries) {
        if (entry.code == preview_code::Metafile && !metafile) metafile = entry;
        if (entry.code != preview_code::Bitmap && entry.code != preview_code::Png) continue;
        if (!tried.emplace(entry.code, entry.start, entry.size).second) continue;
        if (!headerUsable(file, entry, limits)) continue;
        auto payload = readPayload(file, entry, limits);
        if (!payload) continue;
        auto preview = entry.code == preview_code::Bitmap ? bitmapPreview(std::move(*payload), limits)
                                                          : pngPreview(std::move(*payload), limits);
        if (preview) return std::move(*preview);
    }
    // Nothing here draws a metafile, but callers may still want to know one is there.
    if (metafile) {
        if (auto payload = readPayload(file, *metafile, limits)) {
            DwgPreview preview;
            preview.kind = PreviewKind::Wmf;
            preview.payload = std::move(*payload);
            return preview;
        }
    }
    return {};
}

DwgPreview readDwgPreview(std::span<const std::uint8_t> bytes, const PreviewLimits& limits) {
    MemoryByteSource source(bytes);
    return readDwgPreview(source, limits);
}

}  // namespace quillon::discovery
