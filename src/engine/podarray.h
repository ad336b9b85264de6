// A fixed-size array of plain records in one block, for bulk data filled
// once (a map's vertices and triangles, the collision grid). Unlike a vector
// it does not write every record on creation: records about to be
// overwritten are not cleared first, and a zeroed array comes straight from
// the kernel, so it costs nothing until its pages are touched. It reads as
// a view of its whole block.
#pragma once

#include "engine/arrayview.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>

template <class T>
class PodArray : public ArrayView<T> {
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
        Platform_AdviseLargePages(this->first, Bytes(count));
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
            Platform_FreePages(this->first, Bytes(this->count));
        else
            std::free(this->first);
        this->first = nullptr;
        this->count = 0;
        fromPages = false;
    }

    ArrayView<T> View(size_t start, size_t length) const { return {this->first + start, length}; }

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
        this->first = static_cast<T*>(block);
        this->count = newCount;
        fromPages = pages;
    }

    bool fromPages = false;  // from the kernel's pages, not the C heap
};
