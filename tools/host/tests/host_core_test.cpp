// Portable parts of the reference host: PNG writer, PiPL walk, padding, netpbm parsing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host_args.h"
#include "image_file.h"
#include "pipl_check.h"
#include "pixel_ops.h"
#include "png_write.h"
#include "script.h"

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Reads back a PNG made of stored deflate blocks: chunk CRCs, header, raw scanlines.
std::vector<uint8_t> unpackStoredPng(const std::vector<uint8_t>& png, uint32_t& w, uint32_t& h) {
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    std::vector<uint8_t> z;
    size_t pos = 8;
    while (pos < png.size()) {
        uint32_t len = be32(&png[pos]);
        std::string type(reinterpret_cast<const char*>(&png[pos + 4]), 4);
        EXPECT_EQ(crc32Png(&png[pos + 4], len + 4), be32(&png[pos + 8 + len])) << type;
        if (type == "IHDR") w = be32(&png[pos + 8]), h = be32(&png[pos + 12]);
        if (type == "IDAT") z.insert(z.end(), &png[pos + 8], &png[pos + 8 + len]);
        pos += 12 + len;
    }
    EXPECT_EQ(pos, png.size());
    std::vector<uint8_t> raw;
    size_t zp = 2;
    for (bool last = false; !last;) {
        last = z[zp] & 1;
        EXPECT_EQ(z[zp] & 6, 0) << "stored block";
        uint16_t n = uint16_t(z[zp + 1] | z[zp + 2] << 8), nn = uint16_t(z[zp + 3] | z[zp + 4] << 8);
        EXPECT_EQ(uint16_t(~n), nn);
        raw.insert(raw.end(), &z[zp + 5], &z[zp + 5 + n]);
        zp += 5 + n;
    }
    EXPECT_EQ(be32(&z[zp]), adler32(raw.data(), raw.size()));
    EXPECT_EQ(zp + 4, z.size());
    return raw;
}

TEST(PngWrite, ChecksumsMatchKnownValues) {
    const auto* s = reinterpret_cast<const uint8_t*>("123456789");
    EXPECT_EQ(crc32Png(s, 9), 0xCBF43926u);
    EXPECT_EQ(adler32(reinterpret_cast<const uint8_t*>("Wikipedia"), 9), 0x11E60398u);
    EXPECT_EQ(crc32Png(reinterpret_cast<const uint8_t*>("IEND"), 4), 0xAE426082u);
}

TEST(PngWrite, ScanlinesSurviveAcrossSeveralStoredBlocks) {
    // 300 x 80 RGBA = 96,080 raw bytes with filter bytes: two stored blocks.
    const int w = 300, h = 80;
    std::vector<uint8_t> px(size_t(w) * h * 4 + 16);
    for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 7 + i / 251);
    const size_t stride = size_t(w) * 4 + 0;  // tight rows
    uint32_t gw = 0, gh = 0;
    std::vector<uint8_t> raw = unpackStoredPng(encodePng(w, h, 4, px.data(), stride), gw, gh);
    EXPECT_EQ(gw, uint32_t(w));
    EXPECT_EQ(gh, uint32_t(h));
    ASSERT_EQ(raw.size(), size_t(h) * (w * 4 + 1));
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(raw[size_t(y) * (w * 4 + 1)], 0);
        EXPECT_EQ(std::memcmp(&raw[size_t(y) * (w * 4 + 1) + 1], &px[y * stride], size_t(w) * 4), 0) << y;
    }
}

TEST(PngWrite, StrideSkipsRowPadding) {
    const uint8_t px[] = {1, 2, 3, 99, 4, 5, 6, 99};  // two 1-pixel RGB rows, 4-byte stride
    uint32_t w, h;
    std::vector<uint8_t> raw = unpackStoredPng(encodePng(1, 2, 3, px, 4), w, h);
    EXPECT_EQ(raw, (std::vector<uint8_t>{0, 1, 2, 3, 0, 4, 5, 6}));
}

