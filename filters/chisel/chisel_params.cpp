#include "filters/chisel/chisel_params.h"

#include <cstring>

namespace {

int16_t clamped(int value, ParamRange range) {
    return int16_t(value < range.minimum ? range.minimum
                                         : value > range.maximum ? range.maximum : value);
}

}  // namespace

void updatePreviewProfile(ChiselParams& params) {
    // At the tip size the amount is the tip depth itself (w * depth / size with w = size).
    buildGrooveProfile(params.previewProfile, kPreviewProfileEntries, params.tipSize,
                       params.tipDepth, params.tipSharpness);
}

void setChiselDefaults(ChiselParams& params) {
    std::memset(&params, 0, sizeof params);
    params.grooveSize = 50;
    params.tipSize = 25;
    params.tipDepth = 25;
    params.tipSharpness = 25;
    params.intensity = 7;
    params.lightDirection = 0;
    params.pressureGroove = 1;
    updatePreviewProfile(params);
}

void sanitizeChiselParams(ChiselParams& params) {
    params.grooveSize = clamped(params.grooveSize, kGrooveSizeRange);
    params.tipSize = clamped(params.tipSize, kTipSizeRange);
    params.tipDepth = clamped(params.tipDepth, kTipDepthRange);
    params.tipSharpness = clamped(params.tipSharpness, kTipSharpnessRange);
    params.intensity = clamped(params.intensity, kIntensityRange);
    const int32_t light = params.lightDirection;
    params.lightDirection = light < kLightDirectionRange.minimum   ? kLightDirectionRange.minimum
                            : light > kLightDirectionRange.maximum ? kLightDirectionRange.maximum
                                                                   : light;
    params.pressureGroove = params.pressureGroove != 0 ? 1 : 0;
    std::memset(params.padding0, 0, sizeof params.padding0);
    std::memset(params.padding1, 0, sizeof params.padding1);
    updatePreviewProfile(params);
}
