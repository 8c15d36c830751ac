#include "filters/chisel/carve_stroke.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/brush/portable_math.h"

namespace {

// The angles of the stroke geometry, kept at the precision the carving was tuned with.
constexpr double kPi = 3.14159;
constexpr double kQuarterTurn = 1.570795;
constexpr double kThreeQuarterTurns = 4.712385;

int amountFor(const ChiselParams& params, int width) {
    return width * params.tipDepth / params.tipSize;
}

CrossSection crossSectionAt(const ChiselSample& at, float direction) {
    const float r = float(at.width * 0.5);
    const float a = float(direction + kQuarterTurn);
    const double s = portableSin(double(a)), c = portableCos(double(a));
    return CrossSection{float(at.x - r * s), float(at.y + r * c), float(at.x + r * s),
                        float(at.y - r * c)};
}

// Entry i with i + 1 still inside the stroke profile.
int profileIndex(double v, int width) {
    const double scaled = v * width;
    if (!(scaled > 0.0)) return 0;
    const int index = int(scaled);
    return index > kStrokeProfileEntries - 2 ? kStrokeProfileEntries - 2 : index;
}

int16_t storedNormal(float n) {
    const int t = int(n);  // truncated toward zero, as the shading reads it
    return int16_t(t < -ShadeTables::kNormalLimit  ? -ShadeTables::kNormalLimit
                   : t > ShadeTables::kNormalLimit ? ShadeTables::kNormalLimit
                                                   : t);
}

// Dropped: too near the last sample in both image axes (unless the pen lifts), or at
// its screen position, where the heading to it has no direction.
bool tooClose(const ChiselSample& sample, const ChiselSample& last, int f) {
    if (sample.screenX == last.screenX && sample.screenY == last.screenY) return true;
    return sample.pressure != 0 && std::abs(sample.x - last.x) < f &&
           std::abs(sample.y - last.y) < f;
}

AxisLock decideLock(const ChiselSample& sample, const ChiselSample& last) {
    if (!sample.shift) return AxisLock::free;
    const int dx = sample.x - last.x, dy = sample.y - last.y;
    if (dx != 0 && dy != 0 && std::abs(std::abs(dx) - std::abs(dy)) <= 2)
        return (dx > 0) == (dy > 0) ? AxisLock::differenceConstant : AxisLock::sumConstant;
    if (std::abs(dy) < std::abs(dx)) return AxisLock::horizontal;
    if (std::abs(dx) < std::abs(dy)) return AxisLock::vertical;
    return AxisLock::undecided;
}

void lockPoint(AxisLock lock, int16_t& x, int16_t& y, int lastX, int lastY) {
    switch (lock) {
    case AxisLock::horizontal: y = int16_t(lastY); break;
    case AxisLock::vertical: x = int16_t(lastX); break;
    case AxisLock::sumConstant: x = int16_t(lastX + lastY - y); break;
    case AxisLock::differenceConstant: x = int16_t(y + lastX - lastY); break;
    default: break;
    }
}

void buildStrokeProfile(ProfileEntry* profile, const ChiselParams& params, int width,
                        float rotation) {
    buildGrooveProfile(profile, kStrokeProfileEntries, width, amountFor(params, width),
                       params.tipSharpness);
    rotateProfileNormals(profile, kStrokeProfileEntries, rotation);
}

struct SweepWrite {
    CarveTarget* target;
    const CarvePaint* paint;
};

void writeSwept(void* context, int x, int y, double u, double v) {
    auto& w = *static_cast<SweepWrite*>(context);
    if (w.target->image->clear(x, y)) return;
    if (w.target->writePixel)
        w.target->writePixel(w.target->writeContext, x, y, u, v, *w.paint);
    else
        writeReliefPixel(*w.target->field, x, y, u, v, *w.paint);
}

int clampedTo(int value, int limit) { return value < 0 ? 0 : value > limit ? limit : value; }

bool inRange(double t) { return std::isfinite(t) && t >= -0.0001 && t <= 1.0001; }

}  // namespace

int grooveWidth(const ChiselParams& params, int pressure, int pressureMax) {
    if (!params.pressureGroove) return params.tipSize;
    int width = params.grooveSize;
    if (pressureMax > 0) width = int(float(pressure) / float(pressureMax) * float(width));
    if (width > params.tipSize) return params.tipSize;
    return width <= 0 ? 1 : width;
}

float heading(int x0, int y0, int x1, int y1) {
    const double dx = double(x0) - x1, dy = double(y0) - y1;
    const double len = std::sqrt(dx * dx + dy * dy);
    const double g = portableAcos(dy / len);
    return float(x0 <= x1 ? g : 2.0 * kPi - g);
}

void resetChiselStroke(ChiselStroke& stroke) {
    std::memset(&stroke, 0, sizeof stroke);
    stroke.lock = AxisLock::undecided;
}

