// A host in miniature: a document, and the buffers advanceState hands the plug-in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/host/filter_api.h"

struct FakeHost {
    FilterRecord record{};
    int width = 0, height = 0, planes = 0;
    std::vector<uint8_t> document;  // width x height x planes, interleaved
    std::vector<uint8_t> maskPlane; // width x height, when the document has a selection
    std::vector<uint8_t> in, out, mask;
    int rowSlack = 3;           // extra bytes per row, so code must honour rowBytes
    OSErr advanceAnswer = noErr;
    int advanceCalls = 0;
    int displayCalls = 0;

    // A document whose every byte differs from its neighbours: value = f(x, y, c).
    void setUp(int w, int h, int16_t mode, int16_t planeCount, bool withMask = false);
    uint8_t documentAt(int x, int y, int c) const {
        return document[(size_t(y) * width + x) * planes + c];
    }
    uint8_t& outAt(int x, int y, int c) {
        return out[size_t(y) * record.outRowBytes + size_t(x) * planes + c];
    }
    uint8_t& inAt(int x, int y, int c) {
        return in[size_t(y) * record.inRowBytes + size_t(x) * planes + c];
    }
};

extern FakeHost* gHost;  // the host the callbacks serve
