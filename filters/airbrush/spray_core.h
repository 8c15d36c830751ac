// airbrush's pixels: its tables, random generator, pen sample, the spray mask with its two
// footprints, and the three dab operations (soft spray, splatter, restore).
#pragma once
#include <cstddef>
#include <cstdint>

#include "filters/airbrush/airbrush_params.h"

// ---- tables built once per invocation ----

struct SprayTables {
    float tilt[61][61];      // sqrt(i^2 + j^2) / (60 sqrt 2): the tilt fraction, 0..1
    int16_t halfWidth[100];  // about 2 * size: half the side of the square a footprint clears
    uint8_t falloff[1024];   // 0 at the densest point rising to 254 at the rim (k = distance * 1023 / reach)
};
void buildSprayTables(SprayTables& tables);

// ---- random generator ----

// Our own linear congruential generator, so that a session replays to the bit whatever C
// library a build links: s = s * 214013 + 2531011 (mod 2^32), value (s >> 16) & 0x7FFF.
struct SprayRandom {
    uint32_t state = 1;  // seeded with 1 when the dialog opens
    uint32_t draws = 0;  // values drawn since seeding (the sample log and tests read it)
    int next() {
        state = state * 214013u + 2531011u;
        ++draws;
        return int((state >> 16) & 0x7FFF);
    }
};

// ---- the pen sample ----

// One tablet packet (or timer repeat) in the 28 bytes the framework allocates per sample.
// The first twelve bytes are the framework's TabletSample (position, size, the flow as its
// amount, pressure, eraser flag), so the queue, the end-of-stroke notice and the sample
// log read them where they read every module's; the airbrush's own fields follow.
struct AirbrushSample {
    int16_t x, y;        // image pixel, filter-rectangle coordinates
    int16_t size;        // effective diameter in pixels, 1..99
    int16_t flow;        // effective ink flow, per cent, 0..100
    int16_t pressure;    // normal pressure; 0 pen left the view, -1 end of stroke
    uint8_t inverted;    // 1: eraser end (raw altitude below 0): the restore dab
    uint8_t padding;
    int16_t tilt;        // degrees from upright, -60..60 (the sign is the driver's, see inverted);
                         // both row and column of the tilt table
    int16_t wheel;       // the finger wheel's raw reading, as the packet had it
    float elongation;    // 1 + 1.5 (tilt/60)^2: 1.0 upright, 2.5 at full tilt
    float azimuth;       // spray direction, radians: (degrees - 90) * pi / 180
    int32_t repeat;      // 0 a packet; 1 a timer repeat at the resting position
};
static_assert(sizeof(AirbrushSample) == 28, "sample record size");
static_assert(offsetof(AirbrushSample, pressure) == 8 && offsetof(AirbrushSample, inverted) == 10,
              "the framework's sample fields come first");
static_assert(offsetof(AirbrushSample, elongation) == 16 && offsetof(AirbrushSample, repeat) == 24,
              "stored layout");

constexpr int16_t kSprayEndOfStroke = -1;

// The packet values the sample is made of, as the tablet reports them.
struct SprayPacket {
    int x, y;             // image position (the framework maps the proxy through scroll and zoom)
    int altitude;         // orientation altitude, raw; below 0 for the eraser end
    int azimuth;          // orientation azimuth, raw
    int pressure;         // normal pressure, raw
    int wheel;            // tangential pressure: the airbrush finger wheel, raw
};

// The device's axis ranges. A maximum of 0 or below (a device without the axis) gives the
// full slider value for size and flow, an empty altitude range an upright pen, an empty
// azimuth range azimuth 0.
struct SprayRanges {
    int altitudeMin, altitudeMax;
    int azimuthMin, azimuthMax;
    int pressureMax;
    int wheelMax;
};

AirbrushSample buildSpraySample(const SprayPacket& packet, const SprayRanges& ranges,
                                const AirbrushParams& params);

// ---- the image ----

