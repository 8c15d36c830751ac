// texturer and gilder inside the framework: their settings keys, the puck's Fixed, the
// texturer's sample amount, the shared stroke step (no disc where a stroke starts, the
// repaint covering every pixel painted, painting with the texture of the parameters on
// screen, nothing from a missing texture) and the bitmaps read from files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filters/gilder/gilder_module.h"
#include "filters/texture_common/texture_source.h"
#include "filters/texturer/texturer_module.h"
#include "framework/brush/stroke.h"
#include "framework/host/image_access.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/cursor_rules.h"
#include "framework/tablet/device.h"
#include "framework/tablet/packet_filter.h"
#include "tests/native/fake_platform.h"
#include "tests/native/speck_image.h"

namespace {

void setIni(const char* section, const char* key, const char* value) {
    gFake.ini["Kestrix.ini"][section][key] = value;
}

TEST(TextureSettings, OutOfRangeChoicesReadAsTheirFallback) {
    resetFake(kTexturerModule);
    gFake.strings = {{10000, "Texturer"}, {10013, "Texture"}, {10014, "Scale"}, {10011, "Pressure Opacity"}};
    kTexturerModule.hooks->setDefaults();
    for (const auto& [stored, read] : std::vector<std::pair<const char*, int>>{{"9", 0}, {"6", 0}, {"-1", 0}, {"5", 5}, {"3", 3}}) {
        setIni("Texturer", "Texture", stored);
        loadSettings(kTexturerModule);
        EXPECT_EQ(gTexturerParams.textureIndex, read) << stored;
    }
    setIni("Texturer", "Scale", "300");  // a range without a fallback is clamped
    setIni("Texturer", "Pressure Opacity", "7");
    loadSettings(kTexturerModule);
    EXPECT_EQ(gTexturerParams.scale, 150);
    EXPECT_EQ(gTexturerParams.opacitySource, 2);

    resetFake(kGilderModule);
    gFake.strings = {{10000, "Gilder"}, {10009, "Pressure Size"}, {10013, "Texture"}};
    kGilderModule.hooks->setDefaults();
    for (const auto& [stored, read] : std::vector<std::pair<const char*, int>>{{"2", 3}, {"0", 3}, {"3", 3}, {"1", 1}, {"77", 3}}) {
        setIni("Gilder", "Pressure Size", stored);
        loadSettings(kGilderModule);
        EXPECT_EQ(gGilderParams.sizeSource, read) << stored;
    }
    setIni("Gilder", "Texture", "6");
    loadSettings(kGilderModule);
    EXPECT_EQ(gGilderParams.textureIndex, 0);
    // A parameters handle (or a replayed log) goes through the same rule.
    gGilderParams.textureIndex = 200;
    gGilderParams.sizeSource = 0;
    clampParams(kGilderModule);
    EXPECT_EQ(gGilderParams.textureIndex, 0);
    EXPECT_EQ(gGilderParams.sizeSource, 3);
}

TEST(TextureSources, APuckForcesEachGroupsOwnFixedValue) {
    gGilderParams = gilderDefaults();
    EXPECT_FALSE(adaptSources(kGilderModule, 0x0802));  // a pen: pressure stays
    EXPECT_TRUE(adaptSources(kGilderModule, kCursorPuck));
    EXPECT_EQ(gGilderParams.sizeSource, kGilderSizeFixed);

    gTexturerParams = texturerDefaults();
    gTexturerParams.sizeSource = 0;  // finger wheel
    EXPECT_FALSE(adaptSources(kTexturerModule, kCursorAirbrush));
    EXPECT_TRUE(adaptSources(kTexturerModule, 0x0802));
    EXPECT_EQ(gTexturerParams.sizeSource, 1);
    EXPECT_TRUE(adaptSources(kTexturerModule, kCursorPuck));
    EXPECT_EQ(gTexturerParams.sizeSource, 2);
    EXPECT_EQ(gTexturerParams.opacitySource, 2);
}

TEST(TexturerSample, AmountIsAQuarterOfTheOpacityTruncated) {
    PacketContext c{};
    c.geometry.zoom = 1.0f;
    c.geometry.imageFrame = Box{0, 0, 100, 100};
    c.geometry.outRect = Box{0, 0, 100, 100};
    c.clientX = 30;
    c.clientY = 40;
    c.ranges.pressureMax = 1000;
    c.ranges.wheelMax = 1000;
    Packet p{};
    p.pkNormalPressure = 500;
    p.pkTangentPressure = 1000;
    struct Case {
        int opacity, source, altitude, amount;
    } cases[] = {
        {100, 2, 900, 25}, {50, 2, 900, 12}, {3, 2, 900, 0}, {100, 1, 900, 12},  // 50 -> 12
        {100, 0, 900, 25},                                                   // the wheel, full
        {100, 0, -900, 12},  // the eraser has no wheel: pressure
        {99, 1, -900, 12},   // MulDiv(99, 500, 1000) = 50 -> 12
    };
    for (const Case& k : cases) {
        gTexturerParams = texturerDefaults();
        gTexturerParams.opacity = int16_t(k.opacity);
        gTexturerParams.opacitySource = k.source;
        p.orAltitude = k.altitude;
        TabletSample s{};
        buildRecord(p, c, kTexturerModule, &s);
        EXPECT_EQ(s.amount, k.amount) << k.opacity << " " << k.source << " " << k.altitude;
        EXPECT_EQ(s.x, 30);
        EXPECT_EQ(s.inverted, k.altitude < 0);
    }
}

// The size through each module's own sample builder: scaled by pressure (half rounds up),
// by the wheel for texturer's tip (its eraser has no wheel), or fixed; never below 1.
TEST(TextureSample, SizeFollowsItsSource) {
    PacketContext c{};
    c.geometry.zoom = 1.0f;
    c.geometry.imageFrame = Box{0, 0, 100, 100};
    c.geometry.outRect = Box{0, 0, 100, 100};
    c.ranges.pressureMax = 1024;
    c.ranges.wheelMax = 1024;
    struct Case {
        const ModuleInfo* module;
        int source, pressure, wheel, altitude, size;
    } cases[] = {
        {&kTexturerModule, 1, 512, 0, 900, 13},    {&kTexturerModule, 1, 1, 0, 900, 1},
        {&kTexturerModule, 0, 1024, 256, 900, 6},  {&kTexturerModule, 0, 1024, 256, -900, 25},
        {&kTexturerModule, 2, 1, 0, 900, 25},      {&kGilderModule, kGilderSizePressure, 512, 0, 900, 13},
        {&kGilderModule, kGilderSizePressure, 0, 0, 900, 1},
        {&kGilderModule, kGilderSizeFixed, 1, 0, 900, 25},
    };
    for (const Case& k : cases) {
        gTexturerParams = texturerDefaults();
        gGilderParams = gilderDefaults();
        gTexturerParams.sizeSource = k.source;
        gGilderParams.sizeSource = k.source;
        Packet p{};
        p.pkNormalPressure = uint32_t(k.pressure);
        p.pkTangentPressure = uint32_t(k.wheel);
        p.orAltitude = k.altitude;
        TabletSample s{};
        buildRecord(p, c, *k.module, &s);
        EXPECT_EQ(s.size, k.size) << k.module->name << " source " << k.source << " pressure " << k.pressure
                                  << " wheel " << k.wheel << " altitude " << k.altitude;
    }
}

// A stroke through the module's own stroke rule, with the repaint boxes recorded.
class TextureStroke : public ::testing::TestWithParam<const ModuleInfo*> {
protected:
    SpeckImage img;
    StrokeState state{nullptr, 0, 0, true};
    StrokeSurface surface{};
    std::vector<Box> repainted;

