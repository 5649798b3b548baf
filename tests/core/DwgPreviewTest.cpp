#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "discovery/DwgPreview.h"
#include "discovery/PreviewImage.h"

namespace quillon::discovery {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string SampleDir = std::string(QUILLON_TESTDATA_DIR) + "/dwg/";
const Bytes StartSentinel = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                             0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void putLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t le32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

struct Expected {
    std::string file, version, kind;
    std::uint32_t width = 0, height = 0, bitCount = 0;
    std::size_t payloadBytes = 0;
};

std::vector<Expected> expectedFacts() {
    std::ifstream in(SampleDir + "expected.tsv");
    std::vector<Expected> facts;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Expected e;
        std::string width, height, bits;
        fields >> e.file >> e.version >> e.kind >> width >> height >> bits >> e.payloadBytes;
        if (width != "-") e.width = static_cast<std::uint32_t>(std::stoul(width));
        if (height != "-") e.height = static_cast<std::uint32_t>(std::stoul(height));
        if (bits != "-") e.bitCount = static_cast<std::uint32_t>(std::stoul(bits));
        facts.push_back(e);
    }
    return facts;
}

const char* kindText(PreviewKind kind) {
    switch (kind) {
        case PreviewKind::Bmp:
            return "BMP";
        case PreviewKind::Png:
            return "PNG";
        case PreviewKind::Wmf:
            return "WMF";
        case PreviewKind::None:
            break;
    }
    return "none";
}

// A bitmap without file header: a 40-byte info header, palette, rows.
Bytes makeDib(std::int32_t width, std::int32_t height, std::uint16_t bits, const Bytes& palette, const Bytes& rows) {
    Bytes dib(40 + palette.size() + rows.size(), 0);
    putLe32(dib, 0, 40);
    putLe32(dib, 4, static_cast<std::uint32_t>(width));
    putLe32(dib, 8, static_cast<std::uint32_t>(height));
    dib[12] = 1;
    dib[14] = static_cast<std::uint8_t>(bits);
    putLe32(dib, 32, static_cast<std::uint32_t>(palette.size() / 4));
    std::copy(palette.begin(), palette.end(), dib.begin() + 40);
    std::copy(rows.begin(), rows.end(), dib.begin() + 40 + static_cast<std::ptrdiff_t>(palette.size()));
    return dib;
}

// A release-2000 file whose image section holds the given entries, each followed by its payload.
Bytes makeDrawing(const std::vector<std::pair<std::uint8_t, Bytes>>& entries) {
    constexpr std::size_t sectionAt = 0x40;
    const std::size_t dataAt = sectionAt + 16 + 4;
    std::size_t payloadAt = dataAt + 1 + entries.size() * 9;
    std::size_t endAt = payloadAt;
    for (const auto& e : entries) endAt += e.second.size();

    Bytes file(endAt + 16 + 32, 0);
    std::copy_n("AC1015", 6, file.begin());
    putLe32(file, 0x0D, sectionAt);
    for (std::size_t i = 0; i < 16; ++i) {
        file[sectionAt + i] = StartSentinel[i];
        file[endAt + i] = static_cast<std::uint8_t>(~StartSentinel[i]);
    }
    putLe32(file, sectionAt + 16, static_cast<std::uint32_t>(endAt - dataAt));
    file[dataAt] = static_cast<std::uint8_t>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t entryAt = dataAt + 1 + i * 9;
        file[entryAt] = entries[i].first;
        putLe32(file, entryAt + 1, static_cast<std::uint32_t>(payloadAt));
        putLe32(file, entryAt + 5, static_cast<std::uint32_t>(entries[i].second.size()));
        for (std::size_t b = 0; b < entries[i].second.size(); ++b) file[payloadAt + b] = entries[i].second[b];
        payloadAt += entries[i].second.size();
    }
    return file;
}

std::uint32_t pixelAt(const DwgPreview& p, std::uint32_t x, std::uint32_t y) {
    return le32(p.pixels, (std::size_t{y} * p.width + x) * 4);
}

