// Tablet capabilities, read once per filter run in the Prepare step.
#pragma once
#include <cstdint>

struct WintabApi;

// The driver's axis ranges as it reports them (Wintab LONG, 32 bits): a tablet may
// count pressure past 32767, and cutting its maximum to 16 bits would scale every
// reading against the wrong full scale.
struct DeviceRanges {
    int32_t pressureMax;  // axMax of the normal-pressure axis; <= 0: no pressure axis
    int32_t wheelMax;     // axMax of the tangential pressure (airbrush finger wheel)
    int32_t azimuthMin, azimuthMax;
    int32_t altitudeMin, altitudeMax;
};

extern DeviceRanges gDevice;

// Fills `ranges` from the driver (all zero without one); true when the tablet reports
// tilt: the orientation query succeeds and the azimuth resolution is at least 1.0.
bool queryDeviceRanges(const WintabApi* api, DeviceRanges& ranges);

// A TabletSample's pressure is 16 bits, 0xFFFF marking the end of a stroke, and the
// stroke step compares it as a signed value, so a sample carries at most 32767.
constexpr int32_t kSamplePressureLimit = 0x7FFF;

// The full-scale pressure of the samples: the device's maximum when it fits in a sample
// (every common tablet: 255 .. 8191), kSamplePressureLimit for larger ranges; 0 when the
// device has no pressure axis.
int32_t samplePressureMax(const DeviceRanges& ranges);

// A tip-pressure reading as a sample carries it: unchanged on a device whose range fits
// a sample, scaled into 0..kSamplePressureLimit on a larger one. A non-zero reading
// stays non-zero (0 means lifted), and nothing reaches the end-of-stroke value.
uint16_t samplePressure(uint32_t reading, const DeviceRanges& ranges);
