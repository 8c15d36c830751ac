#include "filters/chisel/pickers.h"

#include <cmath>
#include <cstdint>
#include <limits>

int mulDivRounded(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t product = int64_t(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t p = product < 0 ? -product : product, d = c < 0 ? -int64_t(c) : c;
    const int64_t q = (p + d / 2) / d;
    return int(negative ? -q : q);
}

PickerPoint lightMarkerPosition(int index, int clientWidth, int clientHeight) {
    const int left = 1, centre = (clientWidth - kLightMarkerSide) / 2,
              right = clientWidth - kLightMarkerSide - 1;
    const int top = 1, middle = (clientHeight - kLightMarkerSide) / 2,
              bottom = clientHeight - kLightMarkerSide - 1;
    static const int8_t column[8] = {0, 1, 2, 0, 2, 0, 1, 2};
    static const int8_t row[8] = {0, 0, 0, 1, 1, 2, 2, 2};
    const int xs[3] = {left, centre, right}, ys[3] = {top, middle, bottom};
    return PickerPoint{xs[column[index & 7]], ys[row[index & 7]]};
}

int lightDirectionAt(int x, int y, int clientWidth, int clientHeight, int current) {
    const int firstX = clientWidth / 3, secondX = mulDivRounded(clientWidth, 2, 3);
    const int firstY = clientHeight / 3, secondY = mulDivRounded(clientHeight, 2, 3);
    if (x < firstX) return y < firstY ? 0 : y < secondY ? 3 : 5;
    if (x >= secondX) return y < firstY ? 2 : y < secondY ? 4 : 7;
    if (y < firstY) return 1;
    if (y > secondY) return 6;
    return current;
}

std::vector<PickerPoint> tipPickerPoints(const ChiselParams& params, int clientWidth,
                                         int clientHeight) {
    const int half = clientHeight / 2;
    const int size = params.tipSize;
    float g = float(double(clientWidth) / size);
    float e = params.tipDepth == 0 ? std::numeric_limits<float>::infinity()
                                   : float(std::fabs(double(half) / params.tipDepth));
    if (e > g) e = g;
    const int count = int(double(size) * e);
    const int x0 = clientWidth / 2 - count / 2;
    if (e != g) g = float(double(count) / size);

    std::vector<PickerPoint> points;
    points.reserve(size_t(count) + 2);
    points.push_back({x0, half});
    for (int i = 0; i < count; ++i) {
        int entry = int(double(i) / g);
        if (entry >= kPreviewProfileEntries) entry = kPreviewProfileEntries - 1;
        const double h = params.previewProfile[entry].height;
        points.push_back({x0 + i, int(float(half - double(e) * h * 4.0))});
    }
    points.push_back({x0 + count, half});
    return points;
}
