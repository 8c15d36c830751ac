// airbrush on the framework: its settings keys, its colour sources with and without the
// host's colour services, its sample record through the packet filter and the sample
// log, and its stroke step and repeat timer as the dialog drives them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "filters/airbrush/airbrush_module.h"
#include "filters/airbrush/spray_colour.h"
#include "framework/brush/sample_log.h"
#include "framework/brush/stroke.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/packet_filter.h"
#include "framework/host/entry.h"
#include "tests/native/fake_host.h"
#include "tests/native/fake_platform.h"

namespace {

const ModuleInfo& airbrush() {
    static const ModuleInfo module = airbrushModule(nullptr);
    return module;
}

// ---- a host's colour services, scripted ----

struct ServiceCall {
    int16_t selector, source, result;
    int16_t components[4];
    std::string prompt;
};
std::vector<ServiceCall> gCalls;
OSErr gConvertAnswer = noErr;
int16_t gChosen[3] = {200, 40, 10};

OSErr KX_CDECL services(ColorServicesInfo* info) {
    ServiceCall call{info->selector, info->sourceSpace, info->resultSpace, {}, {}};
    std::memcpy(call.components, info->colorComponents, sizeof call.components);
    if (info->selectorParameter)
        call.prompt.assign(reinterpret_cast<const char*>(info->selectorParameter) + 1, info->selectorParameter[0]);
    gCalls.push_back(call);
    if (info->selector == plugIncolorServicesChooseColor) {
        for (int c = 0; c < 3; ++c) info->colorComponents[c] = gChosen[c];
        return noErr;
    }
    if (gConvertAnswer != noErr) return gConvertAnswer;
    int16_t* v = info->colorComponents;
    if (info->sourceSpace == plugIncolorServicesRGBSpace && info->resultSpace == plugIncolorServicesCMYKSpace) {
        // A simple complement with black 10, distinct from every input.
        const int16_t rgb[3] = {v[0], v[1], v[2]};
        for (int c = 0; c < 3; ++c) v[c] = int16_t(255 - rgb[c]);
        v[3] = 10;
    } else {
        for (int c = 0; c < 3; ++c) v[c] = int16_t(255 - v[c] - v[3] / 2);
        v[3] = 0;
    }
    return noErr;
}

struct ColourRecord {
    FilterRecord record{};
    std::vector<uint8_t> pixels;
    ColourRecord(int16_t mode, int planes, bool withServices) {
        gCalls.clear();
        gConvertAnswer = noErr;
        record.imageMode = mode;
        record.planes = int16_t(planes);
        record.filterRect = {0, 0, 4, 6};
        record.foreground = {0x1234, 0xABCD, 0x00FF};
        const uint8_t fore[4] = {11, 22, 33, 44};
        std::memcpy(record.foreColor, fore, 4);
        pixels.resize(size_t(6 * 4 * planes));
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(3 + i * 5);
        record.outData = pixels.data();
        record.outRowBytes = 6 * planes;
        if (withServices) record.colorServices = services;
    }
};

AirbrushParams freshParams() {
    AirbrushParams p;
    const uint16_t white[3] = {0xFFFF, 0xFFFF, 0xFFFF};
    setAirbrushDefaults(p, white);
    return p;
}

TEST(AirbrushColour, HostForegroundAtStartInEachMode) {
    AirbrushParams p = freshParams();
    ColourRecord rgb(plugInModeRGBColor, 3, true);
    takeHostColour(p, rgb.record);
    EXPECT_EQ(p.color[0], 0x1234);
    EXPECT_EQ(p.color[1], 0xABCD);
    EXPECT_EQ(p.color[2], 0x00FF);
    // Asked to convert the high bytes; the CMYK answer halved.
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].selector, plugIncolorServicesConvertColor);
    EXPECT_EQ(gCalls[0].components[0], 0x12);
    EXPECT_EQ(gCalls[0].components[1], 0xAB);
    EXPECT_EQ(p.nativeHalf[0], (255 - 0x12) >> 1);
    EXPECT_EQ(p.nativeHalf[3], 5);

    // -30900 is no colour: the RGB halves.
    rgb = ColourRecord(plugInModeRGBColor, 3, true);
    gConvertAnswer = -30900;
    takeHostColour(p, rgb.record);
    EXPECT_EQ(p.nativeHalf[0], 0x1234 >> 9);
    EXPECT_EQ(p.nativeHalf[1], 0xABCD >> 9);
    EXPECT_EQ(p.nativeHalf[3], 127);

    // CMYK: the foreground in the image's own channels, halved; no service is asked.
    ColourRecord cmyk(plugInModeCMYKColor, 4, true);
    takeHostColour(p, cmyk.record);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(p.nativeHalf[0], 5);
    EXPECT_EQ(p.nativeHalf[3], 22);
}

