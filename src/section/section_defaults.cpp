#include "section/section_defaults.h"

#include "route/route_data.h"
#include "section/earthwork.h"
#include "section/section_records.h"
#include "volume/mesh_data.h"

double g_crossSectionInterval = 10.0;
int32_t g_sectionIntervalMode = 0;
int32_t g_sectionInterpolation = 0;
int32_t g_calcLongCrossings = 0;
int32_t g_followSurface = 0;
int32_t g_planSurfaceOnly = 0;
int32_t g_sectionEditMode = 0;
int32_t g_sectionViewMode = 0;
SectionWindowRect g_sectionWndRect = {0, 0, 0, 0};
uint32_t g_sectionViewColors[kSectionViewColorSlots] = {};

namespace {
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
}  // namespace

void InitRouteSectionDefaults() {
    FreeCrossSections();
    FreePlanSections();
    GrowLongCrossingBlock(0);
    g_crossSectionCapacity = kSectionStartCapacity;
    g_planSectionCapacity = kSectionStartCapacity;
    g_crossSectionCount = 0;
    g_planSectionCount = 0;
    g_longCrossingCount = 0;
    g_longCrossingCapacity = 0;
    g_hasSections = 0;
    g_sectionViewCount = 0;
    g_sectionWidthSpan = 50.0;
    g_sectionHeightSpan = 50.0;
    g_currentSection = 0;
    g_sectionHitLeftPoint = 0;
    g_sectionHitRightPoint = 0;
    g_sectionEditMode = 0;
    g_sectionViewMode = 0;
    g_sectionWndRect = {0, 0, 0, 0};
    InitEarthworkDefaults();
    ResetSectionViewColors();

    g_stationInterval = 20.0;
    g_crossSectionInterval = 10.0;
    g_leftCutWidth = 30.0;
    g_rightCutWidth = 30.0;
    g_bpAddedDistance = 0.0;
    g_bpBackDistance = 0.0;
    g_epForwardDistance = 0.0;
    g_firstStationNumber = 1;
    g_stationNaming = 0;
    g_clothoidNaming = 1;
    g_sectionIntervalMode = 0;
    g_sectionInterpolation = 0;
    g_calcLongCrossings = 0;
    g_followSurface = 0;
    g_planSurfaceOnly = 0;

    g_meshFilePath.clear();
    g_meshVolumeFilePath.clear();
    g_meshPitchLength = 20.0;
    g_meshPitchWidth = 20.0;
    g_meshVolumeZeroLimit = 0.0;
    g_meshAreaDefined = 0;
    g_meshElevationsDone = 0;
    g_meshPlanDone = 0;
    g_meshVolumeDone = 0;
    g_meshSectionDirection = 0;
    g_meshAverageDigits = 3;
    g_meshVolumeDigits = 3;
    g_meshStationNameStyleV = 0;
    g_meshStationNameStyleH = 0;
}

void ResetSectionViewColors() {
    const uint32_t colors[] = {Rgb(255, 0, 0),     Rgb(255, 255, 255), Rgb(130, 0, 0),   Rgb(128, 128, 0),
                               Rgb(128, 0, 128),   Rgb(0, 255, 0),     Rgb(255, 255, 0), Rgb(255, 0, 255),
                               Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(255, 192, 192)};
    for (int32_t i = 0; i < kSectionViewColorSlots; ++i) g_sectionViewColors[i] = i < 11 ? colors[i] : 0;
}
