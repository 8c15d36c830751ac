// Small images for the speck filters' pixel tests: a FilterRecord over vectors the test
// owns, with padded rows so code must honour the row strides, and plain references.
#pragma once
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "framework/host/filter_api.h"
#include "framework/host/image_access.h"

struct SpeckImage {
    int width = 0, height = 0, planes = 0;
    std::vector<uint8_t> in, out, mask;
    FilterRecord record{};

    void setUp(int w, int h, int16_t mode, int16_t planeCount, bool withMask = false) {
        width = w;
        height = h;
        planes = planeCount;
        record = FilterRecord{};
        record.planes = planeCount;
        record.imageMode = mode;
        record.filterRect = {0, 0, int16_t(h), int16_t(w)};
        record.inRect = record.outRect = record.maskRect = record.filterRect;
        record.inLoPlane = record.outLoPlane = 0;
        record.inHiPlane = record.outHiPlane = int16_t(planeCount - 1);
        record.inRowBytes = w * planeCount + 5;
        record.outRowBytes = w * planeCount + 3;
        record.maskRowBytes = w + 2;
        in.assign(size_t(record.inRowBytes) * h, 0xEE);
        out.assign(size_t(record.outRowBytes) * h, 0xEE);
        mask.assign(size_t(record.maskRowBytes) * h, 255);
        record.inData = in.data();
        record.outData = out.data();
        record.haveMask = withMask;
        record.maskData = withMask ? mask.data() : nullptr;
    }
    uint8_t& inAt(int x, int y, int c) { return in[size_t(y) * record.inRowBytes + size_t(x) * planes + c]; }
    uint8_t& outAt(int x, int y, int c) { return out[size_t(y) * record.outRowBytes + size_t(x) * planes + c]; }
    // Which result pixels differ from the source, as rows of '#' and '.'.
    std::vector<std::string> changedRows() {
        std::vector<std::string> rows;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x) {
                bool diff = false;
                for (int c = 0; c < planes; ++c) diff |= outAt(x, y, c) != inAt(x, y, c);
                row += diff ? '#' : '.';
            }
            rows.push_back(row);
        }
        return rows;
    }
    uint8_t& maskAt(int x, int y) { return mask[size_t(y) * record.maskRowBytes + x]; }

    // Source from a function of (x, y, c); the result starts as a copy of it.
    template <class F>
    void fill(F value) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < planes; ++c) inAt(x, y, c) = uint8_t(value(x, y, c));
        resetResult();
    }
    void noise(std::mt19937& rng) {
        std::uniform_int_distribution<int> byte(0, 255);
        fill([&](int, int, int) { return byte(rng); });
    }
    void resetResult() {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < planes; ++c) outAt(x, y, c) = inAt(x, y, c);
    }
    // The result pixels only (row padding excluded), for comparing two states.
    std::vector<uint8_t> resultPixels() {
        std::vector<uint8_t> pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < planes; ++c) pixels.push_back(outAt(x, y, c));
        return pixels;
    }
    // The median by sorting, over the k x k square with clamped coordinates, read from
    // the result (fromResult) or the source.
    uint8_t referenceMedian(int x, int y, int k, int c, bool fromResult) {
        std::vector<uint8_t> values;
        for (int j = 0; j < k; ++j)
            for (int i = 0; i < k; ++i) {
                const int xx = std::clamp(x - k / 2 + i, 0, width - 1);
                const int yy = std::clamp(y - k / 2 + j, 0, height - 1);
                values.push_back(fromResult ? outAt(xx, yy, c) : inAt(xx, yy, c));
            }
        std::sort(values.begin(), values.end());
        return values[(values.size() + 1) / 2 - 1];
    }
};
