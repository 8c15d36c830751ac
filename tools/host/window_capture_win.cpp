#include "window_capture_win.h"

#include <cstdint>
#include <vector>

#include "png_write.h"

bool captureWindowPng(HWND w, bool withFrame, const std::string& path, int& width, int& height) {
    RECT r;
    if (withFrame) {
        GetWindowRect(w, &r);
    } else {
        GetClientRect(w, &r);
    }
    width = r.right - r.left;
    height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC wdc = withFrame ? GetWindowDC(w) : GetDC(w);
    HDC mdc = CreateCompatibleDC(wdc);
    HBITMAP bmp = CreateCompatibleBitmap(wdc, width, height);
    HGDIOBJ old = SelectObject(mdc, bmp);
    BitBlt(mdc, 0, 0, width, height, wdc, 0, 0, SRCCOPY);
    SelectObject(mdc, old);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint8_t> bgrx(size_t(width) * height * 4), rgb(size_t(width) * height * 3);
    GetDIBits(mdc, bmp, 0, UINT(height), bgrx.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mdc);
    ReleaseDC(w, wdc);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        rgb[3 * i] = bgrx[4 * i + 2];
        rgb[3 * i + 1] = bgrx[4 * i + 1];
        rgb[3 * i + 2] = bgrx[4 * i];
    }
    return writePng(path, width, height, 3, rgb.data(), size_t(width) * 3);
}
