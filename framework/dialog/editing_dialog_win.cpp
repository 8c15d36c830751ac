// The modal editing dialog: its controls, the tablet context, and how it ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/brush/stroke.h"
#include "framework/brush/stroke_win.h"
#include "framework/dialog/controls_logic.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/dialog/dialog_hooks.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/dialog/editing_dialog_win.h"
#include "framework/dialog/layout_win.h"
#include "framework/dialog/preview_win.h"
#include "framework/dialog/tools_win.h"
#include "framework/host/edition.h"
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

enum ControlId : int { kDoneId = 1, kCancelId = 2, kRevertId = 4 };
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
    bool queueRefused;   // the tablet gave no queue: the dialog runs without the pen
    bool ready;          // initialisation got through: the dialog stays open
};
DialogSession gSession;

const ModuleInfo& module() { return currentModule(); }
const DialogControls& controls() { return *module().dialog; }
const ModuleIds& ids() { return moduleIds(module()); }
const DialogHooks* hooks() { return module().dialogHooks; }

// The tool buttons in Tool order (zoom, hand, brush); their ids need not be adjacent.
int toolButton(int tool) {
    const int buttons[3] = {ids().zoomToolId, ids().handToolId, ids().brushToolId};
    return buttons[tool];
}
int toolOfButton(int id) {
    for (int tool = kToolZoom; tool <= kToolBrush; ++tool)
        if (toolButton(tool) == id) return tool;
    return -1;
}

void checkTool() {
    for (int tool = kToolZoom; tool <= kToolBrush; ++tool)
        CheckDlgButton(gSession.dialog, toolButton(tool), tool == gPlugin.currentTool ? BST_CHECKED : BST_UNCHECKED);
}

bool checkBoxOn(const CheckBinding& c) {
    const bool flag = readParam<uint8_t>(module(), c.offset) != 0;
    return c.inverted ? !flag : flag;
}

void enableFromCheck(const CheckBinding& c) {
    const bool on = checkBoxOn(c);
    for (int i = 0; i < c.enableCount; ++i) EnableWindow(GetDlgItem(gSession.dialog, c.enables[i]), on);
}

int32_t radioValue(const RadioBinding& r) {
    if (r.width == 1) return readParam<uint8_t>(module(), r.offset);
    if (r.width == 2) return readParam<int16_t>(module(), r.offset);
    return readParam<int32_t>(module(), r.offset);
}

void setRadioValue(const RadioBinding& r, int32_t value) {
    if (r.width == 1) {
        writeParam(module(), r.offset, uint8_t(value));
    } else if (r.width == 2) {
        writeParam(module(), r.offset, int16_t(value));
    } else {
        writeParam(module(), r.offset, value);
    }
}

void checkRadios(const RadioBinding& r) {
    const int32_t value = radioValue(r);
    for (int i = 0; i < r.count; ++i)
        CheckDlgButton(gSession.dialog, r.ids[i], r.values[i] == value ? BST_CHECKED : BST_UNCHECKED);
}

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
        SetDlgItemInt(d, b.editId, UINT(readParam<int16_t>(module(), b.offset)), b.minimum < 0);
    }
    for (int i = 0; i < controls().sourceCount; ++i) checkSourceRadios(controls().sources[i]);
    for (int i = 0; i < controls().checkCount; ++i) {
        const CheckBinding& c = controls().checks[i];
        CheckDlgButton(d, c.id, checkBoxOn(c) ? BST_CHECKED : BST_UNCHECKED);
        enableFromCheck(c);
    }
    for (int i = 0; i < controls().radioCount; ++i) checkRadios(controls().radios[i]);
    checkTool();
    if (hooks() && hooks()->showParams) hooks()->showParams(d);
}

