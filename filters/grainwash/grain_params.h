// grainwash's classic storage: the 16-byte `data` record, the 64-byte block in the host's
// parameters handle, the band height Prepare asks for, and the settings keys.
#pragma once
#include <cstddef>
#include <cstdint>

// The entry's `data` handle: four 32-bit values, created on the first call of an
// invocation chain and copied in and out around every selector.
struct GrainDataRecord {
    int32_t values[4];
};
static_assert(sizeof(GrainDataRecord) == 16, "the data record holds exactly 16 bytes");

constexpr int16_t kGrainBlockVersion = 50;
constexpr uint8_t kGrainSignature[4] = {0x31, 0x44, 0x6F, 0x6D};  // "1Dom"

// The parameters handle, little-endian; natural alignment gives the stored offsets.
struct GrainParams {
    int16_t currentAmount;   // 0: amount of the current sample after its source
    int16_t parametersRan;   // 2: 1 once the Parameters selector has run; Start clears it
    int16_t bandHeight;      // 4: rows per band Prepare asks for, 1 at creation
    int16_t unused6;
    uint8_t signature[4];    // 8: "1Dom"
    uint8_t zero12, zero13;  // 12, 13: 0
    int16_t zero14;          // 14: 0
    int16_t currentSize;     // 16: brush size of the current sample after its source
    uint8_t unused18[14];
    // 32: where the pressure record was, for the layout's sake: written, never read back
    // (the record is a static of the module).
    uint32_t pressureRecord;
    int32_t tool;          // 36: 0 Zoom, 1 Hand, 2 Brush
    uint8_t unused40[5];
    uint8_t monochrome;    // 45: 0/1
    uint8_t uniform;       // 46: 1 uniform, 0 Gaussian
    uint8_t unused47;
    int32_t sizeSource;    // 48: 0 Fingerwheel, 1 Pressure, 2 Fixed
    int32_t amountSource;  // 52: as sizeSource
    uint8_t eraser;        // 56: the current sample is from the eraser end
    uint8_t unused57[7];
};
static_assert(sizeof(GrainParams) == 64, "the parameters block holds exactly 64 bytes");
static_assert(offsetof(GrainParams, signature) == 8, "stored layout");
static_assert(offsetof(GrainParams, currentSize) == 16, "stored layout");
static_assert(offsetof(GrainParams, pressureRecord) == 32, "stored layout");
static_assert(offsetof(GrainParams, tool) == 36, "stored layout");
static_assert(offsetof(GrainParams, monochrome) == 45, "stored layout");
static_assert(offsetof(GrainParams, uniform) == 46, "stored layout");
static_assert(offsetof(GrainParams, sizeSource) == 48, "stored layout");
static_assert(offsetof(GrainParams, amountSource) == 52, "stored layout");
static_assert(offsetof(GrainParams, eraser) == 56, "stored layout");

// What lives beside the block, in the dialog and the settings file only.
struct GrainBeside {
    int16_t amount;     // 1..99
    int16_t brushSize;  // 1..99
    uint8_t buildup;    // 0/1
};

// The record the settings keys address: the block, then what lives beside it.
struct GrainEffectParams {
    GrainParams block;
    GrainBeside beside;
};

// A new block: 50, "1Dom", band height 1, zeros at 12..15, and the effect's defaults
// (tool Brush, size on the wheel, amount on pressure, colour, uniform).
void createGrainBlock(GrainParams& block);

// Copies a stored block in and holds every field to its range (a handle may hold
// anything); `bytes` must hold 64.
void readGrainBlock(const void* bytes, GrainParams& block);
void writeGrainBlock(const GrainParams& block, void* bytes);

// Prepare's band height: the stored value held to 1..height, raised by 1 while
// (width + width * planes * 2) * band is below maxSpace and the band is below the height.
// In 64 bits; `maxSpace` gets the last product, never more than the host offered.
int16_t grainBandHeight(int16_t stored, int32_t width, int32_t height, int32_t planes,
                        int32_t& maxSpace);

// One settings key (section "Grain Wash", string 10000, in "Kestrix.ini"): read before
// the dialog and written after it in table order, values as "%d". A missing key gives the
// fixed default, not the current value.
struct GrainSettingKey {
    int stringId;
    const char* englishName;
    int16_t offset;  // in GrainEffectParams
    uint8_t width;   // 1, 2 or 4 bytes
    int32_t minimum, maximum;
    int32_t missing;  // value when the key is missing
    bool anyNonZeroIsOne;  // a flag read as set whatever non-zero value it holds
};

constexpr int kGrainSettingsSection = 10000;
constexpr int kGrainSettingKeyCount = 8;
extern const GrainSettingKey kGrainSettingKeys[kGrainSettingKeyCount];

// A value read from the file into its field: clamped into the key's range (buildup: any
// non-zero value reads as 1).
void storeGrainSetting(GrainEffectParams& params, const GrainSettingKey& key, int32_t value);
int32_t loadGrainSetting(const GrainEffectParams& params, const GrainSettingKey& key);
