// The sample record that lets a dialog session be replayed natively.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/brush/sample_log.h"

namespace {

std::string tempFile(const std::string& text) {
    char name[] = "/tmp/kx_samples_XXXXXX";
    int fd = mkstemp(name);
    std::FILE* f = fdopen(fd, "w");
    std::fputs(text.c_str(), f);
    std::fclose(f);
    return name;
}

TEST(SampleLog, RoundTripsSamplesParamsAndDevice) {
    TabletSample a{-3, 40, 25, 31, 65535, 1};
    uint8_t params[5] = {0x19, 0x00, 0xff, 0x10, 0x01};
    std::string path = tempFile("# device 1023 -1\n" + formatParams(params, 5) + formatSample(a) +
                                "# a note\n\n" + formatSample(TabletSample{1, 2, 3, 4, 5, 0}));
    std::vector<SampleLogEntry> e;
    ASSERT_TRUE(readSampleLog(path.c_str(), e));
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].kind, SampleLogEntry::device);
    EXPECT_EQ(e[0].pressureMax, 1023);
    EXPECT_EQ(e[0].wheelMax, -1);
    EXPECT_EQ(e[1].kind, SampleLogEntry::params);
    EXPECT_EQ(e[1].bytes, std::vector<uint8_t>(params, params + 5));
    EXPECT_EQ(e[2].s.x, -3);
    EXPECT_EQ(e[2].s.pressure, 65535);
    EXPECT_EQ(e[2].s.inverted, 1);
    EXPECT_EQ(e[3].s.amount, 4);
    std::remove(path.c_str());
}

TEST(SampleLog, SessionEventsKeepTheirPlaceBetweenTheSamples) {
    std::string path = tempFile("# device 1023 -1\n# snapshot\n" + formatSample(TabletSample{1, 2, 3, 4, 5, 0}) +
                                "# apply\n# swap\r\n# revert\n# applyish\n# swap twice\n");
    std::vector<SampleLogEntry> e;
    ASSERT_TRUE(readSampleLog(path.c_str(), e));
    ASSERT_EQ(e.size(), 6u) << "lines that only look like events are notes";
    EXPECT_EQ(e[1].kind, SampleLogEntry::snapshot);
    EXPECT_EQ(e[2].kind, SampleLogEntry::sample);
    EXPECT_EQ(e[3].kind, SampleLogEntry::apply);
    EXPECT_EQ(e[4].kind, SampleLogEntry::swap);
    EXPECT_EQ(e[5].kind, SampleLogEntry::revert);
    std::remove(path.c_str());
}

TEST(SampleLog, MalformedLinesAreRejected) {
    for (const char* bad : {"1 2 3\n", "1 2 3 4 5 6 7\n", "# params 1\n", "# params zz\n", "# device x\n"}) {
        std::string path = tempFile(bad);
        std::vector<SampleLogEntry> e;
        EXPECT_FALSE(readSampleLog(path.c_str(), e)) << bad;
        std::remove(path.c_str());
    }
    std::vector<SampleLogEntry> e;
    EXPECT_FALSE(readSampleLog("/nonexistent/samples.txt", e));
}

// A value that does not fit its field is refused rather than wrapped: a log whose x of
// 70000 became 4464 would paint somewhere the session never did.
TEST(SampleLog, ValuesOutsideTheirFieldsAreRefused) {
    TabletSample s{};
    EXPECT_TRUE(parseSample("-32768 32767 1 0 65535 255", s));
    EXPECT_EQ(s.x, -32768);
    EXPECT_EQ(s.inverted, 255);
    for (const char* bad : {"70000 0 1 0 0 0", "0 -32769 1 0 0 0", "0 0 1 0 65536 0", "0 0 1 0 -1 0",
                            "0 0 1 0 0 256", "0 0 1 0 0 1x", "0 0 99999999999999999999 0 0 0", "0 0 +-1 0 0 0"})
        EXPECT_FALSE(parseSample(bad, s)) << bad;
    std::vector<SampleLogEntry> e;
    EXPECT_FALSE(parseSampleLog("# device 99999999999 0\n", e));
    EXPECT_FALSE(parseSampleLog(std::string("1 2 3 4 5 6\n\0\n", 14), e));
}

// A large parameter record (thousands of hex digits) is one line, however long.
TEST(SampleLog, LongParamsLinesStayWhole) {
    std::vector<uint8_t> params(1620);
    for (size_t i = 0; i < params.size(); ++i) params[i] = uint8_t(i * 7);
    std::string path = tempFile(formatParams(params.data(), uint32_t(params.size())) + "5 6 7 8 9 0\n");
    std::vector<SampleLogEntry> e;
    ASSERT_TRUE(readSampleLog(path.c_str(), e));
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].bytes, params);
    EXPECT_EQ(e[1].s.x, 5);
    std::remove(path.c_str());
}

}  // namespace
