#include "framework/host/edition.h"

#include "framework/host/module.h"
#include "framework/host/platform.h"

uint32_t parametersBytes(const ModuleInfo& module) {
    const Edition* e = module.edition;
    return e && e->parametersBytes > 0 && e->parametersBytes <= module.paramsSize
               ? e->parametersBytes
               : module.paramsSize;
}

bool enterEdition(const ModuleInfo& module, intptr_t* data) {
    const Edition* e = module.edition;
    if (!e || e->dataBytes == 0 || !data) return true;
    if (*data == 0) {
        // A fixed block: its handle is its address, and the host keeps it for us.
        void* record = allocFixed(e->dataBytes);
        if (!record) return false;
        *data = reinterpret_cast<intptr_t>(record);
    }
    if (e->copyIn) e->copyIn(reinterpret_cast<const void*>(*data));
    return true;
}

void leaveEdition(const ModuleInfo& module, intptr_t* data, int16_t selector, int16_t result) {
    const Edition* e = module.edition;
    if (!e || e->dataBytes == 0 || !data || *data == 0) return;
    if (e->copyOut) e->copyOut(reinterpret_cast<void*>(*data), selector, result);
}
