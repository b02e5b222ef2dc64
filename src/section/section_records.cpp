#include "section/section_records.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "model/record_block.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"

std::vector<CrossSection> g_crossSections;
int32_t g_crossSectionCount = 0;
int32_t g_crossSectionCapacity = kSectionStartCapacity;
std::vector<PlanSection> g_planSections;
int32_t g_planSectionCount = 0;
int32_t g_planSectionCapacity = kSectionStartCapacity;

std::vector<LongCrossing> g_longCrossings;
int32_t g_longCrossingCount = 0;
int32_t g_longCrossingCapacity = 0;

namespace {
// The long crossings are one of the record blocks the data model frees; their count goes
// with them, so that no loop walks a freed block.
const bool g_longCrossingsRegistered = [] {
    RegisterDataBlockRelease([] {
        GrowLongCrossingBlock(0);
        g_longCrossingCount = 0;
        g_longCrossingCapacity = 0;
    });
    return true;
}();
}  // namespace

int32_t g_hasSections = 0;
int32_t g_sectionViewCount = 0;
int32_t g_currentSection = 0;
double g_sectionWidthSpan = 50.0;
double g_sectionHeightSpan = 50.0;
int32_t g_sectionHitLeftPoint = 0;
int32_t g_sectionHitRightPoint = 0;

