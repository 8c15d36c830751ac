#include "filters/texture_common/bitmap_decode.h"

#include <cstring>

namespace {

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

constexpr uint32_t kRgb = 0, kRle8 = 1;

// RLE8 codes, rows stored bottom row first. `stored` receives the rows in stored order.
BitmapError decodeRle8(const uint8_t* p, size_t n, int width, int height, uint8_t* stored) {
    size_t i = 0;
    int x = 0, y = 0;
    for (;;) {
        if (n - i < 2) return BitmapError::truncated;
        const int count = p[i], code = p[i + 1];
        i += 2;
        if (count > 0) {  // a run of `count` copies of `code`
            if (y >= height || count > width - x) return BitmapError::overrun;
            std::memset(stored + size_t(y) * width + x, code, size_t(count));
            x += count;
        } else if (code == 0) {  // end of line
            x = 0;
            ++y;
        } else if (code == 1) {  // end of bitmap
            return BitmapError::none;
        } else if (code == 2) {  // move right and up
            if (n - i < 2) return BitmapError::truncated;
            const int dx = p[i], dy = p[i + 1];
            i += 2;
            if (dx > width - x || dy > height - y) return BitmapError::overrun;
            x += dx;
            y += dy;
        } else {  // `code` literal indices, padded to an even count
            const size_t padded = size_t(code + (code & 1));
            if (n - i < padded) return BitmapError::truncated;
            if (y >= height || code > width - x) return BitmapError::overrun;
            std::memcpy(stored + size_t(y) * width + x, p + i, size_t(code));
            x += code;
            i += padded;
        }
    }
}

BitmapError decodeInto(const uint8_t* data, size_t size, DecodedBitmap& out) {
    if (!data || size < 40) return BitmapError::truncated;
    const uint32_t headerSize = le32(data);
    if (headerSize < 40 || headerSize > size) return headerSize < 40 ? BitmapError::badHeader : BitmapError::truncated;
    const int32_t width = int32_t(le32(data + 4)), rawHeight = int32_t(le32(data + 8));
    const int planes = le16(data + 12), bpp = le16(data + 14);
    const uint32_t compression = le32(data + 16), used = le32(data + 32);
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : rawHeight;
    if (planes != 1 || width < 1 || width > kMaxBitmapSide || height < 1 || height > kMaxBitmapSide)
        return BitmapError::badHeader;
    if (!(bpp == 24 && compression == kRgb) && !(bpp == 8 && (compression == kRgb || compression == kRle8)))
        return BitmapError::unsupported;
    if (topDown && compression == kRle8) return BitmapError::badHeader;  // not allowed for RLE

    size_t at = headerSize;
    out.width = width;
    out.height = int(height);
    out.bitsPerPixel = bpp;
    if (bpp == 8) {
        const uint32_t colours = used ? used : 256;
        if (colours > 256) return BitmapError::badHeader;
        if ((size - at) / 4 < colours) return BitmapError::truncated;
        out.palette.assign(256 * 4, 0);
        std::memcpy(out.palette.data(), data + at, size_t(colours) * 4);
        for (uint32_t c = 0; c < 256; ++c) out.palette[c * 4 + 3] = 0;
        at += size_t(colours) * 4;
    }

    const size_t bytesPerPixel = size_t(bpp / 8);
    const size_t line = size_t(width) * bytesPerPixel;
    std::vector<uint8_t> stored(line * size_t(height), 0);
    if (compression == kRle8) {
        const BitmapError e = decodeRle8(data + at, size - at, width, int(height), stored.data());
        if (e != BitmapError::none) {
            out = DecodedBitmap{};
            return e;
        }
    } else {
        const size_t pitch = (line + 3) & ~size_t(3);
        if ((size - at) / pitch < size_t(height)) {
            out = DecodedBitmap{};
            return BitmapError::truncated;
        }
        for (int64_t r = 0; r < height; ++r)
            std::memcpy(stored.data() + size_t(r) * line, data + at + size_t(r) * pitch, line);
    }
    // Stored order is bottom row first unless the height was negative.
    out.pixels.resize(stored.size());
    for (int64_t r = 0; r < height; ++r) {
        const int64_t from = topDown ? r : height - 1 - r;
        std::memcpy(out.pixels.data() + size_t(r) * line, stored.data() + size_t(from) * line, line);
    }
    return BitmapError::none;
}

}  // namespace

BitmapError decodeDib(const uint8_t* data, size_t size, DecodedBitmap& out) {
    out = DecodedBitmap{};
    const BitmapError e = decodeInto(data, size, out);
    // A refused bitmap leaves nothing behind: no size or palette of a picture not there.
    if (e != BitmapError::none) out = DecodedBitmap{};
    return e;
}

BitmapError decodeBmpFile(const uint8_t* data, size_t size, DecodedBitmap& out) {
    out = DecodedBitmap{};
    if (!data || size < 14) return BitmapError::truncated;
    if (data[0] != 'B' || data[1] != 'M') return BitmapError::badHeader;
    const uint32_t offset = le32(data + 10);
    if (offset < 14 + 40) return BitmapError::badHeader;
    if (offset > size || size < 14 + 40) return BitmapError::truncated;
    // The DIB decoder expects the pixels right after the header and palette, which is
    // where every file we write has them; a file with a gap there is refused.
    const uint32_t bpp = le16(data + 14 + 14), used = le32(data + 14 + 32);
    const uint64_t colours = bpp == 8 ? (used ? used : 256) : 0;
    if (uint64_t(offset) != 14 + uint64_t(le32(data + 14)) + colours * 4) return BitmapError::unsupported;
    return decodeDib(data + 14, size - 14, out);
}
