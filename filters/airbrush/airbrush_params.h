// airbrush's EffectParams: the 32-byte block kept in the host's parameters handle, its
// defaults and ranges, and the paint colour in the image's own channels (nativeHalf).
#pragma once
#include <cstddef>
#include <cstdint>

// What scales the brush size or the ink flow.
enum SpraySource : int32_t { kSourceWheel = 0, kSourcePressure = 1, kSourceFixed = 2 };

// Little-endian, natural alignment gives exactly the stored layout (checked below).
struct AirbrushParams {
    int16_t brushSize;      // 1..99: diameter in image pixels at full pressure
    int16_t inkFlow;        // 1..100: per cent
    int16_t splatterSize;   // 1..99: droplet diameter in image pixels
    uint16_t color[3];      // red, green, blue, 16 bits each (an 8-bit v is stored as v * 257)
    uint16_t nativeHalf[4]; // 0..127 each: the colour in the image's channels, halved
    int32_t sizeSource;     // SpraySource
    int32_t flowSource;     // SpraySource
    uint8_t softSpray;      // 1 soft spray, 0 splatter
    uint8_t padding[3];
};
static_assert(sizeof(AirbrushParams) == 32, "stored block size");
static_assert(offsetof(AirbrushParams, color) == 6, "stored layout");
static_assert(offsetof(AirbrushParams, nativeHalf) == 12, "stored layout");
static_assert(offsetof(AirbrushParams, sizeSource) == 20, "stored layout");
static_assert(offsetof(AirbrushParams, softSpray) == 28, "stored layout");

struct SprayRange {
    int minimum, maximum;
};
constexpr SprayRange kBrushSizeRange{1, 99};
constexpr SprayRange kInkFlowRange{1, 100};
constexpr SprayRange kSplatterSizeRange{1, 99};

// Size 30, flow 30, splatter 1, soft spray, both sources on pressure, `foreground` as the
// colour with nativeHalf from it by the RGB fallback (a CMYK host fixes it afterwards).
void setAirbrushDefaults(AirbrushParams& params, const uint16_t foreground[3]);

// Reset: the defaults and the foreground colour again, keeping both sources.
void resetAirbrushParams(AirbrushParams& params, const uint16_t foreground[3]);

// Clamps every field into its range and zeroes the padding: run after every load from a
// handle or settings, since a stored block may come from anywhere. A source outside 0..2
// reads as pressure.
void sanitizeAirbrushParams(AirbrushParams& params);

// (R >> 9, G >> 9, B >> 9, 127): used without colour services and whenever a conversion
// fails.
void fallbackNativeHalf(AirbrushParams& params);

// nativeHalf from an RGB-to-CMYK conversion by the host's colour services: `result` is the
// services' answer (0 success; -30900 unsupported, as some hosts answer, or any other
// error) and `cmyk` the four components found in the record afterwards, 0..255. A failed
// conversion is never taken as a colour: the fallback is used.
void nativeHalfFromConversion(AirbrushParams& params, int result, const int16_t cmyk[4]);

// nativeHalf from four 8-bit channel values of a CMYK image (the host's foreground colour
// in the image's own mode, or a pixel under the eyedropper).
void nativeHalfFromChannels(AirbrushParams& params, const uint8_t channels[4]);

// 32-bit MulDiv: value * number / divisor rounded half away from zero in 64 bits; -1 for a
// zero divisor, as the system's.
int sprayMulDiv(int value, int number, int divisor);
