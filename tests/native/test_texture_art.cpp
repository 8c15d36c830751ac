// The texture art as committed (size, format, seamless tiling) and the bitmap decoder's
// handling of broken data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "filters/texture_common/bitmap_decode.h"
#include "filters/texturer/texturer_core.h"
#include "tests/native/texture_image.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

// Mean absolute difference of all channels between two lines of texels.
double lineDifference(const DecodedBitmap& b, bool columns, int i, int j) {
    const int n = columns ? b.height : b.width;
    double sum = 0;
    for (int k = 0; k < n; ++k) {
        int r0, g0, b0, r1, g1, b1;
        if (columns) {
            bitmapRgb(b, i, k, r0, g0, b0);
            bitmapRgb(b, j, k, r1, g1, b1);
        } else {
            bitmapRgb(b, k, i, r0, g0, b0);
            bitmapRgb(b, k, j, r1, g1, b1);
        }
        sum += std::abs(r0 - r1) + std::abs(g0 - g1) + std::abs(b0 - b1);
    }
    return sum / n;
}

// The step across the tile's edge (last line to first) is no larger than the largest step
// between neighbouring lines inside it: the tiling shows no seam.
void expectSeamless(const DecodedBitmap& b, const std::string& name) {
    for (bool columns : {true, false}) {
        const int n = columns ? b.width : b.height;
        double inside = 0;
        for (int i = 0; i + 1 < n; ++i) inside = std::max(inside, lineDifference(b, columns, i, i + 1));
        const double wrap = lineDifference(b, columns, n - 1, 0);
        EXPECT_LE(wrap, inside * 1.05) << name << (columns ? " left/right" : " top/bottom");
    }
}

}  // namespace

TEST(TextureArt, TexturerTexturesAre24BitWithTheirSizesAndTile) {
    for (const TextureEntry& t : kTexturerTextures) {
        const std::vector<uint8_t> file =
            readFileBytes(std::string(KX_SOURCE_DIR) + "/resources/texturer/textures/" + t.file);
        ASSERT_GT(file.size(), 54u) << t.file;
        EXPECT_EQ(le32(file, 14), 40u) << t.file;          // info header size
        EXPECT_EQ(file[28] | file[29] << 8, 24) << t.file;  // bits per pixel
        EXPECT_EQ(le32(file, 30), 0u) << t.file;            // uncompressed
        DecodedBitmap b;
        ASSERT_EQ(decodeBmpFile(file.data(), file.size(), b), BitmapError::none) << t.file;
        EXPECT_EQ(b.width, t.width) << t.file;
        EXPECT_EQ(b.height, t.height) << t.file;
        EXPECT_EQ(file.size(), 54u + size_t((t.width * 3 + 3) / 4 * 4) * t.height) << t.file;
        expectSeamless(b, t.file);
    }
}

TEST(TextureArt, SwooshShowsEveryHueSector) {
    const std::vector<uint8_t> file =
        readFileBytes(std::string(KX_SOURCE_DIR) + "/resources/texturer/textures/swoosh.bmp");
    DecodedBitmap b;
    ASSERT_EQ(decodeBmpFile(file.data(), file.size(), b), BitmapError::none);
    bool sector[6] = {};
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            int r, g, bl;
            bitmapRgb(b, x, y, r, g, bl);
            const int hi = std::max({r, g, bl}), lo = std::min({r, g, bl});
            if (hi - lo < 128) continue;  // only strongly saturated texels count
            const int s = r == hi ? (g >= bl ? 0 : 5) : g == hi ? (bl >= r ? 2 : 1) : (r >= g ? 4 : 3);
            sector[s] = true;
        }
    for (int s = 0; s < 6; ++s) EXPECT_TRUE(sector[s]) << s;
}

// --- the decoder ---------------------------------------------------------------------

namespace {

// A 4 x 3 RLE8 DIB with a 4-entry palette (from the info header on).
std::vector<uint8_t> rleDib(const std::vector<uint8_t>& codes, int width = 4, int height = 3) {
    std::vector<uint8_t> d(40, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) d[at + i] = uint8_t(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, uint32_t(width));
    put32(8, uint32_t(height));
    d[12] = 1;
    d[14] = 8;
    put32(16, 1);  // RLE8
    put32(20, uint32_t(codes.size()));
    put32(32, 4);  // colours used
    for (int c = 0; c < 4; ++c) d.insert(d.end(), {uint8_t(c * 10), uint8_t(c * 20), uint8_t(c * 30), 0});
    d.insert(d.end(), codes.begin(), codes.end());
    return d;
}

// Bottom row: run of 4 x index 1. Middle: literal 2 3 3, then run of 1 x index 0.
// Top: delta 2 right, run 2 x index 2. End of bitmap.
const std::vector<uint8_t> kCodes = {4, 1, 0, 0, 0, 3, 2, 3, 3, 0, 1, 0, 0, 0, 0, 2, 2, 0, 2, 2, 0, 1};

BitmapError decodeGuarded(const std::vector<uint8_t>& bytes, DecodedBitmap& out) {
    GuardedBytes g(bytes);
    return decodeDib(g.data(), g.size(), out);
}

}  // namespace

