// The segment walks of the texture effects. Both place dabs a few pixels apart instead of
// at every pixel (their dabs are anti-aliased discs, so a spacing of a fifth or sixth of
// the brush leaves no gaps) and neither places a disc at the samples themselves.
#pragma once
#include "framework/brush/effect_hooks.h"

using WalkDab = void (*)(void* context, const Dab& dab);

// texturer's walk keeps one flag between segments of a stroke.
struct TextureWalk {
    bool carry = false;  // the last walk ended short of its sample: start one pixel on
};

// texturer: the segment from `prev` to `sample`, clipped to 0..width x 0..height, walked
// from prev's end (ends never swapped) in steps of max(1, prev.size / 6) along the major
// axis (y when |slope| >= 1 or the segment is vertical), the minor coordinate interpolated
// and rounded half up. Each dab is a copy of prev moved there. Reaching the sample's own
// position stops the walk without a dab (the next segment starts there) and clears
// `carry`; otherwise the walk sets it, and the next walk then starts one pixel beyond its
// start along the major axis, the minor coordinate advanced by half a step's increment.
void walkTextureSegment(TextureWalk& walk, const Dab& prev, const Dab& sample, int width,
                        int height, WalkDab dab, void* context);

// gilder: the framework's walk (ends ordered by x, the dab a copy of the left end with
// prev's size, clipped to 0..width x 0..height, coordinates truncated) advancing
// max(1, prev.size / 5) pixels a step instead of one.
void walkSteppedSegment(const Dab& prev, const Dab& sample, int width, int height,
                        WalkDab dab, void* context);

// Cohen-Sutherland against [0, w] x [0, h] in floating point; false when nothing remains.
bool clipSegment(double& x0, double& y0, double& x1, double& y1, double w, double h);
