// The working image: the host's source, result and mask buffers over the whole filter
// rectangle, requested once when the dialog opens, and our own copy of the last applied
// image. The host's source buffer is only ever read: Apply writes into our copy.
#pragma once
#include <cstdint>

#include "framework/host/filter_api.h"

// The last channel is transparency exactly for (grayscale, 2), (RGB, 4) and (CMYK, 5).
bool hasTransparencyPlane(int imageMode, int planes);
// Channels the effects process: planes, less the transparency plane when there is one.
int processedChannels(const FilterRecord& record);

// Asks the host for the whole filter rectangle in one advanceState call. Stores the
// host's answer in gPlugin.result; true when the buffers are there to be used. A host
// that answers success without the buffers gets filterBadParameters as the result, so
// that Start never reports success for an image it could not touch.
bool requestImage(FilterRecord& record);

// The unpainted image the effects read and the eraser restores: the last applied image
// (our copy) after the first Apply, the host's source buffer before it. Pixel (x, y),
// channel c at data + y * rowBytes + x * stride + c. Null data when there is neither.
struct SourcePlanes {
    const uint8_t* data;
    intptr_t rowBytes;
    int stride;
};
SourcePlanes sourcePlanes(const FilterRecord& record);

void resetResult(FilterRecord& record);  // result := source (the applied image, if any)
// Apply: applied := result, every pixel, every channel. Our copy is allocated at the
// first call; false (and nothing changed) when it cannot be.
bool commitResult(FilterRecord& record);
// Frees our applied copy: the effects read the host's source buffer again.
void releaseApplied();

// Done's fix-up for images with a transparency plane: result alpha := the host's
// source alpha. (No dab writes transparency, so this restores nothing that was meant.)
void copyTransparencyFromSource(FilterRecord& record);
// The framework's finalApply hook: the transparency copy on the current record.
void finalApplyTransparency();
