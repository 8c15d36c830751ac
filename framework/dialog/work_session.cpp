#include "framework/dialog/editing_dialog.h"
#include "framework/host/image_access.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/undo.h"

bool openWorkSession() {
    FilterRecord* record = gPlugin.record;
    if (!record) {
        if (gPlugin.result == noErr) gPlugin.result = filterBadParameters;
        return false;
    }
    if (!requestImage(*record)) {
        // requestImage leaves an error as the result; keep it one whatever happened.
        if (gPlugin.result == noErr) gPlugin.result = filterBadParameters;
        return false;
    }
    releaseApplied();  // a new session starts from the host's source
    resetResult(*record);
    if (!currentModule().noUndo) createUndo(*record);
    openedWork();
    return true;
}

void openedWork() {
    const EffectHooks* hooks = currentModule().hooks;
    if (hooks && hooks->onOpen) hooks->onOpen();
}

bool applyWork() {
    if (gPlugin.record && !commitResult(*gPlugin.record)) return false;
    const EffectHooks* hooks = currentModule().hooks;
    if (hooks && hooks->onApply) hooks->onApply();
    return true;
}

void revertWork() {
    if (gPlugin.record) resetResult(*gPlugin.record);
    const EffectHooks* hooks = currentModule().hooks;
    if (hooks && hooks->onRevert) hooks->onRevert();
}

bool startEffectBuffers() {
    const EffectHooks* hooks = currentModule().hooks;
    return !hooks || !hooks->startBuffers || hooks->startBuffers();
}

void freeEffectBuffers() {
    const EffectHooks* hooks = currentModule().hooks;
    if (hooks && hooks->freeStartBuffers) hooks->freeStartBuffers();
}

void keepWork() {
    gPlugin.result = noErr;
    // First the host's own buffer gets the image on screen (after an odd number of Z it
    // is in our undo block), then the effect's fix-up runs on what the host receives.
    if (gPlugin.record) releaseUndo(*gPlugin.record);
    const EffectHooks* hooks = currentModule().hooks;
    if (hooks && hooks->finalApply) hooks->finalApply();
    releaseApplied();
}

void closeWorkSession() {
    if (gPlugin.record) releaseUndo(*gPlugin.record);
    releaseApplied();
}
