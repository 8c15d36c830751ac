#include "framework/host/pipl.h"

#include <cstring>

namespace {

constexpr const char* kRgbCmyk = "in (PSHOP_ImageMode, RGBMode, CMYKMode)";
constexpr const char* kRgbCmykGray = "in (PSHOP_ImageMode, RGBMode, CMYKMode, GrayScaleMode)";
constexpr uint8_t kRgbCmykFlags = kModeRGB | kModeCMYK;
constexpr uint8_t kRgbCmykGrayFlags = kModeGrayScale | kModeRGB | kModeCMYK;

// Case 1..5 take straight data in and out; 6 and 7 (protected transparency) get
// white-zapped input. flags1 bit 0: the host need not copy source to destination.
constexpr uint8_t kFilterCaseInfo[7][4] = {
    {1, 1, 1, 0}, {1, 1, 1, 0}, {1, 1, 1, 0}, {1, 1, 1, 0},
    {1, 1, 1, 0}, {8, 1, 1, 0}, {8, 1, 1, 0},
};

constexpr uint32_t code(const char (&s)[5]) {
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
           (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

struct Writer {
    std::vector<uint8_t>& out;
    void u8(uint8_t v) { out.push_back(v); }
    void i16(int16_t v) {
        u8(uint8_t(v));
        u8(uint8_t(uint16_t(v) >> 8));
    }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) u8(uint8_t(v >> (8 * i)));
    }
    void text(const char* s) { out.insert(out.end(), s, s + std::strlen(s)); }
    void cstring(const char* s) {
        text(s);
        u8(0);
    }
    void pascal(const char* s) {
        u8(uint8_t(std::strlen(s)));
        text(s);
    }
};

// One property: vendor, key, id 0, then the length including the zero padding to a
// multiple of 4 (hosts walk the list by that length without rounding it up).
template <typename Fill>
void property(std::vector<uint8_t>& out, const char (&key)[5], Fill fill) {
    Writer w{out};
    w.u32(code("8BIM"));
    w.u32(code(key));
    w.u32(0);
    size_t lengthAt = out.size();
    w.u32(0);
    size_t start = out.size();
    fill(w);
    while ((out.size() - start) % 4 != 0) w.u8(0);
    uint32_t length = uint32_t(out.size() - start);
    for (int i = 0; i < 4; ++i) out[lengthAt + i] = uint8_t(length >> (8 * i));
}

}  // namespace

const PiplInfo kPiplTable[] = {
    {"airbrush", "Spray Studio...", "VORLA Spray Studio", kRgbCmykFlags, kRgbCmyk},
    {"grainwash", "Grain Wash...", "VORLA Grain Wash", kRgbCmykFlags, kRgbCmyk},
    {"chisel", "Relief Carver...", "VORLA Relief Carver", kRgbCmykFlags, kRgbCmyk},
    {"spotclean", "Spotclean...", "VORLA Spotclean", kRgbCmykGrayFlags, kRgbCmykGray},
    {"texturer", "Texturer...", "VORLA Texturer", kRgbCmykFlags, kRgbCmyk},
    {"gilder", "Gilder...", "VORLA Gilder", kRgbCmykFlags, kRgbCmyk},
    {"warper", "Kestrix(tm) Warper...", "VORLA Kestrix(tm) Warper", kRgbCmykFlags, kRgbCmyk},
    {"dustclean", "Kestrix Dustclean...", "VORLA Kestrix Dustclean", kRgbCmykGrayFlags,
     kRgbCmykGray},
};
const int kPiplTableSize = int(sizeof(kPiplTable) / sizeof(kPiplTable[0]));

const PiplInfo* findPipl(const char* module) {
    for (const PiplInfo& info : kPiplTable)
        if (std::strcmp(info.module, module) == 0) return &info;
    return nullptr;
}

std::vector<uint8_t> buildPipl(const PiplInfo& info, PiplArch arch) {
    std::vector<uint8_t> out;
    Writer w{out};
    w.i16(1);  // resource header word
    w.u32(0);  // list version
    w.u32(9);  // property count
    property(out, "kind", [](Writer& p) { p.u32(code("8BFM")); });
    property(out, "name", [&](Writer& p) { p.pascal(info.menuName); });
    property(out, "catg", [](Writer& p) { p.pascal("Kestrix(tm)"); });
    property(out, "vers", [](Writer& p) { p.u32(0x00040000); });
    property(out, arch == PiplArch::x86 ? "wx86" : "8664", [](Writer& p) { p.cstring("ENTRYPOINT"); });
    property(out, "hstm", [&](Writer& p) {
        p.u32(0);  // terminology version
        p.u32(code("sdK1"));
        p.u32(code("sdK1"));
        p.i16(16000);
        p.cstring(info.uniqueString);
    });
    property(out, "mode", [&](Writer& p) { p.u32(info.modeFlags); });
    property(out, "enbl", [&](Writer& p) { p.cstring(info.enable); });
    property(out, "fici", [](Writer& p) {
        for (const auto& entry : kFilterCaseInfo)
            for (uint8_t b : entry) p.u8(b);
    });
    return out;
}
