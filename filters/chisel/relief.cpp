#include "filters/chisel/relief.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "filters/chisel/chisel_params.h"

uint64_t reliefFieldBytes(int w, int h) {
    if (w <= 0 || h <= 0) return 0;
    return uint64_t(w) * uint64_t(h) * sizeof(ReliefPixel);
}

bool ReliefField::allocate(int w, int h) {
    release();
    const uint64_t bytes = reliefFieldBytes(w, h);
    if (bytes == 0 || bytes > uint64_t(std::numeric_limits<size_t>::max()) ||
        bytes > uint64_t(std::numeric_limits<ptrdiff_t>::max()))
        return false;
    pixels = new (std::nothrow) ReliefPixel[size_t(bytes / sizeof(ReliefPixel))];
    if (!pixels) return false;
    width = w;
    height = h;
    clear();
    return true;
}

void ReliefField::release() {
    delete[] pixels;
    pixels = nullptr;
    width = height = 0;
}

void ReliefField::clear() {
    if (pixels) std::memset(pixels, 0, size_t(width) * size_t(height) * sizeof(ReliefPixel));
}

void prepareShading(ShadeTables& tables, int light, int intensity) {
    if (tables.light == light && tables.intensity == intensity) return;
    const LightDirection d = kLightDirections[light];
    const double length = std::sqrt(double(d.lx * d.lx + d.ly * d.ly) + 2.25);
    const float lightX = float(d.lx / length), lightY = float(d.ly / length),
                lightZ = float(1.5 / length);
    const int lx = int(lightX * 255.9), ly = int(lightY * 255.9), k = int(lightZ * 255.9);

    // The normal's z is the constant 1530 (six times 255); 2340900 is its square.
    // M <= |(lx, ly, k)| < 255.9, so a byte holds it.
    for (int nx = -ShadeTables::kNormalLimit; nx <= ShadeTables::kNormalLimit; ++nx) {
        uint8_t* row = tables.brightness + (nx + ShadeTables::kNormalLimit) * ShadeTables::kSide +
                       ShadeTables::kNormalLimit;
        for (int ny = -ShadeTables::kNormalLimit; ny <= ShadeTables::kNormalLimit; ++ny) {
            int m = k;
            if (nx != 0 || ny != 0) {
                const int dot = 1530 * k + ny * ly + nx * lx;
                m = dot < 0 ? 0 : int(dot / std::sqrt(double(ny * ny + nx * nx + 2340900)));
            }
            row[ny] = uint8_t(m);
        }
    }
    for (int m = 0; m < 256; ++m) {
        const float ratio = float(double(m) / k);
        float f = ratio;
        for (int i = 1; i < intensity; ++i) f = float(double(f) * ratio);
        for (int v = 0; v < 256; ++v) {
            const double scaled = double(f) * v;
            tables.scale[m][v] = scaled >= 255.0 ? 255 : uint8_t(int(scaled));
        }
    }
    tables.light = light;
    tables.intensity = intensity;
    tables.flatBrightness = k;
}

void shadeArea(const ChiselImage& image, const ReliefField& field, const ShadeTables& tables,
               const Box& area) {
    const int x0 = area.left + 1 > 1 ? area.left + 1 : 1;
    const int y0 = area.top + 1 > 1 ? area.top + 1 : 1;
    const int x1 = area.right - 2 < image.width - 2 ? area.right - 2 : image.width - 2;
    const int y1 = area.bottom - 2 < image.height - 2 ? area.bottom - 2 : image.height - 2;
    const int planes = image.planes, colours = image.colourPlanes();
    const int k = tables.flatBrightness;
    const uint8_t* centre = tables.brightness +
                            ShadeTables::kNormalLimit * ShadeTables::kSide +
                            ShadeTables::kNormalLimit;
    for (int y = y0; y <= y1; ++y) {
        const ReliefPixel* relief = field.pixels + ptrdiff_t(y) * field.width;
        const uint8_t* mask = image.mask ? image.mask + ptrdiff_t(y) * image.maskRow : nullptr;
        const uint8_t* in = image.sourceAt(0, y);
        uint8_t* out = image.resultAt(0, y);
        for (int x = x0; x <= x1; ++x) {
            const uint8_t* s = in + ptrdiff_t(x) * planes;
            uint8_t* r = out + ptrdiff_t(x) * planes;
            if (mask && mask[x] == 0) {
                std::memcpy(r, s, size_t(planes));
                continue;
            }
            if (image.transparency && s[planes - 1] == 0) {
                std::memset(r, 255, size_t(colours));
                continue;
            }
            const ReliefPixel p = relief[x];
            const int m = centre[p.nx * ShadeTables::kSide + p.ny];
            if (m == k) {
                std::memcpy(r, s, size_t(planes));
                continue;
            }
            const uint8_t* scale = tables.scale[m];
            for (int c = 0; c < colours; ++c) r[c] = scale[s[c]];
        }
    }
}

void displayCopy(const ChiselImage& image) {
    const int planes = image.planes;
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(image.resultAt(0, y), image.sourceAt(0, y), size_t(image.width) * planes);
        if (!image.transparency) continue;
        for (int x = 0; x < image.width; ++x)
            if (image.clear(x, y)) std::memset(image.resultAt(x, y), 255, size_t(planes));
    }
}

void restoreTransparency(const ChiselImage& image) {
    if (!image.transparency) return;
    const int planes = image.planes;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* s = image.sourceAt(x, y);
            uint8_t* r = image.resultAt(x, y);
            if (s[planes - 1] == 0)
                std::memcpy(r, s, size_t(planes));
            else
                r[planes - 1] = s[planes - 1];
        }
}
