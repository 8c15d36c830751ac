// Portable pixel work of the host: cutting a plane range of a rectangle out of an image
// into an interleaved buffer (with the padding rules for parts outside the image),
// putting a buffer back, and turning host pixels into RGB for display.
#pragma once
#include <cstdint>

#include "image_file.h"

struct PixRect { int top, left, bottom, right; };  // pixels, bottom/right exclusive

inline bool rectEmpty(const PixRect& r) { return r.bottom <= r.top || r.right <= r.left; }

// Padding rules of the interface: -1 replicate the nearest edge pixel, 0..255 a constant,
// -2 leave whatever the buffer held, -3 the request is an error if it leaves the image.
constexpr int kPadEdge = -1;
constexpr int kPadNone = -2;
constexpr int kPadError = -3;

enum class FillResult { Ok, OutOfBounds, BadPadding, EmptyImage };

// Copies planes lo..hi of r from img into dst (rowBytes apart, planes interleaved).
// Parts of r outside the image follow `padding`; with kPadNone they are not written.
FillResult fillFromImage(const Image& img, const PixRect& r, int lo, int hi, int padding,
                         uint8_t* dst, int32_t rowBytes);

// Writes planes lo..hi of a buffer covering r back into img, only where r meets `clip`
// and the image.
void storeToImage(Image& img, const PixRect& r, int lo, int hi, const uint8_t* src,
                  int32_t rowBytes, const PixRect& clip);

// Display conversion of one pixel. CMYK bytes hold 255 - ink, so a plate byte is the
// fraction of light it lets through: R = C*K/255, G = M*K/255, B = Y*K/255.
// Returns false for an image mode the host cannot show.
bool pixelToRGB(int imageMode, const uint8_t* px, uint8_t rgb[3]);

// Colour conversions of colorServices in the same byte convention (0..255 components).
void rgbToCmyk(const int16_t rgb[3], int16_t cmyk[4]);
void cmykToRgb(const int16_t cmyk[4], int16_t rgb[3]);
