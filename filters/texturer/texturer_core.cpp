#include "filters/texturer/texturer_core.h"

#include <algorithm>
#include <cmath>

#include "framework/tablet/packet_filter.h"

const TextureEntry kTexturerTextures[kTexturerTextureCount] = {
    {141, "big_bricks.bmp", 300, 189}, {142, "bricks.bmp", 96, 96}, {143, "bumpy.bmp", 96, 96},
    {144, "noise.bmp", 96, 96},        {145, "swoosh.bmp", 96, 96}, {119, "wood.bmp", 96, 96},
};

TexturerParams texturerDefaults() {
    TexturerParams p{};
    p.brushSize = 25;
    p.scale = 100;
    p.textureIndex = 4;
    p.sizeSource = 1;
    p.hue = 180;
    p.intensity = 50;
    p.opacitySource = 1;
    p.opacity = 50;
    return p;
}

TexturerParams texturerResetParams() {
    TexturerParams p = texturerDefaults();
    p.opacitySource = 2;
    return p;
}

void adjustTexel(int hue, int intensity, uint8_t rgb[3]) {
    const double r = rgb[0] / 255.0, g = rgb[1] / 255.0, b = rgb[2] / 255.0;
    const double M = std::max({r, g, b}), m = std::min({r, g, b});
    double V = 100.0 * M;
    const double S = M == 0.0 ? 0.0 : (M - m) / M;
    V = std::clamp(V + (intensity - 50), 0.0, 100.0);
    if (S == 0.0) {
        const uint8_t grey = uint8_t(int(V * 2.55));
        rgb[0] = rgb[1] = rgb[2] = grey;
        return;
    }
    double h;
    if (r == M) h = (g - b) / (M - m);
    else if (g == M) h = 2.0 + (b - r) / (M - m);
    else h = 4.0 + (r - g) / (M - m);
    h *= 60.0;
    if (h < 0.0) h += 360.0;
    // 360 is the same rotation as 0; taking it as 0 keeps the two bit-identical.
    h += (hue % 360) - 180;
    if (h < 0.0) h += 360.0;
    if (h >= 360.0) h -= 360.0;
    if (h >= 360.0 || h < 0.0) h = 0.0;  // -1e-14 + 360 rounds to 360: sector 6 does not exist

    const int i = int(h / 60.0);
    const double f = h / 60.0 - i;
    const double v = V * 0.01 * 255.0;
    const int vi = int(v), p = int((1.0 - S) * v), q = int((1.0 - f * S) * v),
              t = int((1.0 - (1.0 - f) * S) * v);
    int R, G, B;
    switch (i) {
    case 0: R = vi, G = t, B = p; break;
    case 1: R = q, G = vi, B = p; break;
    case 2: R = p, G = vi, B = t; break;
    case 3: R = p, G = q, B = vi; break;
    case 4: R = t, G = p, B = vi; break;
    default: R = vi, G = p, B = q; break;
    }
    rgb[0] = uint8_t(R);
    rgb[1] = uint8_t(G);
    rgb[2] = uint8_t(B);
}

bool prepareTexture(const DecodedBitmap& bmp, int scale, int hue, int intensity,
                    PreparedTexture& out) {
    out = PreparedTexture{};
    if (bmp.width <= 0 || bmp.height <= 0 || bmp.pixels.empty()) return false;
    const int W = mulDiv(bmp.width, scale, 100), H = mulDiv(bmp.height, scale, 100);
    if (W <= 0 || H <= 0) return false;
    std::vector<int> columns(size_t(W), 0);
    // Centre rule: texel i of N samples the source texel under its centre, (2i + 1) n / 2N.
    for (int i = 0; i < W; ++i) columns[size_t(i)] = int((2 * int64_t(i) + 1) * bmp.width / (2 * int64_t(W)));
    out.width = W;
    out.height = H;
    out.rowBytes = (W * 3 + 3) & ~3;
    out.texels.assign(size_t(out.rowBytes) * size_t(H), 0);
    // Enlarging repeats source rows and columns: each source texel is adjusted once.
    int previousRow = -1;
    for (int j = 0; j < H; ++j) {
        const int sy = int((2 * int64_t(j) + 1) * bmp.height / (2 * int64_t(H)));
        uint8_t* row = out.texels.data() + size_t(j) * size_t(out.rowBytes);
        if (sy == previousRow) {
            std::copy(row - out.rowBytes, row, row);
            continue;
        }
        previousRow = sy;
        for (int i = 0; i < W; ++i) {
            if (i > 0 && columns[size_t(i)] == columns[size_t(i) - 1]) {
                std::copy(row + (i - 1) * 3, row + i * 3, row + i * 3);
                continue;
            }
            int r, g, b;
            bitmapRgb(bmp, columns[size_t(i)], sy, r, g, b);
            uint8_t rgb[3] = {uint8_t(r), uint8_t(g), uint8_t(b)};
            adjustTexel(hue, intensity, rgb);
            row[i * 3 + 0] = rgb[2];
            row[i * 3 + 1] = rgb[1];
            row[i * 3 + 2] = rgb[0];
        }
    }
    return true;
}

void stampTexture(const PaintView& v, const PreparedTexture& tex, int x, int y, int size,
                  int opacity) {
    if (!tex.ready() || opacity <= 0) return;
    const int r = std::max(1, size / 2);
    const float r2 = float(r * r);
    const DabSquare sq = dabSquare(v, x, y, r);
    const float o = float(opacity);
    for (int py = sq.y0; py < sq.y1; ++py) {
        float rowSq[4];
        coverageSquares(py - y, rowSq);
        const int ty = py % tex.height;
        for (int px = sq.x0; px < sq.x1; ++px) {
            float colSq[4];
            coverageSquares(px - x, colSq);
            const int n = coverage16(colSq, rowSq, r2);
            if (n == 0 || !pixelEligible(v, px, py)) continue;
            const float w = float(n) / 16.0f * o / 100.0f;
            const float keep = 1.0f - w;
            const uint8_t* t = tex.texel(px % tex.width, ty);
            const int red = t[2], green = t[1], blue = t[0];
            uint8_t* p = resultPixel(v, px, py);
            p[0] = uint8_t(int(float(red) * w + float(p[0]) * keep));
            p[1] = uint8_t(int(float(green) * w + float(p[1]) * keep));
            p[2] = uint8_t(int(float(blue) * w + float(p[2]) * keep));
            // CMYK: the fourth channel follows the texel's brightest component.
            if (v.colours == 4)
                p[3] = uint8_t(int(float(std::max({red, green, blue})) * w + float(p[3]) * keep));
        }
    }
}

void restoreTexture(const PaintView& v, int x, int y, int size, int opacity) {
    restoreSource(v, x, y, size, float(opacity) * 0.01f);
}
