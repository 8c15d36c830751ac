#include "filters/airbrush/spray_core.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/brush/portable_math.h"

namespace {

// A size or flow from its source: a device without the axis gives the slider value.
int scaled(int value, int reading, int maximum) {
    return maximum > 0 ? sprayMulDiv(value, reading, maximum) : value;
}

// Direction of a sample, in single precision as the footprints use it: cos and sin in
// double, rounded once.
struct Direction {
    float c, s;
};
Direction directionOf(const AirbrushSample& sample) {
    const double a = double(sample.azimuth);
    return {float(portableCos(a)), float(portableSin(a))};
}

float tiltFraction(const SprayTables& t, const AirbrushSample& s) {
    const int i = std::min(std::abs(int(s.tilt)), 60);
    return t.tilt[i][i];
}

// The square a footprint clears: offsets -half..half around the centre, clipped to the mask.
void clearSquare(SprayMask& m, int half) {
    const int h = std::min(half, kMaskHalf);
    for (int dy = -h; dy <= h; ++dy) std::memset(&m.at(-h, dy), 0, size_t(2 * h + 1));
}

int halfWidthOf(const SprayTables& t, int size) { return t.halfWidth[std::clamp(size, 0, 99)]; }

// The brush radius of the soft spray and the splatter, never below one pixel.
float radiusOf(int size) { return std::max(1.0f, float(size) / 2.0f); }

uint8_t toByte(float v) { return uint8_t(int(v)); }

}  // namespace

void buildSprayTables(SprayTables& t) {
    for (int i = 0; i <= 60; ++i)
        for (int j = 0; j <= 60; ++j)
            t.tilt[i][j] = float(std::sqrt(double(i * i + j * j)) / 84.85281374239);
    for (int s = 0; s < 100; ++s) {
        const float a = float(std::sqrt(2.0 * s * s));
        t.halfWidth[s] = int16_t(std::trunc(std::sqrt(2.0 * double(a) * double(a))));
    }
    const float denominator = 1.0f - float(portableExp(-6.0));
    for (int k = 0; k < 1024; ++k) {
        const float u = float(k) / 1024.0f;
        const float rise = 1.0f - float(portableExp(double(-6.0f * u * u)));
        t.falloff[k] = uint8_t(int(255.0f * rise / denominator));
    }
}

AirbrushSample buildSpraySample(const SprayPacket& p, const SprayRanges& r, const AirbrushParams& params) {
    AirbrushSample s{};
    s.x = int16_t(p.x);
    s.y = int16_t(p.y);

    // Altitude from the horizon, -90..90; a reading outside the reported range (some
    // drivers report the eraser's negative altitude against a range from 0) is held to
    // it, so that the tilt stays within the tilt table.
    int altitude = 90;
    if (r.altitudeMax > r.altitudeMin)
        altitude = std::clamp(sprayMulDiv(180, p.altitude - r.altitudeMin, r.altitudeMax - r.altitudeMin) - 90,
                              -90, 90);
    int azimuth = 0;
    if (r.azimuthMax > r.azimuthMin)
        azimuth = sprayMulDiv(360, p.azimuth - r.azimuthMin, r.azimuthMax - r.azimuthMin);
    int tilt;
    if (altitude >= 0) tilt = altitude > 30 ? 90 - altitude : 60;
    else tilt = altitude < -30 ? -altitude - 90 : -60;
    s.tilt = int16_t(tilt);
    s.wheel = int16_t(p.wheel);
    const float q = float(tilt) / 60.0f;
    s.elongation = 1.0f + 1.5f * q * q;
    s.azimuth = float(double(azimuth - 90) * 3.14159 / 180.0);

    s.inverted = p.altitude < 0 ? 1 : 0;
    int size, flow;
    if (s.inverted) {
        size = params.sizeSource == kSourceFixed ? params.brushSize : scaled(params.brushSize, p.pressure, r.pressureMax);
        flow = params.flowSource == kSourceFixed ? params.inkFlow : scaled(params.inkFlow, p.pressure, r.pressureMax);
    } else {
        switch (params.sizeSource) {
        case kSourceWheel:
            size = r.wheelMax > 0 ? int(float(params.brushSize) * (float(p.wheel) / float(r.wheelMax)))
                                  : params.brushSize;
            break;
        case kSourcePressure: size = scaled(params.brushSize, p.pressure, r.pressureMax); break;
        default: size = params.brushSize;
        }
        switch (params.flowSource) {
        case kSourceWheel: flow = scaled(params.inkFlow, p.wheel, r.wheelMax); break;
        case kSourcePressure: flow = scaled(params.inkFlow, p.pressure, r.pressureMax); break;
        default: flow = params.inkFlow;
        }
    }
    // A reading above its maximum would give a size beyond the tables or a flow above
    // 100 %, which overshoots the colour and wraps the byte.
    s.size = int16_t(std::clamp(size, 1, 99));
    s.flow = int16_t(std::clamp(flow, 0, 100));
    s.pressure = int16_t(uint16_t(p.pressure));
    s.repeat = 0;
    return s;
}

