#include "filters/warper/mesh_warp.h"

#include <algorithm>

namespace {

inline uint8_t roundToByte(double v) {
    // Nearest, not truncated: the weights of a mean of equal values sum to a hair under
    // one in floating point, and truncation would darken a uniform area by a level per
    // dab (an opaque transparency plane would turn 254).
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return uint8_t(int(v + 0.5));
}

// Turns the forward map F (where input position u lands, len + 1 entries, overwritten)
// into the output-to-input map that Fant's resampling walks. The block's ends stay where
// they are, and a spline that overshoots is flattened rather than folding the row back.
void invertMap(double* f, int len, double* map) {
    f[0] = 0.0;
    for (int u = 1; u < len; ++u) f[u] = std::clamp(f[u], f[u - 1], double(len));
    f[len] = len;
    int u = 0;
    map[0] = 0.0;
    for (int x = 1; x < len; ++x) {
        while (u < len - 1 && f[u + 1] < x) ++u;
        const double span = f[u + 1] - f[u];
        const double p = span > 0.0 ? u + std::clamp((x - f[u]) / span, 0.0, 1.0) : double(u);
        map[x] = std::max(p, map[x - 1]);
    }
    map[len] = len;
}

}  // namespace

void regularMesh(MeshGrid& m, int s) {
    const double lines[kMeshNodes] = {0.0, 1.0, double(s / 2), double(s - 1), double(s)};
    for (int v = 0; v < kMeshNodes; ++v)
        for (int u = 0; u < kMeshNodes; ++u) {
            m.x[v][u] = lines[u];
            m.y[v][u] = lines[v];
        }
}

void splineSlopes(const double* kx, const double* ky, int n, double* d) {
    double h[kMeshNodes], r[kMeshNodes];
    for (int i = 0; i + 1 < n; ++i) {
        h[i] = kx[i + 1] - kx[i];
        r[i] = (ky[i + 1] - ky[i]) / h[i];
    }
    // Tridiagonal system a[i] d[i-1] + b[i] d[i] + c[i] d[i+1] = rhs[i]. The first and
    // last rows are the not-a-knot conditions (third derivative continuous across the
    // second and the second-to-last knot), scaled to avoid a division.
    double a[kMeshNodes], b[kMeshNodes], c[kMeshNodes], rhs[kMeshNodes];
    const double h01 = h[0] + h[1];
    b[0] = h[1] * h01;
    c[0] = h01 * h01;
    rhs[0] = (3.0 * h[0] + 2.0 * h[1]) * h[1] * r[0] + h[0] * h[0] * r[1];
    for (int i = 1; i + 1 < n; ++i) {
        a[i] = h[i];
        b[i] = 2.0 * (h[i - 1] + h[i]);
        c[i] = h[i - 1];
        rhs[i] = 3.0 * (h[i] * r[i - 1] + h[i - 1] * r[i]);
    }
    const int e = n - 1;
    const double hm = h[e - 2], hn = h[e - 1], hmn = hm + hn;
    a[e] = hmn * hmn;
    b[e] = hm * hmn;
    rhs[e] = hn * hn * r[e - 2] + (3.0 * hn + 2.0 * hm) * hm * r[e - 1];
    // Forward elimination, back substitution.
    for (int i = 1; i < n; ++i) {
        const double w = a[i] / b[i - 1];
        b[i] -= w * c[i - 1];
        rhs[i] -= w * rhs[i - 1];
    }
    d[e] = rhs[e] / b[e];
    for (int i = e - 1; i >= 0; --i) d[i] = (rhs[i] - c[i] * d[i + 1]) / b[i];
}

void sampleSpline(const double* kx, const double* ky, const double* d, int n, int count,
                  double* out, int outStride) {
    int k = -1;
    double x0 = 0, y0 = 0, d0 = 0, c2 = 0, c3 = 0;
    for (int i = 0; i < count; ++i) {
        const double t = i;
        int piece = k < 0 ? 0 : k;
        while (piece < n - 2 && t >= kx[piece + 1]) ++piece;
        if (piece != k) {
            k = piece;
            const double h = kx[k + 1] - kx[k], r = (ky[k + 1] - ky[k]) / h;
            x0 = kx[k];
            y0 = ky[k];
            d0 = d[k];
            c2 = (3.0 * r - 2.0 * d[k] - d[k + 1]) / h;
            c3 = (d[k] + d[k + 1] - 2.0 * r) / (h * h);
        }
        const double dx = t - x0;
        out[intptr_t(i) * outStride] = y0 + dx * (d0 + dx * (c2 + dx * c3));
    }
}

