// warper: pushes the picture along the stroke like putty. The parameter record and the
// values a pen sample carries.
#pragma once
#include <cstdint>

// Kept raw in the host's parameters handle: 12 bytes, little-endian.
struct WarpParams {
    int16_t brushSize;         // brush size in pixels before the source mapping, 1..99
    int16_t distortion;        // how far the block centre moves, percent, 1..100
    int32_t sizeSource;        // 0 finger wheel, 1 pressure, 2 fixed (the slider value)
    int32_t distortionSource;  // as sizeSource
};
static_assert(sizeof(WarpParams) == 12, "the parameters handle holds exactly 12 bytes");

constexpr int16_t kWarpSizeMin = 1, kWarpSizeMax = 99, kWarpSizeDefault = 25;
constexpr int16_t kWarpDistortionMin = 1, kWarpDistortionMax = 100, kWarpDistortionDefault = 100;
constexpr int32_t kWarpSourcePressure = 1;
// Added to the mapped brush size: a feather-light touch (a mapped size of 0) still warps
// a 5 x 5 block.
constexpr int kWarpSizeBias = 5;
// The largest block side a sample can ask for (kWarpSizeMax + kWarpSizeBias).
constexpr int kWarpBlockMax = kWarpSizeMax + kWarpSizeBias;

void setWarpDefaults(WarpParams& params);  // size 25, distortion 100, both on pressure

// A sample's size from the brush size after the source mapping. The mapped value is
// kept to 0..99 first: a reading above the device maximum must not grow the block
// without bound. Result 5..104.
int16_t warpSampleSize(int mappedSize);
// A sample's distortion from the mapped distortion, clamped to 0..100 so that the centre
// node never reaches a neighbouring mesh line (coincident spline knots).
int16_t warpSampleDistortion(int mappedDistortion);
