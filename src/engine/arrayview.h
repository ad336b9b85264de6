// A run of records that some other object owns, walked and indexed like a
// vector: how a map's meshes, rooms and surfaces name their parts of the
// map's shared arrays.
#pragma once

#include <cstddef>
#include <type_traits>

template <class T>
class ArrayView {
public:
    ArrayView() = default;
    ArrayView(T* first, size_t count) : first(first), count(count) {}
    // A view of records that may be changed also reads them unchanged.
    template <class U, class = std::enable_if_t<std::is_convertible<U (*)[], T (*)[]>::value>>
    ArrayView(const ArrayView<U>& other) : first(other.data()), count(other.size())
    {
    }

    T* data() const { return first; }
    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    T* begin() const { return first; }
    T* end() const { return first + count; }
    T& operator[](size_t i) const { return first[i]; }

protected:
    T* first = nullptr;
    size_t count = 0;
};
