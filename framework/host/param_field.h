// One field of a module's EffectParams by byte offset, as the tables of settings keys,
// dialog controls and sample fields describe them. Copied, not cast: the record is
// raw bytes from the host's handle.
#pragma once
#include <cstdint>
#include <cstring>

#include "framework/host/module.h"

template <typename T>
T readParam(const ModuleInfo& module, int16_t offset) {
    T value;
    std::memcpy(&value, static_cast<const uint8_t*>(module.params) + offset, sizeof value);
    return value;
}

template <typename T>
void writeParam(const ModuleInfo& module, int16_t offset, T value) {
    std::memcpy(static_cast<uint8_t*>(module.params) + offset, &value, sizeof value);
}
