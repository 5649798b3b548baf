#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quillon::discovery {

// Pixels ready for the screen: 4 bytes per pixel in the order blue, green,
// red, alpha, top row first, rows packed without padding.
struct BgraImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;
};

// The facts of a device-independent bitmap stored without its file header,
// every one already checked against the bytes that carry it.
struct DibLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitCount = 0;
    bool topDown = false;
    std::uint32_t paletteOffset = 0;
    std::uint32_t paletteEntries = 0;
    std::uint64_t pixelOffset = 0;
    // From width and bit count: biSizeImage is not trusted, some writers overstate it.
    std::uint64_t stride = 0;
};

// Uncompressed 1, 4, 8, 24 and 32 bits per pixel (32 also with the standard
// bit-field masks); anything else, or any field that does not fit the bytes,
// gives nothing.
std::optional<DibLayout> parseDib(std::span<const std::uint8_t> dib, std::uint32_t maxDimension);
// The same checks from the first bytes of a bitmap of dibSize bytes alone
// (DibHeaderBytes of them, or all when it is shorter), so that a bitmap is
// refused before the rest of it is read.
inline constexpr std::size_t DibHeaderBytes = 52;
std::optional<DibLayout> parseDibHeader(std::span<const std::uint8_t> start, std::uint64_t dibSize,
                                        std::uint32_t maxDimension);
std::optional<BgraImage> decodeDib(std::span<const std::uint8_t> dib, std::uint32_t maxDimension);

// The signature and IHDR chunk.
inline constexpr std::size_t PngHeaderBytes = 33;

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The size from a PNG stream's signature and IHDR chunk; the pixels are the
// platform imaging component's to decode.
std::optional<PngHeader> parsePngHeader(std::span<const std::uint8_t> png, std::uint32_t maxDimension);

}  // namespace quillon::discovery
