#include "model/record_block.h"

#include <deque>
#include <iterator>
#include <vector>
#include <mutex>

namespace {
int g_failSuccesses = -1;  // -1: no failure injected
int g_failCount = 0;
}  // namespace

void InjectAllocationFailures(int successes, int failures) {
    g_failSuccesses = successes;
    g_failCount = failures;
}

bool TakeInjectedAllocationFailure() {
    if (g_failSuccesses < 0 || g_failCount <= 0) return false;
    if (g_failSuccesses > 0) {
        --g_failSuccesses;
        return false;
    }
    if (--g_failCount == 0) g_failSuccesses = -1;
    return true;
}

namespace record_block {

void* MapZeroed(size_t bytes) {
    const size_t length = MappedLength(bytes);
    if (length < bytes || length > SIZE_MAX - kHugePage) return nullptr;
    void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    // Keep the part that starts on a huge-page boundary.
    char* const begin = static_cast<char*>(raw);
    char* const aligned = begin + (kHugePage - reinterpret_cast<uintptr_t>(begin) % kHugePage) % kHugePage;
    if (aligned > begin) munmap(begin, static_cast<size_t>(aligned - begin));
    if (begin + kHugePage > aligned) munmap(aligned + length, static_cast<size_t>(begin + kHugePage - aligned));
#ifdef MADV_HUGEPAGE
    madvise(aligned, length, MADV_HUGEPAGE);
#endif
    return aligned;
}

void* Remap(void* p, size_t mapped, size_t bytes) {
    const size_t length = MappedLength(bytes);
    if (length < bytes) return nullptr;
    if (length <= mapped) {
        if (length < mapped) munmap(static_cast<char*>(p) + length, mapped - length);
        return p;
    }
    // Nothing is copied: the pages move, the new ones come zeroed when first used.
    void* moved = mremap(p, mapped, length, MREMAP_MAYMOVE);
    if (moved != MAP_FAILED) return moved;
    void* fresh = MapZeroed(length);
    if (!fresh) return nullptr;
    std::memcpy(fresh, p, mapped);
    munmap(p, mapped);
    return fresh;
}

void ZeroMapped(char* from, char* to) {
    auto up = [](char* q) {
        return reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(q) + kHugePage - 1) / kHugePage * kHugePage);
    };
    auto down = [](char* q) {
        return reinterpret_cast<char*>(reinterpret_cast<uintptr_t>(q) / kHugePage * kHugePage);
    };
    char* const first = up(from);
    char* const last = down(to);
    if (first >= last || madvise(first, static_cast<size_t>(last - first), MADV_DONTNEED) != 0) {
        std::memset(from, 0, static_cast<size_t>(to - from));
        return;
    }
    std::memset(from, 0, static_cast<size_t>(first - from));
    std::memset(last, 0, static_cast<size_t>(to - last));
}

namespace {
struct KeptMapping {
    void* p;
    size_t length;
};
std::mutex g_keptLock;
std::deque<KeptMapping> g_kept;  // oldest first
size_t g_keptTotal = 0;
}  // namespace

void* MapWork(size_t bytes) {
    const size_t length = MappedLength(bytes);
    {
        std::lock_guard lock(g_keptLock);
        for (auto it = g_kept.rbegin(); it != g_kept.rend(); ++it) {
            if (it->length != length) continue;
            void* p = it->p;
            g_keptTotal -= length;
            g_kept.erase(std::next(it).base());
            return p;
        }
    }
    return MapZeroed(bytes);
}

void UnmapWork(void* p, size_t bytes) {
    const size_t length = MappedLength(bytes);
    std::vector<KeptMapping> drop;
    {
        std::lock_guard lock(g_keptLock);
        if (length > kKeptBytes) {
            drop.push_back({p, length});
        } else {
            g_kept.push_back({p, length});
            g_keptTotal += length;
            while (g_keptTotal > kKeptBytes) {
                drop.push_back(g_kept.front());
                g_keptTotal -= g_kept.front().length;
                g_kept.pop_front();
            }
        }
    }
    for (const KeptMapping& m : drop) munmap(m.p, m.length);
}

void ReleaseKeptWork() {
    std::deque<KeptMapping> drop;
    {
        std::lock_guard lock(g_keptLock);
        drop.swap(g_kept);
        g_keptTotal = 0;
    }
    for (const KeptMapping& m : drop) munmap(m.p, m.length);
}

}  // namespace record_block
