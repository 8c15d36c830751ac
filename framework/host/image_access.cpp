#include "framework/host/image_access.h"

#include <cstdint>
#include <cstring>

#include "framework/host/plugin_globals.h"

namespace {

constexpr Fixed kRateOne = 0x00010000;

int extentWidth(const FilterRecord& r) { return r.outRect.right - r.outRect.left; }
int extentHeight(const FilterRecord& r) { return r.outRect.bottom - r.outRect.top; }
int inStride(const FilterRecord& r) { return r.inHiPlane - r.inLoPlane + 1; }

bool buffersPresent(const FilterRecord& r) { return r.inData != nullptr && r.outData != nullptr; }

enum class Direction { toResult, toSource };

void copyImage(FilterRecord& r, Direction direction) {
    if (!buffersPresent(r)) return;
    const int width = extentWidth(r), height = extentHeight(r);
    const int planes = r.planes, stride = inStride(r);
    if (width <= 0 || height <= 0 || planes <= 0 || stride < planes) return;
    auto* in = static_cast<uint8_t*>(r.inData);
    auto* out = static_cast<uint8_t*>(r.outData);
    for (int y = 0; y < height; ++y) {
        uint8_t* src = in + intptr_t(y) * r.inRowBytes;
        uint8_t* dst = out + intptr_t(y) * r.outRowBytes;
        if (stride == planes) {
            if (direction == Direction::toResult)
                std::memcpy(dst, src, size_t(width) * planes);
            else
                std::memcpy(src, dst, size_t(width) * planes);
            continue;
        }
        for (int x = 0; x < width; ++x, src += stride, dst += planes) {
            if (direction == Direction::toResult)
                std::memcpy(dst, src, planes);
            else
                std::memcpy(src, dst, planes);
        }
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
    // nothing may touch an absent buffer.
    return buffersPresent(r) && (!r.haveMask || r.maskData != nullptr);
}

void resetResult(FilterRecord& record) { copyImage(record, Direction::toResult); }

void commitResult(FilterRecord& record) { copyImage(record, Direction::toSource); }

void copyTransparencyFromSource(FilterRecord& r) {
    if (!hasTransparencyPlane(r.imageMode, r.planes) || !buffersPresent(r)) return;
    const int width = extentWidth(r), height = extentHeight(r);
    const int planes = r.planes, stride = inStride(r), alpha = planes - 1;
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
