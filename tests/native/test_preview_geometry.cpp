// The preview's arithmetic: centring, mapping, scroll ranges, paint fetches, zoom tool.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "framework/dialog/preview_map.h"

namespace {

PreviewGeometry geometry(float zoom, int hPos, int vPos, Box client, Box outRect) {
    PreviewGeometry g{zoom, hPos, vPos, client, {}, outRect};
    g.imageFrame = computeImageFrame(client, outRect.width(), outRect.height(), zoom);
    return g;
}

TEST(PreviewFrame, SmallImageIsCentredInBothAxes) {
    Box f = computeImageFrame({0, 0, 400, 300}, 101, 50, 1.0f);
    EXPECT_EQ(f.left, 149);  // (400 - 101) / 2 truncated
    EXPECT_EQ(f.right, 250);
    EXPECT_EQ(f.top, 125);
    EXPECT_EQ(f.bottom, 175);
}

TEST(PreviewFrame, LargerImageFillsTheClientAndZoomTruncates) {
    Box f = computeImageFrame({0, 0, 400, 300}, 333, 333, 1.5f);  // 499.5 -> 499
    EXPECT_EQ(f.left, 0);
    EXPECT_EQ(f.right, 400);
    EXPECT_EQ(f.top, 0);
    EXPECT_EQ(f.bottom, 300);
    f = computeImageFrame({0, 0, 400, 300}, 333, 100, 0.5f);  // 166 x 50
    EXPECT_EQ(f.left, 117);
    EXPECT_EQ(f.right, 283);
}

TEST(PreviewMapping, ClientToImageAndBackAtZoomAndScroll) {
    PreviewGeometry g = geometry(4.0f, 40, 8, {0, 0, 400, 300}, {10, 20, 210, 120});
    int ix, iy;
    clientToImage(g, 3, 5, ix, iy);
    EXPECT_EQ(ix, 10);  // (40 + 3) / 4
    EXPECT_EQ(iy, 3);   // (8 + 5) / 4
    Box c = imageToClient(g, {10, 3, 12, 4});
    EXPECT_EQ(c.left, 0);
    EXPECT_EQ(c.top, 4);
    EXPECT_EQ(c.right, 8);
    EXPECT_EQ(c.bottom, 8);
}

TEST(PreviewMapping, FractionalZoomTruncatesTowardZero) {
    PreviewGeometry g = geometry(0.0625f, 0, 0, {0, 0, 400, 300}, {0, 0, 6400, 4800});
    int ix, iy;
    clientToImage(g, 399, 1, ix, iy);
    EXPECT_EQ(ix, 6384);
    EXPECT_EQ(iy, 16);
    // Left of a centred frame gives a negative offset, truncated toward zero.
    PreviewGeometry small = geometry(2.0f, 0, 0, {0, 0, 400, 300}, {0, 0, 10, 10});
    clientToImage(small, small.imageFrame.left - 3, small.imageFrame.top, ix, iy);
    EXPECT_EQ(ix, -1);
    EXPECT_EQ(iy, 0);
}

TEST(ScrollRanges, OnlyWhenTheZoomedImageIsLarger) {
    EXPECT_FALSE(scrollRange(400, 1.0f, 400).enabled);
    EXPECT_EQ(scrollRange(400, 1.0f, 400).maximum, 0);
    EXPECT_TRUE(scrollRange(401, 1.0f, 400).enabled);
    EXPECT_EQ(scrollRange(401, 1.0f, 400).maximum, 1);
    EXPECT_EQ(scrollRange(1000, 16.0f, 300).maximum, 15700);
    // Zoomed images wider than 65535 screen pixels keep exact 32-bit ranges.
    EXPECT_EQ(scrollRange(30000, 16.0f, 400).maximum, 479600);
}

TEST(PaintFetch, WidensToEightPixelBoundariesWithinTheOutput) {
    PreviewGeometry g = geometry(1.0f, 0, 0, {0, 0, 400, 300}, {0, 0, 1000, 800});
    PaintFetch f = paintFetch(g, {100, 50, 120, 60});
    EXPECT_EQ(f.x0, 88);   // t8(100) - 8
    EXPECT_EQ(f.y0, 40);   // t8(50) - 8
    EXPECT_EQ(f.x1, 128);  // t8(121) + 8
    EXPECT_EQ(f.y1, 64);   // t8(61) + 8
    EXPECT_EQ(f.destination.left, 88);
    EXPECT_EQ(f.destination.bottom, 64);
    f = paintFetch(g, {0, 0, 400, 300});
    EXPECT_EQ(f.x0, 0);
    EXPECT_EQ(f.y0, 0);
}

TEST(PaintFetch, OffsetOutputRectangleAndScrolledZoom) {
    // Output rectangle at (100, 40); zoom 2, scrolled by (64, 32).
    PreviewGeometry g = geometry(2.0f, 64, 32, {0, 0, 400, 300}, {100, 40, 600, 340});
    PaintFetch f = paintFetch(g, {0, 0, 16, 16});
    EXPECT_EQ(f.x0, 120);  // 100 + 64 / 2 = 132, widened down to 128 - 8
    EXPECT_EQ(f.y0, 48);   // 40 + 32 / 2 = 56, widened down to 56 - 8
    EXPECT_EQ(f.x1, 144);  // 132 + trunc(16 / 2 + 1) = 141, widened up to 136 + 8
    // The destination is where image x0 lands on screen: (x0 - 100) * 2 - 64.
    EXPECT_EQ(f.destination.left, (f.x0 - 100) * 2 - 64);
    EXPECT_EQ(f.destination.top, (f.y0 - 40) * 2 - 32);
    EXPECT_EQ(f.destination.right - f.destination.left, (f.x1 - f.x0) * 2);
}

TEST(PaintFetch, TheOffscreenExtentHoldsEveryFetch) {
    // The 745 x 268 preview of the dialog template on an 8000 x 8000 picture at zoom 1.
    Extent e = fetchExtent({0, 0, 745, 268}, 1.0f, 8000, 8000);
    EXPECT_EQ(e.width, 770);
    EXPECT_EQ(e.height, 293);
    e = fetchExtent({0, 0, 745, 268}, 0.0625f, 8000, 3000);  // zoomed out: the image at most
    EXPECT_EQ(e.width, 8000);
    EXPECT_EQ(e.height, 3000);

    std::mt19937 rng(17);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const float zooms[] = {0.0625f, 0.125f, 0.25f, 0.5f, 1, 2, 3, 4, 8, 15, 16};
    for (int i = 0; i < 20000; ++i) {
        const float zoom = zooms[pick(0, 10)];
        const Box client{0, 0, pick(1, 1500), pick(1, 1000)};
        const int ox = pick(0, 50), oy = pick(0, 50);
        const Box out{ox, oy, ox + pick(1, 9000), oy + pick(1, 9000)};
        PreviewGeometry g = geometry(zoom, 0, 0, client, out);
        g.hPos = pick(0, scrollRange(out.width(), zoom, client.width()).maximum);
        g.vPos = pick(0, scrollRange(out.height(), zoom, client.height()).maximum);
        const Box& f = g.imageFrame;
        Box u{pick(f.left, f.right), pick(f.top, f.bottom), 0, 0};
        u.right = pick(u.left, std::min(f.right, client.right));
        u.bottom = pick(u.top, std::min(f.bottom, client.bottom));
        if (u.width() <= 0 || u.height() <= 0) continue;
        const PaintFetch fetch = paintFetch(g, u);
        const Extent extent = fetchExtent(client, zoom, out.width(), out.height());
        ASSERT_LE(fetch.x1 - fetch.x0, extent.width) << "zoom " << zoom << " client " << client.right;
        ASSERT_LE(fetch.y1 - fetch.y0, extent.height) << "zoom " << zoom << " client " << client.bottom;
    }
}

// A plane-interleaved output buffer with padded rows; every byte tells where it is.
struct OutputBuffer {
    FilterRecord record{};
    std::vector<uint8_t> bytes;
    OutputBuffer(Box out, int planes, int padding) {
        record.outRect = Rect16{int16_t(out.top), int16_t(out.left), int16_t(out.bottom), int16_t(out.right)};
        record.outLoPlane = 0;
        record.outHiPlane = int16_t(planes - 1);
        record.outRowBytes = out.width() * planes + padding;
        record.imageMode = planes == 1 ? 1 : planes == 3 ? 3 : 4;
        bytes.resize(size_t(record.outRowBytes) * out.height());
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 131 + i / 977);
        record.outData = bytes.data();
    }
    // Absolute image coordinates.
    const uint8_t* at(int x, int y) const {
        const int colBytes = record.outHiPlane + 1;
        return bytes.data() + size_t(y - record.outRect.top) * record.outRowBytes +
               size_t(x - record.outRect.left) * colBytes;
    }
};

