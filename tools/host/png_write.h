// Minimal PNG writer for screenshots: 8-bit RGB or RGBA, no filtering, the zlib stream
// made of stored (uncompressed) deflate blocks. Portable, no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

uint32_t crc32Png(const uint8_t* data, size_t n, uint32_t crc = 0);
uint32_t adler32(const uint8_t* data, size_t n, uint32_t adler = 1);

// pixels: rows top first, `channels` (3 or 4) bytes per pixel, stride bytes apart.
std::vector<uint8_t> encodePng(int width, int height, int channels, const uint8_t* pixels, size_t stride);
bool writePng(const std::string& path, int width, int height, int channels, const uint8_t* pixels,
              size_t stride);
