// The only operating-system service warper's core asks for: fixed blocks, counted so
// that tests can see how often a segment allocates and make an allocation fail.
#include <cstdlib>

#include "framework/host/platform.h"
#include "tests/native/warp_test_platform.h"

WarpAllocations gWarpAllocations;

void* allocFixed(size_t bytes) {
    if (gWarpAllocations.failNext) {
        gWarpAllocations.failNext = false;
        return nullptr;
    }
    ++gWarpAllocations.count;
    ++gWarpAllocations.live;
    return std::calloc(1, bytes ? bytes : 1);
}

void freeFixed(void* block) {
    if (!block) return;
    --gWarpAllocations.live;
    std::free(block);
}