// Where the first image entry's payload starts, from the directory.
std::size_t firstImageStart(const Bytes& file) {
    MemoryByteSource source(file);
    const auto entries = readPreviewDirectory(source);
    if (!entries) return 0;
    for (const auto& e : *entries)
        if (e.code != preview_code::HeaderData) return e.start;
    return 0;
}

TEST(DwgPreviewSamples, EverySampleGivesItsRecordedPreview) {
    const auto facts = expectedFacts();
    ASSERT_EQ(facts.size(), 8u);
    for (const auto& expected : facts) {
        SCOPED_TRACE(expected.file);
        FileByteSource file(SampleDir + expected.file);
        ASSERT_TRUE(file.isOpen());
        EXPECT_EQ(dwgVersion(file), expected.version);
        const auto preview = readDwgPreview(file);
        EXPECT_EQ(kindText(preview.kind), expected.kind);
        EXPECT_EQ(preview.width, expected.width);
        EXPECT_EQ(preview.height, expected.height);
        EXPECT_EQ(preview.bitCount, expected.bitCount);
        EXPECT_EQ(preview.payload.size(), expected.payloadBytes);
        if (preview.kind == PreviewKind::Bmp) {
            ASSERT_EQ(preview.pixels.size(), std::size_t{preview.width} * preview.height * 4);
            for (std::size_t i = 3; i < preview.pixels.size(); i += 4) ASSERT_EQ(preview.pixels[i], 0xFF);
        } else {
            EXPECT_TRUE(preview.pixels.empty());
        }
    }
}

TEST(DwgPreviewSamples, ReadingFromMemoryAndFromTheFileAgree) {
    for (const char* name : {"r14_v.dwg", "2007_ATMOS-DC22S.dwg", "2013_Arc.dwg"}) {
        FileByteSource file(SampleDir + name);
        const auto fromFile = readDwgPreview(file);
        const auto fromMemory = readDwgPreview(readFile(SampleDir + name));
        EXPECT_EQ(fromFile.payload, fromMemory.payload) << name;
        EXPECT_EQ(fromFile.pixels, fromMemory.pixels) << name;
    }
}

TEST(DwgPreviewSamples, DecodedBitmapsShowAPictureNotOneColour) {
    for (const char* name : {"r14_v.dwg", "sample_2000.dwg", "2004_HatchG.dwg", "2007_ATMOS-DC22S.dwg"}) {
        const auto preview = readDwgPreview(readFile(SampleDir + name));
        std::map<std::uint32_t, int> colours;
        for (std::uint32_t y = 0; y < preview.height; ++y)
            for (std::uint32_t x = 0; x < preview.width; ++x) ++colours[pixelAt(preview, x, y)];
        EXPECT_GE(colours.size(), 2u) << name;
    }
}

TEST(DwgPreviewSamples, DirectoryListsEveryEntryInOrder) {
    FileByteSource file(SampleDir + "2007_ATMOS-DC22S.dwg");
    const auto entries = readPreviewDirectory(file);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].code, preview_code::HeaderData);
    EXPECT_EQ((*entries)[1].code, preview_code::Bitmap);
    EXPECT_EQ((*entries)[2].code, preview_code::Bitmap);
    EXPECT_EQ((*entries)[2].size, 21224u);

    FileByteSource old(SampleDir + "r11_entities-2d.dwg");
    EXPECT_FALSE(readPreviewDirectory(old));
}

TEST(DwgPreviewBitmaps, BottomUpAndTopDownRowsBothComeOutTopRowFirst) {
    // 2 x 2 at 24 bits: each row is 6 bytes of pixels padded to 8.
    const Bytes bottomUp = {1, 1, 1, 2, 2, 2, 0, 0, 3, 3, 3, 4, 4, 4, 0, 0};
    const auto up = readDwgPreview(makeDrawing({{2, makeDib(2, 2, 24, {}, bottomUp)}}));
    ASSERT_EQ(up.kind, PreviewKind::Bmp);
    EXPECT_EQ(pixelAt(up, 0, 0), 0xFF030303u);
    EXPECT_EQ(pixelAt(up, 1, 1), 0xFF020202u);

    const auto down = readDwgPreview(makeDrawing({{2, makeDib(2, -2, 24, {}, bottomUp)}}));
    ASSERT_EQ(down.kind, PreviewKind::Bmp);
    EXPECT_EQ(down.height, 2u);
    EXPECT_EQ(pixelAt(down, 0, 0), 0xFF010101u);
    EXPECT_EQ(pixelAt(down, 1, 1), 0xFF040404u);
}