// Where a host reads source pixel (row, col) of srcRect, honouring srcRect's top-left or
// drawing from the map's origin whatever srcRect says.
const uint8_t* hostReads(const PSPixelMap& map, const VRect& src, int row, int col, bool honoursOrigin) {
    const int top = honoursOrigin ? src.top : map.bounds.top;
    const int left = honoursOrigin ? src.left : map.bounds.left;
    return static_cast<const uint8_t*>(map.baseAddr) + intptr_t(top + row - map.bounds.top) * map.rowBytes +
           intptr_t(left + col - map.bounds.left) * map.colBytes;
}

TEST(PaintPixelMap, EveryHostDrawsTheBlockThatWasAskedFor) {
    for (int planes : {1, 3, 4, 5}) {
        OutputBuffer out({7, 5, 7 + 61, 5 + 43}, planes, 6);
        const Box blocks[] = {{7, 5, 68, 48}, {24, 13, 40, 29}, {8, 40, 9, 48}, {56, 5, 68, 21}};
        for (const Box& b : blocks) {
            VRect src;
            PSPixelMap map = blockPixelMap(out.record, b.left, b.top, b.right, b.bottom, src);
            EXPECT_EQ(map.version, 1);
            EXPECT_EQ(map.imageMode, out.record.imageMode);
            EXPECT_EQ(map.rowBytes, out.record.outRowBytes);
            EXPECT_EQ(map.colBytes, planes);
            EXPECT_EQ(map.planeBytes, 1);
            EXPECT_EQ((map.bounds.top | map.bounds.left | src.top | src.left), 0);
            EXPECT_EQ(src.bottom, b.height());
            EXPECT_EQ(src.right, b.width());
            EXPECT_EQ(std::memcmp(&src, &map.bounds, sizeof src), 0);
            EXPECT_EQ(map.maskPhaseRow, b.top);  // the block's real position
            EXPECT_EQ(map.maskPhaseCol, b.left);
            EXPECT_EQ(map.mat, nullptr);
            EXPECT_EQ(map.masks, nullptr);
            for (bool honours : {true, false})
                for (int row = 0; row < b.height(); ++row)
                    for (int col = 0; col < b.width(); ++col)
                        ASSERT_EQ(hostReads(map, src, row, col, honours), out.at(b.left + col, b.top + row))
                            << "planes " << planes << " honours " << honours;
        }
    }
}

