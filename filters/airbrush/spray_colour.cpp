#include "filters/airbrush/spray_colour.h"

#include <algorithm>
#include <cstring>

#include "framework/host/image_access.h"

namespace {

bool cmykImage(const FilterRecord& r) { return r.imageMode == plugInModeCMYKColor; }

uint16_t wide(int component) { return uint16_t(std::clamp(component, 0, 255) * 257); }

// One call of the host's colour services; -30900 (unsupported) without them.
int16_t colourCall(const FilterRecord& r, ColorServicesInfo& info) {
    if (!r.colorServices) return -30900;
    info.infoSize = int32_t(sizeof info);
    return r.colorServices(&info);
}

// RGB (0..255 each) to CMYK by the host; false when it cannot.
bool toCmyk(const FilterRecord& r, const int16_t rgb[3], int16_t cmyk[4]) {
    ColorServicesInfo info{};
    info.selector = plugIncolorServicesConvertColor;
    info.sourceSpace = plugIncolorServicesRGBSpace;
    info.resultSpace = plugIncolorServicesCMYKSpace;
    for (int c = 0; c < 3; ++c) info.colorComponents[c] = rgb[c];
    if (colourCall(r, info) != 0) return false;
    std::memcpy(cmyk, info.colorComponents, sizeof info.colorComponents);
    return true;
}

bool toRgb(const FilterRecord& r, const int16_t cmyk[4], int16_t rgb[3]) {
    ColorServicesInfo info{};
    info.selector = plugIncolorServicesConvertColor;
    info.sourceSpace = plugIncolorServicesCMYKSpace;
    info.resultSpace = plugIncolorServicesRGBSpace;
    std::memcpy(info.colorComponents, cmyk, sizeof info.colorComponents);
    if (colourCall(r, info) != 0) return false;
    for (int c = 0; c < 3; ++c) rgb[c] = info.colorComponents[c];
    return true;
}

void highBytes(const AirbrushParams& p, int16_t rgb[3]) {
    for (int c = 0; c < 3; ++c) rgb[c] = int16_t(p.color[c] >> 8);
}

}  // namespace

void takeHostColour(AirbrushParams& p, const FilterRecord& r) {
    p.color[0] = r.foreground.red;
    p.color[1] = r.foreground.green;
    p.color[2] = r.foreground.blue;
    if (cmykImage(r)) {
        nativeHalfFromChannels(p, r.foreColor);
        return;
    }
    int16_t rgb[3], cmyk[4] = {0, 0, 0, 0};
    highBytes(p, rgb);
    const bool converted = r.colorServices && toCmyk(r, rgb, cmyk);
    nativeHalfFromConversion(p, converted ? 0 : -30900, cmyk);
}

void chooseWithHost(AirbrushParams& p, const FilterRecord& r, const char* prompt) {
    if (!r.colorServices) return;
    uint8_t pascal[256];
    const size_t length = std::min<size_t>(std::strlen(prompt), 249);
    pascal[0] = uint8_t(length);
    std::memcpy(pascal + 1, prompt, length);
    ColorServicesInfo info{};
    info.selector = plugIncolorServicesChooseColor;
    info.sourceSpace = plugIncolorServicesRGBSpace;
    info.resultSpace = plugIncolorServicesRGBSpace;
    highBytes(p, info.colorComponents);
    info.selectorParameter = pascal;
    // The answer is not looked at: a cancelled picker leaves the components as they were.
    colourCall(r, info);
    int16_t chosen[3];
    for (int c = 0; c < 3; ++c) chosen[c] = int16_t(std::clamp<int>(info.colorComponents[c], 0, 255));

    int16_t shown[3] = {chosen[0], chosen[1], chosen[2]};
    bool halfSet = false;
    if (cmykImage(r)) {
        int16_t cmyk[4];
        if (toCmyk(r, chosen, cmyk)) {
            nativeHalfFromConversion(p, 0, cmyk);
            halfSet = true;
            int16_t back[3];
            if (toRgb(r, cmyk, back)) std::copy(back, back + 3, shown);
        }
    }
    for (int c = 0; c < 3; ++c) p.color[c] = wide(shown[c]);
    if (!halfSet) fallbackNativeHalf(p);
}

void takeChosenRgb(AirbrushParams& p, uint8_t red, uint8_t green, uint8_t blue) {
    p.color[0] = wide(red);
    p.color[1] = wide(green);
    p.color[2] = wide(blue);
    fallbackNativeHalf(p);
}

bool pickPixel(AirbrushParams& p, const FilterRecord& r, int x, int y) {
    const int width = r.filterRect.right - r.filterRect.left, height = r.filterRect.bottom - r.filterRect.top;
    if (!r.outData || x < 0 || y < 0 || x >= width || y >= height) return false;
    const int channels = processedChannels(r);
    const bool cmyk = cmykImage(r);
    if (channels != (cmyk ? 4 : 3)) return false;
    const uint8_t* px = static_cast<const uint8_t*>(r.outData) + intptr_t(y) * r.outRowBytes + intptr_t(x) * r.planes;
    if (!cmyk) {
        for (int c = 0; c < 3; ++c) p.color[c] = wide(px[c]);
        fallbackNativeHalf(p);
        return true;
    }
    nativeHalfFromChannels(p, px);
    const int16_t values[4] = {px[0], px[1], px[2], px[3]};
    int16_t rgb[3];
    if (toRgb(r, values, rgb))
        for (int c = 0; c < 3; ++c) p.color[c] = wide(rgb[c]);
    return true;
}

void swatchRgb(const AirbrushParams& p, uint8_t rgb[3]) {
    for (int c = 0; c < 3; ++c) rgb[c] = uint8_t(p.color[c] >> 8);
}
