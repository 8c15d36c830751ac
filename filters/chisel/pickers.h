// Geometry of the dialog's two small pickers, apart from their drawing: where the light
// markers sit, which cell a click picks, and the points of the tip's cross-section curve.
#pragma once
#include <vector>

#include "filters/chisel/chisel_params.h"

struct PickerPoint {
    int x, y;
};

constexpr int kLightMarkerSide = 11;  // the marker bitmaps are 11 x 11

// Top-left corner of light direction `index`'s marker in a Wc x Hc client area.
PickerPoint lightMarkerPosition(int index, int clientWidth, int clientHeight);

// The light direction a left click at (x, y) selects; the centre cell keeps `current`.
int lightDirectionAt(int x, int y, int clientWidth, int clientHeight, int current);

// a * b / c rounded half away from zero, as the Win32 MulDiv does; -1 when c is 0.
int mulDivRounded(int a, int b, int c);

// The TipPicker's polyline: first the move-to point, then every line-to point, the last
// one being the point set black. Heights of the preview profile scaled so the depth fills
// half the client height, never wider than the client.
std::vector<PickerPoint> tipPickerPoints(const ChiselParams& params, int clientWidth,
                                         int clientHeight);
