// A small interleaved image with its relief field and shading tables, for chisel tests.
#pragma once
#include <cstdint>
#include <vector>

#include "filters/chisel/carve_stroke.h"

struct ChiselFixture {
    int width, height, planes;
    std::vector<uint8_t> source, result, mask;
    ChiselImage image{};
    ReliefField field;
    ShadeTables tables;
    ChiselParams params{};
    ChiselStroke stroke{};
    CarveTarget target{};

    ChiselFixture(int w, int h, int p = 3, bool transparency = false)
        : width(w), height(h), planes(p) {
        source.resize(size_t(w) * h * p);
        uint32_t seed = 12345;
        for (auto& v : source) {
            seed = seed * 1103515245u + 12345u;
            v = uint8_t(40 + (seed >> 16) % 170);  // distinct values, away from 0 and 255
        }
        if (transparency)
            for (size_t i = size_t(p) - 1; i < source.size(); i += size_t(p)) source[i] = 255;
        result = source;
        image = ChiselImage{source.data(), w * p, result.data(), w * p, nullptr, 0, p, w, h,
                            transparency};
        field.allocate(w, h);
        setChiselDefaults(params);
        params.pressureGroove = 0;
        resetChiselStroke(stroke);
        target = CarveTarget{&image, &field, nullptr, nullptr, nullptr};
    }

    void shadeWith(int light, int intensity) {
        prepareShading(tables, light, intensity);
        target.shading = &tables;
    }

    CarveStep pen(int x, int y, int pressure = 500, bool shift = false, bool eraser = false) {
        const ChiselSample s{int16_t(x), int16_t(y), int16_t(x), int16_t(y),
                             int16_t(grooveWidth(params, pressure, 1023)), int16_t(pressure),
                             uint8_t(shift), uint8_t(eraser)};
        return carveSample(stroke, s, params, target);
    }
    void lift() { pen(stroke.last.x, stroke.last.y, -1); }

    bool fieldFlat() const {
        for (int i = 0; i < width * height; ++i) {
            const ReliefPixel& p = field.pixels[i];
            if (p.height != 0.0f || p.nx != 0 || p.ny != 0) return false;
        }
        return true;
    }
    float heightAt(int x, int y) { return field.at(x, y).height; }
};
