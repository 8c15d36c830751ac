// How the framework reaches the one effect built into a module.
#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/brush/effect_hooks.h"

struct SettingsLayout;
struct DialogControls;
struct SampleFields;

struct SampleRule;
struct StrokeRule;
struct DialogHooks;
struct Edition;

// Resource ids and class names the framework looks up. A module whose dialog and strings
// use the shared numbering leaves `ModuleInfo::ids` null and gets kDefaultModuleIds.
struct ModuleIds {
    int dialogId;                // the editing dialog template, when dialogName is null
    const char* dialogName;      // a named template, or null
    const char* dialogClass;     // "DlgWndClass"
    const char* previewClass;    // "ProxyWndClass"
    bool previewClassAtInit;     // register the preview class when the dialog initialises
    int zoomToolId, handToolId, brushToolId;  // the three tool buttons
    const char* zoomIconName;    // named tool icons, or null for the shared icon ids
    const char* handIconName;
    const char* brushIconName;
    int rangeMessageId;          // "... between %d and %d" for a rejected number
    int saveQuestionId;          // the close box with changes
    int discardQuestionId;       // Cancel and Revert with changes
    int resetLabelId, cancelLabelId;  // the Cancel button's two labels (Alt held / not)
    int aboutTextId, aboutCaptionId;
    // The preview's checkerboard bitmap, when the module's own bitmaps need its id; 0:
    // the shared one.
    int checkerBitmapId = 0;
};
extern const ModuleIds kDefaultModuleIds;

// How the tablet queue is negotiated when the context opens.
struct QueueRule {
    int firstSize;       // asked first; then 5 fewer at a time down to 5 (40 by default)
    bool once;           // ask for firstSize only, no smaller sizes
    int emptyMessageId;  // non-zero: when the driver then reports a queue of 0, this message,
                         // the context closed, and the dialog goes on with the mouse tools
};

struct ModuleInfo {
    const char* name;                // deliverable name, e.g. "spotclean"
    const EffectHooks* hooks;
    void* params;                    // the effect's EffectParams record
    uint32_t paramsSize;             // bytes, as kept in the host's parameters handle
    const SettingsLayout* settings;  // INI file, section and keys
    const char* contextNameFormat;   // tablet context name, "%x" takes the module handle
    const DialogControls* dialog;        // the effect's controls in the editing dialog
    const SampleFields* sample;        // where pen samples take size and amount from
    bool evenSpans;                  // the walker truncates half the width before doubling

    // Extension points; null or zero is what spotclean does.
    const ModuleIds* ids = nullptr;
    const SampleRule* sampleRule = nullptr;  // the module's own sample record and builder
    const StrokeRule* strokeRule = nullptr;  // the module's own stroke step and timer
    const DialogHooks* dialogHooks = nullptr;  // owner-drawn controls, extra buttons
    const QueueRule* queue = nullptr;        // null: 40 down to 5
    bool noUndo = false;                     // no undo buffer, and Z does nothing
    bool resetSelectsBrush = false;          // Alt+Cancel also selects the Brush tool
    bool rgbWithoutDisplay = false;          // an RGB image opens the dialog even when the
                                             // host has no displayPixels (the preview stays blank)
    const Edition* edition = nullptr;        // an older edition's storage and exports
};

const ModuleIds& moduleIds(const ModuleInfo& module);
// Bytes of one sample record: sizeof(TabletSample) unless the module's rule says more.
uint32_t sampleBytes(const ModuleInfo& module);

// Defined once per module (and by the native tests, which switch between effects).
const ModuleInfo& currentModule();
