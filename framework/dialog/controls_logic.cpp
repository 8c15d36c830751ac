#include "framework/dialog/controls_logic.h"

#include <cerrno>
#include <cstdint>
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

bool beginsNumberIn(const char* text, int minimum, int maximum) {
    if (minimum > maximum) return false;
    long long prefix = 0;
    int digits = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9' || ++digits > 10) return false;
        prefix = prefix * 10 + (*p - '0');
    }
    if (digits == 0) return true;  // the field emptied to type a new number
    if (text[0] == '0') return digits == 1 && minimum <= 0 && 0 <= maximum;  // no digit follows a 0
    // The numbers that go on from the prefix with k more digits fill
    // [prefix * 10^k, (prefix + 1) * 10^k - 1]; one of them within the range will do.
    for (long long scale = 1; prefix * scale <= maximum; scale *= 10)
        if ((prefix + 1) * scale - 1 >= minimum) return true;
    return false;
}

namespace {

long long clampTo(long long v, long long lo, long long hi) { return v < lo ? lo : v > hi ? hi : v; }

// The range a saved coordinate may take: the screen's, widened by the screen's own extent
// on either side. A window partly off-screen keeps its place and size until it is moved
// back; anything further out is pulled in. All later sums and differences of two such
// coordinates stay far from the ends of int.
struct Span {
    long long lo, hi;
};
Span widened(int lo, int hi) {
    const long long extent = clampTo((long long)hi - lo, 0, 1 << 24);
    return {clampTo(lo - extent, INT32_MIN / 4, INT32_MAX / 4), clampTo((long long)hi + extent, INT32_MIN / 4, INT32_MAX / 4)};
}

// One decimal number as "%d" reads it (leading blanks, a sign), but whole: digits past
// the range of int saturate instead of overflowing.
bool readNumber(const char*& p, long long& value) {
    char* end = nullptr;
    const long long v = std::strtoll(p, &end, 10);
    if (end == p) return false;
    p = end;
    value = v;
    return true;
}

}  // namespace

bool parseWindowBox(const char* text, const ScreenBox& screen, ScreenBox& box) {
    long long v[4];
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && *p++ != ',') return false;
        if (!readNumber(p, v[i])) return false;
    }
    const Span x = widened(screen.left, screen.right), y = widened(screen.top, screen.bottom);
    box = ScreenBox{int(clampTo(v[0], x.lo, x.hi)), int(clampTo(v[1], y.lo, y.hi)),
                    int(clampTo(v[2], x.lo, x.hi)), int(clampTo(v[3], y.lo, y.hi))};
    return true;
}

bool restoredPlacement(const char* text, const ScreenBox& initial, const ScreenBox& screen,
                       ScreenBox& box) {
    ScreenBox saved;
    if (!parseWindowBox(text, screen, saved)) return false;
    // Never smaller than the template, whatever the file says, and never off-screen.
    box = keepOnScreen(atLeastSizeOf(saved, initial), screen);
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
