#pragma once

struct WarpAllocations {
    int count = 0;          // successful allocations
    int live = 0;           // allocated and not freed
    bool failNext = false;  // the next allocation fails
};
extern WarpAllocations gWarpAllocations;
