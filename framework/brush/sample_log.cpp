#include "framework/brush/sample_log.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "framework/tablet/packet_filter.h"

std::string formatSample(const TabletSample& s) {
    char line[80];
    std::snprintf(line, sizeof line, "%d %d %d %d %u %u\n", s.x, s.y, s.size, s.amount,
                  unsigned(s.pressure), unsigned(s.inverted));
    return line;
}

namespace {

// The next whitespace-separated decimal integer, within [lo, hi]; false for anything
// else (a log that does not fit the sample's fields is refused, never wrapped).
bool number(const char*& p, long long lo, long long hi, long long& out) {
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    if (*p == '-' || *p == '+') ++p;
    if (!std::isdigit(uint8_t(*p))) return false;
    long long v = 0;
    while (std::isdigit(uint8_t(*p))) {
        v = v * 10 + (*p++ - '0');
        if (v > 100000000000LL) return false;  // far past any field; no overflow
    }
    out = *start == '-' ? -v : v;
    return out >= lo && out <= hi;
}

bool lineEnd(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    return *p == '\0';
}

}  // namespace

bool parseSample(const char* line, TabletSample& s) {
    long long v[6];
    const long long lo[6] = {INT16_MIN, INT16_MIN, INT16_MIN, INT16_MIN, 0, 0};
    const long long hi[6] = {INT16_MAX, INT16_MAX, INT16_MAX, INT16_MAX, UINT16_MAX, UINT8_MAX};
    const char* p = line;
    for (int i = 0; i < 6; ++i)
        if (!number(p, lo[i], hi[i], v[i])) return false;
    if (!lineEnd(p)) return false;
    s = TabletSample{int16_t(v[0]), int16_t(v[1]), int16_t(v[2]), int16_t(v[3]), uint16_t(v[4]), uint8_t(v[5])};
    return true;
}

std::string formatParams(const void* params, uint32_t size) {
    std::string line = "# params ";
    const auto* p = static_cast<const uint8_t*>(params);
    char hex[3];
    for (uint32_t i = 0; i < size; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", p[i]);
        line += hex;
    }
    return line + "\n";
}

namespace {

bool parseHex(const char* text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    for (const char* p = text; *p && *p != '\n' && *p != '\r'; p += 2) {
        unsigned v;
        if (!std::isxdigit(uint8_t(p[0])) || !std::isxdigit(uint8_t(p[1])) ||
            std::sscanf(p, "%2x", &v) != 1)
            return false;
        bytes.push_back(uint8_t(v));
    }
    return !bytes.empty();
}

// "# <name>" alone on its line.
bool isEvent(const char* line, const char* name) {
    if (line[0] != '#' || line[1] != ' ') return false;
    const size_t n = std::strlen(name);
    if (std::strncmp(line + 2, name, n) != 0) return false;
    const char* rest = line + 2 + n;
    while (*rest == '\r' || *rest == '\n' || *rest == ' ') ++rest;
    return *rest == '\0';
}

}  // namespace