TEST(AirbrushColour, HostPickerPromptAndCmykRoundTrip) {
    AirbrushParams p = freshParams();
    ColourRecord rgb(plugInModeRGBColor, 3, true);
    chooseWithHost(p, rgb.record, "Select airbrush color");
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].prompt, "Select airbrush color");
    EXPECT_EQ(gCalls[0].components[0], 255);  // starts from the current colour
    EXPECT_EQ(p.color[0], 200 * 257);
    EXPECT_EQ(p.color[2], 10 * 257);

    // A prompt is cut at 249 characters.
    rgb = ColourRecord(plugInModeRGBColor, 3, true);
    chooseWithHost(p, rgb.record, std::string(400, 'x').c_str());
    EXPECT_EQ(gCalls[0].prompt.size(), 249u);

    // CMYK: chosen -> CMYK (nativeHalf) -> RGB again (the colour shown and stored).
    ColourRecord cmyk(plugInModeCMYKColor, 4, true);
    chooseWithHost(p, cmyk.record, "p");
    ASSERT_EQ(gCalls.size(), 3u);
    EXPECT_EQ(gCalls[1].result, plugIncolorServicesCMYKSpace);
    EXPECT_EQ(gCalls[2].source, plugIncolorServicesCMYKSpace);
    EXPECT_EQ(p.nativeHalf[0], 55 / 2);
    EXPECT_EQ(p.nativeHalf[3], 5);
    EXPECT_EQ(p.color[0], (255 - 55 - 5) * 257);

    // Conversions refused: the chosen colour, and the halves of it.
    cmyk = ColourRecord(plugInModeCMYKColor, 4, true);
    gConvertAnswer = -30900;
    chooseWithHost(p, cmyk.record, "p");
    EXPECT_EQ(p.color[0], 200 * 257);
    EXPECT_EQ(p.nativeHalf[0], 100);
    EXPECT_EQ(p.nativeHalf[3], 127);
}

TEST(AirbrushColour, SystemBoxAndEyedropper) {
    AirbrushParams p = freshParams();
    takeChosenRgb(p, 12, 34, 56);
    EXPECT_EQ(p.color[1], 34 * 257);
    EXPECT_EQ(p.nativeHalf[2], 28);

    ColourRecord rgb(plugInModeRGBColor, 3, false);
    const AirbrushParams before = p;
    for (auto at : {std::pair<int, int>{-1, 0}, {0, -1}, {6, 0}, {0, 4}}) {
        EXPECT_FALSE(pickPixel(p, rgb.record, at.first, at.second));
        EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    }
    ASSERT_TRUE(pickPixel(p, rgb.record, 5, 3));
    const uint8_t* px = &rgb.pixels[(3 * 6 + 5) * 3];
    for (int c = 0; c < 3; ++c) EXPECT_EQ(p.color[c], px[c] * 257);

    // CMYK with services: the pixel's channels halved, the colour converted.
    ColourRecord cmyk(plugInModeCMYKColor, 5, true);  // with transparency
    ASSERT_TRUE(pickPixel(p, cmyk.record, 1, 2));
    const uint8_t* q = &cmyk.pixels[(2 * 6 + 1) * 5];
    EXPECT_EQ(p.nativeHalf[3], q[3] >> 1);
    EXPECT_EQ(p.color[0], (255 - q[0] - q[3] / 2) * 257);
    // Without them: nativeHalf from the pixel, the colour kept.
    ColourRecord bare(plugInModeCMYKColor, 4, false);
    const uint16_t red = p.color[0];
    ASSERT_TRUE(pickPixel(p, bare.record, 0, 0));
    EXPECT_EQ(p.color[0], red);
    EXPECT_EQ(p.nativeHalf[0], bare.pixels[0] >> 1);
}

// ---- settings ----

class AirbrushModule : public ::testing::Test {
protected:
    void SetUp() override {
        resetFake(airbrush());
        gFake.strings = {{10001, "Spray Studio"}, {10002, "Window"},         {10003, "Maximized"},
                         {10008, "Current Tool"}, {10009, "Pressure Size"},  {10010, "Pressure Ink Flow"},
                         {10011, "Brush Size"},   {10012, "Ink Flow"},       {10013, "Splatter Brush"},
                         {10014, "Splatter Size"}, {10015, "Brush Red"},     {10016, "Brush Green"},
                         {10017, "Brush Blue"}};
        airbrush().hooks->setDefaults();
    }
    IniSection& section() { return gFake.ini["Kestrix.ini"]["Spray Studio"]; }
};