// The host's buffers over the filter rectangle: interleaved 8-bit planes, (x, y, c) at
// row y * rowBytes + x * planes + c. The transparency plane, when there is one, is last;
// it is read (a pixel transparent in the source never changes) and never written.
struct SprayImage {
    const uint8_t* source;  // the image as the dialog opened it, or at the last Apply
    int sourceRow;
    uint8_t* result;  // what the preview shows; every dab writes here in place
    int resultRow;
    const uint8_t* mask;  // selection, one byte a pixel; null without one
    int maskRow;
    int planes;  // 3 (RGB) or 4 (CMYK), plus one with transparency
    int width, height;
    bool transparency;
    int sourceStride = 0;  // bytes from one source pixel to the next; 0: planes

    int colourPlanes() const { return transparency ? planes - 1 : planes; }
    bool cmyk() const { return colourPlanes() == 4; }
    const uint8_t* sourceAt(int x, int y) const {
        return source + ptrdiff_t(y) * sourceRow + ptrdiff_t(x) * (sourceStride ? sourceStride : planes);
    }
    uint8_t* resultAt(int x, int y) const {
        return result + ptrdiff_t(y) * resultRow + ptrdiff_t(x) * planes;
    }
    // Selected, and not transparent in the source.
    bool eligible(int x, int y) const {
        if (mask && mask[ptrdiff_t(y) * maskRow + x] == 0) return false;
        return !transparency || sourceAt(x, y)[planes - 1] != 0;
    }
};

// ---- the spray mask ----

// Both footprints live in one square byte mask around the dab centre. The footprint
// geometry counts mask positions from 123 (so droplet boxes are placed around 123.75);
// storage puts that centre at kMaskCentre, so a soft footprint at size 99 and full tilt
// (about 3.5 r = 173 pixels along the tilt) and every clear square fit or are clipped.
//
//   soft:     transparency, 0 = full paint .. 255 = none, valid within the row extents
//   splatter: coverage, non-zero = droplet
constexpr int kMaskHalf = 180;
constexpr int kMaskSide = 2 * kMaskHalf + 1;
constexpr int kMaskPitch = (kMaskSide + 3) & ~3;
constexpr int kMaskCentre = kMaskHalf;    // storage of geometry position 123
constexpr int kGeometryCentre = 123;
constexpr int16_t kRowUnreached = -347;

struct SprayMask {
    uint8_t pixels[kMaskSide * kMaskPitch];
    // Per footprint row (offset + kMaskHalf): first column and end column (exclusive),
    // relative to the dab centre; kRowUnreached for a row without footprint.
    int16_t first[kMaskSide];
    int16_t end[kMaskSide];
    int rowMin, rowMax;  // footprint rows relative to the centre

    // Offsets from the dab centre, -kMaskHalf..kMaskHalf.
    uint8_t& at(int dx, int dy) { return pixels[(kMaskCentre + dy) * kMaskPitch + kMaskCentre + dx]; }
    uint8_t at(int dx, int dy) const {
        return pixels[(kMaskCentre + dy) * kMaskPitch + kMaskCentre + dx];
    }
};

// Everything a dab reads and writes.
struct SprayCanvas {
    SprayImage image;
    const AirbrushParams* params;
    const SprayTables* tables;
    SprayMask* mask;
    SprayRandom* random;
};

// The soft footprint of `sample` (its size, tilt, elongation, azimuth) into the mask and
// its row extents; one random value per footprint pixel, rows top to bottom, columns left
// to right.
void buildSoftFootprint(SprayCanvas& canvas, const AirbrushSample& sample);

// The droplets of one splatter dab at `sample`'s size and flow; returns their number.
int buildSplatterFootprint(SprayCanvas& canvas, const AirbrushSample& sample);

// Dab operations at the sample's position. The soft dab uses the footprint built last.
void softSprayDab(SprayCanvas& canvas, const AirbrushSample& dab);
void splatterDab(SprayCanvas& canvas, const AirbrushSample& dab);  // builds its own droplets
void restoreDab(SprayCanvas& canvas, const AirbrushSample& dab);

// Whether droplet-box pixel (px, py) of a w x h box at (left, top) lies in the ellipse
// inscribed in it, outline included.
bool insideDroplet(int px, int py, int left, int top, int w, int h);
