// Our tools' readers with any bytes: the sample log, PAM and netpbm images, driver
// scripts, the PiPL walk and the texture effects' bitmap decoder. Which reader is chosen by KX_FUZZ_READER at build time.
#include <cstring>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_input.h"

#if KX_FUZZ_READER == 1
#include "framework/brush/sample_log.h"
#elif KX_FUZZ_READER == 2
#include "tools/host/image_file.h"
#elif KX_FUZZ_READER == 3
#include "tools/host/script.h"
#elif KX_FUZZ_READER == 4
#include "tools/host/pipl_check.h"
#elif KX_FUZZ_READER == 5
#include "filters/texture_common/bitmap_decode.h"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#if KX_FUZZ_READER == 1
    std::vector<SampleLogEntry> entries;
    if (parseSampleLog(std::string(reinterpret_cast<const char*>(data), size), entries)) {
        for (const SampleLogEntry& e : entries) {
            if (e.kind != SampleLogEntry::sample) continue;
            // What was read is what is written back.
            TabletSample again{};
            FUZZ_CHECK(parseSample(formatSample(e.s).c_str(), again));
            FUZZ_CHECK(again.x == e.s.x && again.y == e.s.y && again.size == e.s.size);
            FUZZ_CHECK(again.amount == e.s.amount && again.pressure == e.s.pressure && again.inverted == e.s.inverted);
        }
    }
#elif KX_FUZZ_READER == 2
    Image image;
    std::string error;
    if (parseImage(std::vector<uint8_t>(data, data + size), image, error)) {
        FUZZ_CHECK(image.width > 0 && image.height > 0);
        FUZZ_CHECK(image.pixels.size() == size_t(image.width) * size_t(image.height) * size_t(image.depth));
        Image again;
        FUZZ_CHECK(parseImage(encodeImage(image), again, error));
        FUZZ_CHECK(again.pixels == image.pixels);
    } else {
        FUZZ_CHECK(!error.empty());
    }
#elif KX_FUZZ_READER == 3
    std::vector<ScriptCommand> commands;
    std::string error;
    if (!parseScript(std::string(reinterpret_cast<const char*>(data), size), commands, error))
        FUZZ_CHECK(!error.empty());
#elif KX_FUZZ_READER == 4
    for (const char* key : {"wx86", "8664"}) {
        PiplInfo info;
        std::string badKey, why;
        if (!parsePipl(data, size, info, badKey, why, key)) FUZZ_CHECK(!badKey.empty() && !why.empty());
    }
    std::string why;
    int bits = peModuleBits(data, size, why);
    FUZZ_CHECK(bits == 0 || bits == 32 || bits == 64);
#elif KX_FUZZ_READER == 5
    // The bytes as a resource (from the info header on) and as a file; a copy of exactly
    // `size` bytes, so that any read past the end is the sanitizer's to see.
    const std::vector<uint8_t> copy(data, data + size);
    for (int asFile = 0; asFile < 2; ++asFile) {
        DecodedBitmap b;
        const BitmapError e = asFile ? decodeBmpFile(copy.data(), copy.size(), b) : decodeDib(copy.data(), copy.size(), b);
        if (e == BitmapError::none) {
            FUZZ_CHECK(b.width >= 1 && b.width <= kMaxBitmapSide && b.height >= 1 && b.height <= kMaxBitmapSide);
            FUZZ_CHECK(b.pixels.size() == size_t(b.width) * size_t(b.height) * size_t(b.bitsPerPixel / 8));
            FUZZ_CHECK(b.bitsPerPixel == 24 || b.palette.size() == 256 * 4);
        } else {
            FUZZ_CHECK(b.pixels.empty() && b.width == 0);
        }
    }
#endif
    return 0;
}
