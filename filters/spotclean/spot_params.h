// spotclean: median speck removal painted with the pen.
#pragma once
#include <cstdint>

struct ModuleInfo;

// Parameter source: what scales a pressure-linked parameter.
enum ParamSource : int32_t { kSourceWheel = 0, kSourcePressure = 1, kSourceFixed = 2 };

struct SpotParams {
    int16_t brushSize;     // brush diameter in image pixels, 1..99
    int16_t amount;        // neighbourhood half-size (tip) or restore strength in 15ths, 1..15
    int32_t sizeSource;    // ParamSource
    int32_t amountSource;  // ParamSource
    uint8_t buildup;       // 1: read the result buffer (effect accumulates); 0: the source
};

extern SpotParams gSpotParams;
extern const ModuleInfo kSpotcleanModule;

// Work blocks: one per processed channel, each holding one pixel's neighbourhood
// (at most 31 x 31 values).
constexpr int kSpotBlockBytes = 1024;
constexpr int kSpotBlocks = 4;
extern uint8_t* gSpotBlocks[kSpotBlocks];
