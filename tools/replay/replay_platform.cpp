// The few system services the core asks for, outside any host: plain heap memory, no
// settings files, no tablet, messages to stderr.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/dialog/editing_dialog.h"
#include "framework/host/platform.h"
#include "framework/tablet/wintab_api.h"

void* allocFixed(size_t bytes) { return std::calloc(1, bytes ? bytes : 1); }
void freeFixed(void* block) { std::free(block); }
Handle newHostHandle(size_t) { return nullptr; }
size_t systemHandleSize(Handle) { return 0; }

MessageAnswer showMessage(intptr_t, const char* text, const char* caption, MessageKind) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return MessageAnswer::ok;
}

int loadModuleString(int, char* buffer, int size) {
    if (size > 0) buffer[0] = '\0';
    return 0;
}

int profileGetInt(const char*, const char*, int fallback, const char*) { return fallback; }
int profileGetString(const char*, const char*, const char* fallback, char* buffer, int size,
                     const char*) {
    std::snprintf(buffer, size_t(size), "%s", fallback);
    return int(std::strlen(buffer));
}
void profileWriteString(const char*, const char*, const char*, const char*) {}

const WintabApi* wintab() { return nullptr; }
void releaseWintab() {}
void runEditingDialog() {}
