#include "framework/host/settings.h"

#include <cstdio>

#include "framework/host/param_field.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"

void settingName(int stringId, const char* fixedName, char (&out)[kNameChars + 1]) {
    out[0] = '\0';
    if (stringId != 0) {
        loadModuleString(stringId, out, sizeof out);
    } else if (fixedName) {
        std::snprintf(out, sizeof out, "%s", fixedName);
    }
}

int32_t readField(const ModuleInfo& module, const SettingKey& key) {
    if (key.offset == kCurrentToolField) return gPlugin.currentTool;
    switch (key.width) {
        case 1: {
            auto v = readParam<uint8_t>(module, key.offset);
            return key.isSigned ? int32_t(int8_t(v)) : int32_t(v);
        }
        case 2: {
            auto v = readParam<uint16_t>(module, key.offset);
            return key.isSigned ? int32_t(int16_t(v)) : int32_t(v);
        }
        default:
            return readParam<int32_t>(module, key.offset);
    }
}

void writeField(const ModuleInfo& module, const SettingKey& key, int32_t value) {
    if (key.offset == kCurrentToolField) {
        gPlugin.currentTool = value;
    } else if (key.width == 1) {
        writeParam(module, key.offset, uint8_t(value));
    } else if (key.width == 2) {
        writeParam(module, key.offset, uint16_t(value));
    } else {
        writeParam(module, key.offset, value);
    }
}

namespace {

int32_t clampTo(const SettingKey& key, int32_t value) {
    if (key.useFallback && (value < key.minimum || value > key.maximum)) return key.fallback;
    if (value < key.minimum) return key.minimum;
    if (value > key.maximum) return key.maximum;
    return value;
}

}  // namespace

void loadSettings(const ModuleInfo& module) {
    const SettingsLayout* layout = module.settings;
    if (!layout) return;
    char section[kNameChars + 1];
    char name[kNameChars + 1];
    for (int i = 0; i < layout->keyCount; ++i) {
        const SettingKey& key = layout->keys[i];
        // Names are loaded at each access: they follow the user-interface language.
        settingName(layout->sectionId, layout->fixedSection, section);
        settingName(key.stringId, key.fixedName, name);
        int32_t value = profileGetInt(section, name, readField(module, key), layout->file);
        writeField(module, key, clampTo(key, value));
    }
}

void saveSettings(const ModuleInfo& module) {
    const SettingsLayout* layout = module.settings;
    if (!layout) return;
    char section[kNameChars + 1];
    char name[kNameChars + 1];
    char text[20];
    for (int i = 0; i < layout->keyCount; ++i) {
        const SettingKey& key = layout->keys[i];
        settingName(layout->sectionId, layout->fixedSection, section);
        settingName(key.stringId, key.fixedName, name);
        std::snprintf(text, sizeof text, "%d", int(readField(module, key)));
        profileWriteString(section, name, text, layout->file);
    }
}

void clampParams(const ModuleInfo& module) {
    const SettingsLayout* layout = module.settings;
    if (!layout) return;
    for (int i = 0; i < layout->keyCount; ++i) {
        const SettingKey& key = layout->keys[i];
        if (key.offset == kCurrentToolField) continue;
        writeField(module, key, clampTo(key, readField(module, key)));
    }
}

void setNoTiltSwitch() {
    if (profileGetInt("Parameters", "NoTilt", 0, "vorla.ini") == 0)
        profileWriteString("Parameters", "NoTilt", "1", "vorla.ini");
}
