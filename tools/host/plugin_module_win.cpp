#include "plugin_module_win.h"

bool PluginModule::load(const std::string& path) {
    unload();
    module = LoadLibraryA(path.c_str());
    if (!module) {
        badKey = "module";
        why = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    HRSRC res = FindResourceExA(module, "PIPL", MAKEINTRESOURCEA(kPiplResourceId), kPiplLanguage);
    HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        badKey = "resource";
        why = "no PIPL resource 16000 in language 3082";
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    piplBytes.assign(bytes, bytes + SizeofResource(module, res));
    pipl = PiplInfo();
    if (!parsePipl(piplBytes.data(), piplBytes.size(), pipl, badKey, why)) return false;
    entry = reinterpret_cast<PluginEntry>(reinterpret_cast<void*>(GetProcAddress(module, pipl.entryName.c_str())));
    if (!entry) {
        badKey = "wx86";
        why = "the module exports no " + pipl.entryName;
        return false;
    }
    return true;
}

void PluginModule::unload() {
    if (module) FreeLibrary(module);
    module = nullptr;
    entry = nullptr;
    piplBytes.clear();
}
