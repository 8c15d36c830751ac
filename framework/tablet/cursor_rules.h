// The tool in proximity, and what it means for the parameter sources.
#pragma once
#include <cstdint>

struct ModuleInfo;
struct WintabApi;

constexpr int32_t kCursorAirbrush = 0x0902;  // has a finger wheel
constexpr int32_t kCursorPuck = 4;           // has no pressure

// CSR_TYPE of a cursor -> the class that matters here (airbrush, puck, or a pen).
int32_t classifyCursor(uint32_t cursorType);

// Which source radios a tool can use.
struct SourceAvailability {
    bool wheel;     // Fingerwheel radios enabled
    bool pressure;  // Pressure radios enabled
};
SourceAvailability sourcesFor(int32_t cursorClass);

// Moves every source of the module to one the tool can feed: without a wheel,
// Fingerwheel becomes Pressure; a puck, having no pressure, gets Fixed everywhere.
// Returns true when any source changed.
bool adaptSources(const ModuleInfo& module, int32_t cursorClass);
