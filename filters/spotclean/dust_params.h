// dustclean: the speck remover with a thresholded median.
#pragma once
#include <cstdint>

struct ModuleInfo;

struct DustParams {
    int16_t brushSize;   // brush diameter in image pixels, 1..99
    int16_t radius;      // neighbourhood radius, 1..16 (side 2 * radius + 1)
    int16_t level;       // replace only where the median differs by more than this, 1..255
    int32_t sizeSource;  // 1 pressure, 2 fixed
    uint8_t buildup;     // 1: read the result buffer; 0: the source
};

extern DustParams gDustParams;
extern const ModuleInfo kDustcleanModule;

// Four channel blocks and a scratch block, each for up to 33 x 33 values.
constexpr int kDustBlockBytes = 1156;
constexpr int kDustBlocks = 4;
extern uint8_t* gDustBlocks[kDustBlocks];
extern uint8_t* gDustScratch;
