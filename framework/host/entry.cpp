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

constexpr int kAboutText = 16000;
constexpr int kAboutCaption = 16001;

void setUp(int16_t selector, void* record) {
    const ModuleInfo& module = currentModule();
    // The About selector passes an AboutRecord, which has no FilterRecord fields.
    gPlugin.record = selector == filterSelectorAbout ? nullptr : static_cast<FilterRecord*>(record);
    gPlugin.result = noErr;
    gPlugin.currentTool = kToolBrush;
    gPlugin.parametersSeen = 0;
    gPlugin.modified = 0;
    gPlugin.appliedOnce = 0;
    gPlugin.unappliedStroke = 0;
    if (!module.hooks->initBuffers()) gPlugin.result = memFullErr;
    gPlugin.initialized = 1;
}

void cleanUp() {
    const ModuleInfo& module = currentModule();
    FilterRecord* record = gPlugin.record;
    if (record && record->parameters && record->parameters->data)
        std::memcpy(record->parameters->data, module.params, module.paramsSize);
    module.hooks->freeBuffers();
    releaseWintab();
    gPlugin.record = nullptr;
    gPlugin.initialized = 0;
}

void emptyRequest(FilterRecord& r) {
    r.inRect = Rect16{};
    r.outRect = Rect16{};
    r.maskRect = Rect16{};
}

void doAbout(void* record) {
    char text[256];
    char caption[61];
    loadModuleString(kAboutText, text, sizeof text);
    loadModuleString(kAboutCaption, caption, sizeof caption);
    auto* about = static_cast<AboutRecord*>(record);
    intptr_t owner = about && about->platformData ? about->platformData->hwnd : 0;
    showMessage(owner, text, caption, MessageKind::information);
}

void doParameters(FilterRecord& r) {
    const ModuleInfo& module = currentModule();
    gPlugin.parametersSeen = 1;
    if (r.parameters && r.parameters->data) {
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
    gPlugin.zoom = 1.0f;
}

void doPrepare() {
    // bufferSpace and maxSpace stay as the host set them: we ask for no extra memory.
    if (!queryDeviceRanges(wintab(), gDevice)) setNoTiltSwitch();
}

void doStart(FilterRecord& r) {
    if (!gPlugin.parametersSeen) doParameters(r);
    gPlugin.modified = 0;
    if (!r.displayPixels) {
        gPlugin.result = -1;
    } else if (!r.advanceState) {
        // Without advanceState the image never arrives: say so before any dialog.
        gPlugin.result = errPlugInHostInsufficient;
    } else {
        runEditingDialog();
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
    if (!gPlugin.initialized) {
        setUp(selector, record);
    } else if (selector != filterSelectorAbout && record) {
        // Follow the record of the call: a host that dropped an invocation part-way
        // must not leave us holding its old record.
        gPlugin.record = static_cast<FilterRecord*>(record);
    }

    if (gPlugin.result == noErr) {
        FilterRecord* r = gPlugin.record;
        switch (selector) {
            case filterSelectorAbout:
                doAbout(record);
                break;
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
    if (gPlugin.result != noErr || selector == filterSelectorAbout) {
        if (gPlugin.initialized) cleanUp();
    }
}
