#include "framework/brush/sample_log.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

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
        if (v > 100000000) return false;
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

bool parseSampleLog(const std::string& text, std::vector<SampleLogEntry>& entries) {
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
            ok = parseSample(line.c_str(), e.s);
        }
        if (!ok) return false;
        entries.push_back(e);
    }
    return true;
}

bool readSampleLog(const char* path, std::vector<SampleLogEntry>& entries) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
    const bool readAll = !std::ferror(f);
    std::fclose(f);
    return readAll && parseSampleLog(text, entries);
}