TEST(DwgPreviewBitmaps, PackedPixelsReadMostSignificantBitsFirst) {
    const Bytes twoColours = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    // 1 bit, 10 wide, one row: 1010000011 padded to four bytes.
    const auto mono = readDwgPreview(makeDrawing({{2, makeDib(10, 1, 1, twoColours, {0xA0, 0xC0, 0, 0})}}));
    ASSERT_EQ(mono.kind, PreviewKind::Bmp);
    const std::vector<int> white = {1, 0, 1, 0, 0, 0, 0, 0, 1, 1};
    for (std::uint32_t x = 0; x < 10; ++x) EXPECT_EQ(pixelAt(mono, x, 0), white[x] ? 0xFFFFFFFFu : 0xFF000000u) << x;

    Bytes sixteen;
    for (std::uint8_t i = 0; i < 16; ++i) sixteen.insert(sixteen.end(), {i, 0, 0, 0});
    const auto nibbles = readDwgPreview(makeDrawing({{2, makeDib(3, 1, 4, sixteen, {0x5A, 0xF0, 0, 0})}}));
    ASSERT_EQ(nibbles.kind, PreviewKind::Bmp);
    EXPECT_EQ(pixelAt(nibbles, 0, 0), 0xFF000005u);
    EXPECT_EQ(pixelAt(nibbles, 1, 0), 0xFF00000Au);
    EXPECT_EQ(pixelAt(nibbles, 2, 0), 0xFF00000Fu);
}

TEST(DwgPreviewBitmaps, IndicesBeyondAShortPaletteShowBlack) {
    const Bytes onlyRed = {0, 0, 0xFF, 0};
    const auto preview = readDwgPreview(makeDrawing({{2, makeDib(2, 1, 8, onlyRed, {0, 200, 0, 0})}}));
    ASSERT_EQ(preview.kind, PreviewKind::Bmp);
    EXPECT_EQ(pixelAt(preview, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(preview, 1, 0), 0xFF000000u);
}

TEST(DwgPreviewBitmaps, ADamagedFirstBitmapGivesWayToTheNextUsableOne) {
    auto file = readFile(SampleDir + "2007_ATMOS-DC22S.dwg");
    const std::size_t first = firstImageStart(file);
    file[first + 14] = 16;  // a bit count Quillon does not draw
    const auto preview = readDwgPreview(file);
    EXPECT_EQ(preview.kind, PreviewKind::Bmp);
    EXPECT_EQ(preview.width, 180u);
    EXPECT_EQ(preview.height, 112u);
}

TEST(DwgPreviewBitmaps, AMetafileIsReportedWhenNoPictureIsUsable) {
    const Bytes metafile = {1, 0, 9, 0, 0, 3, 0, 0, 0, 0};
    auto preview = readDwgPreview(makeDrawing({{1, Bytes(80, 0)}, {3, metafile}}));
    EXPECT_EQ(preview.kind, PreviewKind::Wmf);
    EXPECT_EQ(preview.payload, metafile);

    preview = readDwgPreview(makeDrawing({{3, metafile}, {2, makeDib(1, 1, 24, {}, {9, 9, 9, 0})}}));
    EXPECT_EQ(preview.kind, PreviewKind::Bmp);
}

class DwgPreviewHostile : public ::testing::Test {
protected:
    Bytes sample = readFile(SampleDir + "sample_2000.dwg");
    std::size_t seeker = le32(sample, 0x0D);
    std::size_t table = seeker + 21;  // sentinel, section size, entry count
    std::size_t image = firstImageStart(sample);

    static bool none(const Bytes& file) { return readDwgPreview(file).kind == PreviewKind::None; }
};

TEST_F(DwgPreviewHostile, TruncationAtAnyPointBeforeTheSectionEndGivesNoPreview) {
    const std::size_t sectionEnd = table - 1 + le32(sample, seeker + 16) + 16;
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < table + 2 * 9 + 4; ++i) cuts.push_back(i);
    for (std::size_t at : {image, image + 40, image + 40 + 1024, sectionEnd - 16})
        for (std::size_t d = 0; d < 4; ++d) cuts.insert(cuts.end(), {at - d, at + d});
    for (std::size_t i = image; i < sectionEnd; i += 61) cuts.push_back(i);
    for (std::size_t cut : cuts) {
        if (cut >= sectionEnd) continue;
        EXPECT_TRUE(none(Bytes(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(cut)))) << cut;
    }
    EXPECT_FALSE(none(Bytes(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(sectionEnd))));
}

