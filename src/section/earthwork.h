#pragma once
// Average-end-area earthwork: the plan sections read from a plan cross-section file, the
// cut and fill areas between each section's ground and plan lines, their means and the
// volumes between consecutive sections, with running totals, diverted soil and balance.
// Every quantity is rounded when it is computed, so the printed values add up by hand.
#include <cstdint>
#include <filesystem>
#include <vector>

struct CrossSection;

extern double g_diversionRate;
extern double g_areaTolerance;  // a region or side area below it counts as 0
extern int32_t g_areaDecimals;
extern int32_t g_meanAreaDecimals;
extern int32_t g_volumeDecimals;
extern int32_t g_distanceDecimals;

extern double g_totalCut;
extern double g_totalFill;
extern double g_divertedVolume;
extern double g_earthBalance;  // not negative: surplus; negative: deficit

// Settings, totals and the earthwork file state at their start values.
void InitEarthworkDefaults();

// Matches the sections of the plan file `path` to the current sections by added distance
// and closes each plan line against the ground. The plan records are emptied first, so
// a section the file does not reach has no plan. 0 when read; -1 (nothing changed) when
// there are no stations, no current sections or the file cannot be opened.
int32_t ReadPlanOdnFile(const std::filesystem::path& path);

// Meeting point of the probe (x1, y1)-(x2, y2), in (offset, height), with the ground line
// of one side (0 left, 1 right) of `section`: 1 and the point, or 0.
int32_t ClosePlanSlopeWithGround(int32_t side, double x1, double y1, double x2, double y2,
                                 const CrossSection& section, double* offset, double* height);

// A work line in (offset, height), points from index 0.
struct EarthworkLine {
    std::vector<double> offset;
    std::vector<double> height;
    int32_t Count() const { return static_cast<int32_t>(offset.size()); }
    void Add(double o, double h) { offset.push_back(o), height.push_back(h); }
};

struct SideAreas {
    double cut = 0;
    double fill = 0;
};

// Cut and fill areas of one side (0 left, 1 right) between its ground line (point 1 the
// centre) and its plan line; each region rounded to the area decimals, below the area
// tolerance 0.
SideAreas CalcCutFillAreas(int32_t side, const EarthworkLine& ground, const EarthworkLine& plan);

// Every section's areas, means and volumes into its plan record, and the totals.
void CalcEarthwork();

// Marks every plan point by the ground near it within `distance`; with adjust != 0 moves
// the near points onto each other.
void AdjustCrossSectionPoints(double distance, int32_t adjust);
