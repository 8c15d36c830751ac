// gilder's own dialog work: the texture list, the swatch in the metal's colours, the
// colour bar, and preparing the texture again after a choice, the end of a slider's
// tracking or typing into a field.
#include <windows.h>

#include <vector>

#include "filters/gilder/gilder_module.h"
#include "filters/texture_common/texture_dialog_win.h"
#include "framework/dialog/dialog_hooks.h"
#include "framework/tablet/packet_filter.h"

namespace {

constexpr int kListId = 1000, kSwatchId = 1004, kBarId = 1011, kGoldId = 1001, kSilverId = 1002;
const int kTrackbars[] = {1005, 1010, 1008};  // scale, dark level, light level
const int kEdits[] = {3, 13, 14};

// Rows of the client area, blue-green-red, filled pixel by pixel.
struct Pixels {
    int width, height, rowBytes;
    std::vector<uint8_t> bytes;
    Pixels(int w, int h) : width(w), height(h), rowBytes((w * 3 + 3) & ~3), bytes(size_t(rowBytes) * size_t(h), 0) {}
    void set(int x, int y, int r, int g, int b) {
        uint8_t* p = &bytes[size_t(y) * size_t(rowBytes) + size_t(x) * 3];
        p[0] = uint8_t(b);
        p[1] = uint8_t(g);
        p[2] = uint8_t(r);
    }
    void draw(HDC dc, const RECT& c) { drawBgrRows(dc, c.left, c.top, width, height, bytes.data(), rowBytes); }
};

void paintSwatch(HWND, HDC dc, const RECT& client) {
    const GreyTexture& t = gilderTexture();
    const int w = client.right - client.left, h = client.bottom - client.top;
    if (!t.ready() || w <= 0 || h <= 0) {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    const GildColours c = gildColours(gGilderParams.metal, false, gGilderParams.lightLevel, gGilderParams.darkLevel);
    Pixels px(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int g = t.at(x % t.width, t.height - 1 - y % t.height);
            int k[3];
            for (int i = 0; i < 3; ++i) k[i] = mulDiv(c.light[i], g, 255) + mulDiv(c.dark[i], 255 - g, 255);
            px.set(x, y, k[0], k[1], k[2]);
        }
    px.draw(dc, client);
}

void paintBar(HWND, HDC dc, const RECT& client) {
    const int w = client.right - client.left, h = client.bottom - client.top;
    if (w <= 0 || h <= 0) return;
    const MetalEnds e = metalEnds(gGilderParams.metal, false);
    Pixels px(w, h);
    for (int x = 0; x < w; ++x) {
        int k[3];
        for (int i = 0; i < 3; ++i) k[i] = mulDiv(e.dark[i], w - x, w) + mulDiv(e.light[i], x, w);
        for (int y = 0; y < h; ++y) px.set(x, y, k[0], k[1], k[2]);
    }
    px.draw(dc, client);
}

void prepareAndShow(HWND dialog) {
    gilderPrepare();
    repaintControl(dialog, kSwatchId);
}

bool before(void* d, uint32_t message, uintptr_t w, intptr_t, intptr_t* result) {
    HWND dialog = static_cast<HWND>(d);
    if (message == WM_COMMAND && LOWORD(w) == kListId) {
        if (HIWORD(w) == CBN_SELCHANGE) {
            const int index = selectedTexture(dialog, kListId);
            if (index >= 0 && index < kGilderTextureCount) gGilderParams.textureIndex = uint8_t(index);
            prepareAndShow(dialog);
        }
        *result = TRUE;
        return true;
    }
    return false;
}

void after(void* d, uint32_t message, uintptr_t w, intptr_t l) {
    HWND dialog = static_cast<HWND>(d);
    switch (message) {
        case WM_INITDIALOG: {
            useModuleResources();
            gilderLoadBitmaps();
            int names[kGilderTextureCount];
            for (int i = 0; i < kGilderTextureCount; ++i) names[i] = kGilderTextures[i].resourceId;
            fillTextureList(dialog, kListId, names, kGilderTextureCount, gGilderParams.textureIndex);
            subclassSwatch(GetDlgItem(dialog, kSwatchId), paintSwatch);
            subclassSwatch(GetDlgItem(dialog, kBarId), paintBar);
            prepareAndShow(dialog);
            repaintControl(dialog, kBarId);
            return;
        }
        case WM_DESTROY:
            unsubclassSwatch(GetDlgItem(dialog, kSwatchId));
            unsubclassSwatch(GetDlgItem(dialog, kBarId));
            gilderRelease();
            return;
        case WM_COMMAND:
            if ((LOWORD(w) == kGoldId || LOWORD(w) == kSilverId) && HIWORD(w) == BN_CLICKED) {
                repaintControl(dialog, kSwatchId);
                repaintControl(dialog, kBarId);
                return;
            }
            break;
        default:
            break;
    }
    if (trackingEnded(message, w, l, kTrackbars, 3) || typedInto(message, w, l, kEdits, 3))
        prepareAndShow(dialog);
}

// After the parameters were shown (opening, Alt+Cancel): the list follows, and a Reset
// prepares the texture again and repaints the swatch and the bar.
void showParams(void* d) {
    HWND dialog = static_cast<HWND>(d);
    SendDlgItemMessageA(dialog, kListId, CB_SETCURSEL, gGilderParams.textureIndex, 0);
    HWND swatch = GetDlgItem(dialog, kSwatchId);
    if (swatch && GetPropA(swatch, "KestrixSwatchProc")) {
        prepareAndShow(dialog);
        repaintControl(dialog, kBarId);
    }
}

}  // namespace

extern const DialogHooks kGilderDialogHooks = {before, after, showParams};