TEST_F(AirbrushModule, SettingsInvertTheSplatterFlagAndWriteTheColourOnly) {
    section()["Splatter Brush"] = "1";
    section()["Pressure Size"] = "7";         // outside 0..2: pressure
    section()["Pressure Ink Flow"] = "-1";
    section()["Brush Size"] = "500";
    section()["Brush Red"] = "9";             // never read back
    gAirbrushParams.sizeSource = gAirbrushParams.flowSource = kSourceFixed;
    gAirbrushParams.color[0] = 0xAB01;
    loadSettings(airbrush());
    EXPECT_EQ(gAirbrushParams.softSpray, 0);
    EXPECT_EQ(gAirbrushParams.sizeSource, kSourcePressure);
    EXPECT_EQ(gAirbrushParams.flowSource, kSourcePressure);
    EXPECT_EQ(gAirbrushParams.brushSize, 99);
    EXPECT_EQ(gAirbrushParams.color[0], 0xAB01);

    gAirbrushParams.softSpray = 1;
    gFake.profileWrites.clear();
    saveSettings(airbrush());
    const std::vector<std::string> expected = {
        "Kestrix.ini|Spray Studio|Current Tool=0",      "Kestrix.ini|Spray Studio|Pressure Size=1",
        "Kestrix.ini|Spray Studio|Pressure Ink Flow=1", "Kestrix.ini|Spray Studio|Brush Size=99",
        "Kestrix.ini|Spray Studio|Ink Flow=30",         "Kestrix.ini|Spray Studio|Splatter Brush=0",
        "Kestrix.ini|Spray Studio|Splatter Size=1",     "Kestrix.ini|Spray Studio|Brush Red=171",
        "Kestrix.ini|Spray Studio|Brush Green=0",       "Kestrix.ini|Spray Studio|Brush Blue=0",
    };
    EXPECT_EQ(gFake.profileWrites, expected);

    // A handle's record is held to the same ranges; any non-zero flag is soft spray.
    gAirbrushParams.sizeSource = 9;
    gAirbrushParams.softSpray = 7;
    clampParams(airbrush());
    EXPECT_EQ(gAirbrushParams.sizeSource, kSourcePressure);
    EXPECT_EQ(gAirbrushParams.softSpray, 1);
}

// ---- samples ----

TEST_F(AirbrushModule, PacketsBecomeTheRecordAndTheLogCarriesItExactly) {
    PacketContext c{};
    c.painting = true;
    c.hookInstalled = true;
    c.geometry.zoom = 1.0f;
    c.geometry.client = {0, 0, 200, 200};
    c.geometry.imageFrame = {10, 20, 110, 100};
    c.geometry.outRect = {0, 0, 100, 80};
    c.clientX = 40;
    c.clientY = 50;
    c.ranges = DeviceRanges{1023, 1023, 0, 3600, -900, 900};
    Packet packet{};
    packet.pkNormalPressure = 1023;
    packet.pkTangentPressure = 300;
    packet.orAltitude = 300;  // 30 degrees above the tablet: tilt 60
    packet.orAzimuth = 1350;

    gAirbrushParams.brushSize = 40;
    alignas(8) uint8_t storage[kMaxSampleBytes] = {};
    auto* record = reinterpret_cast<TabletSample*>(storage);
    ASSERT_EQ(sampleBytes(airbrush()), 28u);
    buildRecord(packet, c, airbrush(), record);
    AirbrushSample s;
    std::memcpy(&s, storage, sizeof s);
    EXPECT_EQ(s.x, 30);
    EXPECT_EQ(s.y, 30);
    EXPECT_EQ(s.size, 40);
    EXPECT_EQ(s.tilt, 60);
    EXPECT_EQ(s.wheel, 300);
    EXPECT_FLOAT_EQ(s.elongation, 2.5f);
    EXPECT_EQ(record->pressure, 1023);  // where the framework reads it

    packet.orAltitude = -800;
    buildRecord(packet, c, airbrush(), record);
    EXPECT_EQ(record->inverted, 1);

    // Formatted and parsed back: the same 28 bytes, reals to the bit.
    std::memcpy(storage, &s, sizeof s);
    const std::string line = formatRecord(record, airbrush().sampleRule);
    std::vector<SampleLogEntry> entries;
    ASSERT_TRUE(parseSampleLog("# seed 1\n" + line, entries, airbrush().sampleRule)) << line;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].seedValue, 1u);
    ASSERT_EQ(entries[1].record.size(), 28u);
    EXPECT_EQ(std::memcmp(entries[1].record.data(), &s, sizeof s), 0) << line;
}

// ---- strokes ----

struct Recorder {
    int invalidations = 0, updates = 0, reverts = 0;
};
void onInvalidate(void* r, const Box&) { ++static_cast<Recorder*>(r)->invalidations; }
void onUpdate(void* r) { ++static_cast<Recorder*>(r)->updates; }
void onCursor(void*, bool) {}
void onRevert(void* r) { ++static_cast<Recorder*>(r)->reverts; }

