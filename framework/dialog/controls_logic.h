// The controller's arithmetic: slider steps, typed-number validation, placement.
#pragma once
#include <cstdint>

// Trackbar notification -> new value (TB_* codes); step = (max - min) / 5.
int sliderTarget(int code, int value, int minimum, int maximum, int thumb);

struct NumberCheck {
    bool valid;  // false: tell the user the range, then show `value`
    int value;   // the typed value, or the bound that replaces it
};
// The text of an edit field, read as a signed integer and checked against the range.
// Empty or non-numeric text takes the minimum.
NumberCheck checkNumber(const char* text, int minimum, int maximum);

struct ScreenBox {
    int left, top, right, bottom;
};
// "%d,%d,%d,%d" -> box; false unless all four numbers are there.
bool parseWindowBox(const char* text, ScreenBox& box);
// The box grown (right and bottom edges) to at least the size of `minimum`.
ScreenBox atLeastSizeOf(ScreenBox box, const ScreenBox& minimum);
// Moves (never resizes) the box onto the screen: right/bottom edges first, then
// left/top, so a box larger than the screen ends at its top-left corner.
ScreenBox keepOnScreen(ScreenBox box, const ScreenBox& screen);
