#include "host_procs_win.h"

#include <commdlg.h>

#include <vector>

#include "pixel_ops.h"
#include "report_sink_win.h"

namespace {

HWND g_owner = nullptr;
int g_displayCalls = 0;
int g_displayErrors = 0;
int g_colorCalls = 0;
bool g_ignoreOrigin = false;
int g_rowOverruns = 0;
int64_t g_largestTarget = 0;
std::string g_pickerPrompt;
bool g_conversionUnsupported = false;
bool g_haveChosen = false;
int g_chosen[3];
constexpr OSErr kUnsupported = -30900;

int planesFor(int32_t mode) { return mode == 1 ? 1 : mode == 3 ? 3 : mode == 4 ? 4 : 0; }

// 32-bit top-down DIB rows (BGRX) for SetDIBitsToDevice / StretchDIBits.
BITMAPINFO dibInfo(int w, int h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

UINT_PTR CALLBACK pickerHook(HWND dlg, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG && !g_pickerPrompt.empty()) SetWindowTextA(dlg, g_pickerPrompt.c_str());
    return 0;
}

}  // namespace

void setHostProcsOwner(HWND owner) { g_owner = owner; }

void setColorConversionUnsupported(bool unsupported) { g_conversionUnsupported = unsupported; }

void setChosenColor(const int* rgb) {
    g_haveChosen = rgb != nullptr;
    if (rgb)
        for (int i = 0; i < 3; ++i) g_chosen[i] = rgb[i];
}

void setDisplayIgnoresOrigin(bool ignore) {
    g_ignoreOrigin = ignore;
    reportSet("displayPixels.ignoresOrigin", ignore ? 1 : 0);
    if (ignore) reportSet("displayPixels.rowOverruns", g_rowOverruns);
}

OSErr KX_CDECL hostDisplayPixels(const PSPixelMap* map, const VRect* r, int32_t dstRow, int32_t dstCol,
                                 void* platformContext) {
    reportSet("displayPixels.calls", ++g_displayCalls);
    auto bad = [](const char* why) {
        reportSet("displayPixels.errors", ++g_displayErrors);
        reportSet("displayPixels.lastError", why);
        return filterBadParameters;
    };
    if (!map || !r || !platformContext) return bad("null map, rectangle or device context");
    if (map->version != 1) return bad("map version is not 1");
    if (!map->baseAddr) return bad("null baseAddr");
    const int planes = planesFor(map->imageMode);
    if (!planes) return bad("image mode not shown by this host");
    if (map->planeBytes != 1 || map->colBytes < planes || map->colBytes > 5) return bad("unsupported colBytes/planeBytes");
    const VRect& b = map->bounds;
    if (r->top < b.top || r->left < b.left || r->bottom > b.bottom || r->right > b.right || r->top > r->bottom ||
        r->left > r->right)
        return bad("srcRect outside the map's bounds");
    if (map->rowBytes < (b.right - b.left) * map->colBytes) return bad("rowBytes shorter than a row");
    const int w = r->right - r->left, h = r->bottom - r->top;
    if (w == 0 || h == 0) return noErr;

    // The block drawn starts at srcRect's top-left, or at the map's origin in a host that
    // ignores srcRect's origin (it draws wrong pixels for a module that relies on it).
    const int top = g_ignoreOrigin ? b.top : r->top, left = g_ignoreOrigin ? b.left : r->left;
    if (g_ignoreOrigin && map->imageMode == 1 && r->top > 0) reportSet("displayPixels.rowOverruns", ++g_rowOverruns);

    std::vector<uint32_t> bits(size_t(w) * h);
    const auto* base = static_cast<const uint8_t*>(map->baseAddr);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = base + size_t(top + y - b.top) * map->rowBytes + size_t(left - b.left) * map->colBytes;
        for (int x = 0; x < w; ++x) {
            uint8_t rgb[3];
            pixelToRGB(map->imageMode, row + size_t(x) * map->colBytes, rgb);
            bits[size_t(y) * w + x] = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
        }
    }
    // The largest bitmap a module has had us draw into (a module's off-screen memory).
    if (HGDIOBJ bitmap = GetCurrentObject(static_cast<HDC>(platformContext), OBJ_BITMAP)) {
        BITMAP bm = {};
        if (GetObjectA(bitmap, sizeof bm, &bm) && int64_t(bm.bmWidth) * bm.bmHeight > g_largestTarget) {
            g_largestTarget = int64_t(bm.bmWidth) * bm.bmHeight;
            reportSet("displayPixels.largestTarget", std::to_string(bm.bmWidth) + "," + std::to_string(bm.bmHeight));
        }
    }
    BITMAPINFO bi = dibInfo(w, h);
    SetDIBitsToDevice(static_cast<HDC>(platformContext), dstCol, dstRow, DWORD(w), DWORD(h), 0, 0, 0, UINT(h),
                      bits.data(), &bi, DIB_RGB_COLORS);
    return noErr;
}

