// chisel's EffectParams: the 1620-byte block kept in the host's parameters handle, its
// defaults and ranges, and the light directions it indexes.
#pragma once
#include <cstddef>
#include <cstdint>

#include "filters/chisel/groove_profile.h"

constexpr int kPreviewProfileEntries = 100;

// Little-endian, natural alignment gives exactly the stored layout (checked below).
struct ChiselParams {
    int16_t grooveSize;    // 1..99: width in pixels at full pressure (pressure groove 1)
    int16_t tipSize;       // 1..99: width in pixels; upper limit of the pressure width
    int16_t tipDepth;      // -99..99: depth of a full-width groove; negative raises a ridge
    int16_t tipSharpness;  // -100..100: shape of the cross-section
    int16_t intensity;     // 1..10: exponent of the shading contrast
    uint8_t padding0[2];
    // Derived from tip size, depth and sharpness for the TipPicker: never trusted from a
    // stored block, rebuilt by sanitizeChiselParams.
    ProfileEntry previewProfile[kPreviewProfileEntries];
    int32_t lightDirection;  // 0..7, index into kLightDirections
    uint8_t pressureGroove;  // 1: width follows pressure; 0: width is the tip size
    uint8_t padding1[3];
};
static_assert(sizeof(ChiselParams) == 1620, "stored block size");
static_assert(offsetof(ChiselParams, previewProfile) == 12, "stored layout");
static_assert(offsetof(ChiselParams, lightDirection) == 1612, "stored layout");
static_assert(offsetof(ChiselParams, pressureGroove) == 1616, "stored layout");

struct ParamRange {
    int minimum, maximum;
};
constexpr ParamRange kGrooveSizeRange{1, 99};
constexpr ParamRange kTipSizeRange{1, 99};
constexpr ParamRange kTipDepthRange{-99, 99};
constexpr ParamRange kTipSharpnessRange{-100, 100};
constexpr ParamRange kIntensityRange{1, 10};
constexpr ParamRange kLightDirectionRange{0, 7};

// The cell the light comes from, x to the right and y upward (the top row has ly = +1).
struct LightDirection {
    int lx, ly;
};
constexpr LightDirection kLightDirections[8] = {
    {-1, 1}, {0, 1}, {1, 1}, {-1, 0}, {1, 0}, {-1, -1}, {0, -1}, {1, -1},
};

void setChiselDefaults(ChiselParams& params);

// Clamps every field into its range, zeroes the padding and rebuilds the preview profile:
// run after every load, since a stored block may come from anywhere.
void sanitizeChiselParams(ChiselParams& params);

// Rebuilds the preview profile from tip size, depth and sharpness (after a slider moves).
void updatePreviewProfile(ChiselParams& params);
