#include "framework/tablet/cursor_rules.h"

#include <cstring>

#include "framework/dialog/dialog_controls.h"
#include "framework/host/module.h"

namespace {
constexpr int32_t kSourceWheel = 0, kSourcePressure = 1, kSourceFixed = 2;
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
        auto* field = static_cast<uint8_t*>(module.params) + s.offset;
        int32_t value;
        std::memcpy(&value, field, sizeof value);
        int32_t wanted = value;
        if (cursorClass != kCursorAirbrush && wanted == kSourceWheel) wanted = kSourcePressure;
        if (cursorClass == kCursorPuck) wanted = kSourceFixed;
        if (wanted != value) {
            std::memcpy(field, &wanted, sizeof wanted);
            changed = true;
        }
    }
    return changed;
}