// ---- soft footprint ----
//
//          tilt axis (azimuth) -->
//   rim 254 . . . . . . . . . . . . . .
//      .   densest point c = r min(1, 2 tf) along the axis,
//     .    0 there, rising by the falloff table to the rim
//      .   the disc stretched by e along the axis, shifted back by tf r,
//   rim . . . . . . . . . . . . . . .  and narrowed towards its far end
void buildSoftFootprint(SprayCanvas& canvas, const AirbrushSample& sample) {
    SprayMask& m = *canvas.mask;
    const SprayTables& t = *canvas.tables;
    const int size = sample.size;
    clearSquare(m, halfWidthOf(t, size));

    const float tf = tiltFraction(t, sample);
    const float e = sample.elongation;
    const Direction d = directionOf(sample);
    const float r = radiusOf(size);
    const int ri = std::max(1, size / 2);

    // Bounding box of the four mapped corners of the (+-r', +-r') square.
    int rmin = 0, rmax = 0, cmin = 0, cmax = 0;
    for (int corner = 0; corner < 4; ++corner) {
        const int along = corner & 1 ? ri : -ri, across = corner & 2 ? ri : -ri;
        const float narrowing = 1.0f + tf * float(along + ri) / float(2 * ri);
        const float across2 = std::trunc(float(across) / narrowing);
        const float along2 = std::trunc(std::trunc(float(along) * e) - tf * float(ri));
        const int col = int(d.c * along2 - d.s * across2);
        const int row = int(d.c * across2 + d.s * along2);
        if (corner == 0 || row < rmin) rmin = row;
        if (corner == 0 || row > rmax) rmax = row;
        if (corner == 0 || col < cmin) cmin = col;
        if (corner == 0 || col > cmax) cmax = col;
    }
    // One pixel of room for the softening's lower and right neighbours.
    rmin = std::max(rmin, -kMaskHalf);
    rmax = std::min(rmax, kMaskHalf - 1);
    cmin = std::max(cmin, -kMaskHalf);
    cmax = std::min(cmax, kMaskHalf - 1);

    const float c = r * std::min(1.0f, 2.0f * tf);
    const float k = 1023.0f / (c + r);
    const float r2 = r * r;
    auto V = [&](float a, float b) -> float {
        if (a * a + b * b > r2) return 255.0f;
        const float ac = a - c;
        const int idx = std::min(1023, int(std::sqrt(ac * ac + b * b) * k));
        return float(t.falloff[idx]);
    };

    for (int y = rmin; y <= rmax; ++y) {
        int16_t first = kRowUnreached, end = kRowUnreached;
        bool inside = false;
        for (int x = cmin; x <= cmax; ++x) {
            const float along = (float(x) * d.c + float(y) * d.s + tf * r) / e;
            const float across = (-float(x) * d.s + float(y) * d.c) * (1.0f + tf * (along + r) / (2.0f * r));
            if (along * along + across * across > r2) {
                if (inside) {
                    end = int16_t(x);
                    break;
                }
                continue;
            }
            if (!inside) first = int16_t(x);
            inside = true;
            end = int16_t(cmax);  // kept when the row is still inside at cmax
            const float a0 = std::trunc(along), b0 = std::trunc(across);
            const float fa = along - a0, fb = across - b0;
            const float v00 = V(a0, b0), v10 = V(a0 + 1, b0), v01 = V(a0, b0 + 1), v11 = V(a0 + 1, b0 + 1);
            const float lo = v00 + (v10 - v00) * fa;
            const float hi = v01 + (v11 - v01) * fa;
            float v = lo + (hi - lo) * fb;
            v += std::trunc(float(canvas.random->next()) * 2.5f / 32767.0f);
            m.at(x, y) = toByte(std::clamp(v, 0.0f, 255.0f));
        }
        m.first[y + kMaskHalf] = first;
        m.end[y + kMaskHalf] = end;
    }
    m.rowMin = rmin;
    m.rowMax = rmax;

    // Edge softening, in place: a pixel next to the footprint's edge (a right, lower or
    // lower-right neighbour outside its row's extent, or 255) takes the mean of the four.
    for (int y = rmin; y <= rmax; ++y) {
        const int first = m.first[y + kMaskHalf], end = m.end[y + kMaskHalf];
        if (first == kRowUnreached) continue;
        const bool lastRow = y == rmax;
        const int nFirst = lastRow ? 0 : m.first[y + 1 + kMaskHalf];
        const int nEnd = lastRow ? 0 : m.end[y + 1 + kMaskHalf];
        const bool nReached = !lastRow && nFirst != kRowUnreached;
        for (int i = first; i < end; ++i) {
            const int right = i + 1 < end ? m.at(i + 1, y) : 255;
            const int lower = nReached && i >= nFirst && i < nEnd ? m.at(i, y + 1) : 255;
            const int lowerRight = nReached && i + 1 >= nFirst && i + 1 < nEnd ? m.at(i + 1, y + 1) : 255;
            if (right == 255 || lower == 255 || lowerRight == 255)
                m.at(i, y) = uint8_t((m.at(i, y) + right + lower + lowerRight) / 4);
        }
    }
}

