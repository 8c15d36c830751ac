#include "framework/tablet/device.h"

#include "framework/tablet/wintab_api.h"

DeviceRanges gDevice;

bool queryDeviceRanges(const WintabApi* api, DeviceRanges& ranges) {
    ranges = DeviceRanges{};
    if (!api) return false;
    AXIS axis{};
    if (api->info(WTI_DEVICES, DVC_NPRESSURE, &axis)) ranges.pressureMax = axis.axMax;
    axis = AXIS{};
    if (api->info(WTI_DEVICES, DVC_TPRESSURE, &axis)) ranges.wheelMax = axis.axMax;
    AXIS orientation[3] = {};
    if (!api->info(WTI_DEVICES, DVC_ORIENTATION, orientation)) return false;
    ranges.azimuthMin = orientation[0].axMin;
    ranges.azimuthMax = orientation[0].axMax;
    ranges.altitudeMin = orientation[1].axMin;
    ranges.altitudeMax = orientation[1].axMax;
    return (orientation[0].axResolution >> 16) != 0;
}

int32_t samplePressureMax(const DeviceRanges& ranges) {
    if (ranges.pressureMax <= 0) return 0;
    return ranges.pressureMax < kSamplePressureLimit ? ranges.pressureMax : kSamplePressureLimit;
}

uint16_t samplePressure(uint32_t reading, const DeviceRanges& ranges) {
    if (reading == 0) return 0;
    uint64_t scaled = reading;
    if (ranges.pressureMax > kSamplePressureLimit) {
        // Round to nearest, as MulDiv; a reading above the device's maximum counts as
        // the maximum.
        const uint64_t max = uint64_t(ranges.pressureMax);
        const uint64_t r = reading < max ? reading : max;
        scaled = (r * kSamplePressureLimit + max / 2) / max;
        if (scaled == 0) scaled = 1;
    }
    return uint16_t(scaled < uint64_t(kSamplePressureLimit) ? scaled : kSamplePressureLimit);
}
