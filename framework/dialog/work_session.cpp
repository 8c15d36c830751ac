#include "framework/dialog/editing_dialog.h"
#include "framework/host/image_access.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/undo.h"

bool openWorkSession() {
    FilterRecord* record = gPlugin.record;
    if (!record || !requestImage(*record)) return false;
    resetResult(*record);
    createUndo(*record);
    return true;
}

void closeWorkSession() {
    if (gPlugin.record) releaseUndo(*gPlugin.record);
}
