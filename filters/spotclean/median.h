// Rank selection on byte values: the median of a neighbourhood without sorting it.
#pragma once
#include <cstdint>

// The value of rank `rank` (1 = smallest) among the first `n` bytes of `values`, by
// quickselect. Both `values` and `scratch` (at least n bytes) are overwritten: the
// rounds alternate between the two areas. Requires 1 <= rank <= n.
uint8_t selectRank(uint8_t* values, int n, int rank, uint8_t* scratch);
