#include "filters/warper/warp_params.h"

#include <algorithm>

void setWarpDefaults(WarpParams& p) {
    p.brushSize = kWarpSizeDefault;
    p.distortion = kWarpDistortionDefault;
    p.sizeSource = kWarpSourcePressure;
    p.distortionSource = kWarpSourcePressure;
}

int16_t warpSampleSize(int mappedSize) {
    return int16_t(std::clamp<int>(mappedSize, 0, kWarpSizeMax) + kWarpSizeBias);
}

int16_t warpSampleDistortion(int mappedDistortion) {
    return int16_t(std::clamp<int>(mappedDistortion, 0, kWarpDistortionMax));
}
