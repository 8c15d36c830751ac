// Device-independent bitmaps as the texture effects carry them: 24 bpp uncompressed and
// 8 bpp with a palette, uncompressed or run-length encoded (RLE8). Portable and
// bounds-checked: the decoder reads only inside the bytes it is given, whatever they hold.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedBitmap {
    int width = 0, height = 0;     // pixels, 1..kMaxBitmapSide
    int bitsPerPixel = 0;          // 24 or 8
    std::vector<uint8_t> pixels;   // rows top to bottom, unpadded: blue, green, red (24 bpp)
                                   // or palette indices (8 bpp)
    std::vector<uint8_t> palette;  // 8 bpp: 256 entries of blue, green, red, 0 (unused zero)
};

enum class BitmapError {
    none,
    truncated,    // the data ends before the header, palette or pixels it announces
    badHeader,    // not a bitmap, or sizes out of range
    unsupported,  // a depth or compression the textures do not use
    overrun,      // RLE8 codes that write outside the picture
};

constexpr int kMaxBitmapSide = 4096;

// From the info header on: the layout of a bitmap resource. On any error `out` is left
// empty (width 0, no pixels, no palette).
BitmapError decodeDib(const uint8_t* data, size_t size, DecodedBitmap& out);
// A .bmp file: the 14-byte file header, then the DIB at the offset it names.
BitmapError decodeBmpFile(const uint8_t* data, size_t size, DecodedBitmap& out);

// Red, green, blue of pixel (x, y), counted from the top-left, either depth.
inline void bitmapRgb(const DecodedBitmap& b, int x, int y, int& r, int& g, int& bl) {
    const size_t i = size_t(y) * size_t(b.width) + size_t(x);
    const uint8_t* p = b.bitsPerPixel == 24 ? &b.pixels[i * 3] : &b.palette[b.pixels[i] * 4u];
    bl = p[0];
    g = p[1];
    r = p[2];
}
