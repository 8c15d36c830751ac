#include "filter_session_win.h"

#include <cstring>
#include <string>

#include "host_args.h"
#include "host_procs_win.h"
#include "param_handle_win.h"
#include "pixel_ops.h"
#include "report_sink_win.h"

namespace {

FilterSession* g_session = nullptr;  // callbacks carry no context: one session at a time

constexpr Fixed kOne = 0x00010000;
constexpr int32_t kSpace = 64 * 1024 * 1024;

std::string rectText(const Rect16& r) {
    return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) + "," +
           std::to_string(r.right);
}

PixRect pix(const Rect16& r) { return {r.top, r.left, r.bottom, r.right}; }

int16_t clamp16(int v) { return int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

constexpr size_t kRecordSpace = 4096;  // a page: the record and room to spare, zeroed

FilterRecord* newRecord() {
    static_assert(sizeof(FilterRecord) <= kRecordSpace, "the record fits its page");
    void* p = VirtualAlloc(nullptr, kRecordSpace, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!p) {
        reportSet("fault", "no memory for the FilterRecord");
        writeReport();
        ExitProcess(3);
    }
    return static_cast<FilterRecord*>(p);
}

}  // namespace

OSErr KX_CDECL sessionAdvanceState() { return g_session ? g_session->advanceState() : filterBadParameters; }

FilterSession::FilterSession(const Image& image, const Image* mask, HWND mainWindow, const SessionOptions& options)
    : original_(image), work_(image), mask_(mask), window_(mainWindow), options_(options) {
    record_ = newRecord();
    g_session = this;
    fillRecord();
}

FilterSession::~FilterSession() {
    if (g_session == this) g_session = nullptr;
    VirtualFree(record_, 0, MEM_RELEASE);
    for (void* r : droppedRecords_) VirtualFree(r, 0, MEM_RELEASE);
}

void FilterSession::dropInvocation() {
    for (Delivered* d : {&in_, &out_, &maskBuf_}) d->buffer.release();
    // The host keeps the parameters handle, as it does between invocations.
    options_.parameters = record_->parameters;
    VirtualFree(record_, kRecordSpace, MEM_DECOMMIT);
    droppedRecords_.push_back(record_);
    record_ = newRecord();
    fillRecord();
    reportSet("dropped", int(droppedRecords_.size()));
}

void FilterSession::fillRecord() {
    FilterRecord& r = *record_;
    const Image& img = original_;
    PixRect fr = options_.haveFilterRect ? options_.filterRect : PixRect{0, 0, img.height, img.width};
    r.serialNumber = 0;
    r.parameters = options_.parameters;
    r.imageSize = {clamp16(img.height), clamp16(img.width)};
    r.planes = int16_t(img.depth);
    r.filterRect = {clamp16(fr.top), clamp16(fr.left), clamp16(fr.bottom), clamp16(fr.right)};
    r.background = {0xFFFF, 0xFFFF, 0xFFFF};
    r.foreground = {0, 0, 0};
    if (options_.haveForeground)
        r.foreground = {uint16_t(options_.foreground[0] * 257), uint16_t(options_.foreground[1] * 257),
                        uint16_t(options_.foreground[2] * 257)};
    r.maxSpace = kSpace;
    r.bufferSpace = kSpace;
    r.inLoPlane = r.outLoPlane = 0;
    r.inHiPlane = r.outHiPlane = -1;
    r.isFloating = options_.floating;
    r.haveMask = mask_ != nullptr;
    r.autoMask = 0;
    // Colours in the image's own channels. CMYK bytes are 255 - ink: white is all 255,
    // black is no light through the K plate.
    std::memset(r.backColor, 255, 4);
    if (img.imageMode == 4) {
        std::memset(r.foreColor, 255, 4);
        r.foreColor[3] = 0;
    } else {
        std::memset(r.foreColor, 0, 4);
    }
    if (options_.haveForeground) {
        const int16_t rgb[3] = {int16_t(options_.foreground[0]), int16_t(options_.foreground[1]),
                                int16_t(options_.foreground[2])};
        int16_t cmyk[4];
        rgbToCmyk(rgb, cmyk);
        for (int i = 0; i < 4; ++i) r.foreColor[i] = uint8_t(img.imageMode == 4 ? cmyk[i] : i < 3 ? rgb[i] : 0);
    }
    r.hostSig = fourCC("KXRH");
    r.imageMode = int16_t(img.imageMode);
    r.imageHRes = r.imageVRes = 72 * kOne;
    r.floatCoord = {0, 0};
    r.wholeSize = r.imageSize;
    r.monitor.gamma = 2 * kOne + kOne / 5;  // 2.2
    platform_.hwnd = reinterpret_cast<intptr_t>(window_);
    if (options_.invalidOwner) {
        // A handle no window has: create one and destroy it at once.
        HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(gone);
        platform_.hwnd = reinterpret_cast<intptr_t>(gone);
    }
    r.platformData = &platform_;
    r.displayPixels = options_.displayPixels ? hostDisplayPixels : nullptr;
    r.filterCase = options_.floating ? 3 : img.hasAlpha ? (mask_ ? 5 : 4) : (mask_ ? 2 : 1);
    r.dummyPlaneValue = -1;
    r.advanceState = options_.advanceState ? sessionAdvanceState : nullptr;
    r.supportsAbsolute = 0;
    r.supportsPadding = 1;
    r.inputPadding = r.outputPadding = r.maskPadding = kPadNone;
    r.inputRate = r.maskRate = kOne;
    r.colorServices = options_.colorServices ? hostColorServices : nullptr;
    r.handleProcs = options_.handleProcs ? hostHandleProcs() : nullptr;
}

