#include "discovery/PreviewImage.h"

#include <array>
#include <cstring>

#include "discovery/ByteSource.h"

namespace quillon::discovery {

namespace {

constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiBitfields = 3;
constexpr std::size_t InfoHeaderSize = 40;

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint32_t be32(std::span<const std::uint8_t> b, std::size_t at) {
    return (static_cast<std::uint32_t>(b[at]) << 24) | (static_cast<std::uint32_t>(b[at + 1]) << 16) |
           (static_cast<std::uint32_t>(b[at + 2]) << 8) | static_cast<std::uint32_t>(b[at + 3]);
}

bool knownHeaderSize(std::uint32_t size) {
    // BITMAPINFOHEADER, its two bit-field extensions, BITMAPV4HEADER, BITMAPV5HEADER.
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The magnitude of a signed height; INT32_MIN has none that fits.
std::optional<std::uint32_t> magnitude(std::int32_t value) {
    if (value == INT32_MIN) return std::nullopt;
    return static_cast<std::uint32_t>(value < 0 ? -value : value);
}

}  // namespace

std::optional<DibLayout> parseDib(std::span<const std::uint8_t> dib, std::uint32_t maxDimension) {
    return parseDibHeader(dib, dib.size(), maxDimension);
}

std::optional<DibLayout> parseDibHeader(std::span<const std::uint8_t> dib, std::uint64_t dibSize,
                                        std::uint32_t maxDimension) {
    if (dib.size() < InfoHeaderSize || dibSize < dib.size()) return std::nullopt;
    const std::uint32_t headerSize = le32(dib, 0);
    if (!knownHeaderSize(headerSize) || headerSize > dibSize) return std::nullopt;

    const auto width = static_cast<std::int32_t>(le32(dib, 4));
    const auto height = static_cast<std::int32_t>(le32(dib, 8));
    const auto rows = magnitude(height);
    if (width <= 0 || !rows || *rows == 0) return std::nullopt;
    if (static_cast<std::uint32_t>(width) > maxDimension || *rows > maxDimension) return std::nullopt;
    if (le16(dib, 12) != 1) return std::nullopt;

    const std::uint16_t bitCount = le16(dib, 14);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return std::nullopt;

    const std::uint32_t compression = le32(dib, 16);
    std::uint64_t paletteOffset = headerSize;
    if (compression == BiBitfields) {
        if (bitCount != 32) return std::nullopt;
        // A plain info header carries its three masks right after itself.
        const std::uint64_t masksAt = InfoHeaderSize;
        if (headerSize == InfoHeaderSize) paletteOffset += 12;
        if (!rangeInside(masksAt, 12, dib.size())) return std::nullopt;  // the masks are among the first bytes
        const auto at = static_cast<std::size_t>(masksAt);
        if (le32(dib, at) != 0x00FF0000u || le32(dib, at + 4) != 0x0000FF00u || le32(dib, at + 8) != 0x000000FFu)
            return std::nullopt;
    } else if (compression != BiRgb) {
        return std::nullopt;
    }

    const std::uint32_t colorsUsed = le32(dib, 32);
    std::uint32_t paletteEntries = 0;
    if (bitCount <= 8) {
        const std::uint32_t maxEntries = 1u << bitCount;
        if (colorsUsed > maxEntries) return std::nullopt;
        paletteEntries = colorsUsed == 0 ? maxEntries : colorsUsed;
    } else {
        // Deeper bitmaps may still carry an optimisation table, which only has to be skipped.
        if (colorsUsed > 256) return std::nullopt;
        paletteEntries = colorsUsed;
    }

    DibLayout layout;
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = *rows;
    layout.bitCount = bitCount;
    layout.topDown = height < 0;
    layout.paletteOffset = static_cast<std::uint32_t>(paletteOffset);
    layout.paletteEntries = paletteEntries;
    layout.pixelOffset = paletteOffset + std::uint64_t{paletteEntries} * 4;
    layout.stride = (std::uint64_t{layout.width} * bitCount + 31) / 32 * 4;
    if (!rangeInside(layout.pixelOffset, layout.stride * layout.height, dibSize)) return std::nullopt;
    return layout;
}

std::optional<BgraImage> decodeDib(std::span<const std::uint8_t> dib, std::uint32_t maxDimension) {
    const auto layout = parseDib(dib, maxDimension);
    if (!layout) return std::nullopt;

    // Indices past a short palette show black instead of reading beyond it.
    std::array<std::uint8_t, 256 * 4> palette{};
    for (std::uint32_t i = 0; i < 256; ++i) palette[i * 4 + 3] = 0xFF;
    if (layout->bitCount <= 8) {
        std::memcpy(palette.data(), dib.data() + layout->paletteOffset, std::size_t{layout->paletteEntries} * 4);
        for (std::uint32_t i = 0; i < layout->paletteEntries; ++i) palette[i * 4 + 3] = 0xFF;
    }

    BgraImage image;
    image.width = layout->width;
    image.height = layout->height;
    image.pixels.resize(std::size_t{image.width} * image.height * 4);

    const unsigned bits = layout->bitCount;
    const unsigned mask = bits <= 8 ? (1u << bits) - 1 : 0;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint32_t sourceRow = layout->topDown ? y : image.height - 1 - y;
        const std::uint8_t* in = dib.data() + layout->pixelOffset + layout->stride * sourceRow;
        std::uint8_t* out = image.pixels.data() + std::size_t{y} * image.width * 4;
        for (std::uint32_t x = 0; x < image.width; ++x, out += 4) {
            if (bits <= 8) {
                const std::size_t bitPos = std::size_t{x} * bits;
                const unsigned shift = 8 - bits - static_cast<unsigned>(bitPos % 8);
                const unsigned index = (in[bitPos / 8] >> shift) & mask;
                std::memcpy(out, &palette[index * 4], 4);
            } else {
                const std::uint8_t* p = in + std::size_t{x} * (bits / 8);
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
                // Uncompressed 32-bit bitmaps leave the fourth byte unused, usually zero.
                out[3] = 0xFF;
            }
        }
    }
    return image;
}

std::optional<PngHeader> parsePngHeader(std::span<const std::uint8_t> png, std::uint32_t maxDimension) {
    static constexpr std::uint8_t Signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    // Signature, then IHDR: length, type, 13 data bytes, CRC.
    if (png.size() < 33) return std::nullopt;
    if (std::memcmp(png.data(), Signature, 8) != 0) return std::nullopt;
    if (be32(png, 8) != 13 || std::memcmp(png.data() + 12, "IHDR", 4) != 0) return std::nullopt;
    PngHeader header{be32(png, 16), be32(png, 20)};
    if (header.width == 0 || header.height == 0) return std::nullopt;
    if (header.width > maxDimension || header.height > maxDimension) return std::nullopt;
    return header;
}

}  // namespace quillon::discovery
