#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "discovery/ByteSource.h"

namespace quillon::discovery {

enum class PreviewKind { None, Bmp, Png, Wmf };

// Bounds on what a drawing's preview may make Quillon read and allocate.
struct PreviewLimits {
    std::uint32_t maxDimension = 4096;
    // Enough for the largest bitmap allowed: 4096 x 4096 at 32 bits, plus header and palette.
    std::uint64_t maxPayloadBytes = (64u << 20) + (64u << 10);
};

// Entry codes of the image section's directory.
namespace preview_code {
inline constexpr std::uint8_t HeaderData = 1;
inline constexpr std::uint8_t Bitmap = 2;
inline constexpr std::uint8_t Metafile = 3;
inline constexpr std::uint8_t Png = 6;
}  // namespace preview_code

// One entry of the image section: what it holds and where, in absolute file offsets.
struct PreviewEntry {
    std::uint8_t code = 0;
    std::uint32_t start = 0;
    std::uint32_t size = 0;
};

struct DwgPreview {
    PreviewKind kind = PreviewKind::None;
    std::uint32_t width = 0;  // pixels; 0 for a metafile
    std::uint32_t height = 0;
    std::uint16_t bitCount = 0;  // bitmaps only
    // The entry's bytes as stored: a bitmap without its file header, a whole
    // PNG stream, or a metafile.
    std::vector<std::uint8_t> payload;
    // Bitmaps only: the decoded picture, width x height BGRA, top row first.
    std::vector<std::uint8_t> pixels;
};

// The drawing's release text, the first six bytes ("AC1015"); empty when the
// file is too short or does not start like a drawing.
std::string dwgVersion(ByteSource& file);

// The directory of the image section (release 13 on), or nothing when the
// file has none or its framing does not check out.
std::optional<std::vector<PreviewEntry>> readPreviewDirectory(ByteSource& file);

// The first usable bitmap or PNG entry, else the first metafile entry, else
// none. Every offset, size and image field is checked against the file and
// the limits; a damaged entry is passed over.
DwgPreview readDwgPreview(ByteSource& file, const PreviewLimits& limits = {});
DwgPreview readDwgPreview(std::span<const std::uint8_t> bytes, const PreviewLimits& limits = {});

}  // namespace quillon::discovery