void softSprayDab(SprayCanvas& canvas, const AirbrushSample& dab) {
    const SprayImage& im = canvas.image;
    const SprayMask& m = *canvas.mask;
    const AirbrushParams& p = *canvas.params;
    const bool cmyk = im.cmyk();
    const int channels = cmyk ? 4 : 3;
    float colour[4];
    for (int c = 0; c < channels; ++c)
        colour[c] = cmyk ? float(2 * std::min<int>(p.nativeHalf[c], 127)) : float(p.color[c] >> 8);
    const float f = float(dab.flow) / 100.0f;

    const int top = std::max(0, dab.y + m.rowMin), bottom = std::min(im.height - 1, dab.y + m.rowMax);
    for (int i = top; i <= bottom; ++i) {
        const int dy = i - dab.y;
        const int first = m.first[dy + kMaskHalf];
        if (first == kRowUnreached) continue;
        const int left = std::max(0, dab.x + first), right = std::min(im.width, dab.x + m.end[dy + kMaskHalf]);
        for (int j = left; j < right; ++j) {
            if (!im.eligible(j, i)) continue;
            const float D = (1.0f - float(m.at(j - dab.x, dy)) / 255.0f) * f;
            const float E = 1.0f - D;
            uint8_t* px = im.resultAt(j, i);
            for (int c = 0; c < channels; ++c) px[c] = toByte(E * float(px[c]) + D * colour[c] + 0.5f);
        }
    }
}

// ---- splatter ----

bool insideDroplet(int px, int py, int left, int top, int w, int h) {
    const int64_t a = 2 * (px - left) + 1 - w, b = 2 * (py - top) + 1 - h;
    const int64_t W = w, H = h;
    return a * a * H * H + b * b * W * W <= W * W * H * H;
}

int buildSplatterFootprint(SprayCanvas& canvas, const AirbrushSample& sample) {
    SprayMask& m = *canvas.mask;
    SprayRandom& rnd = *canvas.random;
    clearSquare(m, halfWidthOf(*canvas.tables, sample.size));

    const float r = radiusOf(sample.size);
    const float s = float(canvas.params->splatterSize) / 2.0f;
    const float kPi = 3.14159f;
    int n = int((float(sample.flow) / 100.0f) * (kPi * r * r) / (kPi * s * s));
    if (n <= 0) n = 1;
    float limit = (r - s) * (r - s);
    if (limit == 0.0f) limit = 1.0f;

    // Droplets are pushed to the right by a ramp 0, r/m, 2r/m, ... over the first 100.
    int ramp[100];
    const int rampLength = std::min(n, 100);
    float acc = 0.0f;
    const float rampStep = r / float(rampLength);
    for (int k = 0; k < rampLength; ++k, acc += rampStep) ramp[k] = int(acc);

    auto draw = [&]() { return std::trunc(float(rnd.next() - 16383) * r / 16383.0f); };
    auto put = [&](int col, int row) {  // drawing position, geometry coordinates
        const int dx = col - kGeometryCentre, dy = row - kGeometryCentre;
        if (dx < -kMaskHalf || dx > kMaskHalf || dy < -kMaskHalf || dy > kMaskHalf) return;
        m.at(dx, dy) = 255;
    };
    const float centre = float(kGeometryCentre) + 0.75f;
    int idx = 0;
    for (int accepted = 0; accepted < n;) {
        float u = draw();
        const float v = draw();
        if (u * u + v * v > limit) continue;
        ++accepted;
        u += float(ramp[idx]);
        idx = (idx + 1) % 100;
        const int left = int(u - s + centre), right = int(u + s + centre);
        const int top = int(v - s + centre), bottom = int(v + s + centre);
        const int w = right - left, h = bottom - top;
        if (w < 2 || h < 2) {
            put(left, top);
            continue;
        }
        for (int py = top; py < bottom; ++py)
            for (int px = left; px < right; ++px)
                if (insideDroplet(px, py, left, top, w, h)) put(px, py);
    }
    return n;
}