    const ModuleInfo& module() const { return *GetParam(); }
    static void record(void* self, const Box& b) { static_cast<TextureStroke*>(self)->repainted.push_back(b); }
    static void nothing(void*) {}
    static void noCursor(void*, bool) {}

    void SetUp() override {
        resetFake(module());
        useTextureFiles(KX_SOURCE_DIR);
        module().hooks->setDefaults();
        gTexturerParams.sizeSource = gTexturerParams.opacitySource = 2;
        gTexturerParams.opacity = 100;
        gGilderParams.sizeSource = kGilderSizeFixed;
        gDevice = DeviceRanges{};
        gDevice.pressureMax = 1023;
        image(plugInModeRGBColor, 3);
        surface.context = this;
        surface.geometry.zoom = 1.0f;
        surface.geometry.outRect = Box{0, 0, img.width, img.height};
        surface.penDown = true;
        surface.invalidate = record;
        surface.updateNow = nothing;
        surface.setCursor = noCursor;
        surface.enableRevert = nothing;
        resetModuleStroke(state, module());
    }
    void TearDown() override {
        resetModuleStroke(state, module());
        module().hooks->freeBuffers();
        EXPECT_EQ(gFake.liveBlocks, 0);
        gPlugin.record = nullptr;
        gDevice = DeviceRanges{};
        setBitmapLoader(nullptr);
    }
    void image(int16_t mode, int16_t planes) {
        img.setUp(72, 40, mode, planes);
        img.fill([](int x, int y, int c) { return uint8_t(40 + (x * 3 + y * 5 + c * 17) % 150); });
        gPlugin.record = &img.record;
    }
    void sample(int x, int y, int pressure, bool eraser = false, int size = 16) {
        auto* s = static_cast<TabletSample*>(allocFixed(sizeof(TabletSample)));
        *s = TabletSample{int16_t(x), int16_t(y), int16_t(size), int16_t(25), uint16_t(pressure),
                          uint8_t(eraser)};
        runStrokeStep(state, s, module(), surface);
    }
    std::vector<uint8_t> stroke(int y) {
        sample(6, y, 700);
        sample(40, y + 6, 700);
        sample(66, y + 2, 700);
        sample(66, y + 2, kEndOfStroke);
        return img.out;
    }
    bool changed(int x, int y) {
        for (int c = 0; c < img.planes; ++c)
            if (img.outAt(x, y, c) != img.inAt(x, y, c)) return true;
        return false;
    }
};

TEST_P(TextureStroke, NoDiscAtTheStartAndTheRepaintCoversEveryPixelPainted) {
    const std::vector<uint8_t> before = img.out;
    sample(20, 20, 700);
    EXPECT_EQ(img.out, before) << "a stroke's first sample paints nothing";
    EXPECT_TRUE(repainted.empty());
    sample(50, 24, 700);
    ASSERT_EQ(repainted.size(), 1u);
    const Box& b = repainted[0];
    int painted = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            if (!changed(x, y)) continue;
            ++painted;
            EXPECT_TRUE(x >= b.left && x < b.right && y >= b.top && y < b.bottom) << x << "," << y;
        }
    EXPECT_GT(painted, 300);
    // A sample within half a brush is dropped: nothing more is painted or repainted.
    const std::vector<uint8_t> after = img.out;
    sample(53, 25, 700);
    EXPECT_EQ(img.out, after);
    EXPECT_EQ(repainted.size(), 1u);
    EXPECT_EQ(gPlugin.modified, 1);
}

