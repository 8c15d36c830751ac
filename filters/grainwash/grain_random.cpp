#include "filters/grainwash/grain_random.h"

#include <cmath>

#include "framework/brush/portable_math.h"

namespace {

constexpr int32_t kM1 = 259200, kA1 = 7141, kC1 = 54773;
constexpr int32_t kM2 = 134456, kA2 = 8121, kC2 = 28411;
constexpr int32_t kM3 = 243000, kA3 = 4561, kC3 = 51349;
// 1 / kM2 and 1 / kM1, as the generator has always multiplied by them (in double).
constexpr double kR2 = 7.437377283275e-6;
constexpr double kR1 = 3.858024691358e-6;

// Products stay below 2^31 (7141 * 259199 + 54773 < 1.86e9), so 32 bits suffice.
int32_t next1(int32_t ix) { return (kA1 * ix + kC1) % kM1; }
int32_t next2(int32_t ix) { return (kA2 * ix + kC2) % kM2; }
int32_t next3(int32_t ix) { return (kA3 * ix + kC3) % kM3; }

float combine(int32_t ix1, int32_t ix2) { return float((ix1 + ix2 * kR2) * kR1); }

void seed(GrainRandom& r) {
    r.ix1 = kC1 % kM1;  // seed 0
    r.ix1 = next1(r.ix1);
    r.ix2 = r.ix1 % kM2;
    r.ix1 = next1(r.ix1);
    r.ix3 = r.ix1 % kM3;
    for (float& entry : r.table) {
        r.ix1 = next1(r.ix1);
        r.ix2 = next2(r.ix2);
        entry = combine(r.ix1, r.ix2);
    }
    r.initialised = true;
}

}  // namespace

void resetGrainRandom(GrainRandom& random) { random = GrainRandom{}; }

float grainUniform(GrainRandom& r) {
    if (!r.initialised) seed(r);
    r.ix1 = next1(r.ix1);
    r.ix2 = next2(r.ix2);
    r.ix3 = next3(r.ix3);
    ++r.draws;
    const int j = kGrainShuffleEntries * r.ix3 / kM3;  // 0..96
    const float value = r.table[j];
    r.table[j] = combine(r.ix1, r.ix2);
    return value;
}

float grainGaussian(GrainRandom& r) {
    if (r.hasSaved) {
        r.hasSaved = false;
        return r.savedGaussian;
    }
    float a, b, s;
    do {
        a = 2.0f * grainUniform(r) - 1.0f;
        b = 2.0f * grainUniform(r) - 1.0f;
        s = a * a + b * b;
        // s == 0 would divide by zero below (two deviates of exactly 0.5).
    } while (s >= 1.0f || s == 0.0f);
    const double f = std::sqrt(-2.0 * portableLog(double(s)) / s);
    r.savedGaussian = float(a * f);
    r.hasSaved = true;
    return float(b * f);
}

GrainRandom& moduleGrainRandom() {
    static GrainRandom random{};
    return random;
}

uint32_t grainStateNumber(const GrainRandom& random) {
    return (random.draws << 1) | (random.hasSaved ? 1u : 0u);
}

void setGrainStateNumber(GrainRandom& random, uint32_t number) {
    resetGrainRandom(random);
    uint32_t draws = number >> 1;
    const bool saved = (number & 1) != 0 && draws >= 2;
    // A saved deviate is the first of the pair the last two deviates made.
    if (saved) draws -= 2;
    for (uint32_t i = 0; i < draws; ++i) grainUniform(random);
    if (saved) grainGaussian(random);
}