TEST(PreviewMapping, ZoomedOutRepaintCoversEveryScreenPixelOfTheArea) {
    // At 1/4 the screen row 160 shows image rows 384..387: a change in row 384 alone
    // (an area ending at 385) repaints it.
    PreviewGeometry g = geometry(0.25f, 0, 0, {0, 0, 745, 268}, {0, 0, 960, 560});
    Box c = imageToClient(g, {760, 370, 771, 385});
    EXPECT_EQ(c.left, 252 + 190);
    EXPECT_EQ(c.top, 64 + 92);
    EXPECT_EQ(c.right, 252 + 193);  // 192.75 up
    EXPECT_EQ(c.bottom, 64 + 97);   // 96.25 up

    std::mt19937 rng(4);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const float zooms[] = {0.0625f, 0.125f, 0.25f, 0.5f, 1, 2, 3, 16};
    for (int i = 0; i < 5000; ++i) {
        const float zoom = zooms[pick(0, 7)];
        PreviewGeometry z = geometry(zoom, 0, 0, {0, 0, 745, 268}, {0, 0, 3000, 2000});
        z.hPos = pick(0, scrollRange(3000, zoom, 745).maximum);
        z.vPos = pick(0, scrollRange(2000, zoom, 268).maximum);
        Box a{pick(0, 2999), pick(0, 1999), 0, 0};
        a.right = pick(a.left + 1, 3000);
        a.bottom = pick(a.top + 1, 2000);
        Box s = imageToClient(z, a);
        // The screen pixel that shows image pixel x: floor(x * zoom) + frame - scroll.
        for (int x : {a.left, a.right - 1}) {
            int sx = int(std::floor(float(x) * zoom)) + z.imageFrame.left - z.hPos;
            if (sx >= 0) {
                ASSERT_TRUE(sx >= s.left && sx < s.right) << zoom << " x " << x;
            }
        }
        for (int y : {a.top, a.bottom - 1}) {
            int sy = int(std::floor(float(y) * zoom)) + z.imageFrame.top - z.vPos;
            if (sy >= 0) {
                ASSERT_TRUE(sy >= s.top && sy < s.bottom) << zoom << " y " << y;
            }
        }
    }
}

std::vector<Box> runsOf(const std::vector<uint8_t>& mask, int rowBytes, int width, int height) {
    std::vector<Box> runs;
    forEachMaskRun(mask.data(), rowBytes, width, height, [&runs](const Box& b) { runs.push_back(b); });
    return runs;
}

