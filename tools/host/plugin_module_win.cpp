#include "plugin_module_win.h"

#include <fstream>
#include <iterator>

namespace {

// A module of the other width cannot be loaded into this process; say so plainly
// rather than pass on the loader's error number.
bool widthMatches(const std::string& path, std::string& why) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        why = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> head(4096);
    f.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    head.resize(size_t(f.gcount()));
    int bits = peModuleBits(head.data(), head.size(), why);
    if (bits == 0) {
        why = path + ": " + why;
        return false;
    }
    if (bits != kPointerBits) {
        why = path + " is a " + std::to_string(bits) + "-bit module; this " + std::to_string(kPointerBits) +
              "-bit host loads only " + std::to_string(kPointerBits) + "-bit modules";
        return false;
    }
    return true;
}

}  // namespace

bool PluginModule::load(const std::string& path) {
    unload();
    if (!widthMatches(path, why)) {
        badKey = "module";
        return false;
    }
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
    if (!parsePipl(piplBytes.data(), piplBytes.size(), pipl, badKey, why, entryKeyFor(kPointerBits))) return false;
    entry = reinterpret_cast<PluginEntry>(reinterpret_cast<void*>(GetProcAddress(module, pipl.entryName.c_str())));
    if (!entry) {
        badKey = entryKeyFor(kPointerBits);
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
