// How the framework reaches the one effect built into a module.
#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/brush/effect_hooks.h"

struct SettingsLayout;
struct DialogControls;
struct SampleFields;

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
};

// Defined once per module (and by the native tests, which switch between effects).
const ModuleInfo& currentModule();
