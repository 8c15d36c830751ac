// Settings kept between runs of the host in an INI file of the Windows directory: the
// effect's parameters, the current tool and the dialog's placement.
#pragma once
#include <cstdint>

struct ModuleInfo;

constexpr int kNameChars = 40;  // section and key names loaded from the string table

// Where a key's value lives.
constexpr int16_t kCurrentToolField = -1;

struct SettingKey {
    int stringId;           // key name from the string table, or 0 ...
    const char* fixedName;  // ... for a fixed English name
    int16_t offset;         // byte offset in the EffectParams, or kCurrentToolField
    uint8_t width;          // field width in bytes: 1, 2 or 4
    bool isSigned;
    int32_t minimum, maximum;  // values read from the file are clamped into this range
    // Values outside minimum..maximum become `fallback` instead of the nearer bound (a
    // choice that has no "nearer" one, such as a list entry).
    bool useFallback = false;
    int32_t fallback = 0;
};

struct SettingsLayout {
    const char* file;  // "Kestrix.ini" or "vorla.ini"
    int sectionId;     // section name from the string table, or 0 ...
    const char* fixedSection;
    const SettingKey* keys;  // read and written in this order
    int keyCount;
    int windowKeyId;  // placement keys ("Window", "Maximized"), by id or fixed name
    const char* fixedWindowKey;
    int maximizedKeyId;
    const char* fixedMaximizedKey;
};

// Name from the string table (id != 0) or the fixed one, at most kNameChars characters.
void settingName(int stringId, const char* fixedName, char (&out)[kNameChars + 1]);

int32_t readField(const ModuleInfo& module, const SettingKey& key);
void writeField(const ModuleInfo& module, const SettingKey& key, int32_t value);

// Every parameter key in table order, each with its current value as the default.
void loadSettings(const ModuleInfo& module);
void saveSettings(const ModuleInfo& module);
// Keeps every parameter within its range, whatever the parameters handle held.
void clampParams(const ModuleInfo& module);

// Makes sure the tablet driver's tilt is off when the tablet reports no tilt.
void setNoTiltSwitch();
