// Image buffers placed against a PAGE_NOACCESS page, so that a plug-in stepping one byte
// past the end (or, with front guarding, before the start) faults at once instead of
// quietly corrupting the heap.
#pragma once
#include <cstddef>
#include <cstdint>

class GuardBuffer {
public:
    GuardBuffer() = default;
    GuardBuffer(const GuardBuffer&) = delete;
    GuardBuffer& operator=(const GuardBuffer&) = delete;
    ~GuardBuffer() { release(); }

    // Zero-filled buffer of `size` bytes. front=false: its last byte is the last byte
    // before the guard page; front=true: it starts right after the guard page.
    // size 0 releases and leaves data() null. False when the memory can't be had.
    bool allocate(size_t size, bool front);
    void release();
    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    void* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};
