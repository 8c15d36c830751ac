// texturer's own dialog work: the texture list, the swatch tiling the prepared texture,
// and preparing the texture again after a choice, the end of a slider's tracking or
// typing into a field.
#include <windows.h>

#include "filters/texture_common/texture_dialog_win.h"
#include "filters/texturer/texturer_module.h"
#include "framework/dialog/dialog_hooks.h"

namespace {

constexpr int kListId = 1000, kSwatchId = 1004;
const int kTrackbars[] = {1005, 1008, 1011};  // scale, hue, intensity
const int kEdits[] = {3, 5, 7};

void paintSwatch(HWND, HDC dc, const RECT& client) {
    const PreparedTexture& t = texturerTexture();
    if (!t.ready()) {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    // 1:1 from the top-left corner, as the texture tiles from the image's corner.
    for (int y = client.top; y < client.bottom; y += t.height)
        for (int x = client.left; x < client.right; x += t.width)
            drawBgrRows(dc, x, y, t.width, t.height, t.texels.data(), t.rowBytes);
}

void prepareAndShow(HWND dialog) {
    texturerPrepare();
    repaintControl(dialog, kSwatchId);
}

bool before(void* d, uint32_t message, uintptr_t w, intptr_t l, intptr_t* result) {
    HWND dialog = static_cast<HWND>(d);
    if (message == WM_COMMAND && LOWORD(w) == kListId) {
        if (HIWORD(w) == CBN_SELCHANGE) {
            const int index = selectedTexture(dialog, kListId);
            if (index >= 0 && index < kTexturerTextureCount) gTexturerParams.textureIndex = uint8_t(index);
            prepareAndShow(dialog);
        }
        *result = TRUE;
        return true;
    }
    (void)l;
    return false;
}

void after(void* d, uint32_t message, uintptr_t w, intptr_t l) {
    HWND dialog = static_cast<HWND>(d);
    switch (message) {
        case WM_INITDIALOG: {
            useModuleResources();
            texturerLoadBitmaps();
            int names[kTexturerTextureCount];
            for (int i = 0; i < kTexturerTextureCount; ++i) names[i] = kTexturerTextures[i].resourceId;
            fillTextureList(dialog, kListId, names, kTexturerTextureCount, gTexturerParams.textureIndex);
            subclassSwatch(GetDlgItem(dialog, kSwatchId), paintSwatch);
            prepareAndShow(dialog);
            return;
        }
        case WM_DESTROY:
            unsubclassSwatch(GetDlgItem(dialog, kSwatchId));
            texturerRelease();
            return;
        default:
            break;
    }
    if (trackingEnded(message, w, l, kTrackbars, 3) || typedInto(message, w, l, kEdits, 3))
        prepareAndShow(dialog);
}

// After the parameters were shown (opening, Alt+Cancel): the list follows, and a Reset
// prepares the texture again.
void showParams(void* d) {
    HWND dialog = static_cast<HWND>(d);
    SendDlgItemMessageA(dialog, kListId, CB_SETCURSEL, gTexturerParams.textureIndex, 0);
    if (GetDlgItem(dialog, kSwatchId) && GetPropA(GetDlgItem(dialog, kSwatchId), "KestrixSwatchProc"))
        prepareAndShow(dialog);
}

}  // namespace

extern const DialogHooks kTexturerDialogHooks = {before, after, showParams};