float carveHeight(const CarvePaint& paint, double u, double v) {
    const double hp = paint.previous[profileIndex(v, paint.previousWidth)].height;
    const double hc = paint.current[profileIndex(v, paint.currentWidth)].height;
    return float(hp + (hc - hp) * u);
}

void carveNormal(const CarvePaint& paint, double u, double v, float normal[3]) {
    const ProfileEntry* p = paint.previous + profileIndex(v, paint.previousWidth);
    const ProfileEntry* c = paint.current + profileIndex(v, paint.currentWidth);
    // Across with the weight v itself, not the fraction of v * width, then along with u.
    const float ProfileEntry::*component[3] = {&ProfileEntry::nx, &ProfileEntry::ny,
                                               &ProfileEntry::nz};
    for (int i = 0; i < 3; ++i) {
        const float ProfileEntry::*n = component[i];
        const double across0 = p[0].*n + (double(p[1].*n) - p[0].*n) * v;
        const double across1 = c[0].*n + (double(c[1].*n) - c[0].*n) * v;
        normal[i] = float(across0 + (across1 - across0) * u);
    }
}

void writeReliefPixel(ReliefField& field, int x, int y, double u, double v,
                      const CarvePaint& paint) {
    ReliefPixel& pixel = field.at(x, y);
    if (paint.eraser) {
        pixel = ReliefPixel{0.0f, 0, 0};
        return;
    }
    if (paint.depth == 0) return;
    const float h = carveHeight(paint, u, v);
    if (paint.depth > 0 ? !(h < pixel.height) : !(h > pixel.height)) return;
    float n[3];
    carveNormal(paint, u, v, n);
    pixel = ReliefPixel{h, storedNormal(n[0]), storedNormal(n[1])};
}

Box sweepQuadrilateral(const CrossSection& previous, const CrossSection& current, int width,
                       int height, SweptPixel visit, void* context) {
    const float xs[4] = {previous.px, previous.qx, current.px, current.qx};
    const float ys[4] = {previous.py, previous.qy, current.py, current.qy};
    int left = int(xs[0]), right = left, top = int(ys[0]), bottom = top;
    for (int i = 1; i < 4; ++i) {
        const int x = int(xs[i]), y = int(ys[i]);
        left = x < left ? x : left;
        right = x > right ? x : right;
        top = y < top ? y : top;
        bottom = y > bottom ? y : bottom;
    }
    left = clampedTo(left, width - 1);
    right = clampedTo(right, width - 1);
    top = clampedTo(top, height - 1);
    bottom = clampedTo(bottom, height - 1);

    // X(u, v) = X0 + u Xa + v Xb + u v Xc, and likewise Y.
    const double X0 = previous.px, Y0 = previous.py;
    const double Xa = double(current.px) - previous.px, Ya = double(current.py) - previous.py;
    const double Xb = double(previous.qx) - previous.px, Yb = double(previous.qy) - previous.py;
    const double Xc = double(current.qx) - current.px - previous.qx + previous.px;
    const double Yc = double(current.qy) - current.py - previous.qy + previous.py;
    const double A = Xc * Yb - Yc * Xb;
    // A = 0 (parallel cross-sections of different widths) has no quadratic to solve; the
    // projective inverse still maps that trapezoid, where skipping would leave a hole.
    const bool direct = Xc != 0.0 && Yc != 0.0 && !(Xb == Yb && Yc == Xc) &&
                        !(Xb == -Yb && Yc == -Xc) && A != 0.0;

    // Projective: the unit square's (0,0), (1,0), (1,1), (0,1) onto previous P, current P,
    // current Q, previous Q; x = (a u + b v + c) / (g u + h v + 1), y = (d u + e v + f) / ...
    double inv[9] = {};
    if (!direct) {
        const double x0 = previous.px, x1 = current.px, x2 = current.qx, x3 = previous.qx;
        const double y0 = previous.py, y1 = current.py, y2 = current.qy, y3 = previous.qy;
        const double sx = x0 - x1 + x2 - x3, sy = y0 - y1 + y2 - y3;
        double a, b, c = x0, d, e, f = y0, g = 0.0, h = 0.0;
        if (sx == 0.0 && sy == 0.0) {
            a = x1 - x0, b = x2 - x1, d = y1 - y0, e = y2 - y1;
        } else {
            const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
            const double det = dx1 * dy2 - dx2 * dy1;
            g = (sx * dy2 - dx2 * sy) / det;
            h = (dx1 * sy - sx * dy1) / det;
            a = x1 - x0 + g * x1, b = x3 - x0 + h * x3;
            d = y1 - y0 + g * y1, e = y3 - y0 + h * y3;
        }
        const double m[9] = {e - f * h, c * h - b, b * f - c * e, f * g - d, a - c * g,
                             c * d - a * f, d * h - e * g, b * g - a * h, a * e - b * d};
        std::memcpy(inv, m, sizeof inv);
    }

    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            double u, v;
            if (direct) {
                const double dx = x - X0, dy = Y0 - y;
                const double B = Yc * dx + Yb * Xa + Xc * dy - Xb * Ya;
                const double D = B * B - 4.0 * A * (dx * Ya + Xa * dy);
                if (!(D >= 0.0)) continue;
                const double root = std::sqrt(D);
                v = (root - B) / (2.0 * A);
                if (!(v >= 0.0 && v <= 1.0)) {
                    v = (-root - B) / (2.0 * A);
                    if (!(v >= 0.0 && v <= 1.0)) continue;
                }
                u = (dx - Xb * v) / (Xa + Xc * v);
            } else {
                const double w = inv[6] * x + inv[7] * y + inv[8];
                u = (inv[0] * x + inv[1] * y + inv[2]) / w;
                v = (inv[3] * x + inv[4] * y + inv[5]) / w;
            }
            if (!inRange(u) || !inRange(v)) continue;
            visit(context, x, y, u, v);
        }
    return Box{left, top, right + 1, bottom + 1};
}

