// Loading a filter module: its PiPL (checked) and its entry point.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "filter_api.h"
#include "pipl_check.h"

struct PluginModule {
    HMODULE module = nullptr;
    std::vector<uint8_t> piplBytes;
    PiplInfo pipl;
    PluginEntry entry = nullptr;
    std::string badKey, why;  // set when load() fails

    // Loads the module, reads and checks the PiPL and resolves the entry it names.
    // On failure badKey/why say what ("module", "resource", a property key, "header", "tail").
    bool load(const std::string& path);
    void unload();
};
