// The working image: the host's source, result and mask buffers over the whole filter
// rectangle, requested once when the dialog opens.
#pragma once
#include "framework/host/filter_api.h"

// The last channel is transparency exactly for (grayscale, 2), (RGB, 4) and (CMYK, 5).
bool hasTransparencyPlane(int imageMode, int planes);
// Channels the effects process: planes, less the transparency plane when there is one.
int processedChannels(const FilterRecord& record);

// Asks the host for the whole filter rectangle in one advanceState call. Stores the
// host's answer in gPlugin.result; true when the buffers are there to be used.
bool requestImage(FilterRecord& record);

void resetResult(FilterRecord& record);   // result := source
void commitResult(FilterRecord& record);  // source := result
// Done's fix-up for images with a transparency plane: result alpha := source alpha.
void copyTransparencyFromSource(FilterRecord& record);
// The framework's finalApply hook: the transparency copy on the current record.
void finalApplyTransparency();
