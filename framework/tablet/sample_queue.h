// How a TabletSample reaches the stroke step: in a fixed block of its own, through the
// dialog's message queue (SampleMessage), whose receiver frees it.
#pragma once
#include "framework/tablet/tablet_sample.h"

// Where sample blocks go: the dialog's queue in the modules, a recorder in the tests.
struct SampleQueue {
    void* context;
    // Hands `block` on and returns true, or returns false when the queue refuses it (a
    // full message queue): the block is then still the sender's.
    bool (*post)(void* context, TabletSample* block);
};

// Copies `sample` into a new fixed block and posts it. False when no block could be had
// or the queue refused it; a refused block is freed here, so nothing leaks either way.
bool queueSample(const SampleQueue& queue, const TabletSample& sample);
// The same for a module's whole sample record of `bytes` (>= sizeof(TabletSample)).
bool queueRecord(const SampleQueue& queue, const TabletSample* record, uint32_t bytes);
