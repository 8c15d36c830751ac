// The few operating-system services the portable core needs. The plug-in modules get
// them from the Win32 glue (*_win.cpp); the native tests link a fake that records calls.
#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/host/filter_api.h"

// Fixed, zero-filled block from the global heap; null on failure, never reports.
void* allocFixed(size_t bytes);
void freeFixed(void* block);

// A handle the host keeps: a cell {data, 'FOTO'} and a data block of `bytes`, both
// moveable zero-filled global memory locked at once. Null when either allocation fails.
Handle newHostHandle(size_t bytes);
// Bytes of the handle's data block as the system's global heap knows it; 0 when the
// block is not one of its blocks (a host's own allocation) or the handle has no data.
size_t systemHandleSize(Handle handle);

// Message box kinds used by the plug-ins.
enum class MessageKind { information, stop, question, warning };
enum class MessageAnswer { ok, yes, no, cancel };
MessageAnswer showMessage(intptr_t owner, const char* text, const char* caption,
                          MessageKind kind);

// String `id` of the module's string table in the running user-interface language,
// at most size - 1 characters; returns the length, 0 (and "") when absent.
int loadModuleString(int id, char* buffer, int size);

// Profile (INI) files in the Windows directory, by bare file name.
int profileGetInt(const char* section, const char* key, int fallback, const char* file);
// Reads a string value; returns its length, copying `fallback` when the key is absent.
int profileGetString(const char* section, const char* key, const char* fallback,
                     char* buffer, int size, const char* file);
void profileWriteString(const char* section, const char* key, const char* value,
                        const char* file);