// A valid PiPL built field by field, to break one piece at a time.
std::vector<uint8_t> goodPipl() {
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i))); };
    auto cc = [&](const char* s) { u32(uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3])); };
    auto prop = [&](const char* key, std::vector<uint8_t> data) {
        while (data.size() % 4) data.push_back(0);
        cc("8BIM"), cc(key), u32(0), u32(uint32_t(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    };
    auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    out = {1, 0};
    u32(0), u32(9);
    prop("kind", bytes("MFB8"));
    prop("name", bytes("\x04Test"));
    prop("catg", bytes("\x0bKestrix(tm)"));
    prop("vers", {0, 0, 4, 0});
    prop("wx86", bytes(std::string("ENTRYPOINT") + '\0'));
    prop("hstm", bytes(std::string("\0\0\0\0" "1Kds" "1Kds" "\x80\x3e" "t\0", 16)));
    prop("mode", {0x40, 0, 0, 0});
    prop("enbl", bytes(std::string("in (PSHOP_ImageMode, GrayScaleMode)") + '\0'));
    prop("fici", std::vector<uint8_t>(28, 1));
    return out;
}

TEST(Pipl, GoodResourceAndItsFaults) {
    std::vector<uint8_t> p = goodPipl();
    PiplInfo info;
    std::string key, why;
    ASSERT_TRUE(parsePipl(p.data(), p.size(), info, key, why, "wx86")) << key << ": " << why;
    EXPECT_EQ(info.name, "Test");
    EXPECT_EQ(info.uniqueString, "t");
    EXPECT_TRUE(piplEnablesMode(info, 1));
    EXPECT_FALSE(piplEnablesMode(info, 3));

    std::vector<uint8_t> longer = p;
    longer.insert(longer.end(), 4, 0);
    EXPECT_FALSE(parsePipl(longer.data(), longer.size(), info, key, why, "wx86"));
    EXPECT_EQ(key, "tail");
    EXPECT_EQ(why, "4 bytes after the last property");

    // The last property cut short: its length runs past the resource.
    EXPECT_FALSE(parsePipl(p.data(), p.size() - 4, info, key, why, "wx86"));
    EXPECT_EQ(key, "fici");

    std::vector<uint8_t> junk = p;
    junk[10 + 16 + 4 + 16 + 6] = 'x';  // padding byte after "\x04Test"
    EXPECT_FALSE(parsePipl(junk.data(), junk.size(), info, key, why, "wx86"));
    EXPECT_EQ(key, "name");
    EXPECT_EQ(why, "non-zero padding after the string");
}

// A 64-bit host lists only modules that name their entry under "8664", and tells the
// user why a 32-bit module's PiPL is not for it (and the reverse).
TEST(Pipl, EntryKeyMustMatchTheHostsWidth) {
    std::vector<uint8_t> p = goodPipl();
    PiplInfo info;
    std::string key, why;
    EXPECT_FALSE(parsePipl(p.data(), p.size(), info, key, why, "8664"));
    EXPECT_EQ(key, "8664");
    EXPECT_EQ(why, "the module names its entry under 'wx86', for 32-bit hosts; this host needs '8664'");

    std::vector<uint8_t> wide = p;
    const size_t keyAt = 10 + (16 + 4) + (16 + 8) + (16 + 12) + (16 + 4) + 4;  // after kind, name, catg, vers
    ASSERT_EQ(std::memcmp(&wide[keyAt], "68xw", 4), 0);
    std::memcpy(&wide[keyAt], "4668", 4);
    EXPECT_TRUE(parsePipl(wide.data(), wide.size(), info, key, why, "8664")) << key << ": " << why;
    EXPECT_EQ(info.entryName, "ENTRYPOINT");
    EXPECT_FALSE(parsePipl(wide.data(), wide.size(), info, key, why, "wx86"));
    EXPECT_EQ(why, "the module names its entry under '8664', for 64-bit hosts; this host needs 'wx86'");
}

TEST(PeHeader, WidthFromTheMachineField) {
    std::vector<uint8_t> pe(0x100, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    pe[0x3C] = 0x80;
    std::memcpy(&pe[0x80], "PE\0\0", 4);
    std::string why;
    pe[0x84] = 0x4C;
    pe[0x85] = 0x01;
    EXPECT_EQ(peModuleBits(pe.data(), pe.size(), why), 32);
    pe[0x84] = 0x64;
    pe[0x85] = 0x86;
    EXPECT_EQ(peModuleBits(pe.data(), pe.size(), why), 64);
    pe[0x84] = 0x64;
    pe[0x85] = 0xAA;  // ARM64
    EXPECT_EQ(peModuleBits(pe.data(), pe.size(), why), 0);
    EXPECT_NE(why.find("0x0000AA64"), std::string::npos) << why;

    pe[0x3C] = 0xFE;  // the PE header would run past the file
    EXPECT_EQ(peModuleBits(pe.data(), pe.size(), why), 0);
    EXPECT_EQ(why, "not a Windows module (no PE header)");
    pe[0x3C] = 0xFF;
    pe[0x3D] = 0xFF;
    pe[0x3E] = 0xFF;
    pe[0x3F] = 0xFF;  // an offset that would wrap a 32-bit sum
    EXPECT_EQ(peModuleBits(pe.data(), pe.size(), why), 0);
    pe[0] = 'X';
    EXPECT_EQ(peModuleBits(pe.data(), pe.size(), why), 0);
    EXPECT_EQ(why, "not a Windows module (no MZ header)");
}

TEST(Padding, EdgeConstantAndErrorRules) {
    Image img;
    img.width = 2, img.height = 2, img.depth = 2;
    img.pixels = {10, 11, 20, 21, 30, 31, 40, 41};
    const PixRect r = {-1, 1, 3, 3};  // columns 1..2, rows -1..2, planes 1..1
    std::vector<uint8_t> buf(8, 0xEE);
    ASSERT_EQ(fillFromImage(img, r, 1, 1, kPadEdge, buf.data(), 2), FillResult::Ok);
    EXPECT_EQ(buf, (std::vector<uint8_t>{21, 21, 21, 21, 41, 41, 41, 41}));
    ASSERT_EQ(fillFromImage(img, r, 1, 1, 7, buf.data(), 2), FillResult::Ok);
    EXPECT_EQ(buf, (std::vector<uint8_t>{7, 7, 21, 7, 41, 7, 7, 7}));
    std::fill(buf.begin(), buf.end(), 0xEE);
    ASSERT_EQ(fillFromImage(img, r, 1, 1, kPadNone, buf.data(), 2), FillResult::Ok);
    EXPECT_EQ(buf, (std::vector<uint8_t>{0xEE, 0xEE, 21, 0xEE, 41, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(fillFromImage(img, r, 1, 1, kPadError, buf.data(), 2), FillResult::OutOfBounds);
    EXPECT_EQ(fillFromImage(img, {0, 0, 2, 2}, 0, 1, kPadError, buf.data(), 4), FillResult::Ok);
    EXPECT_EQ(fillFromImage(img, r, 1, 1, 256, buf.data(), 2), FillResult::BadPadding);
}

TEST(ImageFile, HeaderVariantsAndRejections) {
    auto parse = [](const std::string& text, Image& img, std::string& err) {
        return parseImage(std::vector<uint8_t>(text.begin(), text.end()), img, err);
    };
    Image img;
    std::string err;
    ASSERT_TRUE(parse("P7\n# made by hand\nWIDTH 2\nHEIGHT 1\nDEPTH 5\nMAXVAL 255\nTUPLTYPE CMYK_ALPHA\nENDHDR\n0123456789", img, err)) << err;
    EXPECT_EQ(img.imageMode, 4);
    EXPECT_TRUE(img.hasAlpha);
    EXPECT_EQ(img.colorPlanes(), 4);
    ASSERT_TRUE(parse("P5 2 1 255\n\n\x07", img, err)) << err;  // the raster's first byte is '\n'
    EXPECT_EQ(img.pixels, (std::vector<uint8_t>{'\n', 7}));
    EXPECT_FALSE(parse("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\nabcd", img, err));
    EXPECT_FALSE(parse("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 1\nMAXVAL 65535\nTUPLTYPE GRAYSCALE\nENDHDR\nab", img, err));
    EXPECT_FALSE(parse("P6 2 2 255\nabc", img, err));
    EXPECT_EQ(err, "truncated raster");
}

TEST(Colour, CmykBytesAreLightLetThrough) {
    const uint8_t px[4] = {255, 128, 0, 200};
    uint8_t rgb[3];
    ASSERT_TRUE(pixelToRGB(4, px, rgb));
    EXPECT_EQ(rgb[0], 200);
    EXPECT_EQ(rgb[1], 100);
    EXPECT_EQ(rgb[2], 0);
    int16_t black[3] = {0, 0, 0}, cmyk[4];
    rgbToCmyk(black, cmyk);
    EXPECT_EQ(cmyk[3], 0);
    EXPECT_EQ(cmyk[0], 255);
    EXPECT_FALSE(pixelToRGB(9, px, rgb));
}

}  // namespace

// --- dialog scripts -------------------------------------------------------------------

TEST(Script, WordsOptionsAndFreeText) {
    std::vector<ScriptCommand> c;
    std::string err;
    ASSERT_TRUE(parseScript("# driving\n\n  wait-dialog class=Foo timeout=0x10\r\n"
                            "settext 12   two  words\nsettext 3\ntype 5 a=b c\n"
                            "key press vk=0x41\ndrag 1 2 3 4 in=0 steps=2\ntablet packet x=1 y=2\n"
                            "screenshot out.png of=preview\nanswer yes\n",
                            c, err)) << err;
    ASSERT_EQ(c.size(), 9u);
    EXPECT_EQ(c[0].line, 3);
    EXPECT_EQ(c[0].verb, "wait-dialog");
    EXPECT_TRUE(c[0].args.empty());
    EXPECT_EQ(c[0].option("class"), "Foo");
    EXPECT_EQ(c[0].option("timeout"), "0x10");
    EXPECT_EQ(c[0].option("missing", "fallback"), "fallback");
    EXPECT_EQ(c[1].args, (std::vector<std::string>{"12", "two  words"}));
    EXPECT_EQ(c[2].args, (std::vector<std::string>{"3"}));
    EXPECT_EQ(c[3].args, (std::vector<std::string>{"5", "a=b c"})) << "free text is never options";
    EXPECT_EQ(c[4].args, (std::vector<std::string>{"press", "vk=0x41"})) << "vk= is a key name, not an option";
    EXPECT_EQ(c[5].args.size(), 4u);
    EXPECT_EQ(c[5].option("in"), "0");
    EXPECT_EQ(c[6].args, (std::vector<std::string>{"packet x=1 y=2"}));
    EXPECT_EQ(c[7].option("of"), "preview");
}

TEST(Script, RefusesBadLinesWithTheirNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"click 1\nclack 2\n", "line 2: unknown command 'clack'"},
        {"click\n", "line 1: click wants 1 argument(s), got 0"},
        {"click 1 2\n", "line 1: click wants 1 argument(s), got 2"},
        {"mouse move 1\n", "line 1: mouse wants 3 argument(s), got 2"},
        {"mouse hover 1 2\n", "line 1: mouse wants move, down or up"},
        {"read x\n", "line 1: 'x' is not a number"},
        {"key press\n", "line 1: key wants 2 to 3 argument(s), got 1"},
        {"key tap z\n", "line 1: key wants down, up, press or repeat"},
        {"key press z 3\n", "line 1: key press wants one NAME"},
        {"key repeat z\n", "line 1: key repeat wants NAME COUNT"},
        {"key repeat z 0\n", "line 1: key repeat wants a count of at least 1"},
        {"key down f13\n", "line 1: unknown key 'f13'"},
        {"answer maybe\n", "line 1: answer wants yes, no, ok or cancel"},
        {"wait-dialog timeout=soon\n", "line 1: timeout= wants a number"},
        {"screenshot a.png of=window\n", "line 1: of= wants dialog, preview or a control id"},
        {"tablet\n", "line 1: tablet wants 1 argument(s), got 0"},
        {"select 1000\n", "line 1: select wants 2 argument(s), got 1"},
        {"select 1000 two\n", "line 1: 'two' is not a number"},
    };
    for (const auto& tc : cases) {
        std::vector<ScriptCommand> c;
        std::string err;
        EXPECT_FALSE(parseScript(tc.first, c, err)) << tc.first;
        EXPECT_EQ(err, tc.second) << tc.first;
    }
}

TEST(Script, KeyNamesAndNumbers) {
    EXPECT_EQ(scriptKeyCode("alt"), 0x12);
    EXPECT_EQ(scriptKeyCode("CTRL"), 0x11);
    EXPECT_EQ(scriptKeyCode("space"), 0x20);
    EXPECT_EQ(scriptKeyCode("z"), 'Z');
    EXPECT_EQ(scriptKeyCode("7"), '7');
    EXPECT_EQ(scriptKeyCode("f4"), 0x73);
    EXPECT_EQ(scriptKeyCode("f12"), 0x7B);
    EXPECT_EQ(scriptKeyCode("vk=0x5a"), 0x5A);
    EXPECT_EQ(scriptKeyCode("vk=0"), 0);
    EXPECT_EQ(scriptKeyCode("vk=0x100"), 0);
    EXPECT_EQ(scriptKeyCode("f0"), 0);
    EXPECT_EQ(scriptKeyCode("!"), 0);
    long v = 0;
    EXPECT_TRUE(scriptInt("-12", v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(scriptInt("0x10", v));
    EXPECT_EQ(v, 16);
    EXPECT_FALSE(scriptInt("12px", v));
    EXPECT_FALSE(scriptInt("", v));
    EXPECT_FALSE(scriptInt("4294967296", v));
}

TEST(HostArgs, ColourServiceSwitches) {
    HostArgs a;
    std::string error;
    ASSERT_TRUE(parseHostArgs({"run", "--plugin", "p.8bf", "--image", "i.pam"}, a, error)) << error;
    EXPECT_EQ(a.colorServices, "full");
    EXPECT_FALSE(a.haveChooseColor);
    EXPECT_FALSE(a.haveForeground);

    a = HostArgs{};
    ASSERT_TRUE(parseHostArgs({"run", "--plugin", "p", "--image", "i", "--color-services", "no-conversion",
                               "--choose-color", "200,40,0", "--foreground", "1,2,255"}, a, error)) << error;
    EXPECT_EQ(a.colorServices, "no-conversion");
    EXPECT_TRUE(a.haveChooseColor);
    EXPECT_EQ(a.chooseColor[0], 200);
    EXPECT_EQ(a.chooseColor[2], 0);
    EXPECT_EQ(a.foreground[2], 255);

    for (std::vector<std::string> bad : {
             std::vector<std::string>{"--color-services", "some"}, {"--choose-color", "1,2"},
             {"--choose-color", "1,2,256"}, {"--foreground", "-1,0,0"}, {"--foreground", "a,b,c"}}) {
        HostArgs b;
        std::vector<std::string> argv = {"run", "--plugin", "p", "--image", "i"};
        argv.insert(argv.end(), bad.begin(), bad.end());
        EXPECT_FALSE(parseHostArgs(argv, b, error)) << bad[0] << " " << bad[1];
        EXPECT_NE(error.find(bad[0]), std::string::npos) << error;
    }
}
