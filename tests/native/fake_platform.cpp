#include "tests/native/fake_platform.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "framework/dialog/editing_dialog.h"
#include "framework/host/plugin_globals.h"
#include "framework/tablet/wintab_api.h"

FakePlatform gFake;

bool CaseLess::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

void freeFakeHandles() {
    for (Handle h : gFake.handles) {
        std::free(h->data);
        delete h;
    }
    gFake.handles.clear();
    gFake.handleSizes.clear();
}

Handle makeFakeHandle(const void* bytes, size_t size, OSType tag, bool systemKnowsSize) {
    auto* cell = new HandleCell{std::calloc(1, size ? size : 1), tag};
    if (bytes && size) std::memcpy(cell->data, bytes, size);
    gFake.handles.push_back(cell);
    if (systemKnowsSize) gFake.handleSizes[cell] = size;
    return cell;
}

void useSpotcleanStrings() {
    gFake.strings = {
        {10000, "Please enter an integer between %d and %d."},
        {10001, "Spotclean"},
        {10002, "Window"},
        {10003, "Maximized"},
        {10008, "Current Tool"},
        {10009, "Pressure Size"},
        {10010, "Pressure Amount"},
        {10011, "Brush Size"},
        {10012, "Amount"},
        {10013, "Buildup"},
        {16000, "About text"},
        {16001, "About caption"},
        {17007, "There is not enough memory for the Undo buffer."},
    };
}

void resetFake(const ModuleInfo& module) {
    // Work buffers an earlier test left allocated (an invocation without Finish) would
    // otherwise be freed, and counted, by this test's clean-up.
    if (gFake.module) gFake.module->hooks->freeBuffers();
    freeFakeHandles();
    gFake = FakePlatform{};
    gFake.module = &module;
    gPlugin = PluginGlobals{};
    std::memset(module.params, 0, module.paramsSize);
    useSpotcleanStrings();
}

const ModuleInfo& currentModule() { return *gFake.module; }

void* allocFixed(size_t bytes) {
    if (gFake.allocations == gFake.failAllocationNumber) {
        ++gFake.allocations;
        return nullptr;
    }
    ++gFake.allocations;
    ++gFake.liveBlocks;
    return std::calloc(1, bytes ? bytes : 1);
}

void freeFixed(void* block) {
    if (!block) return;
    --gFake.liveBlocks;
    std::free(block);
}

Handle newHostHandle(size_t bytes) {
    if (gFake.failHandles) return nullptr;
    auto* cell = new HandleCell{std::calloc(1, bytes), kHandleTag};
    gFake.handles.push_back(cell);
    gFake.handleSizes[cell] = bytes;
    return cell;
}

size_t systemHandleSize(Handle handle) {
    auto it = gFake.handleSizes.find(handle);
    return handle && handle->data && it != gFake.handleSizes.end() ? it->second : 0;
}

MessageAnswer showMessage(intptr_t owner, const char* text, const char* caption,
                          MessageKind kind) {
    gFake.messages.push_back({owner, text, caption, kind});
    if (gFake.answers.empty()) return MessageAnswer::ok;
    MessageAnswer a = gFake.answers.front();
    gFake.answers.pop_front();
    return a;
}

int loadModuleString(int id, char* buffer, int size) {
    if (size <= 0) return 0;
    auto it = gFake.strings.find(id);
    if (it == gFake.strings.end()) {
        buffer[0] = '\0';
        return 0;
    }
    std::snprintf(buffer, size_t(size), "%s", it->second.c_str());
    return int(std::strlen(buffer));
}

namespace {
const std::string* lookup(const char* file, const char* section, const char* key) {
    auto f = gFake.ini.find(file);
    if (f == gFake.ini.end()) return nullptr;
    auto s = f->second.find(section);
    if (s == f->second.end()) return nullptr;
    auto k = s->second.find(key);
    return k == s->second.end() ? nullptr : &k->second;
}
}  // namespace

int profileGetInt(const char* section, const char* key, int fallback, const char* file) {
    const std::string* v = lookup(file, section, key);
    return v ? int(std::strtol(v->c_str(), nullptr, 10)) : fallback;
}

int profileGetString(const char* section, const char* key, const char* fallback,
                     char* buffer, int size, const char* file) {
    const std::string* v = lookup(file, section, key);
    std::snprintf(buffer, size_t(size), "%s", v ? v->c_str() : fallback);
    return int(std::strlen(buffer));
}

void profileWriteString(const char* section, const char* key, const char* value,
                        const char* file) {
    gFake.ini[file][section][key] = value;
    gFake.profileWrites.push_back(std::string(file) + "|" + section + "|" + key + "=" + value);
}

// The tablet driver, as far as the Prepare step asks it.
namespace {
unsigned fakeInfo(unsigned category, unsigned index, void* out) {
    const FakeTablet& t = gFake.tablet;
    if (category != WTI_DEVICES) return 0;
    if (index == DVC_NPRESSURE) return std::memcpy(out, &t.pressure, sizeof(AXIS)), sizeof(AXIS);
    if (index == DVC_TPRESSURE) return std::memcpy(out, &t.wheel, sizeof(AXIS)), sizeof(AXIS);
    if (index == DVC_ORIENTATION && !t.orientationFails)
        return std::memcpy(out, t.orientation, sizeof t.orientation), sizeof t.orientation;
    return 0;
}
WintabApi gFakeApi = {fakeInfo, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
}  // namespace

const WintabApi* wintab() { return gFake.tablet.present ? &gFakeApi : nullptr; }
void releaseWintab() {}

void runEditingDialog() {
    ++gFake.dialogRuns;
    if (gFake.dialog) {
        gFake.dialog();
        return;
    }
    if (openWorkSession()) closeWorkSession();
}
