// spotclean's dab operations: each pixel under the brush moves halfway to the median of
// its k x k neighbourhood; the eraser blends the source back.
#pragma once
#include "framework/brush/effect_hooks.h"

// The largest neighbourhood side a work block holds (31 x 31 values).
constexpr int kSpotMaxSide = 31;

// One pixel of the current image, neighbourhood side k (odd from the stroke layer,
// 1..31; larger sides are treated as 31, k <= 0 does nothing).
void cleanPixel(int x, int y, int k);

void spotCapDab(const Dab& dab);
void spotStepDab(const Dab& dab, int direction, int spanLength);
void spotRestoreDab(const Dab& dab, int direction, int spanLength);
