// The PiPL resource of every deliverable: one table, one byte builder. The resource
// compiled into each module is generated from this, so the two cannot drift.
#pragma once
#include <cstdint>
#include <vector>

constexpr int kPiplResourceId = 16000;
constexpr int kPiplLanguage = 3082;  // every module stores its PiPL under this language

// Flags of the `mode` property's first byte.
constexpr uint8_t kModeGrayScale = 0x40;
constexpr uint8_t kModeRGB = 0x10;
constexpr uint8_t kModeCMYK = 0x08;

struct PiplInfo {
    const char* module;        // deliverable name
    const char* menuName;      // `name`: the filter menu title
    const char* uniqueString;  // `hstm`: terminology unique string
    uint8_t modeFlags;         // `mode` byte 0
    const char* enable;        // `enbl` expression
};

// The property that names the entry point: hosts look for the one of their own width.
enum class PiplArch { x86, x64 };
constexpr const char* piplEntryKey(PiplArch arch) { return arch == PiplArch::x86 ? "wx86" : "8664"; }

extern const PiplInfo kPiplTable[];
extern const int kPiplTableSize;

const PiplInfo* findPipl(const char* module);
std::vector<uint8_t> buildPipl(const PiplInfo& info, PiplArch arch);
