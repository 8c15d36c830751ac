#include "framework/brush/sample_log.h"

#include <cctype>
#include <cstdio>
#include <cstring>

std::string formatSample(const TabletSample& s) {
    char line[80];
    std::snprintf(line, sizeof line, "%d %d %d %d %u %u\n", s.x, s.y, s.size, s.amount,
                  unsigned(s.pressure), unsigned(s.inverted));
    return line;
}

bool parseSample(const char* line, TabletSample& s) {
    int x, y, size, amount;
    unsigned pressure, inverted;
    char extra;
    if (std::sscanf(line, "%d %d %d %d %u %u %c", &x, &y, &size, &amount, &pressure, &inverted,
                    &extra) != 6)
        return false;
    s = TabletSample{int16_t(x), int16_t(y), int16_t(size), int16_t(amount), uint16_t(pressure),
                     uint8_t(inverted)};
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

bool readSampleLog(const char* path, std::vector<SampleLogEntry>& entries) {
    std::FILE* f = std::fopen(path, "r");
    if (!f) return false;
    char line[1024];
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, f)) {
        SampleLogEntry e{};
        if (std::strncmp(line, "# params ", 9) == 0) {
            e.kind = SampleLogEntry::params;
            ok = parseHex(line + 9, e.bytes);
        } else if (std::strncmp(line, "# device ", 9) == 0) {
            e.kind = SampleLogEntry::device;
            ok = std::sscanf(line + 9, "%d %d", &e.pressureMax, &e.wheelMax) == 2;
        } else if (isEvent(line, "apply")) {
            e.kind = SampleLogEntry::apply;
        } else if (isEvent(line, "revert")) {
            e.kind = SampleLogEntry::revert;
        } else if (isEvent(line, "snapshot")) {
            e.kind = SampleLogEntry::snapshot;
        } else if (isEvent(line, "swap")) {
            e.kind = SampleLogEntry::swap;
        } else if (line[0] == '#' || line[0] == '\n' || line[0] == '\r') {
            continue;
        } else {
            e.kind = SampleLogEntry::sample;
            ok = parseSample(line, e.s);
        }
        if (ok) entries.push_back(e);
    }
    std::fclose(f);
    return ok;
}
