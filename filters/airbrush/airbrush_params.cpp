#include "filters/airbrush/airbrush_params.h"

#include <algorithm>
#include <iterator>

namespace {

int16_t clamped(int v, SprayRange r) { return int16_t(std::clamp(v, r.minimum, r.maximum)); }

int32_t sanitizedSource(int32_t s) { return s >= kSourceWheel && s <= kSourceFixed ? s : kSourcePressure; }

}  // namespace

void resetAirbrushParams(AirbrushParams& p, const uint16_t foreground[3]) {
    p.brushSize = 30;
    p.inkFlow = 30;
    p.splatterSize = 1;
    p.softSpray = 1;
    for (int c = 0; c < 3; ++c) p.color[c] = foreground[c];
    fallbackNativeHalf(p);
}

void setAirbrushDefaults(AirbrushParams& p, const uint16_t foreground[3]) {
    p = AirbrushParams{};
    p.sizeSource = kSourcePressure;
    p.flowSource = kSourcePressure;
    resetAirbrushParams(p, foreground);
}

void sanitizeAirbrushParams(AirbrushParams& p) {
    p.brushSize = clamped(p.brushSize, kBrushSizeRange);
    p.inkFlow = clamped(p.inkFlow, kInkFlowRange);
    p.splatterSize = clamped(p.splatterSize, kSplatterSizeRange);
    // The splatter dab adds nativeHalf to half a byte: above 127 it would wrap.
    for (uint16_t& h : p.nativeHalf) h = std::min<uint16_t>(h, 127);
    p.sizeSource = sanitizedSource(p.sizeSource);
    p.flowSource = sanitizedSource(p.flowSource);
    p.softSpray = p.softSpray ? 1 : 0;
    std::fill(std::begin(p.padding), std::end(p.padding), uint8_t(0));
}

void fallbackNativeHalf(AirbrushParams& p) {
    for (int c = 0; c < 3; ++c) p.nativeHalf[c] = uint16_t(p.color[c] >> 9);
    p.nativeHalf[3] = 127;
}

void nativeHalfFromConversion(AirbrushParams& p, int result, const int16_t cmyk[4]) {
    if (result != 0) {
        fallbackNativeHalf(p);
        return;
    }
    for (int c = 0; c < 4; ++c) p.nativeHalf[c] = uint16_t(std::clamp<int>(cmyk[c], 0, 255) >> 1);
}

void nativeHalfFromChannels(AirbrushParams& p, const uint8_t channels[4]) {
    for (int c = 0; c < 4; ++c) p.nativeHalf[c] = uint16_t(channels[c] >> 1);
}

int sprayMulDiv(int value, int number, int divisor) {
    if (divisor == 0) return -1;
    const int64_t product = int64_t(value) * number;
    const bool negative = (product < 0) != (divisor < 0);
    const int64_t p = product < 0 ? -product : product, d = divisor < 0 ? -int64_t(divisor) : divisor;
    const int64_t q = (p + d / 2) / d;
    return int(negative ? -q : q);
}
