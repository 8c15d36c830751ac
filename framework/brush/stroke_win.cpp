// Pen packets and samples inside the dialog: the Win32 side only moves messages.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/brush/sample_log.h"
#include "framework/brush/stroke.h"
#include "framework/brush/stroke_win.h"
#include "framework/dialog/preview_win.h"
#include "framework/dialog/tool_rules.h"
#include "framework/dialog/tools_win.h"
#include "framework/host/module.h"
#include "framework/host/module_instance_win.h"
#include "framework/host/platform.h"
#include "framework/tablet/device.h"
#include "framework/tablet/packet_filter.h"
#include "framework/tablet/sample_queue.h"
#include "framework/tablet/wintab_api.h"
#include "resources/common/art_ids.h"

namespace {

constexpr int kRevertId = 4;

PacketFilterState gPackets;  // persists between strokes, as the pen does
StrokeState gStroke{nullptr, 0, 0, true};
std::FILE* gSampleLog;       // diagnostic record of samples, when asked for
std::string gLoggedParams;   // the parameters line last written to it

// The packet filter's sink: each sample in a block of its own, to the dialog's queue.
bool postSample(void* queue, const TabletSample* record, uint32_t bytes) {
    return queueRecord(*static_cast<const SampleQueue*>(queue), record, bytes);
}

void handle(HWND dialog, Packet& packet, int32_t cursorClass) {
    HWND preview = previewWindow();
    if (!preview) return;
    POINT p{packet.pkX, packet.pkY};
    ScreenToClient(preview, &p);
    PacketContext context{};
    context.painting = currentDragState() == kDragPaint;
    context.hookInstalled = keyboardHookInstalled();
    context.clientX = p.x;
    context.clientY = p.y;
    context.geometry = previewGeometry();
    context.cursorClass = cursorClass;
    context.ranges = gDevice;
    context.shiftHeld = GetKeyState(VK_SHIFT) < 0;
    SampleQueue queue{dialog, postSampleMessage};
    handlePacket(gPackets, packet, context, currentModule(), postSample, &queue);
}

void invalidate(void*, const Box& b) {
    RECT rc{b.left, b.top, b.right, b.bottom};
    InvalidateRect(previewWindow(), &rc, FALSE);
}
void updateNow(void*) { UpdateWindow(previewWindow()); }
void setCursor(void*, bool brush) {
    HCURSOR c = brush ? LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(KX_CUR_BRUSH))
                      : LoadCursor(nullptr, IDC_WAIT);
    if (c) SetCursor(c);
}
void enableRevert(void* dialog) { EnableWindow(GetDlgItem(static_cast<HWND>(dialog), kRevertId), TRUE); }

}  // namespace

void beginStrokes() {
    const ModuleInfo& module = currentModule();
    resetModuleStroke(gStroke, module);
    // A record of the session's samples, for replaying the strokes outside the dialog.
    if (const char* path = std::getenv("KESTRIX_SAMPLE_LOG")) {
        gSampleLog = std::fopen(path, "w");
        if (gSampleLog) {
            std::fprintf(gSampleLog, "# device %d %d\n", gDevice.pressureMax, gDevice.wheelMax);
            const SampleRule* rule = module.sampleRule;
            if (rule && rule->seed) std::fprintf(gSampleLog, "# seed %u\n", unsigned(rule->seed()));
        }
        gLoggedParams.clear();
    }
}

void endStrokes(HWND dialog) {
    resetModuleStroke(gStroke, currentModule());
    // Samples still queued for the dialog would die with it: their blocks are ours.
    MSG msg;
    while (PeekMessageA(&msg, dialog, kSampleMessage, kSampleMessage, PM_REMOVE))
        freeFixed(reinterpret_cast<void*>(msg.lParam));
    if (gSampleLog) std::fclose(gSampleLog);
    gSampleLog = nullptr;
}

void logSessionEvent(const char* name) {
    if (!gSampleLog) return;
    std::fprintf(gSampleLog, "# %s\n", name);
    std::fflush(gSampleLog);
}

void logCurrentParams() {
    if (!gSampleLog) return;
    const ModuleInfo& module = currentModule();
    try {
        std::string params = formatParams(module.params, module.paramsSize);
        if (params == gLoggedParams) return;
        std::fputs(params.c_str(), gSampleLog);
        std::fflush(gSampleLog);
        gLoggedParams = params;
    } catch (...) {
        gLoggedParams.clear();
    }
}

void onPacketMessage(HWND dialog, HCTX context, WPARAM serial, int32_t cursorClass) {
    const WintabApi* api = wintab();
    if (!api || !context) return;
    Packet packet{};
    if (!api->packet(context, UINT(serial), &packet)) return;
    handle(dialog, packet, cursorClass);
    drainPackets(dialog, context, cursorClass);
}

void drainPackets(HWND dialog, HCTX context, int32_t cursorClass) {
    const WintabApi* api = wintab();
    if (!api || !context) return;
    Packet packet{};
    while (api->packetsGet(context, 1, &packet) == 1) handle(dialog, packet, cursorClass);
}

void onSampleMessage(HWND dialog, TabletSample* sample) {
    if (!sample) return;
    const ModuleInfo& module = currentModule();
    if (gSampleLog) {
        // The log is a diagnostic: without memory for its line the sample still paints.
        // (Nothing may throw from here into the dialog procedure and the system.)
        try {
            std::string params = formatParams(module.params, module.paramsSize);
            if (params != gLoggedParams) std::fputs(params.c_str(), gSampleLog);
            gLoggedParams = params;
            std::fputs(formatRecord(sample, module.sampleRule).c_str(), gSampleLog);
            std::fflush(gSampleLog);
        } catch (...) {
            gLoggedParams.clear();
        }
    }
    StrokeSurface surface{};
    surface.context = dialog;
    surface.geometry = previewGeometry();
    surface.penDown = gPackets.penDown;
    surface.invalidate = invalidate;
    surface.updateNow = updateNow;
    surface.setCursor = setCursor;
    surface.enableRevert = enableRevert;
    runStrokeStep(gStroke, sample, module, surface);
}

void onStrokeTimer(HWND dialog) {
    const StrokeRule* rule = currentModule().strokeRule;
    if (!rule || !rule->onTimer) return;
    TabletSample* repeat = rule->onTimer(gStroke, currentDragState() == kDragPaint);
    // Queued like a packet's sample; the queue owns the block, or it is freed here.
    if (repeat && !postSampleMessage(dialog, repeat)) freeFixed(repeat);
}

void clearSideButtonLatch() { gPackets.sideButtonLatch = false; }