TEST_P(TextureStroke, PaintsWithTheTextureOfTheParametersOnScreen) {
    const std::vector<uint8_t> first = stroke(12);
    image(plugInModeRGBColor, 3);
    // Another texture between two sessions' strokes, as a replayed log changes it.
    if (&module() == &kTexturerModule)
        gTexturerParams.textureIndex = 3;
    else
        gGilderParams.textureIndex = 1;
    const std::vector<uint8_t> second = stroke(12);
    EXPECT_NE(first, second);
    EXPECT_TRUE(&module() == &kTexturerModule ? texturerTextureCurrent() : gilderTextureCurrent());
    // Back to the first texture: the same pixels as the first time.
    image(plugInModeRGBColor, 3);
    if (&module() == &kTexturerModule)
        gTexturerParams.textureIndex = 4;
    else
        gGilderParams.textureIndex = 4;
    EXPECT_EQ(stroke(12), first);
}

TEST_P(TextureStroke, WithoutItsTextureTheTipPaintsNothingButTheEraserRestores) {
    setBitmapLoader(nullptr);
    module().hooks->freeBuffers();  // the bitmaps already loaded go
    const std::vector<uint8_t> before = img.out;
    stroke(20);
    EXPECT_EQ(img.out, before);
    // Something to erase, then a full-pressure eraser stroke along the same line.
    for (int x = 20; x < 50; ++x)
        for (int c = 0; c < 3; ++c) img.outAt(x, 20, c) = 0;
    sample(10, 20, 1023, true);
    sample(60, 20, 1023, true);
    for (int x = 22; x < 48; ++x) EXPECT_NE(img.outAt(x, 20, 0), 0) << x;
    if (&module() == &kGilderModule) {  // weight pressure / maximum = 1: the source exactly
        for (int x = 22; x < 48; ++x) EXPECT_EQ(img.outAt(x, 20, 0), img.inAt(x, 20, 0)) << x;
    }
}

TEST_P(TextureStroke, CmykWithTransparencyLeavesTheTransparencyPlane) {
    image(plugInModeCMYKColor, 5);
    stroke(18);
    int painted = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            EXPECT_EQ(img.outAt(x, y, 4), img.inAt(x, y, 4));
            painted += changed(x, y);
        }
    EXPECT_GT(painted, 300);
}

INSTANTIATE_TEST_SUITE_P(BothEffects, TextureStroke, ::testing::Values(&kTexturerModule, &kGilderModule),
                         [](const auto& info) { return std::string(info.param->name); });

TEST(TextureFiles, EveryBitmapOfBothModulesLoadsWithItsSize) {
    useTextureFiles(KX_SOURCE_DIR);
    DecodedBitmap b;
    for (const TextureEntry& e : kTexturerTextures) {
        ASSERT_TRUE(loadTextureBitmap("texturer", e.resourceId, e.file, b)) << e.file;
        EXPECT_EQ(b.width, e.width);
        EXPECT_EQ(b.height, e.height);
    }
    for (const GilderTextureEntry& e : kGilderTextures) {
        ASSERT_TRUE(loadTextureBitmap("gilder", e.resourceId, e.file, b)) << e.file;
        EXPECT_EQ(b.width, e.width);
        EXPECT_EQ(b.height, e.height);
    }
    useTextureFiles("/nonexistent");
    EXPECT_FALSE(loadTextureBitmap("gilder", 125, "blank.bmp", b));
    EXPECT_EQ(b.width, 0);
    setBitmapLoader(nullptr);
    EXPECT_FALSE(loadTextureBitmap("texturer", 141, "big_bricks.bmp", b));
}

}  // namespace
