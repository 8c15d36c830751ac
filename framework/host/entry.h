#pragma once
#include <cstdint>

// The body of ENTRYPOINT: one selector call of the host, result written to *result.
void pluginMain(int16_t selector, void* record, int16_t* result);
