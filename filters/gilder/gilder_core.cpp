#include "filters/gilder/gilder_core.h"

#include <algorithm>

#include "framework/tablet/packet_filter.h"

const GilderTextureEntry kGilderTextures[kGilderTextureCount] = {
    {125, "blank.bmp", 32, 32},        {119, "canvas_1b.bmp", 288, 288},  {120, "canvas_3b.bmp", 500, 500},
    {121, "crinkle_1.bmp", 184, 162},  {122, "crinkle_4m.bmp", 184, 162}, {123, "wal_3b.bmp", 184, 162},
};

GilderParams gilderDefaults() {
    GilderParams p{};
    p.brushSize = 25;
    p.scale = 100;
    p.metal = 0;
    p.textureIndex = 4;
    p.lightLevel = 255;
    p.darkLevel = 0;
    p.sizeSource = kGilderSizePressure;
    return p;
}

MetalEnds metalEnds(int metal, bool cmyk) {
    static const MetalEnds kEnds[2][2] = {
        {{{97, 77, 0, 0}, {255, 227, 122, 0}}, {{158, 150, 0, 125}, {199, 255, 82, 255}}},
        {{{64, 64, 64, 0}, {255, 255, 255, 0}}, {{255, 255, 255, 0}, {255, 255, 255, 255}}},
    };
    return kEnds[metal == 1 ? 1 : 0][cmyk ? 1 : 0];
}

GildColours gildColours(int metal, bool cmyk, int lightLevel, int darkLevel) {
    const MetalEnds e = metalEnds(metal, cmyk);
    GildColours c{};
    c.channels = cmyk ? 4 : 3;
    for (int k = 0; k < c.channels; ++k) {
        const int t1 = e.dark[k], t2 = e.light[k];
        c.light[k] = mulDiv(t1, 255 - lightLevel, 255) + mulDiv(t2, lightLevel, 255);
        c.dark[k] = mulDiv(t1, 255 - darkLevel, 255) + mulDiv(t2, darkLevel, 255);
        c.curve[k] = !cmyk ? kToneRgb : k == 0 ? kToneC : k == 3 ? kToneK : kToneMY;
    }
    return c;
}

bool prepareGreyTexture(const DecodedBitmap& bmp, int scale, GreyTexture& out) {
    out = GreyTexture{};
    if (bmp.width <= 0 || bmp.height <= 0 || bmp.pixels.empty()) return false;
    const int W = mulDiv(bmp.width, scale, 100), H = mulDiv(bmp.height, scale, 100);
    if (W <= 0 || H <= 0) return false;
    out.width = W;
    out.height = H;
    out.rowBytes = (W + 3) & ~3;
    out.texels.assign(size_t(out.rowBytes) * size_t(H), 0);
    for (int j = 0; j < H; ++j) {
        const int sy = int((2 * int64_t(j) + 1) * bmp.height / (2 * int64_t(H)));
        for (int i = 0; i < W; ++i) {
            const int sx = int((2 * int64_t(i) + 1) * bmp.width / (2 * int64_t(W)));
            int r, g, b;
            bitmapRgb(bmp, sx, sy, r, g, b);
            // The mean is the grey nearest in RGB distance; a grey entry maps to itself.
            out.texels[size_t(j) * size_t(out.rowBytes) + size_t(i)] = uint8_t((r + g + b + 1) / 3);
        }
    }
    return true;
}

void gildDab(const PaintView& v, const GreyTexture& tex, const GildColours& colours, int x,
             int y, int size) {
    if (!tex.ready()) return;
    const int r = std::max(1, size / 2);
    const float r2 = float(r * r);
    const DabSquare sq = dabSquare(v, x, y, r);
    const int channels = std::min(colours.channels, v.colours);
    for (int py = sq.y0; py < sq.y1; ++py) {
        float rowSq[4];
        coverageSquares(py - y, rowSq);
        const int ty = py % tex.height;
        for (int px = sq.x0; px < sq.x1; ++px) {
            float colSq[4];
            coverageSquares(px - x, colSq);
            const int n = coverage16(colSq, rowSq, r2);
            if (n == 0 || !pixelEligible(v, px, py)) continue;
            const float c = float(n) / 16.0f;
            const uint8_t* s = sourcePixel(v, px, py);
            int l = (std::min({s[0], s[1], s[2]}) + std::max({s[0], s[1], s[2]})) / 2;
            if (v.colours == 4) l = (l + s[3]) / 2;
            const int g = tex.at(px % tex.width, ty);
            const double a = 0.8 * l / 255.0 + 0.2 * g / 255.0;
            uint8_t* o = resultPixel(v, px, py);
            for (int k = 0; k < channels; ++k) {
                // D + (L - D) a: equal levels give exactly that level at every pixel.
                const int index = int(colours.dark[k] + (colours.light[k] - colours.dark[k]) * a);
                const int value = colours.curve[k][std::clamp(index, 0, 255)];
                o[k] = uint8_t(int(float(value) * c + float(o[k]) * (1.0f - c)));
            }
        }
    }
}

void restoreGild(const PaintView& v, int x, int y, int size, int pressure, int pMax) {
    restoreSource(v, x, y, size, pMax > 0 ? float(pressure) / float(pMax) : 1.0f);
}