TEST_F(DwgPreviewHostile, OffsetsAndSizesPastTheEndGiveNoPreview) {
    for (std::uint32_t seek : {0xFFFFFFFFu, static_cast<std::uint32_t>(sample.size() - 8)}) {
        auto file = sample;
        putLe32(file, 0x0D, seek);
        EXPECT_TRUE(none(file)) << seek;
    }
    const std::size_t bitmapEntry = table + 9;
    for (auto [start, size] : {std::pair<std::uint32_t, std::uint32_t>{0xFFFFFFF0u, 16},
                               {static_cast<std::uint32_t>(sample.size() - 100), 16904},
                               {static_cast<std::uint32_t>(image), 0xFFFFFFFFu},
                               {static_cast<std::uint32_t>(image), 0}}) {
        auto file = sample;
        putLe32(file, bitmapEntry + 1, start);
        putLe32(file, bitmapEntry + 5, size);
        EXPECT_TRUE(none(file)) << start << " " << size;
    }
    auto hugeSection = sample;
    putLe32(hugeSection, seeker + 16, 0xFFFFFFFFu);
    EXPECT_TRUE(none(hugeSection));
    // More entries than the section has room for.
    auto tooManyEntries = makeDrawing({{2, makeDib(1, 1, 24, {}, {9, 9, 9, 0})}});
    ASSERT_FALSE(none(tooManyEntries));
    tooManyEntries[0x40 + 20] = 255;
    EXPECT_TRUE(none(tooManyEntries));
}

TEST_F(DwgPreviewHostile, BadSentinelsOrAnOldReleaseGiveNoPreview) {
    auto start = sample;
    start[seeker + 7] ^= 0x01;
    EXPECT_TRUE(none(start));
    auto end = sample;
    end[table - 1 + le32(sample, seeker + 16) + 15] ^= 0x80;
    EXPECT_TRUE(none(end));
    auto old = sample;
    std::copy_n("AC1009", 6, old.begin());
    EXPECT_TRUE(none(old));
    auto notADrawing = sample;
    std::copy_n("MZ\x90\x00\x03\x00", 6, notADrawing.begin());
    EXPECT_TRUE(none(notADrawing));
}

TEST_F(DwgPreviewHostile, ImpossibleBitmapHeadersGiveNoPreview) {
    auto patched = [&](std::size_t at, std::uint32_t value) {
        auto file = sample;
        putLe32(file, image + at, value);
        return file;
    };
    EXPECT_TRUE(none(patched(4, 100000)));       // width beyond the limit
    EXPECT_TRUE(none(patched(4, 0)));            // no width
    EXPECT_TRUE(none(patched(4, 0x80000000u)));  // negative width
    EXPECT_TRUE(none(patched(8, 0x80000000u)));  // height with no magnitude
    EXPECT_TRUE(none(patched(8, 5000)));         // height beyond the limit
    EXPECT_TRUE(none(patched(8, 200)));          // more rows than the payload holds
    EXPECT_TRUE(none(patched(0, 12)));           // an old core header
    EXPECT_TRUE(none(patched(0, 0xFFFFFFFFu)));  // a header larger than the payload
    EXPECT_TRUE(none(patched(14, 16)));          // 16 bits per pixel
    EXPECT_TRUE(none(patched(14, 0)));
    EXPECT_TRUE(none(patched(16, 1)));    // run-length compressed
    EXPECT_TRUE(none(patched(32, 257)));  // palette longer than 8 bits can index
    EXPECT_TRUE(none(patched(32, 0xFFFFFFFFu)));
    EXPECT_TRUE(none(patched(12, 2)));  // two planes
}

