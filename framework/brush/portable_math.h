// sin, cos, exp, log and acos that give the same bits on every build.
//
// The C library's versions differ: glibc's (the native build, kx_replay) are not
// mingw-w64's, which run the x87 unit's fsincos, fyl2x and f2xm1 in extended precision,
// nor msvcrt's acos, which a module imports and which differs between Windows and Wine.
// Each of them rounds some arguments to a neighbouring double, and a session painted in a
// module then no longer replays natively bit for bit. These use only +, -, *, / and sqrt,
// which IEEE 754 rounds alike everywhere (SSE, no fused multiply-add), and stay within a
// few units in the last place of the exact value.
//
// Inline, so that every effect's objects carry them without a library of their own.
#pragma once

#include <cmath>
#include <limits>

// Coefficients are the exact Taylor (and arcsine series) coefficients, correctly rounded.
// Over the reduced ranges below, the first term left out is under 1e-19 of the result.
namespace portable_math_detail {

// pi/2 in three parts of which the first two have 33 significant bits, so k * part is
// exact for the |k| < 2^20 that the reduction allows.
constexpr double kPiOver2A = 1.5707963267341256;
constexpr double kPiOver2B = 6.077100506303966e-11;
constexpr double kPiOver2C = 2.0222662487959506e-21;
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kPiOver2 = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kLn2A = 0.6931471803691238;  // 32 significant bits: e * kLn2A is exact
constexpr double kLn2B = 1.9082149292705877e-10;
constexpr double kOneOverLn2 = 1.4426950408889634;

constexpr double kSin[] = {-0.16666666666666666,    0.008333333333333333,   -0.0001984126984126984,
                           2.7557319223985893e-06,  -2.505210838544172e-08, 1.6059043836821613e-10,
                           -7.647163731819816e-13, 2.8114572543455206e-15};
constexpr double kCos[] = {-0.5,
                           0.041666666666666664,
                           -0.001388888888888889,
                           2.48015873015873e-05,
                           -2.755731922398589e-07,
                           2.08767569878681e-09,
                           -1.1470745597729725e-11,
                           4.779477332387385e-14,
                           -1.5619206968586225e-16};
constexpr double kExp[] = {0.5,
                           0.16666666666666666,
                           0.041666666666666664,
                           0.008333333333333333,
                           0.001388888888888889,
                           0.0001984126984126984,
                           2.48015873015873e-05,
                           2.7557319223985893e-06,
                           2.755731922398589e-07,
                           2.505210838544172e-08,
                           2.08767569878681e-09,
                           1.6059043836821613e-10,
                           1.1470745597729725e-11};
constexpr double kLog[] = {0.3333333333333333,  0.2,
                           0.14285714285714285, 0.1111111111111111,
                           0.09090909090909091, 0.07692307692307693,
                           0.06666666666666667, 0.058823529411764705,
                           0.05263157894736842, 0.047619047619047616};
// asin t = t + t * sum of kAsin[n - 1] * t^(2n)
constexpr double kAsin[] = {
    0.16666666666666666,   0.075,                 0.044642857142857144,  0.030381944444444444,
    0.022372159090909092,  0.017352764423076924,  0.01396484375,         0.011551800896139705,
    0.009761609529194078,  0.008390335809616815,  0.0073125258735988454, 0.006447210311889649,
    0.005740037670841924,  0.005153309682319905,  0.004660143486915096,  0.004240907093679363,
    0.003880964558837669,  0.0035692053938259347, 0.003297059503473485,  0.0030578216492580306,
    0.002846178401108942,  0.00265787063820729,   0.0024894486782468836, 0.002338091892111975,
    0.0022014739737101384, 0.0020776610325181676, 0.0019650336162772837, 0.0018622264064031275,
    0.0017680811205154183, 0.0016816093935831068};

template <int N>
inline double horner(const double (&c)[N], double z) {
    double p = c[N - 1];
    for (int i = N - 2; i >= 0; --i) p = p * z + c[i];
    return p;
}

inline double sinKernel(double r) {  // |r| <= pi/4
    const double z = r * r;
    return r + r * z * horner(kSin, z);
}

inline double cosKernel(double r) {
    const double z = r * r;
    return 1.0 + z * horner(kCos, z);
}

// x = k * pi/2 + r with |r| <= pi/4 (a little more for huge x, which only loses accuracy).
inline double reduceQuarterTurns(double x, int& quadrant) {
    if (std::fabs(x) > 1e6) x = std::fmod(x, kTwoPi);  // exact; huge angles have no meaning here
    const double k = std::nearbyint(x * kTwoOverPi);
    quadrant = int(k) & 3;
    return ((x - k * kPiOver2A) - k * kPiOver2B) - k * kPiOver2C;
}

// sin(x + turns * pi/2): cos is sin one quarter turn further.
inline double sinQuarterTurnsOn(double x, int turns) {
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    int q;
    const double r = reduceQuarterTurns(x, q);
    switch ((q + turns) & 3) {
    case 0: return sinKernel(r);
    case 1: return cosKernel(r);
    case 2: return -sinKernel(r);
    default: return -cosKernel(r);
    }
}

inline double asinSmall(double t) {  // 0 <= t <= 0.5
    const double z = t * t;
    return t + t * z * horner(kAsin, z);
}

}  // namespace portable_math_detail

inline double portableSin(double x) { return portable_math_detail::sinQuarterTurnsOn(x, 0); }
inline double portableCos(double x) { return portable_math_detail::sinQuarterTurnsOn(x, 1); }

inline double portableExp(double x) {
    using namespace portable_math_detail;
    if (std::isnan(x)) return x;
    if (x > 709.782712893384) return std::numeric_limits<double>::infinity();
    if (x < -745.1332191019412) return 0.0;
    const double k = std::nearbyint(x * kOneOverLn2);
    const double r = (x - k * kLn2A) - k * kLn2B;  // |r| <= ln2 / 2
    const double p = 1.0 + r + r * r * horner(kExp, r);
    return std::ldexp(p, int(k));  // a power of two: exact, or rounded once into the subnormals
}

inline double portableLog(double x) {
    using namespace portable_math_detail;
    if (std::isnan(x) || x < 0.0) return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0) return -std::numeric_limits<double>::infinity();
    if (std::isinf(x)) return x;
    int e;
    double m = std::frexp(x, &e);  // x = m * 2^e, 0.5 <= m < 1, exact
    if (m < 0.7071067811865476) {
        m *= 2.0;
        --e;
    }
    // log m = 2 atanh s with s = (m - 1) / (m + 1), |s| < 0.172
    const double s = (m - 1.0) / (m + 1.0), z = s * s;
    const double logM = 2.0 * s + 2.0 * s * z * horner(kLog, z);
    return double(e) * kLn2A + (double(e) * kLn2B + logM);
}

inline double portableAcos(double x) {
    using namespace portable_math_detail;
    if (std::isnan(x) || x > 1.0 || x < -1.0) return std::numeric_limits<double>::quiet_NaN();
    if (x > 0.5) return 2.0 * asinSmall(std::sqrt((1.0 - x) * 0.5));
    if (x < -0.5) return kPi - 2.0 * asinSmall(std::sqrt((1.0 + x) * 0.5));
    return x >= 0.0 ? kPiOver2 - asinSmall(x) : kPiOver2 + asinSmall(-x);
}
