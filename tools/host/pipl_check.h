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

// On failure returns false with badKey (the property or "header"/"tail") and why.
bool parsePipl(const uint8_t* data, size_t size, PiplInfo& info, std::string& badKey, std::string& why);

// True when the PiPL's mode flags enable the host image mode (1 gray, 3 RGB, 4 CMYK).
bool piplEnablesMode(const PiplInfo& info, int imageMode);
