// Netpbm images as the host reads and writes them: PAM (P7) with MAXVAL 255, and binary
// PGM (P5) / PPM (P6). Pixels are kept interleaved, top row first, one byte per sample.
// CMYK samples are kept exactly as in the file; the host's convention is that a byte
// holds 255 - ink (255 = no ink), which is also what the plug-ins see in their buffers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class ImageFormat { PAM, PGM, PPM };

struct Image {
    int width = 0;
    int height = 0;
    int depth = 0;              // samples per pixel, colour planes plus alpha
    std::string tupltype;       // GRAYSCALE, RGB_ALPHA, ...
    int imageMode = 0;          // host image mode: 1 gray, 3 RGB, 4 CMYK
    bool hasAlpha = false;      // last plane is transparency
    ImageFormat format = ImageFormat::PAM;
    std::vector<uint8_t> pixels;

    int colorPlanes() const { return hasAlpha ? depth - 1 : depth; }
    uint8_t* at(int x, int y) { return pixels.data() + (size_t(y) * width + x) * depth; }
    const uint8_t* at(int x, int y) const { return pixels.data() + (size_t(y) * width + x) * depth; }
};

// Fills mode/alpha/depth expectations from a TUPLTYPE; false for one the host can't filter.
bool describeTupleType(const std::string& tupltype, int& imageMode, int& depth, bool& hasAlpha);

bool readImage(const std::string& path, Image& img, std::string& error);
bool parseImage(const std::vector<uint8_t>& bytes, Image& img, std::string& error);
// Writes in img.format (PGM/PPM only when the depth fits them).
bool writeImage(const std::string& path, const Image& img, std::string& error);
std::vector<uint8_t> encodeImage(const Image& img);