void fantResample(const uint8_t* in, uint8_t* out, int len, int stride, const double* map) {
    if (len <= 0) return;
    const int last = len - 1;
    double inSeg = 1.0;               // part of input pixel u not used yet
    double outSeg = map[1] - map[0];  // input still owed to output pixel x
    double sizeFactor = outSeg;       // all the input output pixel x takes
    double acc = 0.0;
    int u = 0;
    for (int x = 0; x < len;) {
        const double here = in[intptr_t(u) * stride];
        const double next = u < last ? in[intptr_t(u + 1) * stride] : here;
        const double intensity = inSeg * here + (1.0 - inSeg) * next;
        // The last input pixel is never left: rounding in the map's sum must not walk
        // past the end of the row.
        if (inSeg < outSeg && u < last) {
            acc += intensity * inSeg;
            outSeg -= inSeg;
            inSeg = 1.0;
            ++u;
        } else {
            acc += intensity * outSeg;
            out[intptr_t(x) * stride] = roundToByte(sizeFactor > 0.0 ? acc / sizeFactor : intensity);
            acc = 0.0;
            inSeg -= outSeg;
            if (++x < len) outSeg = sizeFactor = map[x + 1] - map[x];
        }
    }
}

int mapDoubles(int s) { return s * (s + 1); }
int mapScratchDoubles(int s) { return 2 * kMeshNodes * (s + 1) + (s + 1); }

namespace {

// One pass's maps. Mesh line i is a curve through knots(i, k) with values before(i, k)
// and after(i, k); each curve is sampled at every pixel of the block, five apart, and
// each pixel line's forward map (before to after) is inverted into out + line * (s + 1).
template <class Knot, class Before, class After>
void passMaps(int s, double* scratch, Knot knot, Before beforeAt, After afterAt, double* out) {
    const int n = kMeshNodes;
    double* before = scratch;
    double* after = before + n * (s + 1);
    double* forward = after + n * (s + 1);
    double kx[kMeshNodes], ky[kMeshNodes], d[kMeshNodes];
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < n; ++k) {
            kx[k] = knot(i, k);
            ky[k] = beforeAt(i, k);
        }
        splineSlopes(kx, ky, n, d);
        sampleSpline(kx, ky, d, n, s, before + i, n);
        for (int k = 0; k < n; ++k) ky[k] = afterAt(i, k);
        splineSlopes(kx, ky, n, d);
        sampleSpline(kx, ky, d, n, s, after + i, n);
    }
    for (int line = 0; line < s; ++line) {
        splineSlopes(before + line * n, after + line * n, n, d);
        sampleSpline(before + line * n, after + line * n, d, n, s + 1, forward, 1);
        invertMap(forward, s, out + intptr_t(line) * (s + 1));
    }
}

}  // namespace

void buildWarpMaps(WarpMaps& maps, const MeshGrid& from, const MeshGrid& to) {
    const int s = maps.side;
    // First pass: each mesh column u as x over y, in the source and in the intermediate
    // image (the destination's x at the source's y).
    passMaps(
        s, maps.scratch, [&](int u, int v) { return from.y[v][u]; }, [&](int u, int v) { return from.x[v][u]; },
        [&](int u, int v) { return to.x[v][u]; }, maps.rowMap);
    // Second pass: each mesh row v as y over the intermediate x, before and after.
    passMaps(
        s, maps.scratch, [&](int v, int u) { return to.x[v][u]; }, [&](int v, int u) { return from.y[v][u]; },
        [&](int v, int u) { return to.y[v][u]; }, maps.columnMap);
}

void warpBlock(const WarpMaps& maps, const uint8_t* block, uint8_t* middle, uint8_t* warped) {
    const int s = maps.side;
    for (int j = 0; j < s; ++j)
        fantResample(block + j * s, middle + j * s, s, 1, maps.rowMap + intptr_t(j) * (s + 1));
    for (int i = 0; i < s; ++i)
        fantResample(middle + i, warped + i, s, s, maps.columnMap + intptr_t(i) * (s + 1));
}