bool sameBox(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(SelectionOutline, RunsComeRowByRowLeftToRight) {
    // 7 x 3 mask in rows of 9 bytes; the two padding bytes are set and must be ignored.
    const std::vector<uint8_t> mask = {
        0, 9, 9, 0, 0, 1, 0, 255, 255,  //
        1, 1, 1, 1, 1, 1, 1, 255, 255,  //
        0, 0, 0, 0, 0, 0, 7, 255, 255,
    };
    const std::vector<Box> want = {{1, 0, 3, 1}, {5, 0, 6, 1}, {0, 1, 7, 2}, {6, 2, 7, 3}};
    std::vector<Box> got = runsOf(mask, 9, 7, 3);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_TRUE(sameBox(got[i], want[i])) << i;

    // A one-pixel checkerboard on 800 x 500: 200,000 runs of one pixel.
    std::vector<uint8_t> checker(800 * 500);
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 800; ++x) checker[y * 800 + x] = (x + y) % 2 ? 255 : 0;
    EXPECT_EQ(runsOf(checker, 800, 800, 500).size(), 200000u);
}

TEST(SelectionOutline, ZoomedRectanglesKeepAtLeastOnePixel) {
    EXPECT_TRUE(sameBox(zoomOutlineRect({3, 5, 7, 6}, 4.0f), Box{12, 20, 28, 24}));
    EXPECT_TRUE(sameBox(zoomOutlineRect({3, 5, 7, 6}, 1.0f), Box{3, 5, 7, 6}));
    // 1/4: x 3..7 -> 0..1; the row 5..6 -> 1..1, kept one high.
    EXPECT_TRUE(sameBox(zoomOutlineRect({3, 5, 7, 6}, 0.25f), Box{0, 1, 1, 2}));
    EXPECT_TRUE(sameBox(zoomOutlineRect({33, 16, 34, 48}, 0.0625f), Box{2, 1, 3, 3}));
}

TEST(ZoomTool, ClicksDoubleAndHalveWithinTheLimits) {
    EXPECT_EQ(clickZoom(1.0f, false), 2.0f);
    EXPECT_EQ(clickZoom(8.0f, false), 16.0f);
    EXPECT_EQ(clickZoom(16.0f, false), 16.0f);
    EXPECT_EQ(clickZoom(1.0f, true), 0.5f);
    EXPECT_EQ(clickZoom(0.125f, true), 0.0625f);
    EXPECT_EQ(clickZoom(0.0625f, true), 0.0625f);
}

TEST(ZoomTool, DragFitsTheAreaToTheView) {
    // 20 x 20 image pixels in a 400 x 300 preview: min(400/20, 300/20) = 15.
    EXPECT_EQ(fitZoom(100, 100, 120, 120, 1.0f, 400, 300), 15.0f);
    // The same screen drag at zoom 2 covers 10 x 10 image pixels: 30 and 40 -> 16 at most.
    EXPECT_EQ(fitZoom(100, 100, 120, 120, 2.0f, 400, 300), 16.0f);
    // Wider than the view (the capture lets the pointer leave it): 1/16.
    EXPECT_EQ(fitZoom(0, 0, 900, 10, 1.0f, 400, 300), 0.0625f);
    // A thin drag counts as at least one pixel in each direction.
    EXPECT_EQ(fitZoom(10, 10, 90, 11, 1.0f, 400, 300), 5.0f);
    EXPECT_EQ(fitZoom(90, 50, 10, 10, 1.0f, 400, 300), 5.0f);  // drag up-left
}

TEST(ZoomTool, ZoomAtPutsTheClickedPointInTheCentre) {
    PreviewGeometry g = geometry(1.0f, 0, 0, {0, 0, 400, 300}, {0, 0, 1000, 800});
    int h, v;
    zoomAtTarget(g, 300, 100, 2.0f, h, v);
    EXPECT_EQ(h, 600 - 200);
    EXPECT_EQ(v, 200 - 150);
}

TEST(ScrollBar, NotificationsMoveWithinTheRange) {
    // Codes: 0 line up, 1 line down, 2 page up, 3 page down, 4/5 thumb, 6 top, 7 bottom, 8 end.
    EXPECT_EQ(scrollTarget(0, 10, 0, 100, 0), 9);
    EXPECT_EQ(scrollTarget(0, 0, 0, 100, 0), 0);
    EXPECT_EQ(scrollTarget(1, 100, 0, 100, 0), 100);
    EXPECT_EQ(scrollTarget(2, 50, 0, 100, 0), 30);
    EXPECT_EQ(scrollTarget(3, 90, 0, 100, 0), 100);
    EXPECT_EQ(scrollTarget(4, 50, 0, 479600, 300000), 300000);  // beyond 16 bits
    EXPECT_EQ(scrollTarget(5, 50, 0, 100, 120), 100);
    EXPECT_EQ(scrollTarget(6, 50, 0, 100, 0), 0);
    EXPECT_EQ(scrollTarget(7, 50, 0, 100, 0), 100);
    EXPECT_EQ(scrollTarget(8, 50, 0, 100, 0), 50);
    EXPECT_EQ(scrollTarget(42, 50, 0, 100, 0), 0);
}

}  // namespace
