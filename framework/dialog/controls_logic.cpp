#include "framework/dialog/controls_logic.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {
// Trackbar notification codes.
enum : int {
    kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4,
    kThumbTrack = 5, kTop = 6, kBottom = 7,
};
}  // namespace

int sliderTarget(int code, int value, int minimum, int maximum, int thumb) {
    int step = (maximum - minimum) / 5;
    switch (code) {
        case kLineUp:
        case kPageUp: return value - step < minimum ? minimum : value - step;
        case kLineDown:
        case kPageDown: return value + step > maximum ? maximum : value + step;
        case kThumbPosition:
        case kThumbTrack: return thumb;
        case kTop: return minimum;
        case kBottom: return maximum;
        default: return value;
    }
}

NumberCheck checkNumber(const char* text, int minimum, int maximum) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    bool number = end != text && errno == 0;
    while (number && (*end == ' ' || *end == '\t')) ++end;
    if (number && *end != '\0') number = false;
    if (!number) return {false, minimum};
    // The whole number is compared, not its low 16 bits: 65537 must not pass as 1.
    if (v > maximum) return {false, maximum};
    if (v < minimum) return {false, minimum};
    return {true, int(v)};
}

bool parseWindowBox(const char* text, ScreenBox& box) {
    ScreenBox b;
    if (std::sscanf(text, "%d,%d,%d,%d", &b.left, &b.top, &b.right, &b.bottom) != 4) return false;
    box = b;
    return true;
}

ScreenBox atLeastSizeOf(ScreenBox box, const ScreenBox& minimum) {
    int w = minimum.right - minimum.left, h = minimum.bottom - minimum.top;
    if (box.right - box.left < w) box.right = box.left + w;
    if (box.bottom - box.top < h) box.bottom = box.top + h;
    return box;
}

ScreenBox keepOnScreen(ScreenBox box, const ScreenBox& screen) {
    auto shift = [](int& lo, int& hi, int screenLo, int screenHi) {
        if (hi > screenHi) {
            lo -= hi - screenHi;
            hi = screenHi;
        }
        if (lo < screenLo) {
            hi += screenLo - lo;
            lo = screenLo;
        }
    };
    shift(box.left, box.right, screen.left, screen.right);
    shift(box.top, box.bottom, screen.top, screen.bottom);
    return box;
}
