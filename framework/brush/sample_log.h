// A text record of what a dialog session fed the stroke step. One sample per line,
// "x y size amount pressure inverted"; "# params <hex>" before the first sample and
// whenever the effect's parameters changed; "# device <pressureMax> <wheelMax>" first;
// "# apply", "# revert", "# snapshot" (undo snapshot at a stroke's start) and "# swap"
// (the Z key) where they happened between the samples.
// Replaying the file through the stroke step natively must paint exactly what the
// dialog painted.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/tablet/tablet_sample.h"

std::string formatSample(const TabletSample& s);
bool parseSample(const char* line, TabletSample& s);
std::string formatParams(const void* params, uint32_t size);

struct SampleLogEntry {
    enum Kind { sample, params, device, apply, revert, snapshot, swap } kind;
    TabletSample s;                // kind sample
    std::vector<uint8_t> bytes;    // kind params
    int pressureMax, wheelMax;     // kind device
};
// The whole text of a log; false when a line is malformed or a value does not fit.
bool parseSampleLog(const std::string& text, std::vector<SampleLogEntry>& entries);
// Reads a whole file; false when it cannot be read or a line is malformed.
bool readSampleLog(const char* path, std::vector<SampleLogEntry>& entries);