namespace {

template <typename Record>
int32_t GrowRecords(std::vector<Record>& records, int32_t capacity) {
    if (capacity < 1) return -1;
    if (TakeInjectedAllocationFailure()) return -1;
    try {
        records.resize(static_cast<size_t>(capacity) + 1);
    } catch (const std::bad_alloc&) {
        return -1;
    } catch (const std::length_error&) {
        return -1;
    }
    return 0;
}

template <typename Record>
bool ReservePoints(Record* r, int32_t n) {
    if (r == nullptr || n < 0) return false;
    if (static_cast<int64_t>(r->points.size()) > n) return true;
    if (TakeInjectedAllocationFailure()) return false;
    try {
        // Grow by half again, so that appending point by point stays linear.
        const size_t want = std::max<size_t>(static_cast<size_t>(n) + 1, r->points.size() * 3 / 2);
        r->points.resize(want);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

bool EnsureRoom(int32_t* capacity, int32_t held, int32_t n, int32_t margin, int32_t step, int32_t (*grow)()) {
    const int32_t old = *capacity;
    // Never below the records the block holds: growing must not cut any off.
    *capacity = std::max(*capacity, held);
    if (*capacity >= n + margin && held >= n + margin) return true;
    *capacity += std::max(step, n + margin - *capacity);
    if (grow() == 0) return true;
    *capacity = old;
    ShowMessage("メモリ確保に失敗しました。(1)", "", msg::kOk | msg::kIconError);
    return false;
}

}  // namespace

int32_t GrowCrossSections() { return GrowRecords(g_crossSections, g_crossSectionCapacity); }
int32_t GrowPlanSections() { return GrowRecords(g_planSections, g_planSectionCapacity); }

void FreeCrossSections() {
    std::vector<CrossSection>().swap(g_crossSections);
    g_crossSectionCount = 0;
}

void FreePlanSections() {
    std::vector<PlanSection>().swap(g_planSections);
    g_planSectionCount = 0;
}

bool EnsureCrossSectionRoom(int32_t n, int32_t margin, int32_t step) {
    if (!g_crossSections.empty() && static_cast<int32_t>(g_crossSections.size()) - 1 >= n + margin &&
        g_crossSectionCapacity >= n + margin)
        return true;
    return EnsureRoom(&g_crossSectionCapacity, std::max(0, static_cast<int32_t>(g_crossSections.size()) - 1), n,
                      margin, step, GrowCrossSections);
}

bool EnsurePlanSectionRoom(int32_t n, int32_t margin, int32_t step) {
    if (!g_planSections.empty() && static_cast<int32_t>(g_planSections.size()) - 1 >= n + margin &&
        g_planSectionCapacity >= n + margin)
        return true;
    return EnsureRoom(&g_planSectionCapacity, std::max(0, static_cast<int32_t>(g_planSections.size()) - 1), n,
                      margin, step, GrowPlanSections);
}

bool ClearCrossSections() {
    if (g_crossSections.empty()) return false;
    for (CrossSection& s : g_crossSections) {
        s.number = 0;
        s.leftCount = 0;
        s.rightCount = 0;
        s.extraBlocks = 0;
        s.name[0] = '\0';
    }
    g_crossSectionCount = 0;
    return true;
}

bool ClearPlanSections() {
    if (g_planSections.empty()) return false;
    for (PlanSection& s : g_planSections) {
        s.leftCount = 0;
        s.rightCount = 0;
        s.extraBlocks = 0;
    }
    g_planSectionCount = 0;
    return true;
}

CrossSection* GetCrossSection(int32_t n) {
    if (n < 1 || n >= static_cast<int32_t>(g_crossSections.size())) return nullptr;
    return &g_crossSections[n];
}

PlanSection* GetPlanSection(int32_t n) {
    if (n < 1 || n >= static_cast<int32_t>(g_planSections.size())) return nullptr;
    return &g_planSections[n];
}

bool ReserveSectionPoints(CrossSection* section, int32_t n) { return ReservePoints(section, n); }
bool ReservePlanPoints(PlanSection* section, int32_t n) { return ReservePoints(section, n); }

int32_t SectionExtraBlocks(int32_t leftCount, int32_t rightCount) {
    return std::max(0, std::max(leftCount, rightCount)) / kSectionBlockEntries;
}

void DeleteSectionPoint(int32_t k) {
    CrossSection* s = GetCrossSection(g_currentSection);
    if (s == nullptr || k == 0) return;
    const bool right = k > 0;
    const int32_t i = right ? k : -k;
    int32_t& count = right ? s->rightCount : s->leftCount;
    if (i > count || static_cast<int32_t>(s->points.size()) <= count) return;
    for (int32_t j = i; j < count; ++j) {
        SectionPoint& to = s->points[j];
        const SectionPoint& from = s->points[j + 1];
        if (right) {
            to.rightHeight = from.rightHeight, to.rightOffset = from.rightOffset;
            to.rightX = from.rightX, to.rightY = from.rightY;
            to.rightNamed = from.rightNamed;
            std::memcpy(to.rightName, from.rightName, kSectionNameBytes);
        } else {
            to.leftHeight = from.leftHeight, to.leftOffset = from.leftOffset;
            to.leftX = from.leftX, to.leftY = from.leftY;
            to.leftNamed = from.leftNamed;
            std::memcpy(to.leftName, from.leftName, kSectionNameBytes);
        }
    }
    --count;
    int32_t& hit = right ? g_sectionHitRightPoint : g_sectionHitLeftPoint;
    if (hit > count) hit = count;
}

void SwapSectionAxes() {
    using std::swap;
    for (int32_t n = 1; n <= g_crossSectionCount; ++n) {
        CrossSection* s = GetCrossSection(n);
        if (s == nullptr) break;
        swap(s->centreX, s->centreY);
        // The directions turn with the points, so that a point written back from the edit
        // dialog lands on the swapped section line.
        swap(s->leftDirX, s->leftDirY);
        swap(s->rightDirX, s->rightDirY);
        const int32_t entries = static_cast<int32_t>(s->points.size()) - 1;
        for (int32_t j = 1; j <= std::min(s->leftCount, entries); ++j) swap(s->points[j].leftX, s->points[j].leftY);
        for (int32_t j = 1; j <= std::min(s->rightCount, entries); ++j) swap(s->points[j].rightX, s->points[j].rightY);
    }
    for (int32_t n = 1; n <= g_planSectionCount; ++n) {
        PlanSection* s = GetPlanSection(n);
        if (s == nullptr) break;
        const int32_t entries = static_cast<int32_t>(s->points.size()) - 1;
        for (int32_t j = 1; j <= std::min(s->leftCount, entries); ++j) swap(s->points[j].leftX, s->points[j].leftY);
        for (int32_t j = 1; j <= std::min(s->rightCount, entries); ++j) swap(s->points[j].rightX, s->points[j].rightY);
    }
    const int32_t crossings = std::min(g_longCrossingCount, static_cast<int32_t>(g_longCrossings.size()) - 1);
    for (int32_t k = 1; k <= crossings; ++k) swap(g_longCrossings[k].x, g_longCrossings[k].y);
}

int32_t GrowLongCrossingBlock(int32_t n) {
    if (n < 0) return -1;
    if (n == 0) {
        std::vector<LongCrossing>().swap(g_longCrossings);
        return 0;
    }
    if (TakeInjectedAllocationFailure()) return -1;
    try {
        g_longCrossings.resize(static_cast<size_t>(n) + 1);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return 0;
}

void CopySectionName(char* field, int32_t fieldBytes, const char* text) {
    if (fieldBytes <= 0) return;
    const size_t n = text ? strnlen(text, static_cast<size_t>(fieldBytes - 1)) : 0;
    if (n) std::memcpy(field, text, n);
    field[n] = '\0';
}

void CreateSectionBlocks() {
    FreeCrossSections();
    FreePlanSections();
    g_crossSectionCapacity = kSectionStartCapacity;
    g_planSectionCapacity = kSectionStartCapacity;
    GrowCrossSections();
    GrowPlanSections();
    ClearCrossSections();
    ClearPlanSections();
}
