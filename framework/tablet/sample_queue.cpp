#include "framework/tablet/sample_queue.h"

#include "framework/host/platform.h"

bool queueSample(const SampleQueue& queue, const TabletSample& sample) {
    auto* block = static_cast<TabletSample*>(allocFixed(sizeof(TabletSample)));
    if (!block) return false;
    *block = sample;
    if (queue.post(queue.context, block)) return true;
    freeFixed(block);
    return false;
}
