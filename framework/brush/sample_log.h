// A text record of what a dialog session fed the stroke step. One sample per line,
// "x y size amount pressure inverted"; "# params <hex>" before the first sample and
// whenever the effect's parameters changed; "# device <pressureMax> <wheelMax>" first;
// "# apply", "# revert", "# snapshot" (undo snapshot at a stroke's start) and "# swap"
// (the Z key) where they happened between the samples.
// A module with a record of its own (SampleRule) writes its extra fields after the six,
// and "# seed <n>" first when it keeps a random state.
// Replaying the file through the stroke step natively must paint exactly what the
// dialog painted.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/tablet/tablet_sample.h"

struct SampleRule;

std::string formatSample(const TabletSample& s);
// The whole record's line: the six shared fields, then the rule's extra fields.
std::string formatRecord(const TabletSample* record, const SampleRule* rule);
bool parseSample(const char* line, TabletSample& s);
std::string formatParams(const void* params, uint32_t size);

struct SampleLogEntry {
    enum Kind { sample, params, device, apply, revert, snapshot, swap, seed } kind;
    TabletSample s;                // kind sample
    std::vector<uint8_t> record;   // kind sample: the whole record (the rule's size)
    uint32_t seedValue;            // kind seed
    std::vector<uint8_t> bytes;    // kind params
    int pressureMax, wheelMax;     // kind device
};
// The whole text of a log; false when a line is malformed or a value does not fit.
// Sample lines carry the rule's extra fields (null: the six shared ones only).
bool parseSampleLog(const std::string& text, std::vector<SampleLogEntry>& entries,
                    const SampleRule* rule = nullptr);
// Reads a whole file; false when it cannot be read or a line is malformed.
bool readSampleLog(const char* path, std::vector<SampleLogEntry>& entries,
                   const SampleRule* rule = nullptr);
