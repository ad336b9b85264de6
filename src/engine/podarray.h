// A fixed-size array of plain records in one block, for bulk data filled
// once (a map's vertices and triangles, the collision grid). Unlike a vector
// it does not write every record on creation: records about to be
// overwritten are not cleared first, and a zeroed array comes straight from
// the kernel, so it costs nothing until its pages are touched.
#pragma once

#include "engine/arrayview.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>

template <class T>
class PodArray {
    static_assert(std::is_trivially_copyable<T>::value && std::is_trivially_destructible<T>::value,
                  "the records are plain bytes");
    static_assert(alignof(T) <= alignof(std::max_align_t), "the C heap aligns the block");

public:
    PodArray() = default;
    PodArray(const PodArray&) = delete;
    PodArray& operator=(const PodArray&) = delete;
    ~PodArray() { Release(); }

    // Records whose bytes the caller writes before reading them.
    void Allocate(size_t count)
    {
        Release();
        if (count == 0)
            return;
        Take(count, std::malloc(Bytes(count)), false);
        Platform_AdviseLargePages(records, Bytes(count));
    }
    // Records whose bytes are all zero. Not from calloc, which may hand back
    // used heap memory and clear it byte by byte.
    void AllocateZeroed(size_t count)
    {
        Release();
        if (count)
            Take(count, Platform_AllocateZeroedPages(Bytes(count)), true);
    }
    void Release()
    {
        if (fromPages)
            Platform_FreePages(records, Bytes(count));
        else
            std::free(records);
        records = nullptr;
        count = 0;
        fromPages = false;
    }

    T* data() const { return records; }
    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    T* begin() const { return records; }
    T* end() const { return records + count; }
    T& operator[](size_t i) const { return records[i]; }
    ArrayView<T> View(size_t first, size_t length) const { return {records + first, length}; }

private:
    static size_t Bytes(size_t count)
    {
        if (count > SIZE_MAX / sizeof(T))
            throw std::bad_alloc();
        return count * sizeof(T);
    }
    void Take(size_t newCount, void* block, bool pages)
    {
        if (!block)
            throw std::bad_alloc();
        records = static_cast<T*>(block);
        count = newCount;
        fromPages = pages;
    }

    T* records = nullptr;
    size_t count = 0;
    bool fromPages = false;  // from the kernel's pages, not the C heap
};
