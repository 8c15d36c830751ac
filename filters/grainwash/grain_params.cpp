#include "filters/grainwash/grain_params.h"

#include <cstring>

#define GRAIN_FIELD(member) int16_t(offsetof(GrainEffectParams, member))

// Keys 10012 and 10013 hold each other's values ("Pressure Amount" the brush size, "Brush
// Size" the amount source): files written by earlier versions have them that way round.
const GrainSettingKey kGrainSettingKeys[kGrainSettingKeyCount] = {
    {10010, "Current Tool", GRAIN_FIELD(block.tool), 4, 0, 2, 2, false},
    {10011, "Pressure Size", GRAIN_FIELD(block.sizeSource), 4, 0, 2, 0, false},
    {10012, "Pressure Amount", GRAIN_FIELD(beside.brushSize), 2, 1, 99, 25, false},
    {10013, "Brush Size", GRAIN_FIELD(block.amountSource), 4, 0, 2, 1, false},
    {10014, "Amount", GRAIN_FIELD(beside.amount), 2, 1, 99, 99, false},
    {10015, "Buildup", GRAIN_FIELD(beside.buildup), 1, 0, 1, 0, true},
    {10016, "Monochromatic", GRAIN_FIELD(block.monochrome), 1, 0, 1, 0, false},
    {10017, "Uniform", GRAIN_FIELD(block.uniform), 1, 0, 1, 1, false},
};

#undef GRAIN_FIELD

namespace {

template <typename T>
T held(T value, T minimum, T maximum) {
    return value < minimum ? minimum : value > maximum ? maximum : value;
}

}  // namespace

void createGrainBlock(GrainParams& block) {
    std::memset(&block, 0, sizeof block);
    block.currentAmount = kGrainBlockVersion;
    block.bandHeight = 1;
    std::memcpy(block.signature, kGrainSignature, sizeof block.signature);
    block.tool = 2;
    block.sizeSource = 0;
    block.amountSource = 1;
    block.uniform = 1;
}

void readGrainBlock(const void* bytes, GrainParams& block) {
    std::memcpy(&block, bytes, sizeof block);
    if (block.bandHeight < 1) block.bandHeight = 1;
    block.tool = held(block.tool, 0, 2);
    block.sizeSource = held(block.sizeSource, 0, 2);
    block.amountSource = held(block.amountSource, 0, 2);
    block.monochrome = block.monochrome ? 1 : 0;
    block.uniform = block.uniform ? 1 : 0;
    block.eraser = block.eraser ? 1 : 0;
    block.currentSize = held<int16_t>(block.currentSize, 0, 99);
}

void writeGrainBlock(const GrainParams& block, void* bytes) {
    std::memcpy(bytes, &block, sizeof block);
}

int16_t grainBandHeight(int16_t stored, int32_t width, int32_t height, int32_t planes,
                        int32_t& maxSpace) {
    const int32_t top = height < 1 ? 1 : height > 32767 ? 32767 : height;
    int32_t band = held<int32_t>(stored, 1, top);
    const int64_t perRow = int64_t(width) + int64_t(width) * planes * 2;
    int64_t product = perRow * band;
    while (product < maxSpace && band < top) {
        ++band;
        product = perRow * band;
    }
    // The last step may overshoot what the host offered: never promise it more.
    if (product < maxSpace) maxSpace = int32_t(product);
    return int16_t(band);
}

void storeGrainSetting(GrainEffectParams& params, const GrainSettingKey& key, int32_t value) {
    if (key.anyNonZeroIsOne && value != 0) value = 1;
    value = held(value, key.minimum, key.maximum);
    uint8_t* field = reinterpret_cast<uint8_t*>(&params) + key.offset;
    if (key.width == 1) {
        const uint8_t v = uint8_t(value);
        std::memcpy(field, &v, 1);
    } else if (key.width == 2) {
        const int16_t v = int16_t(value);
        std::memcpy(field, &v, 2);
    } else {
        std::memcpy(field, &value, 4);
    }
}

int32_t loadGrainSetting(const GrainEffectParams& params, const GrainSettingKey& key) {
    const uint8_t* field = reinterpret_cast<const uint8_t*>(&params) + key.offset;
    if (key.width == 1) return *field;
    if (key.width == 2) {
        int16_t v;
        std::memcpy(&v, field, 2);
        return v;
    }
    int32_t v;
    std::memcpy(&v, field, 4);
    return v;
}