void splatterDab(SprayCanvas& canvas, const AirbrushSample& dab) {
    buildSplatterFootprint(canvas, dab);
    const SprayImage& im = canvas.image;
    const SprayMask& m = *canvas.mask;
    const AirbrushParams& p = *canvas.params;
    const bool cmyk = im.cmyk();
    const int channels = cmyk ? 4 : 3;
    int half[4];
    for (int c = 0; c < channels; ++c) half[c] = cmyk ? std::min<int>(p.nativeHalf[c], 127) : p.color[c] >> 9;  // never wraps the byte

    const float tf = tiltFraction(*canvas.tables, dab);
    const float e = dab.elongation;
    const Direction d = directionOf(dab);
    const int R = std::max(1, dab.size / 2);
    const int B = std::min(R + 1, 49);
    const float shift = std::trunc(tf * float(dab.size / 2));

    // The box's corners in order around it, mapped to the image.
    static const int kCorners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    float cx[4], cy[4];
    for (int k = 0; k < 4; ++k) {
        const float along = float(kCorners[k][0] * B), across = float(kCorners[k][1] * B);
        const float along2 = std::trunc(along * e) - shift;
        cx[k] = float(int(d.c * along2 - d.s * across) + dab.x);
        cy[k] = float(int(d.c * across + d.s * along2) + dab.y);
    }
    const float yTop = std::min({cy[0], cy[1], cy[2], cy[3]});
    const float yBottom = std::max({cy[0], cy[1], cy[2], cy[3]});
    const int top = std::max(0, int(yTop)), bottom = std::min(im.height, int(yBottom));
    for (int i = top; i < bottom; ++i) {
        // The quadrilateral is convex: its row is between the leftmost and rightmost
        // crossings of the edges.
        float xl = 1e9f, xr = -1e9f;
        for (int k = 0; k < 4; ++k) {
            const int n = (k + 1) % 4;
            const float y0 = cy[k], y1 = cy[n];
            if ((float(i) < std::min(y0, y1)) || (float(i) > std::max(y0, y1))) continue;
            const float x = y0 == y1 ? std::min(cx[k], cx[n]) : cx[k] + (cx[n] - cx[k]) * (float(i) - y0) / (y1 - y0);
            const float x2 = y0 == y1 ? std::max(cx[k], cx[n]) : x;
            xl = std::min(xl, x);
            xr = std::max(xr, x2);
        }
        if (xl > xr) continue;
        // Columns held to the width: past it the pixel would be the next row's first.
        const int left = std::max(0, int(xl)), right = std::min(im.width, int(xr));
        for (int j = left; j < right; ++j) {
            if (!im.eligible(j, i)) continue;
            const float dx = float(j - dab.x), dy = float(i - dab.y);
            float along = std::trunc(dx * d.c + dy * d.s);
            const int across = int(-dx * d.s + dy * d.c);
            along = std::trunc(std::trunc(along + tf * float(dab.size / 2)) / e);
            const int a = int(along);
            if (a * a + across * across >= R * R) continue;
            // The droplets' own centre (123, 123): read at (123 + along, 123 - across).
            if (m.at(a, -across) == 0) continue;
            uint8_t* px = im.resultAt(j, i);
            for (int c = 0; c < channels; ++c) px[c] = uint8_t(half[c] + (px[c] >> 1));
        }
    }
}

// ---- restore ----

void restoreDab(SprayCanvas& canvas, const AirbrushSample& dab) {
    const SprayImage& im = canvas.image;
    const int channels = im.colourPlanes();
    const float r = float(dab.size) / 2.0f;
    const float r2 = r * r;
    const float f = float(dab.flow) / 100.0f;
    const float x = float(dab.x), y = float(dab.y);
    // Rows and columns trunc(c - r) .. trunc(c + r) inclusive: odd sizes stay symmetric.
    const int top = std::max(0, int(y - r)), bottom = std::min(int(y + r), im.height - 1);
    const int left = std::max(0, int(x - r)), right = std::min(int(x + r), im.width - 1);
    for (int i = top; i <= bottom; ++i) {
        const float dy = float(i) - y;
        for (int j = left; j <= right; ++j) {
            const float dx = float(j) - x;
            const float d2 = dx * dx + dy * dy;
            if (d2 > r2 || !im.eligible(j, i)) continue;
            const float w = (r2 - d2) / r2 * f;
            uint8_t* px = im.resultAt(j, i);
            const uint8_t* q = im.sourceAt(j, i);
            for (int c = 0; c < channels; ++c)
                px[c] = toByte(float(px[c]) + float(int(q[c]) - int(px[c])) * w);
        }
    }
}
