// chisel's own stroke handler: instead of dabs, the groove's cross-section is swept
// between consecutive pen samples into the relief field.
#pragma once
#include <cstdint>

#include "filters/chisel/chisel_params.h"
#include "filters/chisel/groove_profile.h"
#include "filters/chisel/relief.h"

// One tablet packet over the image (and one with pressure 0 when the pen leaves it).
struct ChiselSample {
    int16_t x, y;              // image pixel, filter-rectangle coordinates
    int16_t screenX, screenY;  // the pen on screen as the tablet context reports it
    int16_t width;             // groove width in pixels, 1..99 (grooveWidth)
    int16_t pressure;          // raw normal pressure; negative: end of stroke
    uint8_t shift;             // Shift was held when the packet was taken
    uint8_t eraser;            // the pen is turned over
};

// Width of a sample in pixels: follows pressure up to the tip size when the pressure
// groove is on, else the tip size. A pressure maximum of 0 or below (a tablet that
// reports no range) gives the full groove size.
int grooveWidth(const ChiselParams& params, int pressure, int pressureMax);

// Direction from one screen position to another, radians: 0 up the screen, pi/2 right.
float heading(int x0, int y0, int x1, int y1);

// The groove across the stroke at one sample: P the left end seen along the travel.
struct CrossSection {
    float px, py, qx, qy;
};

// Decided at the stroke's first movement from the Shift state of that sample.
enum class AxisLock : uint8_t {
    undecided,
    free,
    horizontal,          // y constant
    vertical,            // x constant
    sumConstant,         // x + y constant
    differenceConstant,  // x - y constant
};

struct ChiselStroke {
    ChiselSample last;     // last accepted sample
    int lastPressure;      // a stroke is in progress while this is above 1
    ChiselSample queue[3];  // the most recent accepted samples, oldest first
    int queued;
    CrossSection previous;  // at the oldest queued sample, once two are queued
    ProfileEntry profiles[2][kStrokeProfileEntries];
    int widths[2];  // valid entries of each profile as the sweep reads it
    int current;    // 0 or 1: the profile at the newer end of the next sweep
    AxisLock lock;
};

void resetChiselStroke(ChiselStroke& stroke);

// What a sweep writes, for one segment.
struct CarvePaint {
    const ProfileEntry* previous;  // profile at u = 0
    int previousWidth;
    const ProfileEntry* current;  // profile at u = 1
    int currentWidth;
    int depth;    // tip depth: > 0 the deeper cut wins, < 0 the higher ridge, 0 nothing
    bool eraser;  // reset to flat
};

// Height and normal at (u, v) of a segment: u along the stroke, v across from P to Q.
float carveHeight(const CarvePaint& paint, double u, double v);
void carveNormal(const CarvePaint& paint, double u, double v, float normal[3]);

// Writes one swept pixel of the field (the stroke handler's default): the deeper cut
// (higher ridge) wins, depth 0 leaves the field alone, the eraser flattens.
void writeReliefPixel(ReliefField& field, int x, int y, double u, double v,
                      const CarvePaint& paint);

// Every pixel (x, y) of the W x H image inside the quadrilateral previous P, previous Q,
// current P, current Q, with its (u, v) in [-0.0001, 1.0001]; returns the scanned box
// (right and bottom exclusive).
using SweptPixel = void (*)(void* context, int x, int y, double u, double v);
Box sweepQuadrilateral(const CrossSection& previous, const CrossSection& current, int width,
                       int height, SweptPixel visit, void* context);

struct CarveTarget {
    const ChiselImage* image;  // size, and the source's transparency (never carved)
    ReliefField* field;
    const ShadeTables* shading;  // null: carve without shading
    // Another field layout (tests compare against one): null writes `field`.
    void (*writePixel)(void* context, int x, int y, double u, double v, const CarvePaint&);
    void* writeContext;
};

struct CarveStep {
    bool accepted;  // entered the stroke (a start, or a sample past thinning)
    bool swept;     // a segment was swept
    Box changed;    // swept box grown by 2 on every side, when swept
};

// One sample of the pen, in the order the packets came.
CarveStep carveSample(ChiselStroke& stroke, const ChiselSample& sample,
                      const ChiselParams& params, CarveTarget& target);