TEST_F(DwgPreviewHostile, BrokenPngHeadersGiveNoPreview) {
    const auto arc = readFile(SampleDir + "2013_Arc.dwg");
    const std::size_t png = firstImageStart(arc);
    for (auto [at, value] : {std::pair<std::size_t, std::uint8_t>{1, 'X'}, {15, 'X'}, {16, 0x7F}, {23, 0}}) {
        auto file = arc;
        file[png + at] = value;
        if (at == 23) std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(png + 20), 4, 0);
        EXPECT_TRUE(none(file)) << at;
    }
}

TEST_F(DwgPreviewHostile, PayloadsAboveTheLimitAreNotRead) {
    PreviewLimits small;
    small.maxPayloadBytes = 1000;
    EXPECT_EQ(readDwgPreview(sample, small).kind, PreviewKind::None);
    PreviewLimits narrow;
    narrow.maxDimension = 100;
    EXPECT_EQ(readDwgPreview(sample, narrow).kind, PreviewKind::None);
}

// A file of the given size whose bytes after head are all zero, counting what is read of it.
class SparseFile : public ByteSource {
public:
    SparseFile(Bytes head, std::uint64_t size) : head_(std::move(head)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (!rangeInside(offset, out.size(), size_)) return false;
        bytesRead += out.size();
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = offset + i < head_.size() ? head_[static_cast<std::size_t>(offset + i)] : 0;
        return true;
    }
    std::uint64_t bytesRead = 0;

private:
    Bytes head_;
    std::uint64_t size_;
};

// 255 entries that all lead to one large payload whose header is no bitmap's
// and no PNG's: the payload is never read, let alone 255 times.
TEST(DwgPreviewLargeFiles, AllEntriesLeadingToOneRefusedPayloadReadOnlyItsHeaderOnce) {
    Bytes head = makeDrawing(std::vector<std::pair<std::uint8_t, Bytes>>(255, {preview_code::Bitmap, Bytes{}}));
    const std::uint32_t payloadAt = static_cast<std::uint32_t>(head.size());
    const std::uint32_t payloadSize = 64u << 20;
    const std::size_t table = le32(head, 0x0D) + 16 + 4 + 1;
    for (std::size_t i = 0; i < 255; ++i) {
        head[table + i * 9] = i % 2 ? preview_code::Png : preview_code::Bitmap;
        putLe32(head, table + i * 9 + 1, payloadAt);
        putLe32(head, table + i * 9 + 5, payloadSize);
    }
    SparseFile file(head, std::uint64_t{payloadAt} + payloadSize);
    EXPECT_EQ(readDwgPreview(file).kind, PreviewKind::None);
    EXPECT_LT(file.bytesRead, 64u << 10) << "bytes read of a " << (payloadSize >> 20) << " MiB payload";
}

TEST_F(DwgPreviewHostile, RandomDamageToTheSectionNeverReadsOutOfBounds) {
    std::mt19937 random(20240517);
    const std::size_t from = 0;
    const std::size_t to = image + 40 + 1024 + 64;
    std::uniform_int_distribution<std::size_t> where(from, to);
    std::uniform_int_distribution<int> value(0, 255);
    std::uniform_int_distribution<int> count(1, 6);
    for (int round = 0; round < 3000; ++round) {
        auto file = sample;
        for (int n = count(random); n > 0; --n) file[where(random)] = static_cast<std::uint8_t>(value(random));
        const auto preview = readDwgPreview(file);
        if (preview.kind == PreviewKind::Bmp) {
            ASSERT_EQ(preview.pixels.size(), std::size_t{preview.width} * preview.height * 4);
        }
    }
}

}  // namespace
}  // namespace quillon::discovery
