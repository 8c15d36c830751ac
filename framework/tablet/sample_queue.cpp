#include "framework/tablet/sample_queue.h"

#include <cstring>

#include "framework/host/platform.h"

bool queueSample(const SampleQueue& queue, const TabletSample& sample) {
    return queueRecord(queue, &sample, sizeof sample);
}

bool queueRecord(const SampleQueue& queue, const TabletSample* record, uint32_t bytes) {
    if (bytes < sizeof(TabletSample)) return false;
    auto* block = static_cast<TabletSample*>(allocFixed(bytes));
    if (!block) return false;
    std::memcpy(block, record, bytes);
    if (queue.post(queue.context, block)) return true;
    freeFixed(block);
    return false;
}
