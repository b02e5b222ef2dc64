#pragma once
// An allocator for standard containers of large arrays: blocks of record_block::kMapFrom
// bytes and more are mapped on their own (on huge pages where the system gives them), since
// a fresh block touched page by page costs more than the work done on it; smaller ones
// come from the heap.
#include <cstdint>
#include <memory>
#include <new>

#include "model/record_block.h"

namespace record_block {
template <typename T>
struct MappedAllocator {
    using value_type = T;
    MappedAllocator() = default;
    template <typename U>
    MappedAllocator(const MappedAllocator<U>&) {}
    T* allocate(size_t n) {
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        if (n * sizeof(T) < kMapFrom) return std::allocator<T>().allocate(n);
        void* p = MapZeroed(n * sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t n) {
        if (n * sizeof(T) < kMapFrom)
            std::allocator<T>().deallocate(p, n);
        else
            munmap(p, MappedLength(n * sizeof(T)));
    }
    template <typename U>
    bool operator==(const MappedAllocator<U>&) const { return true; }
};
}  // namespace record_block
