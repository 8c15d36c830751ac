#include "framework/host/image_access.h"

#include <algorithm>
#include <cstring>

#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"

namespace {

constexpr Fixed kRateOne = 0x00010000;

int extentWidth(const FilterRecord& r) { return r.outRect.right - r.outRect.left; }
int extentHeight(const FilterRecord& r) { return r.outRect.bottom - r.outRect.top; }
int inStride(const FilterRecord& r) { return r.inHiPlane - r.inLoPlane + 1; }

bool buffersPresent(const FilterRecord& r) { return r.inData != nullptr && r.outData != nullptr; }

// Every row the host hands over is at least as long as its pixels: the effects, Revert
// and undo step through whole rows, and a shorter stride would overlap rows or run
// past the buffer's end.
bool rowsHoldTheirPixels(const FilterRecord& r) {
    const int64_t width = std::max(extentWidth(r), 0);
    if (int64_t(r.inRowBytes) < width * inStride(r)) return false;
    if (int64_t(r.outRowBytes) < width * std::max<int>(r.planes, 0)) return false;
    return !r.haveMask || int64_t(r.maskRowBytes) >= width;
}

// Our applied copy holds every pixel the effects may address: the larger of the copy
// extent (outRect) and the filter rectangle (the same after requestImage), in packed
// rows of width x planes bytes.
struct AppliedShape {
    int width, height;
};
AppliedShape appliedShape(const FilterRecord& r) {
    const int fw = r.filterRect.right - r.filterRect.left;
    const int fh = r.filterRect.bottom - r.filterRect.top;
    return {std::max(std::max(extentWidth(r), fw), 0), std::max(std::max(extentHeight(r), fh), 0)};
}
intptr_t appliedRowBytes(const FilterRecord& r) {
    return intptr_t(appliedShape(r).width) * std::max<int>(r.planes, 0);
}

// Copies the extent's pixels, `planes` bytes each, between two buffers.
void copyPixels(const uint8_t* from, intptr_t fromRow, int fromStride, uint8_t* to, intptr_t toRow,
                int toStride, int width, int height, int planes) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = from + y * fromRow;
        uint8_t* dst = to + y * toRow;
        if (fromStride == planes && toStride == planes) {
            std::memcpy(dst, src, size_t(width) * size_t(planes));
            continue;
        }
        for (int x = 0; x < width; ++x, src += fromStride, dst += toStride)
            std::memcpy(dst, src, size_t(planes));
    }
}

}  // namespace

bool hasTransparencyPlane(int imageMode, int planes) {
    return (imageMode == plugInModeGrayScale && planes == 2) ||
           (imageMode == plugInModeRGBColor && planes == 4) ||
           (imageMode == plugInModeCMYKColor && planes == 5);
}

int processedChannels(const FilterRecord& record) {
    return hasTransparencyPlane(record.imageMode, record.planes) ? record.planes - 1
                                                                 : record.planes;
}

bool requestImage(FilterRecord& r) {
    r.inRect = r.filterRect;
    r.outRect = r.filterRect;
    r.inLoPlane = 0;
    r.outLoPlane = 0;
    r.inHiPlane = int16_t(r.planes - 1);
    r.outHiPlane = int16_t(r.planes - 1);
    r.maskRect = r.filterRect;
    r.inputRate = kRateOne;
    if (r.haveMask) r.maskRate = kRateOne;
    r.inputPadding = plugInWantsEdgeReplication;
    r.outputPadding = plugInWantsEdgeReplication;
    if (r.haveMask && r.isFloating) r.maskPadding = plugInWantsEdgeReplication;
    gPlugin.zoom = 1.0f;

    if (!r.advanceState || gPlugin.result != noErr) return false;
    gPlugin.result = r.advanceState();
    if (gPlugin.result != noErr) return false;
    // A host that answers success without buffers gets treated as one that failed:
    // nothing may touch an absent buffer, and Start must not report success.
    if (buffersPresent(r) && (!r.haveMask || r.maskData != nullptr) && rowsHoldTheirPixels(r)) return true;
    gPlugin.result = filterBadParameters;
    return false;
}

SourcePlanes sourcePlanes(const FilterRecord& r) {
    if (gPlugin.applied) return {gPlugin.applied, appliedRowBytes(r), r.planes};
    return {static_cast<const uint8_t*>(r.inData), r.inRowBytes, inStride(r)};
}

void resetResult(FilterRecord& r) {
    if (!buffersPresent(r)) return;
    const int width = extentWidth(r), height = extentHeight(r);
    const int planes = r.planes;
    if (width <= 0 || height <= 0 || planes <= 0 || inStride(r) < planes) return;
    const SourcePlanes source = sourcePlanes(r);
    copyPixels(source.data, source.rowBytes, source.stride, static_cast<uint8_t*>(r.outData),
               r.outRowBytes, planes, width, height, planes);
}

bool commitResult(FilterRecord& r) {
    if (!buffersPresent(r)) return true;
    const int width = extentWidth(r), height = extentHeight(r);
    const int planes = r.planes;
    if (width <= 0 || height <= 0 || planes <= 0 || inStride(r) < planes) return true;
    if (!gPlugin.applied) {
        const size_t bytes = size_t(appliedRowBytes(r)) * size_t(appliedShape(r).height);
        auto* block = static_cast<uint8_t*>(allocFixed(bytes));
        if (!block) return false;
        gPlugin.applied = block;
    }
    copyPixels(static_cast<const uint8_t*>(r.outData), r.outRowBytes, planes, gPlugin.applied,
               appliedRowBytes(r), planes, width, height, planes);
    return true;
}

void releaseApplied() {
    freeFixed(gPlugin.applied);
    gPlugin.applied = nullptr;
}

void copyTransparencyFromSource(FilterRecord& r) {
    if (!hasTransparencyPlane(r.imageMode, r.planes) || !buffersPresent(r)) return;
    const int width = extentWidth(r), height = extentHeight(r);
    const int planes = r.planes, stride = inStride(r), alpha = planes - 1;
    if (stride < planes) return;
    auto* in = static_cast<const uint8_t*>(r.inData);
    auto* out = static_cast<uint8_t*>(r.outData);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = in + intptr_t(y) * r.inRowBytes + alpha;
        uint8_t* dst = out + intptr_t(y) * r.outRowBytes + alpha;
        for (int x = 0; x < width; ++x, src += stride, dst += planes) *dst = *src;
    }
}

void finalApplyTransparency() {
    if (gPlugin.record) copyTransparencyFromSource(*gPlugin.record);
}
