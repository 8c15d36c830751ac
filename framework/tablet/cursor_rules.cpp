#include "framework/tablet/cursor_rules.h"

#include "framework/dialog/dialog_controls.h"
#include "framework/host/param_field.h"

namespace {
constexpr int32_t kSourceWheel = 0, kSourcePressure = 1;
}

int32_t classifyCursor(uint32_t cursorType) {
    auto c = int32_t(cursorType & 0x0F06);
    return c == 6 ? kCursorPuck : c;
}

SourceAvailability sourcesFor(int32_t cursorClass) {
    return {cursorClass == kCursorAirbrush, cursorClass != kCursorPuck};
}

bool adaptSources(const ModuleInfo& module, int32_t cursorClass) {
    const DialogControls* controls = module.dialog;
    if (!controls) return false;
    bool changed = false;
    for (int i = 0; i < controls->sourceCount; ++i) {
        const SourceBinding& s = controls->sources[i];
        const int32_t value = readParam<int32_t>(module, s.offset);
        int32_t wanted = value;
        if (cursorClass != kCursorAirbrush && wanted == kSourceWheel) wanted = kSourcePressure;
        // Fixed is the group's last radio (2 in most groups, 3 where it is coded so).
        if (cursorClass == kCursorPuck) wanted = s.firstValue + s.count - 1;
        if (wanted != value) {
            writeParam(module, s.offset, wanted);
            changed = true;
        }
    }
    return changed;
}
