// dustclean's dab operations: a pixel under the brush takes the median of its
// neighbourhood only where, in some channel, the median differs from it by more than
// the level; the eraser blends the source back by pen pressure.
#pragma once
#include "framework/brush/effect_hooks.h"

// One pixel of the current image; the side 2 * radius + 1 and the level come from
// gDustParams (radius taken as 1..16).
void dustPixel(int x, int y);

void dustCapDab(const Dab& dab);
// Processes the row (direction 0) or column (direction 2) through the centre over
// spanLength + 1 pixels starting spanLength / 2 before it.
void dustStepDab(const Dab& dab, int direction, int spanLength);
// Source weight pressure / the samples' full-scale pressure (samplePressureMax); 1 without
// a pressure axis.
void dustRestoreDab(const Dab& dab, int direction, int spanLength);