TEST_F(AirbrushModule, StrokeStepPaintsMarksAndRepeatsAResitingPen) {
    const int w = 40, h = 30;
    std::vector<uint8_t> in(size_t(w) * h * 3, 100), out = in;
    FilterRecord r{};
    r.imageMode = plugInModeRGBColor;
    r.planes = 3;
    r.filterRect = r.inRect = r.outRect = {0, 0, int16_t(h), int16_t(w)};
    r.inData = in.data();
    r.outData = out.data();
    r.inRowBytes = r.outRowBytes = w * 3;
    r.inHiPlane = r.outHiPlane = 2;
    gPlugin.record = &r;
    ASSERT_TRUE(airbrush().hooks->initBuffers());
    gAirbrushParams.sizeSource = gAirbrushParams.flowSource = kSourceFixed;
    gAirbrushParams.inkFlow = 100;
    gAirbrushParams.brushSize = 9;

    Recorder rec;
    StrokeState state{nullptr, 0, 0, true};
    resetModuleStroke(state, airbrush());
    StrokeSurface surface{&rec, PreviewGeometry{1.0f, 0, 0, {0, 0, w, h}, {0, 0, w, h}, {0, 0, w, h}},
                          true, onInvalidate, onUpdate, onCursor, onRevert};
    auto send = [&](int x, int y, int pressure) {
        AirbrushSample s{};
        s.x = int16_t(x);
        s.y = int16_t(y);
        s.size = 9;
        s.flow = 100;
        s.pressure = int16_t(pressure);
        s.elongation = 1.0f;
        auto* block = static_cast<TabletSample*>(allocFixed(sizeof s));
        std::memcpy(block, &s, sizeof s);
        runStrokeStep(state, block, airbrush(), surface);
    };
    const StrokeRule& rule = *airbrush().strokeRule;
    EXPECT_EQ(rule.timerMs, 300);
    EXPECT_EQ(rule.onTimer(state, true), nullptr);  // no stroke

    send(5, 10, 800);
    EXPECT_EQ(out, in);  // the first sample paints nothing
    EXPECT_EQ(rule.onTimer(state, true), nullptr);  // it just started: the mark clears
    TabletSample* repeat = rule.onTimer(state, true);
    ASSERT_NE(repeat, nullptr);
    AirbrushSample copy;
    std::memcpy(&copy, repeat, sizeof copy);
    EXPECT_EQ(copy.repeat, 1);
    EXPECT_EQ(copy.x, 5);
    runStrokeStep(state, repeat, airbrush(), surface);
    EXPECT_NE(out, in);  // the resting pen sprayed
    EXPECT_EQ(gPlugin.modified, 1);
    EXPECT_EQ(rec.reverts, 1);
    EXPECT_EQ(rule.onTimer(state, false), nullptr);  // not painting

    // Segments: every third one repaints at once.
    for (int i = 1; i <= 6; ++i) send(5 + 4 * i, 10, 800);
    EXPECT_EQ(rec.invalidations, 7);
    EXPECT_EQ(rec.updates, 2);

    // Not an RGB or CMYK picture: nothing is painted.
    std::vector<uint8_t> grey = out;
    r.imageMode = plugInModeGrayScale;
    r.planes = 1;
    send(5, 20, 800);
    send(30, 20, 800);
    EXPECT_EQ(out, grey);
    resetModuleStroke(state, airbrush());
    airbrush().hooks->freeBuffers();
    gPlugin.record = nullptr;
    EXPECT_EQ(gFake.liveBlocks, 0);
}

// A host without displayPixels: an RGB picture still gets the dialog (a blank preview),
// any other fails with -1 as in every module.
TEST_F(AirbrushModule, RgbOpensWithoutDisplayPixels) {
    for (int16_t mode : {plugInModeRGBColor, plugInModeCMYKColor}) {
        resetFake(airbrush());
        FakeHost host;
        host.setUp(5, 4, mode, mode == plugInModeRGBColor ? 3 : 4);
        host.record.displayPixels = nullptr;
        int16_t result = 12345;
        pluginMain(filterSelectorStart, &host.record, &result);
        EXPECT_EQ(result, mode == plugInModeRGBColor ? 0 : -1) << mode;
        EXPECT_EQ(gFake.dialogRuns, mode == plugInModeRGBColor ? 1 : 0);
        EXPECT_EQ(host.record.displayPixels != nullptr, mode == plugInModeRGBColor);
        pluginMain(filterSelectorFinish, &host.record, &result);
        freeFakeHandles();
    }
}

}  // namespace
