#include "framework/tablet/packet_filter.h"

#include <cstdlib>

#include "framework/host/module.h"
#include "framework/host/param_field.h"
#include "framework/tablet/cursor_rules.h"

namespace {

constexpr int32_t kSourceWheel = 0, kSourcePressure = 1;
constexpr uint32_t kTipButton = 1, kSideButton = 2;
constexpr uint32_t kPuckPressure = 10;  // a puck paints with this while a button is held

// A device without the axis (maximum 0 or less) gives the full slider value rather
// than MulDiv's -1 or a division by zero. A reading past the device's own maximum counts
// as the maximum, so a value never grows beyond the slider's.
int scaled(int value, uint32_t reading, int32_t maximum) {
    if (maximum <= 0) return value;
    const int32_t r = reading < uint32_t(maximum) ? int32_t(reading) : maximum;
    return mulDiv(value, r, maximum);
}

bool insideFrame(const PacketContext& c) {
    const Box& f = c.geometry.imageFrame;
    return c.clientX >= f.left && c.clientX <= f.right && c.clientY >= f.top && c.clientY <= f.bottom;
}

}  // namespace

int sourcedValue(int value, int32_t source, bool inverted, const Packet& p, const DeviceRanges& r) {
    if (source == kSourcePressure || (inverted && source == kSourceWheel))
        return scaled(value, p.pkNormalPressure, r.pressureMax);
    if (source == kSourceWheel) return scaled(value, p.pkTangentPressure, r.wheelMax);
    return value;  // fixed: the slider value
}

int mulDiv(int value, int number, int divisor) {
    if (divisor == 0) return -1;
    int64_t product = int64_t(value) * number;
    bool negative = (product < 0) != (divisor < 0);
    int64_t p = product < 0 ? -product : product, d = divisor < 0 ? -int64_t(divisor) : divisor;
    int64_t q = (p + d / 2) / d;
    return int(negative ? -q : q);
}

TabletSample buildSample(const Packet& packet, const PacketContext& c, const ModuleInfo& module) {
    const SampleFields& fields = *module.sample;
    TabletSample s{};
    int ix, iy;
    clientToImage(c.geometry, c.clientX, c.clientY, ix, iy);
    s.x = int16_t(ix);
    s.y = int16_t(iy);
    s.inverted = packet.orAltitude < 0;
    int size = sourcedValue(readParam<int16_t>(module, fields.sizeOffset), readParam<int32_t>(module, fields.sizeSourceOffset),
                       s.inverted, packet, c.ranges);
    int amount = 0;
    if (fields.amountOffset >= 0) {
        int32_t source = fields.amountSourceOffset >= 0 ? readParam<int32_t>(module, fields.amountSourceOffset) : 2;
        amount = sourcedValue(readParam<int16_t>(module, fields.amountOffset), source, s.inverted, packet, c.ranges);
        if (!s.inverted && fields.oddAmount) amount = 2 * amount + 1;
    }
    s.size = int16_t(size < 1 ? 1 : size);
    s.amount = int16_t(amount);
    s.pressure = samplePressure(packet.pkNormalPressure, c.ranges);
    return s;
}

void buildRecord(const Packet& packet, const PacketContext& c, const ModuleInfo& module,
                 TabletSample* out) {
    const SampleRule* rule = module.sampleRule;
    if (rule && rule->build) {
        rule->build(packet, c, module, out);
    } else {
        *out = buildSample(packet, c, module);
    }
}

void handlePacket(PacketFilterState& state, Packet& packet, const PacketContext& c,
                  const ModuleInfo& module, SampleSink sink, void* sinkContext) {
    if (!c.painting && packet.pkNormalPressure != 0) return;
    if (!c.hookInstalled) return;

    if (c.cursorClass == kCursorAirbrush && packet.pkButtons != state.lastButtons &&
        (packet.pkButtons & kSideButton) && !(state.lastButtons & kSideButton))
        state.sideButtonLatch = !state.sideButtonLatch;
    state.lastButtons = packet.pkButtons;

    const SampleFields& fields = *module.sample;
    if (!(module.sampleRule && module.sampleRule->rawPressure)) {
        bool bothOnWheel = readParam<int32_t>(module, fields.sizeSourceOffset) == kSourceWheel &&
                           fields.amountSourceOffset >= 0 &&
                           readParam<int32_t>(module, fields.amountSourceOffset) == kSourceWheel;
        if (bothOnWheel && !(packet.pkButtons & kTipButton))
            packet.pkNormalPressure = state.sideButtonLatch ? kPuckPressure : 0;
        if (c.cursorClass == kCursorPuck) packet.pkNormalPressure = packet.pkButtons > 0 ? kPuckPressure : 0;
    }
    state.penDown = packet.pkNormalPressure != 0;

    // The record lives here only until the sink has copied it.
    const uint32_t bytes = sampleBytes(module);
    alignas(8) uint8_t storage[kMaxSampleBytes] = {};
    if (bytes > sizeof storage) return;
    auto* record = reinterpret_cast<TabletSample*>(storage);
    const bool everyPacket = module.sampleRule && module.sampleRule->everyPacket;
    if (insideFrame(c)) {
        state.packetParity ^= 1;
        if (everyPacket || state.packetParity == 1) {
            buildRecord(packet, c, module, record);
            if (sink(sinkContext, record, bytes)) state.insideView = true;
        }
    } else if (state.insideView) {
        buildRecord(packet, c, module, record);
        record->pressure = 0;
        if (sink(sinkContext, record, bytes)) state.insideView = false;
    }
}
