// grainwash's random generator: three shuffled congruential generators for uniform
// deviates in (0, 1) and polar Box-Muller pairs for standard normal ones. The module keeps
// one, seeded on its first use after the module is loaded and never seeded again, so the
// grain continues across strokes and invocations and starts over identically on a reload.
#pragma once
#include <cstdint>

constexpr int kGrainShuffleEntries = 97;

struct GrainRandom {
    int32_t ix1;  // 0..259199
    int32_t ix2;  // 0..134455
    int32_t ix3;  // 0..242999
    float table[kGrainShuffleEntries];  // shuffle table, each in (0, 1)
    bool initialised;
    float savedGaussian;  // the second deviate of the last Box-Muller pair ...
    bool hasSaved;        // ... while this is set
    uint32_t draws;       // uniform deviates drawn since the seed (wraps after 2^32)
};

// Back to the state of a freshly loaded module (not yet seeded).
void resetGrainRandom(GrainRandom& random);

// The next uniform deviate; seeds the state (seed 0) on first use.
float grainUniform(GrainRandom& random);

// The next standard normal deviate: a pair is drawn as a = 2u - 1, then b = 2u - 1,
// rejected while a^2 + b^2 (single precision) is 0 or at least 1; b * f is returned and
// a * f saved for the next call, f = sqrt(-2 ln s / s) in double.
float grainGaussian(GrainRandom& random);

// The module's own generator: one per loaded module, shared by every invocation.
GrainRandom& moduleGrainRandom();

// The generator's state as one number, for the sample log: the uniform deviates drawn
// since the seed, times two, plus one while a Gaussian deviate is saved. Exact while
// fewer than 2^31 deviates have been drawn.
uint32_t grainStateNumber(const GrainRandom& random);
// A fresh generator brought to the state of that number: seeded, then as many deviates
// drawn as the first one drew (the saved Gaussian deviate remade from the last pair).
void setGrainStateNumber(GrainRandom& random, uint32_t number);
