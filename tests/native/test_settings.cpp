// Settings in the INI files: keys in the interface language, values clamped on load,
// the dustclean section with fixed names.
#include <gtest/gtest.h>

#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/spot_params.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "tests/native/fake_platform.h"

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        resetFake(kSpotcleanModule);
        kSpotcleanModule.hooks->setDefaults();
        gPlugin.currentTool = kToolBrush;
    }
    IniSection& spot() { return gFake.ini["Kestrix.ini"]["Spotclean"]; }
};

TEST_F(Settings, FirstUseKeepsTheDefaultsAndSavingWritesEveryKeyInOrder) {
    loadSettings(kSpotcleanModule);
    EXPECT_EQ(gSpotParams.brushSize, 25);
    EXPECT_EQ(gPlugin.currentTool, kToolBrush);
    saveSettings(kSpotcleanModule);
    std::vector<std::string> expected = {
        "Kestrix.ini|Spotclean|Current Tool=2",   "Kestrix.ini|Spotclean|Pressure Size=1",
        "Kestrix.ini|Spotclean|Pressure Amount=1", "Kestrix.ini|Spotclean|Brush Size=25",
        "Kestrix.ini|Spotclean|Amount=2",          "Kestrix.ini|Spotclean|Buildup=1",
    };
    EXPECT_EQ(gFake.profileWrites, expected);
}

TEST_F(Settings, StoredValuesWinOverTheHandle) {
    spot()["Brush Size"] = "60";
    spot()["Amount"] = "15";
    spot()["Pressure Size"] = "2";
    spot()["Pressure Amount"] = "0";
    spot()["Buildup"] = "0";
    spot()["Current Tool"] = "1";
    loadSettings(kSpotcleanModule);
    EXPECT_EQ(gSpotParams.brushSize, 60);
    EXPECT_EQ(gSpotParams.amount, 15);
    EXPECT_EQ(gSpotParams.sizeSource, 2);
    EXPECT_EQ(gSpotParams.amountSource, 0);
    EXPECT_EQ(gSpotParams.buildup, 0);
    EXPECT_EQ(gPlugin.currentTool, kToolHand);
}

TEST_F(Settings, ValuesOutsideTheirRangeAreClampedOnLoad) {
    spot()["Brush Size"] = "100";     // one past the top
    spot()["Amount"] = "0";           // one below the bottom
    spot()["Pressure Size"] = "-7";
    spot()["Pressure Amount"] = "65539";  // would wrap to 3 in 16 bits, out of range in 32
    spot()["Buildup"] = "256";        // would truncate to 0 in a byte
    spot()["Current Tool"] = "9";
    loadSettings(kSpotcleanModule);
    EXPECT_EQ(gSpotParams.brushSize, 99);
    EXPECT_EQ(gSpotParams.amount, 1);
    EXPECT_EQ(gSpotParams.sizeSource, 0);
    EXPECT_EQ(gSpotParams.amountSource, 2);
    EXPECT_EQ(gSpotParams.buildup, 1);
    EXPECT_EQ(gPlugin.currentTool, 2);
}

TEST_F(Settings, GarbageReadsAsTheProfileFunctionsReadIt) {
    spot()["Brush Size"] = "abc";  // no digits: 0, clamped to the minimum
    spot()["Amount"] = "7 px";     // leading number
    loadSettings(kSpotcleanModule);
    EXPECT_EQ(gSpotParams.brushSize, 1);
    EXPECT_EQ(gSpotParams.amount, 7);
}

TEST_F(Settings, KeyNamesFollowTheInterfaceLanguage) {
    gFake.strings[10001] = "Fleckentferner";
    gFake.strings[10011] = "Pinselgröße";
    spot()["Brush Size"] = "60";  // English settings are not found in German
    loadSettings(kSpotcleanModule);
    EXPECT_EQ(gSpotParams.brushSize, 25);
    saveSettings(kSpotcleanModule);
    EXPECT_EQ(gFake.ini["Kestrix.ini"]["Fleckentferner"]["Pinselgröße"], "25");
}

TEST_F(Settings, NamesAreCutAtFortyCharacters) {
    gFake.strings[10011] = std::string(50, 'k');
    saveSettings(kSpotcleanModule);
    EXPECT_EQ(gFake.ini["Kestrix.ini"]["Spotclean"].count(std::string(40, 'k')), 1u);
}

TEST(DustSettings, FixedEnglishNamesInTheDriverFile) {
    resetFake(kDustcleanModule);
    gFake.strings.clear();  // the string table plays no part
    kDustcleanModule.hooks->setDefaults();
    IniSection& dust = gFake.ini["vorla.ini"]["Dustclean"];
    dust["Radius"] = "40";
    dust["Level"] = "0";
    dust["Pressure Size"] = "0";  // the size cannot follow the finger wheel
    dust["Buildup"] = "1";
    loadSettings(kDustcleanModule);
    EXPECT_EQ(gDustParams.radius, 16);
    EXPECT_EQ(gDustParams.level, 1);
    EXPECT_EQ(gDustParams.sizeSource, 1);
    EXPECT_EQ(gDustParams.buildup, 1);
    gFake.profileWrites.clear();
    saveSettings(kDustcleanModule);
    std::vector<std::string> expected = {
        "vorla.ini|Dustclean|Current Tool=0", "vorla.ini|Dustclean|Pressure Size=1",
        "vorla.ini|Dustclean|Brush Size=25",  "vorla.ini|Dustclean|Radius=16",
        "vorla.ini|Dustclean|Level=1",        "vorla.ini|Dustclean|Buildup=1",
    };
    EXPECT_EQ(gFake.profileWrites, expected);
}

}  // namespace
