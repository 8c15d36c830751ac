// The stroke step of the texture effects: the framework's rules for when strokes start,
// end and drop samples, with no disc at the samples and the module's own walk placing
// the dabs. The repaint covers exactly the dabs placed.
#pragma once
#include "filters/texture_common/paint_view.h"
#include "filters/texture_common/texture_walk.h"
#include "framework/brush/stroke.h"

struct TextureStrokeOps {
    // Walks the segment, calling `dab` at every dab position (a copy of the sample the
    // walk takes its values from).
    void (*walk)(const Dab& prev, const Dab& sample, int width, int height, WalkDab dab,
                 void* context);
    // Once per segment, before its dabs (the effect looks at its parameters); false: the
    // segment paints nothing.
    bool (*beginSegment)(const PaintView& view);
    void (*tip)(const PaintView& view, const Dab& dab);     // the pen tip's dab
    void (*eraser)(const PaintView& view, const Dab& dab);  // the eraser end's
};

// The working image as the texture dabs address it; false when there is none, or when it
// has fewer than three colour channels (the effects paint RGB and CMYK only).
bool workPaintView(PaintView& view);

// One sample: takes ownership of `sample` (a fixed block), which it frees or keeps.
void textureStrokeStep(StrokeState& state, TabletSample* sample, StrokeSurface& surface,
                       const TextureStrokeOps& ops);
