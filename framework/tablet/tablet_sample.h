#pragma once
#include <cstdint>

// One pen sample in image pixels relative to the output rectangle's top-left corner.
struct TabletSample {
    int16_t x, y;
    int16_t size;       // brush diameter in image pixels, >= 1
    int16_t amount;     // effect strength in the effect's own units
    uint16_t pressure;  // 0: lifted or left the image; 0xFFFF: end of stroke
    uint8_t inverted;   // 1: eraser end
};

constexpr uint16_t kEndOfStroke = 0xFFFF;

// The largest sample record a module may define (its TabletSample and fields of its own).
constexpr uint32_t kMaxSampleBytes = 64;