bool FilterSession::rectsPending() const {
    return !rectEmpty(pix(record_->inRect)) || !rectEmpty(pix(record_->outRect)) ||
           (record_->haveMask && !rectEmpty(pix(record_->maskRect)));
}

void FilterSession::commitOut() {
    if (!out_.buffer.data()) return;
    storeToImage(work_, out_.rect, out_.lo, out_.hi, out_.buffer.data(), out_.rowBytes, pix(record_->filterRect));
}

OSErr FilterSession::advanceState() {
    const int n = ++advanceCalls_;
    const FilterRecord& r = *record_;
    const std::string k = "advanceState." + std::to_string(n) + ".";
    reportSet("advanceState.calls", n);
    reportSet(k + "inRect", rectText(r.inRect));
    reportSet(k + "inPlanes", std::to_string(r.inLoPlane) + "," + std::to_string(r.inHiPlane));
    reportSet(k + "outRect", rectText(r.outRect));
    reportSet(k + "outPlanes", std::to_string(r.outLoPlane) + "," + std::to_string(r.outHiPlane));
    reportSet(k + "maskRect", rectText(r.maskRect));
    reportSet(k + "inputPadding", r.inputPadding);
    reportSet(k + "outputPadding", r.outputPadding);
    reportSet(k + "maskPadding", r.maskPadding);
    reportSet(k + "inputRate", r.inputRate);
    reportSet(k + "maskRate", r.maskRate);
    if (options_.haveAdvanceStateError) return options_.advanceStateError;
    if (options_.advanceStateNoBuffers) {
        // A host that says yes and hands out nothing.
        commitOut();
        for (Delivered* d : {&in_, &out_, &maskBuf_}) d->buffer.release();
        record_->inData = record_->outData = record_->maskData = nullptr;
        reportSet(k + "buffers", 0);
        return noErr;
    }
    OSErr e = deliver(n);
    if (e != noErr) reportSet(k + "result", e);
    return e;
}

// Hands out the buffers the record asks for, after putting the previous output back.
OSErr FilterSession::deliver(int n) {
    FilterRecord& r = *record_;
    const std::string k = "advanceState." + std::to_string(n) + ".";
    commitOut();
    for (Delivered* d : {&in_, &out_, &maskBuf_}) d->buffer.release();
    r.inData = r.outData = r.maskData = nullptr;
    r.inRowBytes = r.outRowBytes = r.maskRowBytes = 0;

    auto fail = [&](OSErr code, const std::string& why) {
        reportSet(k + "error", why);
        return code;
    };
    // Sampling other than 1:1 is not offered by this host.
    if (!rectEmpty(pix(r.inRect)) && r.inputRate != kOne) return fail(filterBadParameters, "inputRate is not 1.0");
    if (r.haveMask && !rectEmpty(pix(r.maskRect)) && r.maskRate != kOne) return fail(filterBadParameters, "maskRate is not 1.0");

    struct Job {
        Delivered& d;
        const Image* src;
        Rect16 rect;
        int lo, hi, padding;
        void** data;
        int32_t* rowBytes;
        const char* what;
    };
    Job jobs[] = {
        {in_, &original_, r.inRect, r.inLoPlane, r.inHiPlane, r.inputPadding, &r.inData, &r.inRowBytes, "in"},
        {out_, &work_, r.outRect, r.outLoPlane, r.outHiPlane, r.outputPadding, &r.outData, &r.outRowBytes, "out"},
        {maskBuf_, mask_, r.maskRect, 0, 0, r.maskPadding, &r.maskData, &r.maskRowBytes, "mask"},
    };
    for (Job& j : jobs) {
        PixRect pr = pix(j.rect);
        if (!j.src || rectEmpty(pr) || j.hi < j.lo) continue;
        if (j.lo < 0 || j.hi >= j.src->depth) return fail(filterBadParameters, std::string(j.what) + " planes outside the image");
        const int32_t rowBytes = (pr.right - pr.left) * (j.hi - j.lo + 1);
        const size_t size = size_t(rowBytes) * size_t(pr.bottom - pr.top);
        if (size > size_t(kSpace) * 4 || !j.d.buffer.allocate(size, options_.guardFront))
            return fail(memFullErr, std::string(j.what) + " buffer too large");
        // outData starts as a copy of the source: the probe and our plug-ins leave the
        // fici "host does not copy source" flag clear.
        FillResult fr = fillFromImage(*j.src, pr, j.lo, j.hi, j.padding, j.d.buffer.data(), rowBytes);
        if (fr != FillResult::Ok) {
            j.d.buffer.release();
            return fail(filterBadParameters, std::string(j.what) + (fr == FillResult::OutOfBounds ? " rect leaves the image" : " padding value not supported"));
        }
        j.d.rect = pr;
        j.d.lo = j.lo;
        j.d.hi = j.hi;
        j.d.rowBytes = rowBytes;
        *j.data = j.d.buffer.data();
        *j.rowBytes = rowBytes;
    }
    return noErr;
}

