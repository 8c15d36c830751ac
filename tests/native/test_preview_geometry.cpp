// The preview's arithmetic: centring, mapping, scroll ranges, paint fetches, zoom tool.
#include <gtest/gtest.h>

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
