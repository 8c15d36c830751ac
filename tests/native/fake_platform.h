// A stand-in for the operating system under the portable core: records what the core
// asks of it and answers as a test sets it up.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/tablet/wintab.h"

struct ShownMessage {
    intptr_t owner;
    std::string text;
    std::string caption;
    MessageKind kind;
};

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using IniSection = std::map<std::string, std::string, CaseLess>;
using IniFile = std::map<std::string, IniSection, CaseLess>;

struct FakeTablet {
    bool present = false;
    AXIS pressure{0, 1023, 0, 0};
    AXIS wheel{0, 1023, 0, 0};
    AXIS orientation[3] = {{0, 3600, 3, 10 << 16}, {-900, 900, 3, 10 << 16}, {0, 3600, 3, 10 << 16}};
    bool orientationFails = false;
};

struct FakePlatform {
    int allocations = 0;            // successful fixed allocations so far
    int failAllocationNumber = -1;  // the n-th allocation (0-based) fails; -1: none does
    int liveBlocks = 0;             // fixed blocks allocated and not freed
    bool failHandles = false;
    std::vector<Handle> handles;            // every handle made here, freed by resetFake
    std::map<Handle, size_t> handleSizes;   // what systemHandleSize answers for them
    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;
    std::map<int, std::string> strings;
    std::map<std::string, IniFile, CaseLess> ini;
    std::vector<std::string> profileWrites;  // "file|section|key=value", in order
    FakeTablet tablet;
    const ModuleInfo* module = nullptr;
    std::function<void()> dialog;  // what runEditingDialog does; null: open and close
    int dialogRuns = 0;
};

extern FakePlatform gFake;

// Resets the fake, the plug-in globals and the module, with `module` as the effect and
// its English string table.
void resetFake(const ModuleInfo& module);
void useSpotcleanStrings();
void freeFakeHandles();
// A handle as a host might pass one: `size` bytes of `bytes` (zero-padded when shorter)
// under `tag`. The system knows its size unless `systemKnowsSize` is false.
Handle makeFakeHandle(const void* bytes, size_t size, OSType tag, bool systemKnowsSize = true);
