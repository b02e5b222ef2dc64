#pragma once
// Growable record arrays numbered from 1. A resize keeps records 1..n byte for byte,
// zero-fills new records and, when memory runs out, keeps the old block and returns -1.
#include <sys/mman.h>

#include <algorithm>
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

// Large blocks are mapped on their own, on huge pages where the system gives them, and
// grow by remapping: nothing is copied, and the new part comes zeroed from the system
// instead of being touched page by page, which costs a large build more than its work.
namespace record_block {
constexpr size_t kHugePage = size_t{2} << 20;
// Small pages cost a fault each when first touched, far more than a huge page costs to
// clear: blocks of more than a few pages are worth huge pages of their own.
constexpr size_t kMapFrom = size_t{64} << 10;
// The length mapped for a block: whole huge pages, so its end is not left on small pages.
inline size_t MappedLength(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }
// A zeroed mapping of MappedLength(bytes), starting on a huge-page boundary; null on failure.
void* MapZeroed(size_t bytes);
// Remaps to MappedLength(bytes), moving it when needed; null on failure (the old mapping stays).
void* Remap(void* p, size_t mapped, size_t bytes);
// Zero-fills [from, to) of a mapping: whole huge pages are given back to the system.
void ZeroMapped(char* from, char* to);
// Work mappings of a finished build are kept for the next one: a TIN is rebuilt again and
// again while it is edited, and fresh pages cost a build more than its work on them. At most
// kKeptBytes are kept, the oldest given back first. A kept mapping is not zeroed.
constexpr size_t kKeptBytes = size_t{256} << 20;
// A kept mapping of exactly MappedLength(bytes), else a fresh zeroed one; null on failure.
void* MapWork(size_t bytes);
// Keeps a mapping of MapWork(bytes) for the next build, or unmaps it.
void UnmapWork(void* p, size_t bytes);
// Gives every kept mapping back to the system.
void ReleaseKeptWork();
}  // namespace record_block

template <typename T>
class RecordBlock {
    static_assert(std::is_trivially_copyable_v<T>, "records are moved as bytes");

public:
    RecordBlock() = default;
    RecordBlock(const RecordBlock&) = delete;
    RecordBlock& operator=(const RecordBlock&) = delete;
    ~RecordBlock() { Release(); }

    // Sizes the block to n records (plus `spareBytes` on first allocation). 0 when it now
    // holds n records, -1 when it could not grow (old block and contents kept); n = 0 frees.
    int32_t Resize(int32_t n, size_t spareBytes = 0) {
        using namespace record_block;
        if (n < 0) return -1;
        if (n == 0) {
            Release();
            return 0;
        }
        const size_t spare = m_data ? m_spareBytes : spareBytes;
        const size_t bytes = static_cast<size_t>(n) * sizeof(T) + spare;
        if (TakeInjectedAllocationFailure()) return -1;
        const size_t oldBytes = m_data ? static_cast<size_t>(m_size) * sizeof(T) + m_spareBytes : 0;
        void* p = nullptr;
        size_t mapped = 0;
        if (m_mapped != 0) {
            p = Remap(m_data, m_mapped, bytes);
            if (!p) return -1;
            mapped = MappedLength(bytes);
            // A shrink left old bytes up to the end of its last page; beyond it all is new.
            if (bytes > oldBytes)
                std::memset(static_cast<char*>(p) + oldBytes, 0, std::min(bytes, m_mapped) - std::min(oldBytes, m_mapped));
        } else if (bytes >= kMapFrom) {
            p = MapZeroed(bytes);
            if (!p) return -1;
            mapped = MappedLength(bytes);
            if (m_data) {
                std::memcpy(p, m_data, std::min(oldBytes, bytes));
                std::free(m_data);
            }
        } else {
            p = m_data ? std::realloc(m_data, bytes) : std::calloc(1, bytes);
            if (!p) return -1;
            // calloc's block is zero already; filling it again would touch every page.
            if (m_data && bytes > oldBytes) std::memset(static_cast<char*>(p) + oldBytes, 0, bytes - oldBytes);
        }
        m_mapped = mapped;
        m_spareBytes = spare;
        m_data = static_cast<T*>(p);
        m_size = n;
        return 0;
    }

    // Zero-fills records from..to-1, as a memset would, without touching the pages of a
    // large block that the system can hand back zeroed.
    void Zero(int32_t from, int32_t to) {
        if (!m_data || from >= to) return;
        char* const begin = reinterpret_cast<char*>(m_data + from);
        char* const end = reinterpret_cast<char*>(m_data + to);
        if (m_mapped != 0) record_block::ZeroMapped(begin, end);
        else std::memset(begin, 0, static_cast<size_t>(end - begin));
    }

    void Release() {
        if (m_mapped != 0) munmap(m_data, m_mapped);
        else std::free(m_data);
        m_data = nullptr;
        m_size = 0;
        m_spareBytes = 0;
        m_mapped = 0;
    }

    // Exchanges the blocks, so a new block can be filled beside the one in use.
    void Swap(RecordBlock& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_spareBytes, other.m_spareBytes);
        std::swap(m_mapped, other.m_mapped);
    }

    T* Data() { return m_data; }
    const T* Data() const { return m_data; }
    int32_t Size() const { return m_size; }
    bool Empty() const { return m_data == nullptr; }

private:
    T* m_data = nullptr;
    int32_t m_size = 0;
    size_t m_spareBytes = 0;
    size_t m_mapped = 0;  // bytes mapped, 0 for a block from malloc
};
