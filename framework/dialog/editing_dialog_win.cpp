// The modal editing dialog: its controls, the tablet context, and how it ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/brush/stroke_win.h"
#include "framework/dialog/controls_logic.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/dialog/layout_win.h"
#include "framework/dialog/preview_win.h"
#include "framework/dialog/tools_win.h"
#include "framework/host/image_access.h"
#include "framework/host/module.h"
#include "framework/host/module_instance_win.h"
#include "framework/host/param_field.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/host/undo.h"
#include "framework/tablet/cursor_rules.h"
#include "framework/tablet/tablet_context.h"
#include "framework/tablet/wintab_api.h"
#include "resources/common/art_ids.h"

namespace {

enum ControlId : int {
    kDoneId = 1, kCancelId = 2, kRevertId = 4, kZoomToolId = 301, kHandToolId = 302,
    kBrushToolId = 303,
};
constexpr int kRangeMessage = 10000;
constexpr int kSaveQuestion = 10004;
constexpr int kDiscardQuestion = 10005;
constexpr const char* kCaption = "Kestrix";
// Start's result when the dialog cannot be shown at all (a window class that cannot be
// registered, DialogBoxParamA failing): an error, so the host keeps its image and does
// not take the untouched output as filtered.
constexpr OSErr kDialogFailed = -1;

// Trackbar messages, by number: the plug-ins do not link the common controls.
constexpr UINT kTbmGetPos = WM_USER;
constexpr UINT kTbmSetPos = WM_USER + 5;
constexpr UINT kTbmSetRange = WM_USER + 6;

struct DialogSession {
    HWND dialog;
    RECT initialWindow;  // before the saved placement: the minimum size
    HCTX context;        // tablet context, or null
    int32_t cursorClass; // of the tool last in proximity; 0 until the first change
    bool validating;     // a range message is up: ignore the field's own EN_CHANGE echoes
    bool initialised;    // WM_INITDIALOG ran: the dialog really was shown
};
DialogSession gSession;

const ModuleInfo& module() { return currentModule(); }
const DialogControls& controls() { return *module().dialog; }

MessageAnswer ask(int stringId) {
    char text[256];
    loadModuleString(stringId, text, sizeof text);
    return showMessage(reinterpret_cast<intptr_t>(gSession.dialog), text, kCaption,
                       MessageKind::question);
}

void checkSourceRadios(const SourceBinding& s) {
    int value = readParam<int32_t>(module(), s.offset);
    CheckRadioButton(gSession.dialog, s.firstRadioId, s.firstRadioId + s.count - 1,
                     s.firstRadioId + value - s.firstValue);
}

// Controls from the parameters: sliders, number fields, source radios, check boxes, tool.
void showParams() {
    HWND d = gSession.dialog;
    for (int i = 0; i < controls().sliderCount; ++i) {
        const SliderBinding& b = controls().sliders[i];
        SendDlgItemMessageA(d, b.trackbarId, kTbmSetRange, TRUE, MAKELPARAM(b.minimum, b.maximum));
        SendDlgItemMessageA(d, b.trackbarId, kTbmSetPos, TRUE, readParam<int16_t>(module(), b.offset));
        SetDlgItemInt(d, b.editId, UINT(readParam<int16_t>(module(), b.offset)), FALSE);
    }
    for (int i = 0; i < controls().sourceCount; ++i) checkSourceRadios(controls().sources[i]);
    for (int i = 0; i < controls().checkCount; ++i)
        CheckDlgButton(d, controls().checks[i].id, readParam<uint8_t>(module(), controls().checks[i].offset) ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(d, kZoomToolId, kBrushToolId, kZoomToolId + gPlugin.currentTool);
}

void setToolIcons() {
    const struct {
        int button, icon;
    } icons[] = {{kHandToolId, KX_ICON_HAND}, {kZoomToolId, KX_ICON_ZOOM}, {kBrushToolId, KX_ICON_BRUSH}};
    for (auto i : icons) {
        HICON icon = LoadIconA(moduleInstance(), MAKEINTRESOURCEA(i.icon));
        if (icon) SendDlgItemMessageA(gSession.dialog, i.button, BM_SETIMAGE, IMAGE_ICON, LPARAM(icon));
    }
}

void enableRevert(bool enabled) { EnableWindow(GetDlgItem(gSession.dialog, kRevertId), enabled); }

void endDialog(int16_t result, INT_PTR code) {
    gPlugin.result = result;
    EndDialog(gSession.dialog, code);
}

// Every way of ending that keeps the image (Done, the close box answered Yes) ends here:
// the same end-of-session code, the effect's finalApply included.
void keepAndEnd() {
    keepWork();
    EndDialog(gSession.dialog, 1);
}

HCTX openContext() {
    const WintabApi* api = wintab();
    if (!api) return nullptr;
    LOGCONTEXTA systemDefault{};
    api->info(WTI_DEFSYSCTX, 0, &systemDefault);
    char name[64];
    std::snprintf(name, sizeof name, module().contextNameFormat,
                  unsigned(reinterpret_cast<uintptr_t>(moduleInstance())));
    const ScreenBox screen = virtualScreen();
    LOGCONTEXTA context = buildTabletContext(
        systemDefault, name,
        {screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top});
    return openTabletContext(*api, gSession.dialog, context);
}

void onCursorChange(WPARAM serial, LPARAM context) {
    const WintabApi* api = wintab();
    if (!api || !gSession.context) return;
    Packet packet{};
    api->packet(reinterpret_cast<HCTX>(context), UINT(serial), &packet);
    UINT type = 0;
    api->info(WTI_CURSORS + packet.pkCursor, CSR_TYPE, &type);
    gSession.cursorClass = classifyCursor(type);

    SourceAvailability can = sourcesFor(gSession.cursorClass);
    for (int i = 0; i < controls().sourceCount; ++i) {
        const SourceBinding& s = controls().sources[i];
        // Radio of value v is firstRadioId + v - firstValue; groups may lack the wheel.
        if (s.firstValue == 0) EnableWindow(GetDlgItem(gSession.dialog, s.firstRadioId), can.wheel);
        EnableWindow(GetDlgItem(gSession.dialog, s.firstRadioId + 1 - s.firstValue), can.pressure);
    }
    if (gSession.cursorClass == kCursorAirbrush) clearSideButtonLatch();
    if (adaptSources(module(), gSession.cursorClass))
        for (int i = 0; i < controls().sourceCount; ++i) checkSourceRadios(controls().sources[i]);
}

BOOL initDialog(HWND dialog) {
    gSession = DialogSession{};
    gSession.dialog = dialog;
    gSession.initialised = true;
    beginStrokes();
    setToolIcons();
    showParams();
    createPreview(dialog);
    enableRevert(false);
    rememberLayout(dialog);

    if (!openWorkSession()) {
        // No image to paint on: the host's answer (or, when it answered success without
        // buffers, an error of ours) is the result; nothing is touched.
        EndDialog(dialog, 0);
        return TRUE;
    }
    buildSelectionOutline();
    GetWindowRect(dialog, &gSession.initialWindow);

    gSession.context = openContext();
    if (!gSession.context) {
        char text[512];
        loadModuleString(KX_STR_NO_TABLET, text, sizeof text);
        showMessage(reinterpret_cast<intptr_t>(dialog), text, kCaption, MessageKind::stop);
        endDialog(1, 0);
        return TRUE;
    }
    loadPlacement(dialog, module(), gSession.initialWindow);
    SendMessageA(previewWindow(), WM_SIZE, 0, 0);
    return TRUE;
}

void onDestroy() {
    savePlacement(gSession.dialog, module());
    if (gSession.context) {
        if (const WintabApi* api = wintab()) api->close(gSession.context);
        gSession.context = nullptr;
    }
    removeKeyboardHook();
    endStrokes(gSession.dialog);
    closeWorkSession();
}

const SliderBinding* sliderByTrackbar(int id) {
    for (int i = 0; i < controls().sliderCount; ++i)
        if (controls().sliders[i].trackbarId == id) return &controls().sliders[i];
    return nullptr;
}
const SliderBinding* sliderByEdit(int id) {
    for (int i = 0; i < controls().sliderCount; ++i)
        if (controls().sliders[i].editId == id) return &controls().sliders[i];
    return nullptr;
}

void onSlider(const SliderBinding& b, int code) {
    int thumb = int(SendDlgItemMessageA(gSession.dialog, b.trackbarId, kTbmGetPos, 0, 0));
    int value = sliderTarget(code, readParam<int16_t>(module(), b.offset), b.minimum, b.maximum, thumb);
    writeParam(module(), b.offset, int16_t(value));
    SendDlgItemMessageA(gSession.dialog, b.trackbarId, kTbmSetPos, TRUE, value);
    SetDlgItemInt(gSession.dialog, b.editId, UINT(value), FALSE);
}

void validateField(const SliderBinding& b) {
    if (gSession.validating) return;
    char text[32];
    GetDlgItemTextA(gSession.dialog, b.editId, text, sizeof text);
    NumberCheck check = checkNumber(text, b.minimum, b.maximum);
    if (!check.valid) {
        gSession.validating = true;
        char format[81], message[128];
        loadModuleString(kRangeMessage, format, sizeof format);
        std::snprintf(message, sizeof message, format, int(b.minimum), int(b.maximum));
        showMessage(reinterpret_cast<intptr_t>(gSession.dialog), message, kCaption, MessageKind::information);
        SetDlgItemInt(gSession.dialog, b.editId, UINT(check.value), TRUE);
        HWND edit = GetDlgItem(gSession.dialog, b.editId);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        gSession.validating = false;
    }
    writeParam(module(), b.offset, int16_t(check.value));
    SendDlgItemMessageA(gSession.dialog, b.trackbarId, kTbmSetPos, TRUE, check.value);
}

void onCancel() {
    if (GetKeyState(VK_MENU) < 0) {
        controls().resetParams();
        showParams();
        return;
    }
    if (gPlugin.modified && ask(kDiscardQuestion) != MessageAnswer::yes) return;
    endDialog(1, 0);
}

void onRevert() {
    if (!gPlugin.unappliedStroke || ask(kDiscardQuestion) != MessageAnswer::yes) return;
    if (!gPlugin.appliedOnce) gPlugin.modified = 0;
    gPlugin.unappliedStroke = 0;
    revertWork();
    logSessionEvent("revert");
    invalidatePreview(true);
    enableRevert(false);
}

void onApply() {
    if (!applyWork()) {
        // No memory for our copy of the applied image: say so; the dialog stays open
        // with the painting, the Revert state and the host's buffers as they were.
        char text[1024];
        loadModuleString(KX_STR_NO_APPLY_MEMORY, text, sizeof text);
        showMessage(reinterpret_cast<intptr_t>(gSession.dialog), text, kCaption, MessageKind::stop);
        return;
    }
    logSessionEvent("apply");
    gPlugin.appliedOnce = 1;
    gPlugin.unappliedStroke = 0;
    invalidatePreview(true);
    enableRevert(false);
}

void onClose() {
    if (gPlugin.modified && ask(kSaveQuestion) == MessageAnswer::no) {
        endDialog(1, 0);
        return;
    }
    keepAndEnd();
}

BOOL onCommand(int id, int notification) {
    bool clicked = notification == BN_CLICKED;
    if (id == kDoneId || id == kCancelId || id == kRevertId || id == controls().applyId) {
        if (!clicked) return TRUE;
        if (id == kDoneId) {
            keepAndEnd();
        } else if (id == kCancelId) {
            onCancel();
        } else if (id == kRevertId) {
            onRevert();
        } else {
            onApply();
        }
        return TRUE;
    }
    if (const SliderBinding* b = sliderByEdit(id)) {
        if (notification != EN_CHANGE) return FALSE;
        validateField(*b);
        return TRUE;
    }
    if (id >= kZoomToolId && id <= kBrushToolId) {
        gPlugin.currentTool = id - kZoomToolId;
        return TRUE;
    }
    for (int i = 0; i < controls().checkCount; ++i)
        if (controls().checks[i].id == id) {
            writeParam(module(), controls().checks[i].offset, uint8_t(IsDlgButtonChecked(gSession.dialog, id) == BST_CHECKED));
            return TRUE;
        }
    for (int i = 0; i < controls().sourceCount; ++i) {
        const SourceBinding& s = controls().sources[i];
        if (id >= s.firstRadioId && id < s.firstRadioId + s.count) {
            writeParam(module(), s.offset, int32_t(id - s.firstRadioId + s.firstValue));
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR handleDialogMessage(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            return initDialog(dialog);
        case WM_COMMAND:
            return onCommand(LOWORD(w), HIWORD(w));
        case WM_HSCROLL: {
            int id = GetDlgCtrlID(reinterpret_cast<HWND>(l));
            if (const SliderBinding* b = sliderByTrackbar(id)) {
                onSlider(*b, LOWORD(w));
                return TRUE;
            }
            if (id == kHScrollId) {
                previewScrollBy(true, LOWORD(w), -1);
                return TRUE;
            }
            return FALSE;
        }
        case WM_VSCROLL:
            previewScrollBy(false, LOWORD(w), -1);
            return TRUE;
        case kSampleMessage:
            // Drain first, so the driver's queue does not overflow while dabs run.
            drainPackets(dialog, gSession.context, gSession.cursorClass);
            onSampleMessage(dialog, reinterpret_cast<TabletSample*>(l));
            return TRUE;
        case WT_PACKET:
            onPacketMessage(dialog, reinterpret_cast<HCTX>(l), w, gSession.cursorClass);
            return TRUE;
        case WT_CSRCHANGE:
            onCursorChange(w, l);
            return TRUE;
        case WM_SIZE:
            if (w != SIZE_MINIMIZED) layoutDialog(dialog, controls().applyId, HIWORD(l));
            return TRUE;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(l);
            const RECT& r = gSession.initialWindow;
            if (r.right > r.left) {
                info->ptMinTrackSize.x = r.right - r.left;
                info->ptMinTrackSize.y = r.bottom - r.top;
            }
            return TRUE;
        }
        case WM_ACTIVATE:
            if (gSession.context)
                if (const WintabApi* api = wintab()) api->overlap(gSession.context, TRUE);
            return FALSE;
        case WM_SYSCOMMAND:
            if ((w & 0xFFF0) != SC_CLOSE) return FALSE;
            onClose();
            return TRUE;
        case WM_DESTROY:
            onDestroy();
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    // No C++ exception may unwind into the system's message dispatch: that ends the
    // host. Whatever threw (std::bad_alloc in the stroke or an effect), the dialog ends
    // with memFullErr and the host keeps its image.
    try {
        return handleDialogMessage(dialog, message, w, l);
    } catch (...) {
        gPlugin.result = memFullErr;
        EndDialog(dialog, 0);
        return TRUE;
    }
}

bool registerDialogClass() {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = dialogClassProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = moduleInstance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "DlgWndClass";
    return RegisterClassA(&wc) != 0;
}

}  // namespace

void runEditingDialog() {
    const ModuleInfo& m = module();
    HINSTANCE instance = moduleInstance();
    if (!registerDialogClass()) {
        gPlugin.result = kDialogFailed;
        return;
    }
    if (!registerPreviewClass()) {
        UnregisterClassA("DlgWndClass", instance);
        gPlugin.result = kDialogFailed;
        return;
    }
    loadSettings(m);
    HWND owner = gPlugin.record->platformData
                     ? reinterpret_cast<HWND>(gPlugin.record->platformData->hwnd)
                     : nullptr;
    gSession = DialogSession{};
    INT_PTR ended = DialogBoxParamA(instance, MAKEINTRESOURCEA(KX_DIALOG), owner, dialogProc, 0);
    // -1: the dialog could not be made; 0 without WM_INITDIALOG: an owner it refused.
    // Either way nothing was done, which must not read as success.
    if ((ended == -1 || !gSession.initialised) && gPlugin.result == noErr)
        gPlugin.result = kDialogFailed;
    saveSettings(m);
    unregisterPreviewClass();
    UnregisterClassA("DlgWndClass", instance);
}
