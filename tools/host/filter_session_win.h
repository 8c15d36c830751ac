// One filtering of an image by a plug-in: the FilterRecord, the buffers advanceState
// hands out, and the selector calls, the way a real host makes them. Selectors run on
// the calling (main) thread; everything seen goes to the report.
#pragma once
#include <windows.h>

#include <vector>

#include "filter_api.h"
#include "guard_buffer_win.h"
#include "image_file.h"
#include "pixel_ops.h"

struct SessionOptions {
    bool floating = false;
    bool haveFilterRect = false;
    PixRect filterRect = {0, 0, 0, 0};
    bool displayPixels = true;
    bool advanceState = true;
    bool haveAdvanceStateError = false;
    int16_t advanceStateError = 0;
    bool advanceStateNoBuffers = false;  // success, but no buffers handed out
    bool invalidOwner = false;           // platformData.hwnd: a window that does not exist
    bool guardFront = false;
    bool handleProcs = false;     // offer the host's handle suite (param_handle_win.h)
    bool colorServices = true;    // offer colour services at all
    bool haveForeground = false;  // the foreground colour below instead of black
    int foreground[3] = {0, 0, 0};
    Handle parameters = nullptr;  // handed to the plug-in; read back with parameters()
};

class FilterSession {
public:
    FilterSession(const Image& image, const Image* mask, HWND mainWindow, const SessionOptions& options);
    ~FilterSession();
    FilterSession(const FilterSession&) = delete;
    FilterSession& operator=(const FilterSession&) = delete;

    // Calls the selectors in order, stopping after the first non-zero result.
    void run(PluginEntry entry, const std::vector<int>& selectors);

    // The image after filtering: the original unless Start (and any Continue) returned 0.
    const Image& result() const { return succeeded_ ? work_ : original_; }
    Handle parameters() const { return record_->parameters; }

private:
    friend OSErr KX_CDECL sessionAdvanceState();
    OSErr advanceState();
    OSErr deliver(int n);
    void commitOut();
    void fillRecord();
    // Abandons the invocation the way a host may: buffers and record freed, the record's
    // pages decommitted; a new record for whatever comes next.
    void dropInvocation();
    int16_t call(PluginEntry entry, int selector);
    bool rectsPending() const;
    bool sourceUntouched() const;

    // A buffer handed to the plug-in and where it came from.
    struct Delivered {
        GuardBuffer buffer;
        PixRect rect = {0, 0, 0, 0};
        int lo = 0, hi = -1;
        int32_t rowBytes = 0;
    };

    Image original_, work_;
    const Image* mask_;
    HWND window_;
    SessionOptions options_;
    PlatformData platform_ = {};
    // The record, in pages of its own with room to spare past its declared end, zeroed,
    // as a later host may use it. Dropped records stay reserved but decommitted, so any
    // later access through an old pointer faults and no new record takes their place.
    FilterRecord* record_ = nullptr;
    std::vector<void*> droppedRecords_;
    intptr_t data_ = 0;
    Delivered in_, out_, maskBuf_;
    int advanceCalls_ = 0;
    bool succeeded_ = false;
};
