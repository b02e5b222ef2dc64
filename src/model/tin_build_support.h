#pragma once
// What the TIN builders share: how a build ended, the poll of their long loop (Q asks to
// stop, the left button shows the TIN so far, one message is passed on) and the state a
// build stopped by the user leaves behind.
#include <sys/mman.h>

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "model/record_block.h"

// How a build ended (for callers and tests).
enum class TinBuildResult {
    kComplete,
    kNothingDone,  // refused before touching the TIN (outline, memory, busy)
    kStopped,      // Q, or Cancel at the outline-crossing question
    kLimit,        // the edge limit or a failed enlargement of the edge block
    kNoCandidate,  // an open side found no point
};
// The result of the last build of either builder.
TinBuildResult LastTinBuildResult();
void SetLastTinBuildResult(TinBuildResult result);

// Set while a builder runs: the message passed on per poll must not start a second build
// inside the first.
extern bool g_tinBuildRunning;

// Runs one build: refuses to start inside a running one (the one message passed on per
// poll could ask for it), records its result, and closes the progress window it opened
// last, so work that waited for the busy state runs only after the build has finished.
// `build` gets a flag to set when it opened the progress window itself. A build that does
// not complete leaves the TIN that was there before it (or none), never the part it made:
// a partial TIN has holes and open sides that later commands would take for terrain.
void RunTinBuild(const std::function<TinBuildResult(bool* openedWindow)>& build);

// The poll of a builder's loop, called after every triangle. At most every
// LongLoopPollInterval() ms it publishes the record count (closed by the end record) to the
// progress window, asks "三角網計算を中止してよろしいですか" while Q is held, shows the TIN
// so far while the left button is held and passes one message on.
class TinBuildPoll {
public:
    explicit TinBuildPoll(uint32_t start) : m_start(start), m_last(start) {}
    // Optional notes written into the progress window: while the left button is held (given
    // the milliseconds since the start) and while SHIFT is held.
    std::function<std::string(uint32_t elapsedMs)> leftButtonNote;
    std::function<std::string()> shiftNote;

    // False when the user confirmed stopping.
    bool Poll(int32_t count);

private:
    uint32_t m_start;
    uint32_t m_last;
    uint32_t m_calls = 0;
};

// Shows the TIN made so far while building: count and end record, the TIN layer on, the
// TIN present, a full repaint of the view.
void PublishPartialTin(int32_t count);

// Copies the outline into `outline` ([1..n], [n+1] = [1]) for a build; false when it has
// fewer than 3 vertices or names a point outside 1..g_pointCount.
bool CopyOutlineForBuild(std::vector<int32_t>& outline, int32_t& count);

// A grid index from a coordinate in cell units: clamped to 0..last while still a double, so
// a far (or not finite) value cannot overflow the conversion.
inline int32_t CellIndex(double cells, int32_t last) {
    if (!(cells > 0)) return 0;
    if (cells >= last) return last;
    return static_cast<int32_t>(cells);
}

// The allocator of the builders' large work arrays: blocks of 64 KB and more are mapped on
// their own and ask for huge pages. A build walks all over its arrays, and with small pages
// much of its time would go to page faults and address translation. Freed, they are kept
// for the next build up to a bound (record_block::UnmapWork).
template <typename T>
struct LargePageAllocator {
    using value_type = T;
    LargePageAllocator() = default;
    template <typename U>
    LargePageAllocator(const LargePageAllocator<U>&) {}
    static bool Large(size_t n) { return n * sizeof(T) >= record_block::kMapFrom; }
    T* allocate(size_t n) {
        if (!Large(n)) return static_cast<T*>(::operator new(n * sizeof(T)));
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        void* p = record_block::MapWork(n * sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t n) {
        if (Large(n)) record_block::UnmapWork(p, n * sizeof(T));
        else ::operator delete(p);
    }
    template <typename U>
    bool operator==(const LargePageAllocator<U>&) const {
        return true;
    }
};
template <typename T>
using TinWorkArray = std::vector<T, LargePageAllocator<T>>;
