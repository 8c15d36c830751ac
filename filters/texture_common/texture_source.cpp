#include "filters/texture_common/texture_source.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

BitmapLoader gLoader;
std::string gRoot;

bool fromFiles(const char* module, int, const char* file, DecodedBitmap& out) {
    return readBitmapFile((gRoot + "/resources/" + module + "/textures/" + file).c_str(), out);
}

}  // namespace

void setBitmapLoader(BitmapLoader loader) { gLoader = loader; }

bool loadTextureBitmap(const char* module, int resourceId, const char* file, DecodedBitmap& out) {
    out = DecodedBitmap{};
    return gLoader && gLoader(module, resourceId, file, out);
}

void useTextureFiles(const char* root) {
    gRoot = root;
    gLoader = fromFiles;
}

bool readBitmapFile(const char* path, DecodedBitmap& out) {
    out = DecodedBitmap{};
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return decodeBmpFile(bytes.data(), bytes.size(), out) == BitmapError::none;
}
