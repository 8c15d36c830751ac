// A small image for airbrush's portable core: source, result and selection with distinct
// pixel values, the tables, the mask and the generator, and samples made from packets.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "filters/airbrush/spray_stroke.h"

// A device with a full tilt range (altitude -900..900, azimuth 0..3600 tenths of a degree)
// and pressure 0..1023, wheel 0..1023.
constexpr SprayRanges kPenRanges{-900, 900, 0, 3600, 1023, 1023};

// A packet at (x, y) with the pen tilted `tilt` degrees (0..60) towards `azimuth` degrees.
inline SprayPacket penPacket(int x, int y, int tilt, int azimuth, int pressure = 1023, bool eraser = false) {
    const int altitude = (90 - tilt) * 10;
    return SprayPacket{x, y, eraser ? -altitude : altitude, azimuth * 10, pressure, 0};
}

struct SprayFixture {
    int width, height, planes;
    bool transparency;
    std::vector<uint8_t> source, result, selection;
    AirbrushParams params{};
    SprayTables tables{};
    std::unique_ptr<SprayMask> mask = std::make_unique<SprayMask>();
    SprayRandom random;
    SprayCanvas canvas{};
    SprayStroke stroke{};

    SprayFixture(int w, int h, int colourPlanes = 3, bool alpha = false)
        : width(w), height(h), planes(colourPlanes + (alpha ? 1 : 0)), transparency(alpha) {
        source.resize(size_t(w) * h * planes);
        for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(40 + (i * 7) % 150);
        if (alpha)
            for (size_t i = planes - 1; i < source.size(); i += planes) source[i] = 255;
        result = source;
        const uint16_t red[3] = {0xFFFF, 0x2020, 0x1010};
        setAirbrushDefaults(params, red);
        params.sizeSource = params.flowSource = kSourceFixed;
        buildSprayTables(tables);
        canvas = SprayCanvas{SprayImage{source.data(), w * planes, result.data(), w * planes, nullptr, 0,
                                        planes, w, h, alpha},
                             &params, &tables, mask.get(), &random};
        resetSprayStroke(stroke);
    }
    void useSelection() {
        selection.assign(size_t(width) * height, 255);
        canvas.image.mask = selection.data();
        canvas.image.maskRow = width;
    }
    AirbrushSample sample(int x, int y, int size, int flow, int tilt = 0, int azimuth = 90,
                          int pressure = 1023, bool eraser = false) {
        params.brushSize = int16_t(size);
        params.inkFlow = int16_t(flow);
        return buildSpraySample(penPacket(x, y, tilt, azimuth, pressure, eraser), kPenRanges, params);
    }
    uint8_t* px(int x, int y) { return &result[(size_t(y) * width + x) * planes]; }
    const uint8_t* src(int x, int y) const { return &source[(size_t(y) * width + x) * planes]; }
    bool unchanged(int x, int y) const {
        for (int c = 0; c < planes; ++c)
            if (result[(size_t(y) * width + x) * planes + c] != source[(size_t(y) * width + x) * planes + c])
                return false;
        return true;
    }
    int changedPixels() const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += unchanged(x, y) ? 0 : 1;
        return n;
    }
    SprayStepResult step(const AirbrushSample& s) { return sprayStep(stroke, s, canvas); }
};
