#include "framework/host/settings.h"

#include <cstdio>
#include <cstring>

#include "framework/host/module.h"
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
    const auto* p = static_cast<const uint8_t*>(module.params) + key.offset;
    switch (key.width) {
        case 1: {
            uint8_t v;
            std::memcpy(&v, p, 1);
            return key.isSigned ? int32_t(int8_t(v)) : int32_t(v);
        }
        case 2: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            return key.isSigned ? int32_t(int16_t(v)) : int32_t(v);
        }
        default: {
            int32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
    }
}

void writeField(const ModuleInfo& module, const SettingKey& key, int32_t value) {
    if (key.offset == kCurrentToolField) {
        gPlugin.currentTool = value;
        return;
    }
    auto* p = static_cast<uint8_t*>(module.params) + key.offset;
    if (key.width == 1) {
        auto v = uint8_t(value);
        std::memcpy(p, &v, 1);
    } else if (key.width == 2) {
        auto v = uint16_t(value);
        std::memcpy(p, &v, 2);
    } else {
        std::memcpy(p, &value, 4);
    }
}

namespace {

int32_t clampTo(const SettingKey& key, int32_t value) {
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
