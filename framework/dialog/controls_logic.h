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
// Whether the text (digits only, or nothing) is the beginning of a number within the
// range: "1" and "12" on the way to "120" in 50..150, but not "3" or "2000".
bool beginsNumberIn(const char* text, int minimum, int maximum);

struct ScreenBox {
    int left, top, right, bottom;
};
// "%d,%d,%d,%d" -> box; false unless all four numbers are there. The settings file is
// anyone's to edit: each number is clamped, before any arithmetic, to the virtual screen
// widened by its own width (height) on both sides, so no later sum or difference can
// overflow, while a window saved partly off-screen keeps its size.
bool parseWindowBox(const char* text, const ScreenBox& screen, ScreenBox& box);
// The "Window" value as the dialog takes it: parsed and clamped as above, grown to at
// least the size of `initial` (the template's window), then kept on `screen`. False,
// leaving `box` alone, unless the text holds four numbers.
bool restoredPlacement(const char* text, const ScreenBox& initial, const ScreenBox& screen,
                       ScreenBox& box);
// The box grown (right and bottom edges) to at least the size of `minimum`.
ScreenBox atLeastSizeOf(ScreenBox box, const ScreenBox& minimum);
// Moves (never resizes) the box onto the screen: right/bottom edges first, then
// left/top, so a box larger than the screen ends at its top-left corner.
ScreenBox keepOnScreen(ScreenBox box, const ScreenBox& screen);
