// The portable sin, cos, exp, log and acos against the C library: every build computes
// them alike, but they must also be the functions they are named for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "framework/brush/portable_math.h"

namespace {

// Distance in units in the last place between two finite doubles.
int64_t ulpsApart(double a, double b) {
    if (a == b) return 0;
    int64_t ia, ib;
    std::memcpy(&ia, &a, 8);
    std::memcpy(&ib, &b, 8);
    if (ia < 0) ia = INT64_MIN - ia;  // order negative values below positive ones
    if (ib < 0) ib = INT64_MIN - ib;
    return ia > ib ? ia - ib : ib - ia;
}

struct Worst {
    int64_t ulps = 0;
    double at = 0;
    void see(double x, double got, double want) {
        const int64_t d = ulpsApart(got, want);
        if (d > ulps) ulps = d, at = x;
    }
};

constexpr double kPi = 3.141592653589793;

}  // namespace

TEST(PortableMath, SineAndCosineWithinTwoUlpsOverManyTurns) {
    Worst s, c;
    for (int i = -200000; i <= 200000; ++i) {
        const double x = i * (4.0 * kPi / 200000.0) + i * 1e-12;  // not only multiples of pi
        s.see(x, portableSin(x), std::sin(x));
        c.see(x, portableCos(x), std::cos(x));
    }
    // Near the zeros the value is tiny and its ulps are fine: compare there absolutely.
    for (int k = -8; k <= 8; ++k) {
        EXPECT_NEAR(portableSin(k * kPi), 0.0, 1e-15 * (1 + std::abs(k)));
        EXPECT_NEAR(portableCos(k * kPi + kPi / 2), 0.0, 1e-15 * (1 + std::abs(k)));
    }
    EXPECT_LE(s.ulps, 2) << "worst at " << s.at;
    EXPECT_LE(c.ulps, 2) << "worst at " << c.at;
    EXPECT_EQ(portableSin(0.0), 0.0);
    EXPECT_EQ(portableCos(0.0), 1.0);
    EXPECT_EQ(portableSin(kPi / 2), 1.0);
    EXPECT_EQ(portableCos(-kPi), -1.0);
    EXPECT_NEAR(portableSin(1e7 + 0.5), std::sin(1e7 + 0.5), 1e-9);  // huge: reduced by fmod
    EXPECT_TRUE(std::isnan(portableSin(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(portableCos(std::numeric_limits<double>::quiet_NaN())));
}

TEST(PortableMath, ExpWithinTwoUlpsAndItsLimits) {
    Worst e;
    for (int i = -70000; i <= 70000; ++i) {
        const double x = i * 0.01013;  // -709 .. 709
        e.see(x, portableExp(x), std::exp(x));
    }
    EXPECT_LE(e.ulps, 2) << "worst at " << e.at;
    EXPECT_EQ(portableExp(0.0), 1.0);
    EXPECT_EQ(portableExp(1000.0), std::numeric_limits<double>::infinity());
    EXPECT_EQ(portableExp(-1000.0), 0.0);
    EXPECT_NEAR(portableExp(-740.0) / std::exp(-740.0), 1.0, 1e-3);  // subnormal result
    EXPECT_TRUE(std::isnan(portableExp(std::numeric_limits<double>::quiet_NaN())));
}

TEST(PortableMath, LogWithinTwoUlpsFromSubnormalsToTheLargest) {
    Worst l;
    for (double x = 4.9e-324; x < 1.7e308; x = std::fmax(x * 1.0009765625, std::nextafter(x, 2.0 * x)))
        l.see(x, portableLog(x), std::log(x));
    // The grain generator's arguments: single-precision values in (0, 1).
    for (int i = 1; i < 1 << 20; ++i) {
        const double x = double(float(i) / float(1 << 20));
        l.see(x, portableLog(x), std::log(x));
    }
    EXPECT_LE(l.ulps, 2) << "worst at " << l.at;
    EXPECT_EQ(portableLog(1.0), 0.0);
    EXPECT_EQ(portableLog(0.0), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(portableLog(-1.0)));
    EXPECT_EQ(portableLog(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
}

TEST(PortableMath, AcosWithinTwoUlpsOnTheWholeDomain) {
    Worst a;
    for (int i = -1000000; i <= 1000000; ++i) {
        const double x = i / 1000000.0;
        a.see(x, portableAcos(x), std::acos(x));
    }
    for (double d = 1e-300; d < 0.5; d *= 1.5) {  // close to the ends
        a.see(1.0 - d, portableAcos(1.0 - d), std::acos(1.0 - d));
        a.see(d - 1.0, portableAcos(d - 1.0), std::acos(d - 1.0));
    }
    EXPECT_LE(a.ulps, 2) << "worst at " << a.at;
    EXPECT_EQ(portableAcos(1.0), 0.0);
    EXPECT_EQ(portableAcos(-1.0), kPi);
    EXPECT_EQ(portableAcos(0.0), kPi / 2);
    EXPECT_TRUE(std::isnan(portableAcos(1.0000000000000002)));
    EXPECT_TRUE(std::isnan(portableAcos(-2.0)));
}
