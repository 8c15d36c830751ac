#include "pixel_ops.h"

#include <algorithm>

FillResult fillFromImage(const Image& img, const PixRect& r, int lo, int hi, int padding,
                         uint8_t* dst, int32_t rowBytes) {
    if (padding < kPadError || padding > 255) return FillResult::BadPadding;
    bool outside = r.top < 0 || r.left < 0 || r.bottom > img.height || r.right > img.width;
    if (outside && padding == kPadError) return FillResult::OutOfBounds;
    if (outside && padding == kPadEdge && (img.width == 0 || img.height == 0)) return FillResult::EmptyImage;
    const int n = hi - lo + 1;
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* row = dst + size_t(y - r.top) * rowBytes;
        bool rowInside = y >= 0 && y < img.height;
        for (int x = r.left; x < r.right; ++x) {
            uint8_t* px = row + size_t(x - r.left) * n;
            if (rowInside && x >= 0 && x < img.width) {
                const uint8_t* s = img.at(x, y) + lo;
                for (int p = 0; p < n; ++p) px[p] = s[p];
            } else if (padding == kPadEdge) {
                const uint8_t* s = img.at(std::clamp(x, 0, img.width - 1), std::clamp(y, 0, img.height - 1)) + lo;
                for (int p = 0; p < n; ++p) px[p] = s[p];
            } else if (padding >= 0) {
                for (int p = 0; p < n; ++p) px[p] = uint8_t(padding);
            }
        }
    }
    return FillResult::Ok;
}

void storeToImage(Image& img, const PixRect& r, int lo, int hi, const uint8_t* src,
                  int32_t rowBytes, const PixRect& clip) {
    const int n = hi - lo + 1;
    int top = std::max({r.top, clip.top, 0}), bottom = std::min({r.bottom, clip.bottom, img.height});
    int left = std::max({r.left, clip.left, 0}), right = std::min({r.right, clip.right, img.width});
    for (int y = top; y < bottom; ++y) {
        const uint8_t* row = src + size_t(y - r.top) * rowBytes;
        for (int x = left; x < right; ++x) {
            const uint8_t* s = row + size_t(x - r.left) * n;
            uint8_t* d = img.at(x, y) + lo;
            for (int p = 0; p < n; ++p) d[p] = s[p];
        }
    }
}

bool pixelToRGB(int imageMode, const uint8_t* px, uint8_t rgb[3]) {
    switch (imageMode) {
    case 1:
        rgb[0] = rgb[1] = rgb[2] = px[0];
        return true;
    case 3:
        rgb[0] = px[0], rgb[1] = px[1], rgb[2] = px[2];
        return true;
    case 4:
        for (int i = 0; i < 3; ++i) rgb[i] = uint8_t((px[i] * px[3] + 127) / 255);
        return true;
    default:
        return false;
    }
}

void rgbToCmyk(const int16_t rgb[3], int16_t cmyk[4]) {
    int r = std::clamp<int>(rgb[0], 0, 255), g = std::clamp<int>(rgb[1], 0, 255), b = std::clamp<int>(rgb[2], 0, 255);
    int k = std::max({r, g, b});  // light let through by the black plate
    cmyk[3] = int16_t(k);
    if (k == 0) {
        cmyk[0] = cmyk[1] = cmyk[2] = 255;
        return;
    }
    cmyk[0] = int16_t((r * 255 + k / 2) / k);
    cmyk[1] = int16_t((g * 255 + k / 2) / k);
    cmyk[2] = int16_t((b * 255 + k / 2) / k);
}

void cmykToRgb(const int16_t cmyk[4], int16_t rgb[3]) {
    int k = std::clamp<int>(cmyk[3], 0, 255);
    for (int i = 0; i < 3; ++i) rgb[i] = int16_t((std::clamp<int>(cmyk[i], 0, 255) * k + 127) / 255);
}
