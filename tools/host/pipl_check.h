// Reading and checking a filter module's PiPL resource (type "PIPL", id 16000), portable:
// the caller finds the resource bytes and checks the entry export itself.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The language our modules store the PiPL under: LANG_SPANISH / SUBLANG_SPANISH_MODERN.
constexpr uint16_t kPiplLanguage = 3082;
constexpr int kPiplResourceId = 16000;

// mode flag bits in the first byte of the 'mode' property.
constexpr uint8_t kModeFlagGray = 0x40;
constexpr uint8_t kModeFlagRGB = 0x10;
constexpr uint8_t kModeFlagCMYK = 0x08;

struct PiplInfo {
    std::string name;
    std::string category;
    std::string entryName;
    uint8_t modeFlags = 0;
    std::string enable;
    std::string uniqueString;
    uint32_t fici[7] = {};
    // One printable line per property, "key=value", in resource order.
    std::vector<std::pair<std::string, std::string>> lines;
};

// The property naming the entry point that a host of the given width looks for.
inline const char* entryKeyFor(int bits) { return bits == 64 ? "8664" : "wx86"; }

// On failure returns false with badKey (the property or "header"/"tail") and why.
// entryKey is "wx86" for a 32-bit host, "8664" for a 64-bit one: a module that names its
// entry under the other key is for the other width.
bool parsePipl(const uint8_t* data, size_t size, PiplInfo& info, std::string& badKey, std::string& why,
               const char* entryKey);

// The width (32 or 64) of a Windows module from its PE header; 0 with why when the
// bytes are no PE image for x86 or x86-64.
int peModuleBits(const uint8_t* data, size_t size, std::string& why);

// True when the PiPL's mode flags enable the host image mode (1 gray, 3 RGB, 4 CMYK).
bool piplEnablesMode(const PiplInfo& info, int imageMode);
