#include "framework/brush/sample_log.h"

#include <cstdio>

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

bool readSampleLog(const char* path, std::vector<TabletSample>& samples) {
    std::FILE* f = std::fopen(path, "r");
    if (!f) return false;
    char line[256];
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, f)) {
        if (line[0] == '#' || line[0] == '\n' || line[0] == '\r') continue;
        TabletSample s;
        ok = parseSample(line, s);
        if (ok) samples.push_back(s);
    }
    std::fclose(f);
    return ok;
}
