// Reading a fuzzer's bytes as the values a test needs; past the end every read is zero,
// so any input is a complete case.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

struct FuzzInput {
    const uint8_t* data;
    size_t size;

    uint8_t u8() {
        if (!size) return 0;
        --size;
        return *data++;
    }
    uint16_t u16() { return uint16_t(u8() | u8() << 8); }
    uint32_t u32() { return uint32_t(u16()) | uint32_t(u16()) << 16; }
    int32_t i32() { return int32_t(u32()); }
    // 0 .. n - 1
    int below(int n) { return n > 0 ? int(u8() % unsigned(n)) : 0; }
    std::string rest() {
        std::string s(reinterpret_cast<const char*>(data), size);
        data += size;
        size = 0;
        return s;
    }
};

// A broken invariant is a crash the fuzzer keeps, with the reason on stderr.
#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)