namespace {

uint32_t recordBytes(const SampleRule* rule) {
    return rule && rule->sampleBytes > sizeof(TabletSample) ? rule->sampleBytes
                                                            : uint32_t(sizeof(TabletSample));
}

bool fieldFits(const SampleExtraField& f, uint32_t bytes) {
    return (f.bytes == 1 || f.bytes == 2 || f.bytes == 4) && f.offset >= sizeof(TabletSample) &&
           uint32_t(f.offset) + f.bytes <= bytes;
}

long long readField(const uint8_t* record, const SampleExtraField& f) {
    const uint8_t* p = record + f.offset;
    if (f.bytes == 1) return f.isSigned ? (long long)int8_t(p[0]) : (long long)p[0];
    if (f.bytes == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return f.isSigned ? (long long)int16_t(v) : (long long)v;
    }
    uint32_t v;
    std::memcpy(&v, p, 4);
    return f.isSigned ? (long long)int32_t(v) : (long long)v;
}

void writeField(uint8_t* record, const SampleExtraField& f, long long value) {
    uint8_t* p = record + f.offset;
    if (f.bytes == 1) {
        p[0] = uint8_t(value);
    } else if (f.bytes == 2) {
        const uint16_t v = uint16_t(value);
        std::memcpy(p, &v, 2);
    } else {
        const uint32_t v = uint32_t(value);
        std::memcpy(p, &v, 4);
    }
}

void fieldRange(const SampleExtraField& f, long long& lo, long long& hi) {
    const int bits = f.bytes * 8;
    if (f.isSigned) {
        hi = (1LL << (bits - 1)) - 1;
        lo = -hi - 1;
    } else {
        lo = 0;
        hi = (1LL << bits) - 1;
    }
}

// A sample line of the rule's record: six shared numbers, then the extras.
bool parseRecord(const char* line, const SampleRule* rule, std::vector<uint8_t>& record) {
    const uint32_t bytes = recordBytes(rule);
    record.assign(bytes, 0);
    const int extras = rule ? rule->extraCount : 0;
    const char* p = line;
    long long v[6];
    const long long lo[6] = {INT16_MIN, INT16_MIN, INT16_MIN, INT16_MIN, 0, 0};
    const long long hi[6] = {INT16_MAX, INT16_MAX, INT16_MAX, INT16_MAX, UINT16_MAX, UINT8_MAX};
    for (int i = 0; i < 6; ++i)
        if (!number(p, lo[i], hi[i], v[i])) return false;
    // Field by field into a zeroed record: the padding byte stays 0, so a parsed record
    // equals the one that was logged.
    TabletSample s;
    std::memset(&s, 0, sizeof s);
    s.x = int16_t(v[0]);
    s.y = int16_t(v[1]);
    s.size = int16_t(v[2]);
    s.amount = int16_t(v[3]);
    s.pressure = uint16_t(v[4]);
    s.inverted = uint8_t(v[5]);
    std::memcpy(record.data(), &s, sizeof s);
    for (int i = 0; i < extras; ++i) {
        const SampleExtraField& f = rule->extras[i];
        if (!fieldFits(f, bytes)) return false;
        long long l, h, value;
        fieldRange(f, l, h);
        // Wide unsigned fields exceed number()'s digit limit only past 10^8: refused.
        if (!number(p, l, h, value)) return false;
        writeField(record.data(), f, value);
    }
    return lineEnd(p);
}

}  // namespace

std::string formatRecord(const TabletSample* record, const SampleRule* rule) {
    std::string line = formatSample(*record);
    if (!rule || rule->extraCount <= 0) return line;
    line.pop_back();  // the newline
    const uint32_t bytes = recordBytes(rule);
    const auto* raw = reinterpret_cast<const uint8_t*>(record);
    char field[24];
    for (int i = 0; i < rule->extraCount; ++i) {
        const SampleExtraField& f = rule->extras[i];
        if (!fieldFits(f, bytes)) continue;
        std::snprintf(field, sizeof field, " %lld", readField(raw, f));
        line += field;
    }
    return line + "\n";
}

bool parseSampleLog(const std::string& text, std::vector<SampleLogEntry>& entries,
                    const SampleRule* rule) {
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.find('\0') != std::string::npos) return false;
        SampleLogEntry e{};
        bool ok = true;
        if (line.compare(0, 9, "# params ") == 0) {
            e.kind = SampleLogEntry::params;
            ok = parseHex(line.c_str() + 9, e.bytes);
        } else if (line.compare(0, 9, "# device ") == 0) {
            e.kind = SampleLogEntry::device;
            const char* p = line.c_str() + 9;
            long long pressureMax = 0, wheelMax = 0;
            ok = number(p, INT32_MIN, INT32_MAX, pressureMax) && number(p, INT32_MIN, INT32_MAX, wheelMax) &&
                 lineEnd(p);
            e.pressureMax = int(pressureMax);
            e.wheelMax = int(wheelMax);
        } else if (line.compare(0, 7, "# seed ") == 0) {
            e.kind = SampleLogEntry::seed;
            const char* p = line.c_str() + 7;
            long long seed = 0;
            ok = number(p, 0, UINT32_MAX, seed) && lineEnd(p);
            e.seedValue = uint32_t(seed);
        } else if (isEvent(line.c_str(), "apply")) {
            e.kind = SampleLogEntry::apply;
        } else if (isEvent(line.c_str(), "revert")) {
            e.kind = SampleLogEntry::revert;
        } else if (isEvent(line.c_str(), "snapshot")) {
            e.kind = SampleLogEntry::snapshot;
        } else if (isEvent(line.c_str(), "swap")) {
            e.kind = SampleLogEntry::swap;
        } else if (line.empty() || line[0] == '#' || line[0] == '\r') {
            continue;
        } else {
            e.kind = SampleLogEntry::sample;
            ok = parseRecord(line.c_str(), rule, e.record);
            if (ok) std::memcpy(&e.s, e.record.data(), sizeof e.s);
        }
        if (!ok) return false;
        entries.push_back(e);
    }
    return true;
}

bool readSampleLog(const char* path, std::vector<SampleLogEntry>& entries, const SampleRule* rule) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
    const bool readAll = !std::ferror(f);
    std::fclose(f);
    return readAll && parseSampleLog(text, entries, rule);
}
