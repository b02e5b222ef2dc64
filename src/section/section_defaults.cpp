#include "section/section_defaults.h"

#include "route/route_data.h"
#include "volume/mesh_data.h"

double g_crossSectionInterval = 10.0;
int32_t g_sectionIntervalMode = 0;
int32_t g_sectionInterpolation = 0;
int32_t g_calcLongCrossings = 0;
int32_t g_planSurfaceOnly = 0;

void InitRouteSectionDefaults() {
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
