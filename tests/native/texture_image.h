// Small images and guarded byte blocks for the texture effects' tests.
#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "filters/texture_common/paint_view.h"

// An interleaved image whose source and result start equal; `colours` 3 (RGB) or 4 (CMYK),
// one more plane when `alpha`.
struct TextureImage {
    int width, height, colours, planes;
    bool alpha;
    std::vector<uint8_t> source, result, mask;
    TextureImage(int w, int h, int colourPlanes, bool withAlpha, uint8_t fill)
        : width(w), height(h), colours(colourPlanes), planes(colourPlanes + (withAlpha ? 1 : 0)),
          alpha(withAlpha), source(size_t(w) * h * planes, fill), result(source) {
        if (alpha)
            for (size_t i = size_t(colours); i < source.size(); i += size_t(planes)) source[i] = result[i] = 255;
    }
    PaintView view() {
        return PaintView{source.data(), width * planes, planes, result.data(), width * planes,
                         mask.empty() ? nullptr : mask.data(), width, planes, colours, width, height,
                         alpha};
    }
    uint8_t* at(int x, int y) { return &result[(size_t(y) * width + x) * planes]; }
    uint8_t* sourceAt(int x, int y) { return &source[(size_t(y) * width + x) * planes]; }
};

// `bytes` copied to the very end of a readable page followed by an inaccessible one, so
// that a read past the end faults instead of passing unnoticed.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<uint8_t>& bytes) {
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        pages_ = (bytes.size() + page - 1) / page + 1;
        base_ = static_cast<uint8_t*>(mmap(nullptr, pages_ * page, PROT_READ | PROT_WRITE,
                                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base_ + (pages_ - 1) * page, page, PROT_NONE);
        data_ = base_ + (pages_ - 1) * page - bytes.size();
        if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
        size_ = bytes.size();
        total_ = pages_ * page;
    }
    ~GuardedBytes() { munmap(base_, total_); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    uint8_t* base_;
    uint8_t* data_;
    size_t size_, pages_, total_;
};

inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}