CarveStep carveSample(ChiselStroke& stroke, const ChiselSample& sample,
                      const ChiselParams& params, CarveTarget& target) {
    CarveStep step{};
    auto endStroke = [&] {
        stroke.lock = AxisLock::undecided;
        stroke.lastPressure = 0;
        stroke.queued = 0;
    };

    if (stroke.lastPressure <= 1) {
        if (sample.pressure <= 1) {
            endStroke();
            return step;
        }
        stroke.lock = AxisLock::undecided;
        stroke.last = sample;
        stroke.lastPressure = sample.pressure;
        stroke.queue[0] = sample;
        stroke.queued = 1;
        stroke.current = 0;
        step.accepted = true;
        return step;
    }
    if (sample.pressure < 0) {
        endStroke();
        return step;
    }

    const ChiselSample& last = stroke.last;
    const int f = last.width / 4 > 1 ? last.width / 4 : 1;
    if (tooClose(sample, last, f)) return step;
    ChiselSample s = sample;
    if (stroke.lock == AxisLock::undecided) stroke.lock = decideLock(s, last);
    lockPoint(stroke.lock, s.x, s.y, last.x, last.y);
    lockPoint(stroke.lock, s.screenX, s.screenY, last.screenX, last.screenY);
    if (tooClose(s, last, f)) return step;

    stroke.queue[stroke.queued++] = s;
    if (stroke.queued == 2) {
        const ChiselSample& first = stroke.queue[0];
        const float h = heading(first.screenX, first.screenY, s.screenX, s.screenY);
        stroke.previous = crossSectionAt(first, h);
        stroke.current = 0;
        buildStrokeProfile(stroke.profiles[0], params, s.width, float(kQuarterTurn - h));
        stroke.widths[0] = first.width;
    } else {
        const ChiselSample &a = stroke.queue[0], &m = stroke.queue[1];
        const float h1 = heading(a.screenX, a.screenY, m.screenX, m.screenY);
        const float h2 = heading(m.screenX, m.screenY, s.screenX, s.screenY);
        const float g = float((double(h1) + h2) * 0.5);
        CrossSection section = crossSectionAt(m, g);
        double turn = kQuarterTurn - g;
        // The bisector of a heading just west of north and one just east of it points
        // south: P and Q trade places and the normals turn half a circle more.
        if ((h1 > kThreeQuarterTurns && h2 < kQuarterTurn) ||
            (h2 > kThreeQuarterTurns && h1 < kQuarterTurn)) {
            section = CrossSection{section.qx, section.qy, section.px, section.py};
            turn += kPi;
        }
        const int previousProfile = stroke.current;
        stroke.current ^= 1;
        buildStrokeProfile(stroke.profiles[stroke.current], params, m.width, float(turn));
        stroke.widths[stroke.current] = m.width;

        const CarvePaint paint{stroke.profiles[previousProfile], stroke.widths[previousProfile],
                               stroke.profiles[stroke.current], m.width, params.tipDepth,
                               a.eraser != 0};
        SweepWrite write{&target, &paint};
        const ChiselImage& image = *target.image;
        const Box box = sweepQuadrilateral(stroke.previous, section, image.width, image.height,
                                           writeSwept, &write);
        step.swept = true;
        step.changed = Box{box.left - 2, box.top - 2, box.right + 2, box.bottom + 2};
        if (target.shading) shadeArea(image, *target.field, *target.shading, step.changed);

        stroke.queue[0] = stroke.queue[1];
        stroke.queue[1] = stroke.queue[2];
        stroke.queued = 2;
        stroke.previous = section;
    }
    step.accepted = true;
    stroke.last = s;
    stroke.lastPressure = s.pressure;
    return step;
}
