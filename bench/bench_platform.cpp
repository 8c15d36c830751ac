// The operating-system services of the portable core, reduced to what a timing run
// needs: plain heap blocks, and no messages, strings, settings, tablet or dialog.
#include <cstdlib>

#include "filters/spotclean/spot_params.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/tablet/wintab_api.h"

void* allocFixed(size_t bytes) { return std::calloc(1, bytes ? bytes : 1); }
void freeFixed(void* block) { std::free(block); }
Handle newHostHandle(size_t) { return nullptr; }
size_t systemHandleSize(Handle) { return 0; }
MessageAnswer showMessage(intptr_t, const char*, const char*, MessageKind) { return MessageAnswer::cancel; }
int loadModuleString(int, char* buffer, int size) {
    if (size > 0) buffer[0] = 0;
    return 0;
}
int profileGetInt(const char*, const char*, int fallback, const char*) { return fallback; }
int profileGetString(const char*, const char*, const char*, char* buffer, int size, const char*) {
    if (size > 0) buffer[0] = 0;
    return 0;
}
void profileWriteString(const char*, const char*, const char*, const char*) {}
void runEditingDialog() {}
const ModuleInfo& currentModule() { return kSpotcleanModule; }
const WintabApi* wintab() { return nullptr; }
void releaseWintab() {}
