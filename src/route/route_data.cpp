#include "route/route_data.h"

#include <cstring>

#include "model/terrain_data.h"

IpPoint g_ipPoints[kMaxIpPoints + 1];
int32_t g_ipPointCount = 0;
int32_t g_currentIp = 0;
IpPoint g_ipEdit;

StationRecord* g_stations = nullptr;
RecordBlock<StationRecord> g_stationsBlock;
int32_t g_stationCount = 0;
int32_t g_stationCapacity = 0;
int32_t g_currentStation = 0;
int32_t g_nextStakeStation = 0;
int32_t g_nextRightStakeStation = 0;

double g_plusStakes[kMaxPlusStakes + 1];
int32_t g_plusStakeCount = 0;

IpPoint g_otherRouteIps[kMaxIpPoints + 1];
int32_t g_otherRouteIpCount = 0;
StationRecord* g_otherRouteStations = nullptr;
RecordBlock<StationRecord> g_otherRouteStationsBlock;
int32_t g_otherRouteStationCount = 0;
int32_t g_otherRouteStationCapacity = 0;

double g_stationInterval = 20.0;
double g_leftCutWidth = 30.0;
double g_rightCutWidth = 30.0;
double g_bpAddedDistance = 0.0;
double g_bpBackDistance = 0.0;
double g_epForwardDistance = 0.0;
int32_t g_firstStationNumber = 1;
int32_t g_stationNaming = 0;
int32_t g_clothoidNaming = 1;
int32_t g_outputSingleCurveSp = 0;
int32_t g_makeAuxStations = 0;
double g_routeTolerance = 0.01;

namespace {
int32_t Grow(RecordBlock<StationRecord>& block, StationRecord*& pointer, int32_t n) {
    const int32_t r = block.Resize(n);
    pointer = block.Data();
    return block.Empty() && n > 0 ? -1 : r;
}

void FreeRouteBlocks() {
    GrowStationBlock(0);
    GrowOtherRouteStationBlock(0);
}

// Empty tables and the parameters the program starts with.
void ResetRouteData() {
    std::memset(g_ipPoints, 0, sizeof g_ipPoints);
    std::memset(g_otherRouteIps, 0, sizeof g_otherRouteIps);
    std::memset(&g_ipEdit, 0, sizeof g_ipEdit);
    std::memset(g_plusStakes, 0, sizeof g_plusStakes);
    g_ipPointCount = 0;
    g_currentIp = 0;
    g_stationCount = 0;
    g_stationCapacity = 0;
    g_currentStation = 0;
    g_nextStakeStation = 0;
    g_nextRightStakeStation = 0;
    g_plusStakeCount = 0;
    g_otherRouteIpCount = 0;
    g_otherRouteStationCount = 0;
    g_otherRouteStationCapacity = 0;

    g_stationInterval = 20.0;
    g_leftCutWidth = 30.0;
    g_rightCutWidth = 30.0;
    g_bpAddedDistance = 0.0;
    g_bpBackDistance = 0.0;
    g_epForwardDistance = 0.0;
    g_firstStationNumber = 1;
    g_stationNaming = 0;
    g_clothoidNaming = 1;
    g_outputSingleCurveSp = 0;
    g_makeAuxStations = 0;
    g_routeTolerance = 0.01;
}

const bool g_registered = [] {
    RegisterDataBlockRelease(FreeRouteBlocks);
    RegisterDataModelReset(ResetRouteData);
    return true;
}();
}  // namespace

int32_t GrowStationBlock(int32_t n) { return Grow(g_stationsBlock, g_stations, n); }

int32_t GrowOtherRouteStationBlock(int32_t n) {
    return Grow(g_otherRouteStationsBlock, g_otherRouteStations, n);
}
