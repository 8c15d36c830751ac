// Two-pass mesh warping of one square block (Smith's method as Wolberg publishes it):
// interpolating cubic splines through the mesh nodes give, for every row and then every
// column, where each input pixel lands; Fant's resampling moves the pixels there.
//
//        source mesh                 destination mesh (dx > 0)
//   0 1      s/2      s-1 s      0 1          s/2+dx  s-1 s
//   +-+-------+--------+-+       +-+-----------+------+-+
//   +-+-------+--------+-+       +-+-----------+------+-+
//   | |       |        | |       | |          /        \ |
//   +-+-------o--------+-+  ->   +-+---------o---------+-+   stretched behind,
//   | |       |        | |       | |          \        / |   compressed ahead
//   +-+-------+--------+-+       +-+-----------+------+-+
//   +-+-------+--------+-+       +-+-----------+------+-+
//
// Only the centre node moves, so the outer strips [0, 1] and [s - 1, s] stay in place.
#pragma once
#include <cstdint>

constexpr int kMeshNodes = 5;  // nodes per mesh row and per mesh column

// Node (row v, column u) at (x[v][u], y[v][u]), block pixels; columns and rows in order.
struct MeshGrid {
    double x[kMeshNodes][kMeshNodes];
    double y[kMeshNodes][kMeshNodes];
};

// The regular grid of an s x s block: lines at 0, 1, s/2 (truncated), s - 1 and s.
void regularMesh(MeshGrid& mesh, int side);

// Node derivatives of the not-a-knot interpolating cubic spline through n knots
// (4 <= n <= kMeshNodes, kx strictly increasing).
void splineSlopes(const double* kx, const double* ky, int n, double* slopes);

// The spline (cubic Hermite between knots, with `slopes` from splineSlopes) at the
// integer positions 0 .. count - 1, written to out[i * outStride]. Positions beyond the
// outer knots use the end pieces.
void sampleSpline(const double* kx, const double* ky, const double* slopes, int n, int count,
                  double* out, int outStride);

// Fant's one-dimensional resampling of `len` pixels read at in[i * stride] into
// out[i * stride]. `map` has len + 1 entries: map[x] is the input position that lands
// on output position x (non-decreasing, map[0] = 0, map[len] = len). Each output pixel
// is the coverage-weighted mean of the input over [map[x], map[x + 1]), each input
// pixel interpolated linearly toward its right neighbour by the part already used,
// rounded to nearest so that a constant run stays constant.
void fantResample(const uint8_t* in, uint8_t* out, int len, int stride, const double* map);

// Output-to-input maps for both passes over an s x s block.
struct WarpMaps {
    int side;           // s, 4 .. kWarpBlockMax
    double* rowMap;     // first pass: row j's map at rowMap + j * (s + 1)
    double* columnMap;  // second pass: column i's map at columnMap + i * (s + 1)
    double* scratch;    // mapScratchDoubles(s)
};

int mapDoubles(int side);         // for rowMap and for columnMap, each
int mapScratchDoubles(int side);  // for scratch

// Fills both maps for warping the block from mesh `from` onto mesh `to`.
void buildWarpMaps(WarpMaps& maps, const MeshGrid& from, const MeshGrid& to);

// One plane of the block: `block` through `middle` (the first pass) into `warped`,
// each s x s bytes, rows s bytes apart.
void warpBlock(const WarpMaps& maps, const uint8_t* block, uint8_t* middle, uint8_t* warped);
