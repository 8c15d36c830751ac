#include "tests/native/fake_host.h"

FakeHost* gHost;

namespace {

OSErr KX_CDECL advanceState() {
    FakeHost& h = *gHost;
    ++h.advanceCalls;
    if (h.advanceAnswer != noErr) return h.advanceAnswer;
    FilterRecord& r = h.record;
    const int w = r.inRect.right - r.inRect.left, ht = r.inRect.bottom - r.inRect.top;
    const int stride = r.inHiPlane - r.inLoPlane + 1;
    r.inRowBytes = w * stride + h.rowSlack;
    r.outRowBytes = w * stride + h.rowSlack;
    h.in.assign(size_t(r.inRowBytes) * ht, 0);
    // This host does not copy the source into the destination (the plug-ins say it
    // need not), so the result starts as junk the plug-in must overwrite.
    h.out.assign(size_t(r.outRowBytes) * ht, 0xEE);
    for (int y = 0; y < ht; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < stride; ++c)
                h.in[size_t(y) * r.inRowBytes + size_t(x) * stride + c] =
                    h.documentAt(x + r.inRect.left, y + r.inRect.top, c + r.inLoPlane);
    r.inData = h.in.data();
    r.outData = h.out.data();
    if (r.haveMask) {
        r.maskRowBytes = w;
        h.mask.assign(size_t(w) * ht, 0);
        for (int y = 0; y < ht; ++y)
            for (int x = 0; x < w; ++x)
                h.mask[size_t(y) * w + x] =
                    h.maskPlane[size_t(y + r.maskRect.top) * h.width + x + r.maskRect.left];
        r.maskData = h.mask.data();
    }
    return noErr;
}

OSErr KX_CDECL displayPixels(const PSPixelMap*, const VRect*, int32_t, int32_t, void*) {
    ++gHost->displayCalls;
    return noErr;
}

}  // namespace

void FakeHost::setUp(int w, int h, int16_t mode, int16_t planeCount, bool withMask) {
    width = w;
    height = h;
    planes = planeCount;
    document.resize(size_t(w) * h * planeCount);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < planeCount; ++c)
                document[(size_t(y) * w + x) * planeCount + c] = uint8_t(1 + x * 7 + y * 31 + c * 50);
    record = FilterRecord{};
    record.imageSize = {int16_t(h), int16_t(w)};
    record.planes = planeCount;
    record.filterRect = {0, 0, int16_t(h), int16_t(w)};
    record.imageMode = mode;
    record.haveMask = withMask;
    if (withMask) maskPlane.assign(size_t(w) * h, 255);
    record.advanceState = advanceState;
    record.displayPixels = displayPixels;
    gHost = this;
}
