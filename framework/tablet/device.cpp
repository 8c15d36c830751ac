#include "framework/tablet/device.h"

#include "framework/tablet/wintab_api.h"

DeviceRanges gDevice;

bool queryDeviceRanges(const WintabApi* api, DeviceRanges& ranges) {
    ranges = DeviceRanges{};
    if (!api) return false;
    AXIS axis{};
    if (api->info(WTI_DEVICES, DVC_NPRESSURE, &axis)) ranges.pressureMax = int16_t(axis.axMax);
    axis = AXIS{};
    if (api->info(WTI_DEVICES, DVC_TPRESSURE, &axis)) ranges.wheelMax = int16_t(axis.axMax);
    AXIS orientation[3] = {};
    if (!api->info(WTI_DEVICES, DVC_ORIENTATION, orientation)) return false;
    ranges.azimuthMin = int16_t(orientation[0].axMin);
    ranges.azimuthMax = int16_t(orientation[0].axMax);
    ranges.altitudeMin = int16_t(orientation[1].axMin);
    ranges.altitudeMax = int16_t(orientation[1].axMax);
    return (orientation[0].axResolution >> 16) != 0;
}