void setToolIcons() {
    const struct {
        int button, icon;
        const char* name;
    } icons[] = {{ids().handToolId, KX_ICON_HAND, ids().handIconName},
                 {ids().zoomToolId, KX_ICON_ZOOM, ids().zoomIconName},
                 {ids().brushToolId, KX_ICON_BRUSH, ids().brushIconName}};
    for (auto i : icons) {
        HICON icon = LoadIconA(moduleInstance(), i.name ? i.name : MAKEINTRESOURCEA(i.icon));
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
    const QueueRule defaultQueue{40, false, 0};
    const QueueRule& queue = module().queue ? *module().queue : defaultQueue;
    int granted = 0;
    HCTX handle = openTabletContext(*api, gSession.dialog, context, queue.firstSize, queue.once, &granted);
    if (handle && granted == 0 && queue.emptyMessageId) {
        // No queue at all: the pen cannot be followed. Say so and go on with the mouse
        // tools; Done or Cancel set the result again.
        api->close(handle);
        char text[256];
        loadModuleString(queue.emptyMessageId, text, sizeof text);
        showMessage(reinterpret_cast<intptr_t>(gSession.dialog), text, kCaption, MessageKind::stop);
        gPlugin.result = -1;
        gSession.queueRefused = true;
        return nullptr;
    }
    return handle;
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
    if (ids().previewClassAtInit && !registerPreviewClass()) {
        gPlugin.result = kDialogFailed;
        EndDialog(dialog, 0);
        return TRUE;
    }
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
    if (!gSession.context && !gSession.queueRefused) {
        char text[512];
        loadModuleString(KX_STR_NO_TABLET, text, sizeof text);
        showMessage(reinterpret_cast<intptr_t>(dialog), text, kCaption, MessageKind::stop);
        endDialog(1, 0);
        return TRUE;
    }
    loadPlacement(dialog, module(), gSession.initialWindow);
    SendMessageA(previewWindow(), WM_SIZE, 0, 0);
    if (module().strokeRule && module().strokeRule->timerMs > 0)
        SetTimer(dialog, kStrokeTimerId, UINT(module().strokeRule->timerMs), nullptr);
    gSession.ready = true;
    return TRUE;
}

void onDestroy() {
    KillTimer(gSession.dialog, kStrokeTimerId);
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
    SetDlgItemInt(gSession.dialog, b.editId, UINT(value), b.minimum < 0);
}

void validateField(const SliderBinding& b, bool focusLost) {
    if (gSession.validating) return;
    char text[32];
    GetDlgItemTextA(gSession.dialog, b.editId, text, sizeof text);
    NumberCheck check = checkNumber(text, b.minimum, b.maximum);
    if (!check.valid && b.silent) {
        // Refused without a word: the parameter stays, and the field shows it again once
        // typing stops making sense ("-" on the way to "-20" is left alone).
        if (!focusLost && (text[0] == '\0' || (text[0] == '-' && text[1] == '\0'))) return;
        gSession.validating = true;
        SetDlgItemInt(gSession.dialog, b.editId, UINT(readParam<int16_t>(module(), b.offset)), TRUE);
        gSession.validating = false;
        return;
    }
    // Too small, but on the way to a number within the range: checked when the field
    // loses the focus. Anything else is refused at once.
    if (!check.valid && b.deferLow && !focusLost && beginsNumberIn(text, b.minimum, b.maximum)) return;
    if (!check.valid) {
        gSession.validating = true;
        char format[81], message[128];
        loadModuleString(ids().rangeMessageId, format, sizeof format);
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
        if (module().resetSelectsBrush) gPlugin.currentTool = kToolBrush;
        showParams();
        return;
    }
    if (gPlugin.modified && ask(ids().discardQuestionId) != MessageAnswer::yes) return;
    endDialog(1, 0);
}

void onRevert() {
    if (!gPlugin.unappliedStroke || ask(ids().discardQuestionId) != MessageAnswer::yes) return;
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
    if (gPlugin.modified && ask(ids().saveQuestionId) == MessageAnswer::no) {
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
        if (notification == EN_KILLFOCUS && b->deferLow) {
            validateField(*b, true);
            return TRUE;
        }
        if (notification != EN_CHANGE) return FALSE;
        validateField(*b, false);
        return TRUE;
    }
    if (toolOfButton(id) >= 0) {
        gPlugin.currentTool = toolOfButton(id);
        if (!clicked) return TRUE;
        checkTool();  // plain buttons in some templates: the dialog keeps the one checked
        return TRUE;
    }
    for (int i = 0; i < controls().checkCount; ++i) {
        const CheckBinding& c = controls().checks[i];
        if (c.id != id) continue;
        if (c.manual) {
            if (!clicked) return TRUE;
            CheckDlgButton(gSession.dialog, id, IsDlgButtonChecked(gSession.dialog, id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        }
        const bool on = IsDlgButtonChecked(gSession.dialog, id) == BST_CHECKED;
        writeParam(module(), c.offset, uint8_t(c.inverted ? !on : on));
        enableFromCheck(c);
        return TRUE;
    }
    for (int i = 0; i < controls().radioCount; ++i) {
        const RadioBinding& r = controls().radios[i];
        for (int k = 0; k < r.count; ++k)
            if (r.ids[k] == id) {
                setRadioValue(r, r.values[k]);
                checkRadios(r);
                return TRUE;
            }
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
        case WM_TIMER:
            if (w != kStrokeTimerId) return FALSE;
            onStrokeTimer(dialog);
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

// The module's hooks around the framework's own handling.
INT_PTR withModuleHooks(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    const DialogHooks* h = hooks();
    if (h && h->before && message != WM_INITDIALOG) {
        intptr_t result = 0;
        if (h->before(dialog, message, w, l, &result)) return INT_PTR(result);
    }
    if (h && h->after && message == WM_DESTROY) h->after(dialog, message, w, l);
    const INT_PTR handled = handleDialogMessage(dialog, message, w, l);
    // A dialog that ended while it initialised has nothing for the module to set up.
    if (h && h->after && message != WM_DESTROY && (message != WM_INITDIALOG || gSession.ready))
        h->after(dialog, message, w, l);
    return handled;
}


bool registerDialogClass() {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = dialogClassProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = moduleInstance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = ids().dialogClass;
    return RegisterClassA(&wc) != 0;
}

}  // namespace

void overlapTabletContext() {
    if (!gSession.context) return;
    if (const WintabApi* api = wintab()) api->overlap(gSession.context, TRUE);
}

INT_PTR CALLBACK editingDialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    // No C++ exception may unwind into the system's message dispatch: that ends the
    // host. Whatever threw (std::bad_alloc in the stroke or an effect), the dialog ends
    // with memFullErr and the host keeps its image.
    try {
        return withModuleHooks(dialog, message, w, l);
    } catch (...) {
        gPlugin.result = memFullErr;
        EndDialog(dialog, 0);
        return TRUE;
    }
}

void runEditingDialog() {
    const ModuleInfo& m = module();
    HINSTANCE instance = moduleInstance();
    if (!registerDialogClass()) {
        gPlugin.result = kDialogFailed;
        return;
    }
    // Some editions register the preview's class only when the dialog initialises.
    if (!ids().previewClassAtInit && !registerPreviewClass()) {
        UnregisterClassA(ids().dialogClass, instance);
        gPlugin.result = kDialogFailed;
        return;
    }
    loadSettings(m);
    HWND owner = gPlugin.record->platformData
                     ? reinterpret_cast<HWND>(gPlugin.record->platformData->hwnd)
                     : nullptr;
    gSession = DialogSession{};
    const char* templateName = ids().dialogName ? ids().dialogName : MAKEINTRESOURCEA(ids().dialogId);
    // An edition whose module exports the dialog procedure runs the dialog with that
    // export (which hands every message back to editingDialogProc).
    DLGPROC procedure = editingDialogProc;
    if (m.edition && m.edition->dialogProcName)
        procedure = reinterpret_cast<DLGPROC>(
            reinterpret_cast<void*>(GetProcAddress(instance, m.edition->dialogProcName)));
    INT_PTR ended = procedure ? DialogBoxParamA(instance, templateName, owner, procedure, 0) : -1;
    // -1: the dialog could not be made; 0 without WM_INITDIALOG: an owner it refused.
    // Either way nothing was done, which must not read as success.
    if ((ended == -1 || !gSession.initialised) && gPlugin.result == noErr)
        gPlugin.result = kDialogFailed;
    saveSettings(m);
    unregisterPreviewClass();
    UnregisterClassA(ids().dialogClass, instance);
}
