#include "tools/stroke_probe/record_effect.h"

#include <cstdlib>
#include <new>
#include <string>

#include "filters/spotclean/spot_params.h"
#include "framework/host/image_access.h"
#include "framework/host/plugin_globals.h"

namespace {

std::FILE* gLog;
// KESTRIX_PROBE_THROW names a dab operation ("cap", "step" or "restore") that throws
// std::bad_alloc when it is called, as an effect out of memory would: the dialog must
// catch it before it reaches the system's message dispatch.
std::string gThrowAt;

void maybeThrow(const char* op) {
    if (!gThrowAt.empty() && gThrowAt == op) throw std::bad_alloc();
}

void log(const char* op, const Dab& d, int direction, int span) {
    if (!gLog) return;
    std::fprintf(gLog, "%s %d %d %d %d %u %u %d %d\n", op, d.x, d.y, d.size, d.amount,
                 unsigned(d.pressure), unsigned(d.inverted), direction, span);
    std::fflush(gLog);
}

uint8_t* resultPixel(const FilterRecord& r, int x, int y) {
    return static_cast<uint8_t*>(r.outData) + intptr_t(y) * r.outRowBytes + intptr_t(x) * r.planes;
}

bool inside(const FilterRecord& r, int x, int y) {
    return r.outData && x >= 0 && y >= 0 && x < r.filterRect.right - r.filterRect.left &&
           y < r.filterRect.bottom - r.filterRect.top;
}

void darken(const Dab& d) {
    const FilterRecord* r = gPlugin.record;
    if (!r || !inside(*r, d.x, d.y)) return;
    uint8_t* p = resultPixel(*r, d.x, d.y);
    for (int c = 0; c < processedChannels(*r); ++c) p[c] = 0;
}

void cap(const Dab& d) {
    log("cap", d, -1, -1);
    maybeThrow("cap");
    darken(d);
}

void step(const Dab& d, int direction, int span) {
    log("step", d, direction, span);
    maybeThrow("step");
    darken(d);
}

void restore(const Dab& d, int direction, int span) {
    log("restore", d, direction, span);
    maybeThrow("restore");
    const FilterRecord* r = gPlugin.record;
    if (!r || !inside(*r, d.x, d.y)) return;
    const SourcePlanes source = sourcePlanes(*r);  // the applied image after an Apply
    if (!source.data) return;
    const uint8_t* s = source.data + intptr_t(d.y) * source.rowBytes + intptr_t(d.x) * source.stride;
    uint8_t* p = resultPixel(*r, d.x, d.y);
    for (int c = 0; c < processedChannels(*r); ++c) p[c] = s[c];
}

bool initBuffers() {
    // Inside a host the log's path comes from the environment of the host process.
    if (!gLog)
        if (const char* path = std::getenv("KESTRIX_DAB_LOG")) gLog = std::fopen(path, "a");
    const char* throwAt = std::getenv("KESTRIX_PROBE_THROW");
    gThrowAt = throwAt ? throwAt : "";
    return kSpotcleanModule.hooks->initBuffers();
}

void freeBuffers() { kSpotcleanModule.hooks->freeBuffers(); }

}  // namespace

void setDabLog(std::FILE* file) { gLog = file; }

const ModuleInfo& recordingModule() {
    static const EffectHooks hooks = {
        initBuffers, freeBuffers, kSpotcleanModule.hooks->setDefaults,
        kSpotcleanModule.hooks->finalApply, cap, step, restore,
    };
    static const ModuleInfo module = [] {
        ModuleInfo m = kSpotcleanModule;
        m.name = "strokeprobe";
        m.hooks = &hooks;
        return m;
    }();
    return module;
}
