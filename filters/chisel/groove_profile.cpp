#include "filters/chisel/groove_profile.h"

#include <cmath>

#include "framework/brush/portable_math.h"

// Every named value is a float, computed in double and rounded once where it is assigned,
// so that the x87-free 32- and 64-bit modules and the native replay agree to the bit.
//
//  sharpness   0      25..50        75          100     -25..-50       -100
//            \  /    \    /     \      /     ______    \      /      |    |
//             \/      \__/        \__/                  |____|       |____|
//            V shape  edges in    shallow     flat      centre out   flat bottom
void buildGrooveProfile(ProfileEntry* profile, int capacity, int width, int amount,
                        int sharpness) {
    for (int i = 0; i < capacity; ++i) profile[i] = ProfileEntry{0.0f, 0.0f, 0.0f, 1.0f};
    if (width > capacity) width = capacity;
    if (width < 1) return;

    const int n = width / 2;
    const double c = amount;
    float height[kStrokeProfileEntries] = {};
    auto keep = [&](int index, float value) {
        if (index >= 0 && index < width) height[index] = value;
    };

    if (width > 1) {
        const float step = float(1.0 / (width * 0.5));
        float s = 0.0f;
        if (sharpness == 0) {
            const float e = float(c / n);
            for (int i = 0; i < width; ++i)
                height[i] = float(-double(i < n ? i : 2 * n - i) * e);
        } else if (sharpness > 0 && sharpness <= 50) {
            const float l = float(0.02 * sharpness);
            for (int j = 0; j <= n; ++j, s = float(double(s) + step)) {
                const double sd = s;
                const float v =
                    float(c * ((sd - sd * sd) * (1.0 + l) + (1.0 - sd) * (1.0 - sd)) - c);
                keep(j, v);
                keep(width - j, v);
            }
        } else if (sharpness > 50) {
            const float k = float(1.0 - 0.01 * sharpness);
            for (int j = 0; j <= n; ++j, s = float(double(s) + step)) {
                const double sd = s;
                const float v = float(-c * k * sd * sd);
                keep(j, v);
                keep(width - j, v);
            }
        } else if (sharpness >= -50) {
            const float l = float(0.02 * sharpness);
            for (int j = 0; j <= n; ++j, s = float(double(s) + step)) {
                const double sd = s;
                const float v = float(c * (sd * sd + (sd - sd * sd) * (1.0 + l)) - c);
                keep(n - j, v);
                keep(n + j, v);
            }
        } else {
            const float k = float(1.0 + 0.01 * sharpness);
            for (int j = 0; j <= n; ++j, s = float(double(s) + step)) {
                const double sd = s;
                const float v = float(c * (k * sd * sd - 1.0));
                keep(n - j, v);
                keep(n + j, v);
            }
        }
    }

    for (int i = 0; i < width; ++i) profile[i].height = float(height[i] * 0.25);
    profile[0] = ProfileEntry{profile[0].height, 0.0f, 0.0f, 255.9f};
    for (int j = 1; j < width; ++j) {
        const float d = float(double(profile[j].height) - profile[j - 1].height);
        const float len = float(std::sqrt(double(d) * d + 1.0));
        profile[j].nx = 0.0f;
        profile[j].ny = float(double(d) / len * 255.9);
        profile[j].nz = float(1.0 / len * 255.9);
    }
}

void rotateProfileNormals(ProfileEntry* profile, int capacity, float angle) {
    const double c = portableCos(double(angle)), s = portableSin(double(angle));
    for (int i = 0; i < capacity; ++i) {
        const double nx = profile[i].nx, ny = profile[i].ny;
        profile[i].nx = float(c * nx - s * ny);
        profile[i].ny = float(s * nx + c * ny);
    }
}
