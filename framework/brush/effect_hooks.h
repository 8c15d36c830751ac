// The operations every effect gives the framework: one constant record per effect.
#pragma once
#include <cstdint>

#include "framework/tablet/tablet_sample.h"

using Dab = TabletSample;

// Span direction asked of stepDab: a horizontal span (a row) or a vertical one (a column).
enum SpanDirection : int { kSpanRow = 0, kSpanColumn = 2 };

struct EffectHooks {
    bool (*initBuffers)();  // work buffers at set-up; false -> result -108
    void (*freeBuffers)();  // at clean-up; safe after a partial initBuffers
    void (*setDefaults)();  // default EffectParams
    void (*finalApply)();   // last fix-up on Done; null when the effect has none
    void (*capDab)(const Dab& dab);
    void (*stepDab)(const Dab& dab, int direction, int spanLength);
    void (*restoreDab)(const Dab& dab, int direction, int spanLength);

    // Buffers that need the image's size: made at Start before the dialog (false: result
    // -108 and no dialog), freed when Start ends. Null: none.
    bool (*startBuffers)() = nullptr;
    void (*freeStartBuffers)() = nullptr;
    // After the framework's own Revert (source copied back) and Apply (result kept).
    void (*onRevert)() = nullptr;
    void (*onApply)() = nullptr;
    // Once the working copy exists when a session opens (the dialog, a replay).
    void (*onOpen)() = nullptr;
};
