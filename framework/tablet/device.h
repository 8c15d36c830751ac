// Tablet capabilities, read once per filter run in the Prepare step.
#pragma once
#include <cstdint>

struct WintabApi;

struct DeviceRanges {
    int16_t pressureMax;  // axMax of the normal-pressure axis; <= 0: no pressure axis
    int16_t wheelMax;     // axMax of the tangential pressure (airbrush finger wheel)
    int16_t azimuthMin, azimuthMax;
    int16_t altitudeMin, altitudeMax;
};

extern DeviceRanges gDevice;

// Fills `ranges` from the driver (all zero without one); true when the tablet reports
// tilt: the orientation query succeeds and the azimuth resolution is at least 1.0.
bool queryDeviceRanges(const WintabApi* api, DeviceRanges& ranges);
