#include "volume/mesh_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/message_box.h"

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

const char* const kMeshMemoryMessage = "メッシュデータ用メモリが確保できませんでした。";
const char* const kPlanLineLimitMessage = "計画線は1000本までです。これ以上追加できません。";
const char* const kMeshAreaLimitMessage = "計算範囲の頂点が多すぎます（32点まで）。";

MeshFrame CurrentMeshFrame() {
    const double t = g_meshRotation * kMeshDegreesToRadians;
    MeshFrame f;
    f.originX = g_meshOriginX;
    f.originY = g_meshOriginY;
    f.cosT = std::cos(t);
    f.sinT = std::sin(t);
    return f;
}

int32_t MeshNodeLineCount(double extent, double pitch) {
    if (!(pitch > 0) || !(extent >= 0)) return 0;
    const double q = std::trunc(extent / pitch);
    if (!(q < std::numeric_limits<int32_t>::max() - 1)) return 0;
    return static_cast<int32_t>(q) + 1;
}

void MeshNodePosition(const MeshFrame& frame, int32_t column, int32_t row, double* x, double* y) {
    frame.ToMap((column - 1) * g_meshPitchLength, (row - 1) * g_meshPitchWidth, x, y);
}

int32_t PrepareMeshNodeBlock(int32_t columns, int32_t rows) {
    if (columns < 1 || rows < 1) return -1;
    const int64_t n = int64_t{columns} * rows;
    const int64_t records = n + n / 2;
    // Node numbers and the block's record numbers are 32-bit.
    if (records >= std::numeric_limits<int32_t>::max()) return -1;
    if (GrowMeshNodeBlock(static_cast<int32_t>(records)) != 0) return -1;
    g_meshNodes.Zero(0, static_cast<int32_t>(records));
    g_meshColumns = columns;
    g_meshRows = rows;
    g_meshNodeCount = static_cast<int32_t>(n);
    return 0;
}

void ResetMeshResults() {
    if (MeshNode* nodes = g_meshNodes.Data()) {
        const int64_t n = g_meshNodeCount;
        const int64_t last = std::min<int64_t>(n + n / 2 - 1, g_meshNodes.Size() - 1);
        for (int64_t i = 1; i <= last; ++i) {
            MeshNode& node = nodes[i];
            node.planZ = node.z;
            node.planSource = 0;
            node.averageZ = node.planAverageZ = node.cut = node.fill = 0;
        }
    }
    for (int32_t i = 1; i <= std::min(g_planLineCount, kMaxPlanLines); ++i) {
        g_planLines[i].path.clear();
        g_planLines[i].first = g_planLines[i].last = 0;
    }
    g_planLineCount = 0;
    g_planCrossingCount = 0;
    g_meshPlanDone = 0;
}

void CalcMeshCellCentres() {
    MeshNode* nodes = g_meshNodes.Data();
    if (!nodes) return;
    const MeshFrame f = CurrentMeshFrame();
    const double dx = f.cosT * g_meshPitchLength / 2 + f.sinT * g_meshPitchWidth / 2;
    const double dy = f.cosT * g_meshPitchWidth / 2 - f.sinT * g_meshPitchLength / 2;
    const int64_t last = std::min<int64_t>(int64_t{g_meshColumns} * g_meshRows, g_meshNodes.Size() - 1);
    for (int64_t i = 1; i <= last; ++i) {
        nodes[i].centreX = nodes[i].x + dx;
        nodes[i].centreY = nodes[i].y + dy;
    }
}

namespace {
CrossingLookup FindCrossing(const RecordBlock<OutlineCrossing>& block, int32_t count, int32_t rowKey,
                            int32_t columnKey) {
    CrossingLookup found;
    const OutlineCrossing* entries = block.Data();
    if (!entries) return found;
    const int32_t last = std::min(count, block.Size() - 1);
    if (last <= 1) return found;
    for (int32_t i = 1; i <= last; ++i) {
        const OutlineCrossing& e = entries[i];
        if (e.vertexClass != 0 || e.row != rowKey || e.column != columnKey) continue;
        found.entry = i;
        found.x = e.x;
        found.y = e.y;
        found.z = e.z;
        found.screenColumn = e.screenColumn;
        found.screenRow = e.screenRow;
        break;
    }
    return found;
}
}  // namespace

CrossingLookup FindOutlineCrossing(int32_t rowKey, int32_t columnKey) {
    return FindCrossing(g_outlineCrossings, g_outlineCrossingCount, rowKey, columnKey);
}

CrossingLookup FindPlanCrossing(int32_t rowKey, int32_t columnKey) {
    return FindCrossing(g_planCrossings, g_planCrossingCount, rowKey, columnKey);
}

bool PlanLineCountFits(int32_t count) {
    if (count <= kMaxPlanLines) return true;
    ShowMessage(kPlanLineLimitMessage, "", msg::kOk | msg::kIconWarning);
    return false;
}

bool MeshAreaPolygonFits(int32_t entries) {
    if (entries <= kMeshAreaPolygonEntries) return true;
    ShowMessage(kMeshAreaLimitMessage, "", msg::kOk | msg::kIconWarning);
    return false;
}

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
