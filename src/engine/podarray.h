// A fixed-size array of plain records in one block of the C heap, for bulk
// data filled once (a map's vertices and triangles, the collision grid).
// Unlike a vector it does not write every record on creation: a large block
// comes straight from the kernel already zeroed, so records about to be
// overwritten are not cleared first, and a zeroed array costs nothing until
// its pages are touched.
#pragma once

#include "engine/arrayview.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

template <class T>
class PodArray {
    static_assert(std::is_trivially_copyable<T>::value && std::is_trivially_destructible<T>::value,
                  "the records are plain bytes");
    static_assert(alignof(T) <= alignof(std::max_align_t), "the C heap aligns the block");

public:
    // Records whose bytes the caller writes before reading them.
    void Allocate(size_t count)
    {
        Replace(count, count ? std::malloc(count * sizeof(T)) : nullptr);
        Platform_AdviseLargePages(block.get(), count * sizeof(T));
    }
    // Records whose bytes are all zero.
    void AllocateZeroed(size_t count) { Replace(count, count ? std::calloc(count, sizeof(T)) : nullptr); }
    void Release() { Replace(0, nullptr); }

    T* data() const { return block.get(); }
    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    T* begin() const { return block.get(); }
    T* end() const { return block.get() + count; }
    T& operator[](size_t i) const { return block.get()[i]; }
    ArrayView<T> View(size_t first, size_t length) const { return {block.get() + first, length}; }

private:
    struct FreeBlock {
        void operator()(T* records) const { std::free(records); }
    };

    void Replace(size_t newCount, void* newBlock)
    {
        if (newCount && !newBlock)
            throw std::bad_alloc();
        block.reset(static_cast<T*>(newBlock));
        count = newCount;
    }

    std::unique_ptr<T, FreeBlock> block;
    size_t count = 0;
};
