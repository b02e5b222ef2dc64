#pragma once
// Growable record arrays numbered from 1. A resize keeps records 1..n byte for byte,
// zero-fills new records and, when memory runs out, keeps the old block and returns -1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

// Tests make allocations fail: after `successes` more successful ones, the next
// `failures` allocations fail.
void InjectAllocationFailures(int successes, int failures = 1);
// True when this allocation is to fail (consumes one injected failure).
bool TakeInjectedAllocationFailure();

template <typename T>
class RecordBlock {
    static_assert(std::is_trivially_copyable_v<T>, "records are moved as bytes");

public:
    RecordBlock() = default;
    RecordBlock(const RecordBlock&) = delete;
    RecordBlock& operator=(const RecordBlock&) = delete;
    ~RecordBlock() { std::free(m_data); }

    // Sizes the block to n records (plus `spareBytes` on first allocation). 0 when it now
    // holds n records, -1 when it could not grow (old block and contents kept); n = 0 frees.
    int32_t Resize(int32_t n, size_t spareBytes = 0) {
        if (n < 0) return -1;
        if (n == 0) {
            Release();
            return 0;
        }
        const size_t spare = m_data ? m_spareBytes : spareBytes;
        const size_t bytes = static_cast<size_t>(n) * sizeof(T) + spare;
        if (TakeInjectedAllocationFailure()) return -1;
        const size_t oldBytes = m_data ? static_cast<size_t>(m_size) * sizeof(T) + m_spareBytes : 0;
        void* p = m_data ? std::realloc(m_data, bytes) : std::calloc(1, bytes);
        if (!p) return -1;
        // calloc's block is zero already; filling it again would touch every page.
        if (m_data && bytes > oldBytes) std::memset(static_cast<char*>(p) + oldBytes, 0, bytes - oldBytes);
        m_spareBytes = spare;
        m_data = static_cast<T*>(p);
        m_size = n;
        return 0;
    }

    void Release() {
        std::free(m_data);
        m_data = nullptr;
        m_size = 0;
        m_spareBytes = 0;
    }

    // Exchanges the blocks, so a new block can be filled beside the one in use.
    void Swap(RecordBlock& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_spareBytes, other.m_spareBytes);
    }

    T* Data() { return m_data; }
    const T* Data() const { return m_data; }
    int32_t Size() const { return m_size; }
    bool Empty() const { return m_data == nullptr; }

private:
    T* m_data = nullptr;
    int32_t m_size = 0;
    size_t m_spareBytes = 0;
};
