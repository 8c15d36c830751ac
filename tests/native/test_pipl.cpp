// The PiPL bytes a host reads to list and enable each filter.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/host/pipl.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The resource as hosts expect it, assembled independently of the builder.
struct Expect {
    Bytes b;
    void le32(uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    }
    void chars(const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
    void prop(const char* key, Bytes data) {
        chars("MIB8");
        chars(std::string{key[3], key[2], key[1], key[0]});
        le32(0);
        while (data.size() % 4) data.push_back(0);
        le32(uint32_t(data.size()));
        b.insert(b.end(), data.begin(), data.end());
    }
};

Bytes text(const std::string& s, bool zero) {
    Bytes d(s.begin(), s.end());
    if (zero) d.push_back(0);
    return d;
}
Bytes pascal(const std::string& s) {
    Bytes d{uint8_t(s.size())};
    d.insert(d.end(), s.begin(), s.end());
    return d;
}

Bytes expected(const std::string& name, const std::string& unique, uint8_t mode,
               const std::string& enable, const char* entryKey) {
    Expect e;
    e.b = {1, 0, 0, 0, 0, 0, 9, 0, 0, 0};
    e.prop("kind", text("MFB8", false));
    e.prop("name", pascal(name));
    e.prop("catg", pascal("Kestrix(tm)"));
    e.prop("vers", {0x00, 0x00, 0x04, 0x00});
    e.prop(entryKey, text("ENTRYPOINT", true));
    Bytes hstm = {0, 0, 0, 0, '1', 'K', 'd', 's', '1', 'K', 'd', 's', 0x80, 0x3E};
    Bytes u = text(unique, true);
    hstm.insert(hstm.end(), u.begin(), u.end());
    e.prop("hstm", hstm);
    e.prop("mode", {mode, 0, 0, 0});
    e.prop("enbl", text(enable, true));
    Bytes fici;
    for (int c = 1; c <= 7; ++c) {
        Bytes entry = c <= 5 ? Bytes{1, 1, 1, 0} : Bytes{8, 1, 1, 0};
        fici.insert(fici.end(), entry.begin(), entry.end());
    }
    e.prop("fici", fici);
    return e.b;
}

const char* kThree = "in (PSHOP_ImageMode, RGBMode, CMYKMode)";
const char* kFour = "in (PSHOP_ImageMode, RGBMode, CMYKMode, GrayScaleMode)";

struct Row {
    const char* module;
    const char* name;
    const char* unique;
    uint8_t mode;
    const char* enable;
};
const Row kRows[] = {
    {"airbrush", "Spray Studio...", "VORLA Spray Studio", 0x18, kThree},
    {"grainwash", "Grain Wash...", "VORLA Grain Wash", 0x18, kThree},
    {"chisel", "Relief Carver...", "VORLA Relief Carver", 0x18, kThree},
    {"spotclean", "Spotclean...", "VORLA Spotclean", 0x58, kFour},
    {"texturer", "Texturer...", "VORLA Texturer", 0x18, kThree},
    {"gilder", "Gilder...", "VORLA Gilder", 0x18, kThree},
    {"warper", "Kestrix(tm) Warper...", "VORLA Kestrix(tm) Warper", 0x18, kThree},
    {"dustclean", "Kestrix Dustclean...", "VORLA Kestrix Dustclean", 0x58, kFour},
};

}  // namespace

// A 32-bit module names its entry under "wx86", a 64-bit one under "8664"; nothing
// else differs between the two widths.
TEST(Pipl, EveryDeliverableMatchesItsTableInBothWidths) {
    ASSERT_EQ(kPiplTableSize, 8);
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.module);
        const PiplInfo* info = findPipl(row.module);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(buildPipl(*info, PiplArch::x86), expected(row.name, row.unique, row.mode, row.enable, "wx86"));
        EXPECT_EQ(buildPipl(*info, PiplArch::x64), expected(row.name, row.unique, row.mode, row.enable, "8664"));
    }
    EXPECT_EQ(findPipl("nosuch"), nullptr);
}

TEST(Pipl, EntryKeyOf64BitModulesIsTheCode8664) {
    Bytes b = buildPipl(*findPipl("warper"), PiplArch::x64);
    // The fifth property's key, stored little-endian: 0x38363634 is "8664".
    size_t at = 10;
    for (int i = 0; i < 4; ++i) at += 16 + (b[at + 12] | b[at + 13] << 8);
    const uint8_t key[] = {0x34, 0x36, 0x36, 0x38};
    EXPECT_EQ(0, std::memcmp(&b[at + 4], key, 4));
}

TEST(Pipl, SpotcleanBytesAsAHostWalksThem) {
    Bytes b = buildPipl(*findPipl("spotclean"), PiplArch::x86);
    // Header, then the first property: vendor "MIB8", key "dnik", id 0, length 4, "MFB8".
    const uint8_t head[] = {1, 0, 0, 0, 0, 0, 9, 0, 0, 0, 'M', 'I', 'B', '8', 'd', 'n', 'i', 'k',
                            0, 0, 0, 0, 4, 0, 0, 0, 'M', 'F', 'B', '8'};
    ASSERT_GE(b.size(), sizeof head);
    EXPECT_EQ(0, std::memcmp(b.data(), head, sizeof head));

    // Walking by the stored lengths, without rounding, visits the nine keys in order
    // and ends exactly at the end of the resource.
    const char* keys[] = {"kind", "name", "catg", "vers", "wx86", "hstm", "mode", "enbl", "fici"};
    size_t at = 10;
    for (const char* key : keys) {
        ASSERT_LE(at + 16, b.size());
        std::string k{char(b[at + 7]), char(b[at + 6]), char(b[at + 5]), char(b[at + 4])};
        EXPECT_EQ(k, key);
        uint32_t length = b[at + 12] | b[at + 13] << 8 | b[at + 14] << 16 | uint32_t(b[at + 15]) << 24;
        EXPECT_EQ(length % 4, 0u) << key;
        if (k == "name") {
            EXPECT_EQ(b[at + 16], 12);  // "Spotclean..." is 12 characters, padded to 16
            EXPECT_EQ(length, 16u);
        }
        at += 16 + length;
    }
    EXPECT_EQ(at, b.size());
}
