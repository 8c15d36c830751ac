// What an older edition of the framework showed hosts, kept as a description so that
// one framework serves both: the classic `data` record, a parameters handle holding
// only the first bytes of the params, Prepare's memory request, and a dialog procedure
// the module exports by name. A module without one (ModuleInfo::edition null) gets
// today's edition.
#pragma once
#include <cstdint>

#include "framework/host/filter_api.h"

struct ModuleInfo;

struct Edition {
    // The entry's `data` argument holds a handle to a zeroed record of this many bytes,
    // made on the first call that finds it 0 (none can be had: result -108, the call
    // goes no further) and copied in and out around every selector. 0: data is left alone.
    uint32_t dataBytes;
    void (*copyIn)(const void* record);
    void (*copyOut)(void* record, int16_t selector, int16_t result);
    // Bytes of the params kept in the host's parameters handle: the record's first ones.
    // 0: the whole record (paramsSize).
    uint32_t parametersBytes;
    // After the params came from the handle (`created` false) or were defaulted into a
    // new one (true).
    void (*afterParameters)(bool created);
    // Around the dialog at Start: before it, and after it before the params go back.
    void (*beforeDialog)();
    void (*afterDialog)();
    // Prepare's request for memory (bufferSpace, maxSpace), after the device query.
    void (*prepare)(FilterRecord& record);
    // The name under which the module exports the dialog procedure it runs the editing
    // dialog with (it hands every message to the framework's); null: the framework's own.
    const char* dialogProcName;
};

// Bytes of the params that travel in the host's parameters handle.
uint32_t parametersBytes(const ModuleInfo& module);

// Around every call of the entry: false when the data record cannot be made (the call
// must then answer -108 and do nothing else).
bool enterEdition(const ModuleInfo& module, intptr_t* data);
void leaveEdition(const ModuleInfo& module, intptr_t* data, int16_t selector, int16_t result);
