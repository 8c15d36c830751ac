// Our tools' readers with any bytes: the sample log, PAM and netpbm images, driver
// scripts, the PiPL walk and the texture effects' bitmap decoder. Which reader is chosen by KX_FUZZ_READER at build time.
#include <cstring>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_input.h"

#if KX_FUZZ_READER == 1
#include <cstddef>

#include "framework/brush/sample_log.h"
#include "framework/tablet/packet_filter.h"

namespace {
// A module record with extra fields of every width and sign, as a module's log has them.
struct Extended {
    TabletSample base;
    int8_t a;
    uint16_t b;
    int32_t c;
    uint32_t d;
};
const SampleExtraField kExtraFields[] = {
    {uint16_t(offsetof(Extended, a)), 1, true},
    {uint16_t(offsetof(Extended, b)), 2, false},
    {uint16_t(offsetof(Extended, c)), 4, true},
    {uint16_t(offsetof(Extended, d)), 4, false},
};
const SampleRule kExtended = {sizeof(Extended), nullptr, kExtraFields, 4, false, nullptr, nullptr};
}  // namespace
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
    // A module's longer lines: every record read is the rule's size and writes back to
    // a line that reads as the same bytes.
    entries.clear();
    if (parseSampleLog(std::string(reinterpret_cast<const char*>(data), size), entries, &kExtended)) {
        for (const SampleLogEntry& e : entries) {
            if (e.kind != SampleLogEntry::sample) continue;
            FUZZ_CHECK(e.record.size() == sizeof(Extended));
            std::vector<SampleLogEntry> again;
            const std::string line = formatRecord(reinterpret_cast<const TabletSample*>(e.record.data()), &kExtended);
            FUZZ_CHECK(parseSampleLog(line, again, &kExtended) && again.size() == 1);
            // Padding bytes are never written by the reader: compare field by field.
            Extended x, y;
            std::memcpy(&x, e.record.data(), sizeof x);
            std::memcpy(&y, again[0].record.data(), sizeof y);
            FUZZ_CHECK(x.a == y.a && x.b == y.b && x.c == y.c && x.d == y.d && x.base.x == y.base.x);
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
