// No dab reads or writes outside the host's buffers: every buffer sits against an
// inaccessible page, once at its end and once at its start.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "tests/native/airbrush_fixture.h"

namespace {

class GuardedBuffer {
public:
    GuardedBuffer(size_t bytes, bool againstEnd) {
        page_ = size_t(sysconf(_SC_PAGESIZE));
        const size_t inner = (bytes + page_ - 1) / page_ * page_;
        total_ = inner + 2 * page_;
        base_ = static_cast<uint8_t*>(mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base_, page_, PROT_NONE);
        mprotect(base_ + page_ + inner, page_, PROT_NONE);
        data_ = againstEnd ? base_ + page_ + inner - bytes : base_ + page_;
    }
    ~GuardedBuffer() { munmap(base_, total_); }
    uint8_t* data() { return data_; }

private:
    size_t page_, total_;
    uint8_t *base_, *data_;
};

struct Guarded {
    GuardedBuffer source, result, selection;
    Guarded(int w, int h, int planes, bool againstEnd)
        : source(size_t(w) * h * planes, againstEnd),
          result(size_t(w) * h * planes, againstEnd),
          selection(size_t(w) * h, againstEnd) {
        std::memset(source.data(), 200, size_t(w) * h * planes);
        std::memset(result.data(), 100, size_t(w) * h * planes);
        std::memset(selection.data(), 255, size_t(w) * h);
    }
};

TEST(SprayBounds, BiggestDabsAtEveryBorderAndCorner) {
    const int w = 37, h = 23;
    int painted = 0;
    for (int colourPlanes : {3, 4})
        for (bool alpha : {false, true})
            for (bool againstEnd : {false, true}) {
                SprayFixture f(w, h, colourPlanes, alpha);
                Guarded g(w, h, f.planes, againstEnd);
                f.canvas.image.source = g.source.data();
                f.canvas.image.result = g.result.data();
                f.canvas.image.mask = g.selection.data();
                f.canvas.image.maskRow = w;
                f.params.splatterSize = 99;
                for (int y : {0, h / 2, h - 1, h})
                    for (int x : {0, w / 2, w - 1, w})
                        for (int azimuth = 0; azimuth < 360; azimuth += 45) {
                            AirbrushSample s = f.sample(x, y, 99, 100, 60, azimuth);
                            buildSoftFootprint(f.canvas, s);
                            softSprayDab(f.canvas, s);
                            f.params.softSpray = 0;
                            splatterDab(f.canvas, s);
                            f.params.softSpray = 1;
                            s.inverted = 1;
                            restoreDab(f.canvas, s);
                        }
                // The dabs did paint: something changed in the result.
                for (int i = 0; i < w * h * f.planes; ++i) painted += g.result.data()[i] != 100;
            }
    EXPECT_GT(painted, 0);
}

}  // namespace