// The source buffer handed out still holds the image as the host filled it: a plug-in
// must only ever read it (Apply keeps its own copy).
bool FilterSession::sourceUntouched() const {
    const Delivered& d = in_;
    if (!d.buffer.data() || rectEmpty(d.rect)) return true;
    std::vector<uint8_t> fresh(size_t(d.rowBytes) * size_t(d.rect.bottom - d.rect.top));
    if (fillFromImage(original_, d.rect, d.lo, d.hi, record_->inputPadding, fresh.data(), d.rowBytes) != FillResult::Ok)
        return false;
    return std::memcmp(fresh.data(), d.buffer.data(), fresh.size()) == 0;
}

int16_t FilterSession::call(PluginEntry entry, int selector) {
    int16_t result = 0;
    if (selector == filterSelectorAbout) {
        AboutRecord about = {};
        about.platformData = &platform_;
        entry(int16_t(selector), &about, &data_, &result);
    } else {
        entry(int16_t(selector), record_, &data_, &result);
    }
    reportSet("result." + selectorName(selector), result);
    return result;
}

void FilterSession::run(PluginEntry entry, const std::vector<int>& selectors) {
    bool filtered = false, filterOk = false;
    for (int sel : selectors) {
        int16_t result;
        if (sel == kDropInvocation) {
            dropInvocation();
            filtered = filterOk = false;
            continue;
        }
        if (sel == filterSelectorContinue) {
            // A host calls Continue only while the plug-in still asks for pixels.
            if (!rectsPending()) {
                reportSet("continue.skipped", 1);
                continue;
            }
            int rounds = 0;
            do {
                result = deliver(++advanceCalls_);
                reportSet("advanceState.calls", advanceCalls_);
                if (result == noErr) result = call(entry, sel);
                reportSet("continue.calls", ++rounds);
            } while (result == noErr && rectsPending());
            if (result == noErr) commitOut();
            filterOk = filterOk && result == noErr;
        } else {
            result = call(entry, sel);
            if (sel == filterSelectorPrepare) {
                reportSet("after.prepare.maxSpace", static_cast<long long>(record_->maxSpace));
                reportSet("after.prepare.bufferSpace", static_cast<long long>(record_->bufferSpace));
            }
            if (sel == filterSelectorStart) {
                reportSet("after.start.inRect", rectText(record_->inRect));
                reportSet("after.start.outRect", rectText(record_->outRect));
                reportSet("after.start.maskRect", rectText(record_->maskRect));
                reportSet("outData.isHostBuffer", record_->outData && record_->outData == out_.buffer.data() ? 1 : 0);
                reportSet("inData.untouched", sourceUntouched() ? 1 : 0);
                filtered = true;
                filterOk = result == noErr;
                if (filterOk) commitOut();
            }
        }
        if (result != noErr) {
            reportSet("stopped.after", selectorName(sel));
            break;
        }
    }
    // What the plug-in keeps in the entry's data argument: a global-heap block, if any.
    if (data_) reportSet("data.size", static_cast<long long>(GlobalSize(reinterpret_cast<HGLOBAL>(data_))));
    succeeded_ = filtered && filterOk;
    reportSet("image.filtered", succeeded_ ? 1 : 0);
    for (Delivered* d : {&in_, &out_, &maskBuf_}) d->buffer.release();
    record_->inData = record_->outData = record_->maskData = nullptr;
}