OSErr KX_CDECL hostColorServices(ColorServicesInfo* info) {
    reportSet("colorServices.calls", ++g_colorCalls);
    if (!info || info->infoSize < int32_t(sizeof(ColorServicesInfo))) return filterBadParameters;
    const int n = g_colorCalls;
    reportSet("colorServices." + std::to_string(n) + ".selector", info->selector);
    auto toSpace = [&](int16_t space, const int16_t rgb[3]) {
        if (space == plugIncolorServicesCMYKSpace) {
            rgbToCmyk(rgb, info->colorComponents);
        } else {
            for (int i = 0; i < 3; ++i) info->colorComponents[i] = rgb[i];
            info->colorComponents[3] = 0;
        }
        info->resultGamutInfoValid = 1;
        info->resultInGamut = 1;
    };
    auto spaceOk = [](int16_t s) { return s == plugIncolorServicesRGBSpace || s == plugIncolorServicesCMYKSpace; };

    if (info->selector == plugIncolorServicesChooseColor) {
        if (!(info->resultSpace == plugIncolorServicesChosenSpace || spaceOk(info->resultSpace))) return filterBadParameters;
        int16_t start[3] = {info->colorComponents[0], info->colorComponents[1], info->colorComponents[2]};
        if (info->sourceSpace == plugIncolorServicesCMYKSpace) cmykToRgb(info->colorComponents, start);
        g_pickerPrompt.clear();
        if (const uint8_t* p = info->selectorParameter) g_pickerPrompt.assign(reinterpret_cast<const char*>(p + 1), p[0]);
        reportSet("colorServices." + std::to_string(n) + ".prompt", g_pickerPrompt);
        reportSet("colorServices." + std::to_string(n) + ".start",
                  std::to_string(start[0]) + "," + std::to_string(start[1]) + "," + std::to_string(start[2]));
        if (g_haveChosen) {
            const int16_t rgb[3] = {int16_t(g_chosen[0]), int16_t(g_chosen[1]), int16_t(g_chosen[2])};
            toSpace(info->resultSpace == plugIncolorServicesChosenSpace ? plugIncolorServicesRGBSpace : info->resultSpace, rgb);
            return noErr;
        }
        static COLORREF custom[16];
        CHOOSECOLORA cc = {};
        cc.lStructSize = sizeof cc;
        cc.hwndOwner = g_owner;
        cc.rgbResult = RGB(start[0] & 0xFF, start[1] & 0xFF, start[2] & 0xFF);
        cc.lpCustColors = custom;
        cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
        cc.lpfnHook = pickerHook;
        if (!ChooseColorA(&cc)) return -128;  // userCanceledErr
        int16_t rgb[3] = {int16_t(GetRValue(cc.rgbResult)), int16_t(GetGValue(cc.rgbResult)), int16_t(GetBValue(cc.rgbResult))};
        toSpace(info->resultSpace == plugIncolorServicesChosenSpace ? plugIncolorServicesRGBSpace : info->resultSpace, rgb);
        return noErr;
    }
    if (g_conversionUnsupported &&
        (info->selector == plugIncolorServicesConvertColor || info->selector == plugIncolorServicesGetSpecialColor))
        return kUnsupported;
    if (info->selector == plugIncolorServicesConvertColor) {
        if (!spaceOk(info->sourceSpace) || !spaceOk(info->resultSpace)) return filterBadParameters;
        int16_t rgb[3];
        if (info->sourceSpace == plugIncolorServicesCMYKSpace) {
            if (info->resultSpace == plugIncolorServicesCMYKSpace) return noErr;
            cmykToRgb(info->colorComponents, rgb);
        } else {
            for (int i = 0; i < 3; ++i) rgb[i] = info->colorComponents[i];
        }
        toSpace(info->resultSpace, rgb);
        return noErr;
    }
    // Sampling points and special colours are not offered: the plug-ins don't use them.
    return filterBadParameters;
}

void drawImage(HDC dc, const Image& img, const RECT& dst) {
    if (img.width <= 0 || img.height <= 0) return;
    std::vector<uint32_t> bits(size_t(img.width) * img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            uint8_t rgb[3] = {0, 0, 0};
            pixelToRGB(img.imageMode, img.at(x, y), rgb);
            bits[size_t(y) * img.width + x] = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
        }
    BITMAPINFO bi = dibInfo(img.width, img.height);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, 0, 0, img.width, img.height,
                  bits.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
}