TEST(BitmapDecoder, Rle8RowsComeOutTopFirstWithThePalette) {
    DecodedBitmap b;
    ASSERT_EQ(decodeGuarded(rleDib(kCodes), b), BitmapError::none);
    EXPECT_EQ(b.width, 4);
    EXPECT_EQ(b.height, 3);
    EXPECT_EQ(b.pixels, (std::vector<uint8_t>{0, 0, 2, 2, 2, 3, 3, 0, 1, 1, 1, 1}));
    int r, g, bl;
    bitmapRgb(b, 0, 1, r, g, bl);  // index 2: blue 20, green 40, red 60
    EXPECT_EQ(r, 60);
    EXPECT_EQ(g, 40);
    EXPECT_EQ(bl, 20);
}

TEST(BitmapDecoder, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
    const std::vector<uint8_t> whole = rleDib(kCodes);
    for (size_t n = 0; n < whole.size(); ++n) {
        DecodedBitmap b;
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + long(n));
        EXPECT_EQ(decodeGuarded(part, b), BitmapError::truncated) << n;
        // Nothing of the refused picture is left: no size, no palette.
        EXPECT_TRUE(b.pixels.empty() && b.palette.empty() && b.width == 0 && b.height == 0) << n;
    }
    // A literal whose pad byte is missing at the very end.
    DecodedBitmap b;
    EXPECT_EQ(decodeGuarded(rleDib({0, 3, 1, 2, 3}), b), BitmapError::truncated);
}

TEST(BitmapDecoder, CodesWritingOutsideThePictureAreRefused) {
    const std::vector<std::vector<uint8_t>> overruns = {
        {5, 1, 0, 1},                       // run wider than the row
        {2, 1, 3, 1, 0, 1},                 // second run passes the right edge
        {0, 5, 1, 1, 1, 1, 1, 0, 0, 1},     // literal wider than the row
        {0, 2, 5, 0, 0, 1},                 // delta past the right edge
        {0, 2, 0, 4, 0, 1},                 // delta past the top
        {0, 0, 0, 0, 0, 0, 1, 1, 0, 1},     // a run on a fourth row
        {0, 0, 0, 0, 0, 0, 0, 3, 1, 1, 1, 0, 0, 1},  // a literal on a fourth row
    };
    for (const auto& codes : overruns) {
        DecodedBitmap b;
        EXPECT_EQ(decodeGuarded(rleDib(codes), b), BitmapError::overrun) << codes.size();
        EXPECT_TRUE(b.pixels.empty());
    }
}

TEST(BitmapDecoder, HeadersOutOfRangeAreRefused) {
    DecodedBitmap b;
    auto withField = [](size_t at, uint32_t v) {
        std::vector<uint8_t> d = rleDib(kCodes);
        for (int i = 0; i < 4; ++i) d[at + i] = uint8_t(v >> (8 * i));
        return d;
    };
    EXPECT_EQ(decodeGuarded(withField(4, 0), b), BitmapError::badHeader);        // width 0
    EXPECT_EQ(decodeGuarded(withField(4, 100000), b), BitmapError::badHeader);   // width huge
    EXPECT_EQ(decodeGuarded(withField(8, uint32_t(-3)), b), BitmapError::badHeader);  // top-down RLE
    EXPECT_EQ(decodeGuarded(withField(32, 300), b), BitmapError::badHeader);     // palette > 256
    EXPECT_EQ(decodeGuarded(withField(0, 12), b), BitmapError::badHeader);       // old header
    EXPECT_EQ(decodeGuarded(withField(0, 4000), b), BitmapError::truncated);     // header past end
    EXPECT_EQ(decodeGuarded(withField(16, 2), b), BitmapError::unsupported);     // RLE4
    EXPECT_EQ(decodeGuarded(withField(32, 0x40000000), b), BitmapError::badHeader);

    // 24 bpp: rows padded to 4 bytes, and a short last row refused.
    std::vector<uint8_t> d(40, 0);
    d[0] = 40;
    d[4] = 2;  // 2 x 2
    d[8] = 2;
    d[12] = 1;
    d[14] = 24;
    const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    d.insert(d.end(), rows.begin(), rows.end());
    ASSERT_EQ(decodeGuarded(d, b), BitmapError::none);
    EXPECT_EQ(b.pixels, (std::vector<uint8_t>{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
    d.resize(d.size() - 3);
    EXPECT_EQ(decodeGuarded(d, b), BitmapError::truncated);
}

TEST(BitmapDecoder, FileHeaderMustPointAtThePixels) {
    std::vector<uint8_t> dib = rleDib(kCodes);
    std::vector<uint8_t> file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 40 + 16, 0, 0, 0};
    file.insert(file.end(), dib.begin(), dib.end());
    DecodedBitmap b;
    {
        GuardedBytes g(file);
        EXPECT_EQ(decodeBmpFile(g.data(), g.size(), b), BitmapError::none);
    }
    file[10] = 14 + 40 + 20;
    {
        GuardedBytes g(file);
        EXPECT_EQ(decodeBmpFile(g.data(), g.size(), b), BitmapError::unsupported);
    }
    file[0] = 'X';
    {
        GuardedBytes g(file);
        EXPECT_EQ(decodeBmpFile(g.data(), g.size(), b), BitmapError::badHeader);
    }
}
