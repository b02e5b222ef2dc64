#include "volume/mesh_data.h"

#include <cstring>

#include "model/terrain_data.h"

double g_meshOriginX = 0;
double g_meshOriginY = 0;
double g_meshRotation = 0;
double g_meshLength = 0;
double g_meshWidth = 0;
double g_meshPitchLength = 20;
double g_meshPitchWidth = 20;
double g_meshVolumeZeroLimit = 0;
int32_t g_meshColumns = 0;
int32_t g_meshRows = 0;
int32_t g_meshAreaDefined = 0;
int32_t g_meshElevationsDone = 0;
int32_t g_meshPlanDone = 0;
int32_t g_meshVolumeDone = 0;
int32_t g_meshSectionDirection = 0;
int32_t g_meshAverageDigits = 3;
int32_t g_meshVolumeDigits = 3;
int32_t g_meshStationNameStyleV = 0;
int32_t g_meshStationNameStyleH = 0;
int32_t g_meshNodeCount = 0;
std::string g_meshFilePath = "no_name.msh";
std::string g_meshVolumeFilePath = "no_name.mvo";

RecordBlock<MeshNode> g_meshNodes;
RecordBlock<MeshNode> g_meshSectionBlock;
int32_t g_meshSectionPointCount = 0;
RecordBlock<OutlineCrossing> g_outlineCrossings;
int32_t g_outlineCrossingCount = 0;
int32_t g_outlineCrossingCapacity = 0;
RecordBlock<OutlineCrossing> g_planCrossings;
int32_t g_planCrossingCount = 0;
int32_t g_planCrossingCapacity = 0;

PlanLine g_planLines[kMaxPlanLines + 1];
int32_t g_planLineCount = 0;

MeshAreaVertex g_meshAreaPolygon[kMeshAreaPolygonEntries + 1];
int32_t g_meshAreaPolygonCount = 0;

namespace {
constexpr size_t kSpareBytes = 8192;

void FreeMeshBlocks() {
    g_meshNodes.Release();
    g_meshSectionBlock.Release();
    g_outlineCrossings.Release();
    g_planCrossings.Release();
}

void ResetMeshData() {
    g_meshOriginX = g_meshOriginY = g_meshRotation = 0;
    g_meshLength = g_meshWidth = 0;
    g_meshPitchLength = g_meshPitchWidth = 20;
    g_meshVolumeZeroLimit = 0;
    g_meshColumns = g_meshRows = g_meshNodeCount = 0;
    g_meshAreaDefined = g_meshElevationsDone = g_meshPlanDone = g_meshVolumeDone = 0;
    g_meshSectionDirection = 0;
    g_meshAverageDigits = g_meshVolumeDigits = 3;
    g_meshStationNameStyleV = g_meshStationNameStyleH = 0;
    g_meshFilePath = "no_name.msh";
    g_meshVolumeFilePath = "no_name.mvo";
    g_outlineCrossingCount = g_outlineCrossingCapacity = 0;
    g_meshSectionPointCount = 0;
    g_planCrossingCount = g_planCrossingCapacity = 0;
    for (PlanLine& line : g_planLines) line = PlanLine{};
    g_planLines[1].path = "no_name.msh";
    g_planLineCount = 0;
    std::memset(g_meshAreaPolygon, 0, sizeof g_meshAreaPolygon);
    g_meshAreaPolygonCount = 0;
}

const bool g_registered = [] {
    RegisterDataBlockRelease(FreeMeshBlocks);
    RegisterDataModelReset(ResetMeshData);
    return true;
}();

template <typename T>
int32_t Grow(RecordBlock<T>& block, int32_t n) {
    const int32_t r = block.Resize(n, kSpareBytes);
    return block.Empty() && n > 0 ? -1 : r;
}
}  // namespace

int32_t GrowMeshNodeBlock(int32_t n) { return Grow(g_meshNodes, n); }
int32_t GrowOutlineCrossingBlock(int32_t n) { return Grow(g_outlineCrossings, n); }
int32_t GrowPlanCrossingBlock(int32_t n) { return Grow(g_planCrossings, n); }
int32_t GrowMeshSectionBlock(int32_t n) { return Grow(g_meshSectionBlock, n); }

std::string MeshLineName(int32_t n, int32_t style) {
    if (style != 1 || n < 1) return std::to_string(n);
    if (n <= 26) return std::string(1, static_cast<char>('A' + n - 1));
    int32_t q = n / 26, r = n % 26;
    if (r == 0) {
        q -= 1;
        r = 26;
    }
    std::string name;
    if (q > 26) name = MeshLineName(q, 1);  // beyond ZZ the first part grows
    else name = std::string(1, static_cast<char>('A' + q - 1));
    return name + static_cast<char>('A' + r - 1);
}
