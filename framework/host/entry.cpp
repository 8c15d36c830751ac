#include "framework/host/entry.h"

#include <cstring>

#include "framework/dialog/editing_dialog.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/device.h"
#include "framework/tablet/wintab_api.h"

PluginGlobals gPlugin;

namespace {

void setUp(void* record) {
    const ModuleInfo& module = currentModule();
    gPlugin.record = static_cast<FilterRecord*>(record);
    gPlugin.result = noErr;
    gPlugin.currentTool = kToolBrush;
    gPlugin.parametersSeen = 0;
    gPlugin.paramsValid = 0;
    gPlugin.modified = 0;
    gPlugin.appliedOnce = 0;
    gPlugin.unappliedStroke = 0;
    if (!module.hooks->initBuffers()) gPlugin.result = memFullErr;
    gPlugin.initialized = 1;
}

// Bytes behind a parameters handle: the host's handle procedures know their handles
// best, so they are asked when offered; otherwise the system's global heap.
size_t handleSize(const FilterRecord& r, Handle h) {
    const HandleProcs* procs = r.handleProcs;
    if (procs && procs->numHandleProcs >= kHandleProcsGetSizeCount && procs->getSizeProc) {
        const int32_t size = procs->getSizeProc(h);
        return size > 0 ? size_t(size) : 0;
    }
    return systemHandleSize(h);
}

// A parameters handle we may read and write: one of ours (tag 'FOTO') whose data holds
// a whole EffectParams record. A handle someone else made, or one an older version made
// for a smaller record, is never touched: reading or writing our record through it
// would run past its end into the host's heap.
bool usableHandle(const FilterRecord& r, Handle h, size_t bytes) {
    if (!h || !h->data || h->tag != kHandleTag) return false;
    return handleSize(r, h) >= bytes;
}

// Ends the invocation. With `writeBack`, params go into the host's handle, but only when
// they are this invocation's: Finish as the first call, or a failed set-up, must not
// overwrite the stored settings with a record that was never loaded. Without it the
// record is not touched at all: a host that dropped the invocation may have freed it.
void endInvocation(bool writeBack) {
    const ModuleInfo& module = currentModule();
    FilterRecord* record = gPlugin.record;
    if (writeBack && record && gPlugin.paramsValid &&
        usableHandle(*record, record->parameters, module.paramsSize))
        std::memcpy(record->parameters->data, module.params, module.paramsSize);
    module.hooks->freeBuffers();
    releaseWintab();
    gPlugin.record = nullptr;
    gPlugin.paramsValid = 0;
    gPlugin.initialized = 0;
}

void cleanUp() { endInvocation(true); }

// Where a selector comes in an invocation: Parameters, Prepare, Start, Continue..., Finish.
int stage(int16_t selector) {
    switch (selector) {
        case filterSelectorParameters: return 1;
        case filterSelectorPrepare: return 2;
        case filterSelectorStart: return 3;
        case filterSelectorContinue: return 4;
        case filterSelectorFinish: return 5;
        default: return 0;
    }
}

// A call that cannot continue the invocation under way (Parameters, Prepare or Start
// again, or after a later step) begins a new one: the host dropped the old one
// without Finish.
bool beginsNewInvocation(int16_t selector, int16_t last) {
    const int now = stage(selector);
    return now >= 1 && now <= 3 && now <= stage(last);
}

void emptyRequest(FilterRecord& r) {
    r.inRect = Rect16{};
    r.outRect = Rect16{};
    r.maskRect = Rect16{};
}

void doAbout(void* record) {
    char text[256];
    char caption[61];
    const ModuleIds& ids = moduleIds(currentModule());
    loadModuleString(ids.aboutTextId, text, sizeof text);
    loadModuleString(ids.aboutCaptionId, caption, sizeof caption);
    auto* about = static_cast<AboutRecord*>(record);
    intptr_t owner = about && about->platformData ? about->platformData->hwnd : 0;
    showMessage(owner, text, caption, MessageKind::information);
}

void doParameters(FilterRecord& r) {
    const ModuleInfo& module = currentModule();
    gPlugin.parametersSeen = 1;
    if (usableHandle(r, r.parameters, module.paramsSize)) {
        std::memcpy(module.params, r.parameters->data, module.paramsSize);
        clampParams(module);
    } else {
        module.hooks->setDefaults();
        Handle handle = newHostHandle(module.paramsSize);
        if (handle) {
            std::memcpy(handle->data, module.params, module.paramsSize);
            r.parameters = handle;
        }
    }
    gPlugin.paramsValid = 1;
    gPlugin.zoom = 1.0f;
}

void doPrepare() {
    // bufferSpace and maxSpace stay as the host set them: we ask for no extra memory.
    if (!queryDeviceRanges(wintab(), gDevice)) setNoTiltSwitch();
}

OSErr KX_CDECL displayNothing(const PSPixelMap*, const VRect*, int32_t, int32_t, void*) {
    return noErr;
}

void doStart(FilterRecord& r) {
    if (!gPlugin.parametersSeen) doParameters(r);
    gPlugin.modified = 0;
    if (!r.displayPixels && currentModule().dialogWithoutDisplayOnRgb &&
        r.imageMode == plugInModeRGBColor)
        r.displayPixels = displayNothing;
    if (!r.displayPixels) {
        gPlugin.result = -1;
    } else if (!r.advanceState) {
        // Without advanceState the image never arrives: say so before any dialog.
        gPlugin.result = errPlugInHostInsufficient;
    } else if (!startEffectBuffers()) {
        gPlugin.result = memFullErr;  // no dialog without the effect's image-sized buffers
    } else {
        runEditingDialog();
        freeEffectBuffers();
        gPlugin.parametersSeen = 0;
    }
    if (r.advanceState) emptyRequest(r);
}

void doContinue(FilterRecord& r) {
    if (!r.advanceState) gPlugin.parametersSeen = 0;
    emptyRequest(r);
}

}  // namespace

void pluginMain(int16_t selector, void* record, int16_t* result) {
    if (selector == filterSelectorAbout) {
        // About is a call of its own, with an AboutRecord: it never touches a
        // FilterRecord. State left by an invocation the host dropped (its record
        // perhaps freed since) is discarded without a look at that record.
        if (gPlugin.initialized) endInvocation(false);
        gPlugin.result = noErr;
        doAbout(record);
        if (result) *result = gPlugin.result;
        return;
    }

    if (gPlugin.initialized && beginsNewInvocation(selector, gPlugin.lastSelector))
        endInvocation(false);
    if (!gPlugin.initialized) {
        setUp(record);
    } else if (record) {
        // Follow the record of the call: a host may hand a later selector a new one.
        gPlugin.record = static_cast<FilterRecord*>(record);
    }
    gPlugin.lastSelector = selector;

    if (gPlugin.result == noErr) {
        FilterRecord* r = gPlugin.record;
        switch (selector) {
            case filterSelectorParameters:
                if (r) doParameters(*r);
                break;
            case filterSelectorPrepare:
                doPrepare();
                break;
            case filterSelectorStart:
                if (r) doStart(*r);
                break;
            case filterSelectorContinue:
                if (r) doContinue(*r);
                break;
            case filterSelectorFinish:
                cleanUp();
                break;
            default:
                gPlugin.result = filterBadParameters;
                break;
        }
    }

    if (result) *result = gPlugin.result;
    if (gPlugin.result != noErr && gPlugin.initialized) cleanUp();
}
