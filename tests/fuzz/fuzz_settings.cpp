// The settings load with any INI text: values out of range, missing, repeated or
// malformed keys, then the clamp every module applies. Nothing may leave its range.
#include <string>

#include "tests/fuzz/fuzz_modules.h"
#include "tests/native/fake_platform.h"

namespace {

// "[section]" and "key=value" lines into the fake's INI file, later keys winning as the
// profile functions' first match would not: both orders must be safe.
void parseIni(const std::string& text, IniFile& file, bool lastWins) {
    std::string section;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
        } else if (size_t eq = line.find('='); eq != std::string::npos) {
            std::string& value = file[section][line.substr(0, eq)];
            if (lastWins || value.empty()) value = line.substr(eq + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const ModuleInfo& module = *kFuzzModules[in.below(kFuzzModuleCount)];
    const bool lastWins = in.u8() & 1;
    resetFake(module);
    nameEveryKey(module);
    module.hooks->setDefaults();
    parseIni(in.rest(), gFake.ini[module.settings->file], lastWins);
    loadSettings(module);
    checkParamsInRange(module);
    clampParams(module);
    checkParamsInRange(module);
    saveSettings(module);
    // What was saved loads back unchanged.
    std::string before(static_cast<const char*>(module.params), module.paramsSize);
    loadSettings(module);
    FUZZ_CHECK(before == std::string(static_cast<const char*>(module.params), module.paramsSize));
    freeFakeHandles();
    return 0;
}
