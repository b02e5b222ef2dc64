#pragma once
// The sections along the current route: the current-ground cross sections, the plan
// sections with their earthwork quantities, and the longitudinal CROSS list. Section n
// belongs to route station n; records are numbered from 1.
//
// Each record keeps its own growable point list (entry j of both sides at points[j],
// entry 0 unused), so a record holds as many points as memory allows; `extraBlocks` still
// tells how many 125-entry continuation blocks the points would need in a file's terms.
#include <cstdint>
#include <vector>

constexpr int32_t kSectionNameBytes = 32;
constexpr int32_t kSectionBlockEntries = 125;
constexpr int32_t kSectionStartCapacity = 500;

struct SectionPoint {
    double leftHeight;
    double leftOffset;  // negative
    double leftX;
    double leftY;
    double rightHeight;
    double rightOffset;  // positive
    double rightX;
    double rightY;
    int32_t leftNamed;
    int32_t rightNamed;
    char leftName[kSectionNameBytes];
    char rightName[kSectionNameBytes];
};

struct CrossSection {
    int32_t number;
    int32_t centreEstimated;  // 1 when height is not a ground value
    int32_t leftCount;
    int32_t rightCount;
    int32_t extraBlocks;
    double distance;
    double singleDistance;
    double height;
    double height2;
    double centreX;
    double centreY;
    double leftDirX;
    double leftDirY;
    double rightDirX;
    double rightDirY;
    char name[kSectionNameBytes];
    std::vector<SectionPoint> points;
};

struct PlanPoint {
    double leftHeight;
    double leftOffset;
    double leftX;
    double leftY;
    double rightHeight;
    double rightOffset;
    double rightX;
    double rightY;
    int32_t leftMark;
    int32_t rightMark;
};

struct PlanSection {
    int32_t kind;
    int32_t leftCount;
    int32_t rightCount;
    int32_t extraBlocks;
    double planHeight;
    double cutArea, meanCutArea, cutVolume;
    double fillArea, meanFillArea, fillVolume;
    std::vector<PlanPoint> points;
};

struct LongCrossing {
    double distance;
    double height;
    double height2;
    double x;
    double y;
    int32_t station;  // -1 for a crossing between stations
    char name[20];
};

// Records 1..capacity (index 0 unused); empty until first grown.
extern std::vector<CrossSection> g_crossSections;
extern int32_t g_crossSectionCount;
extern int32_t g_crossSectionCapacity;
extern std::vector<PlanSection> g_planSections;
extern int32_t g_planSectionCount;
extern int32_t g_planSectionCapacity;

extern std::vector<LongCrossing> g_longCrossings;  // 1-based
extern int32_t g_longCrossingCount;
extern int32_t g_longCrossingCapacity;

extern int32_t g_hasSections;
extern int32_t g_sectionViewCount;
extern int32_t g_currentSection;
extern double g_sectionWidthSpan;
extern double g_sectionHeightSpan;
// Picked points of the cross-section window (1-based, 0 none).
extern int32_t g_sectionHitLeftPoint;
extern int32_t g_sectionHitRightPoint;

// Resize the blocks to their capacity global: 0, or -1 with the records kept (the caller
// restores the capacity). A first call makes zeroed records.
int32_t GrowCrossSections();
int32_t GrowPlanSections();
void FreeCrossSections();
void FreePlanSections();
// Raises the capacity by `step` and grows when capacity < n + margin; false (capacity and
// records as they were, after a message) when memory fails.
bool EnsureCrossSectionRoom(int32_t n, int32_t margin, int32_t step);
bool EnsurePlanSectionRoom(int32_t n, int32_t margin, int32_t step);

// Empty every record (counts, number, name); the section count becomes 0. False when no
// block exists.
bool ClearCrossSections();
bool ClearPlanSections();

// Record n, or null when no block exists or n is outside 1..capacity.
CrossSection* GetCrossSection(int32_t n);
PlanSection* GetPlanSection(int32_t n);

// Room for entries 1..n on both sides of a record; false (record unchanged) when memory
// fails.
bool ReserveSectionPoints(CrossSection* section, int32_t n);
bool ReservePlanPoints(PlanSection* section, int32_t n);
// The continuation blocks a side of `count` points would take.
int32_t SectionExtraBlocks(int32_t leftCount, int32_t rightCount);

// Deletes right point k (k > 0) or left point |k| (k < 0) of section g_currentSection; the
// later points move down with their names. Anything else changes nothing.
void DeleteSectionPoint(int32_t k);

// Exchanges X and Y of every plan position the sections hold (centres, directions, side
// points of the cross and plan sections, the CROSS list), for data delivered with north
// and east exchanged.
void SwapSectionAxes();

// Resize the CROSS list to n entries: 0, or -1 with the old list kept; n = 0 frees it.
int32_t GrowLongCrossingBlock(int32_t n);

// Copies a name into a fixed field, cut to fit with its terminator.
void CopySectionName(char* field, int32_t fieldBytes, const char* text);

// Both blocks at their start size and empty (the frame does this once at start).
void CreateSectionBlocks();
