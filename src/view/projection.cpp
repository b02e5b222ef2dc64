#include "view/projection.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "contour/slice_store.h"
#include "dxf/dxf_store.h"
#include "route/route_data.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/text_flags.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

int32_t g_projectionValid = 0;
double g_fitScale = 0;
double g_focalLength = 0;

namespace {
// Offsets beyond these are too large for the integer line and polygon code.
constexpr int32_t kPlanLimit = 1 << 29;
constexpr int32_t kBirdsEyeLimit = 1 << 23;

enum class Rounding { kNearest, kTowardZero, kDown };

double Round(double v, Rounding rounding) {
    switch (rounding) {
        case Rounding::kNearest:
            return std::round(v);
        case Rounding::kTowardZero:
            return std::trunc(v);
        case Rounding::kDown:
            // Truncation after a shift of 4096: rounds down for every value above -4096.
            return std::trunc(v + 4096.0) - 4096.0;
    }
    return v;
}

// Stores a whole-numbered offset; false when it lies outside -limit .. limit - 1. A far
// point is stored held to the range (at -limit when it is not a number).
bool StoreOffset(double v, int32_t limit, int32_t& out) {
    out = TruncToRaster(v, limit);
    return v >= -limit && v <= limit - 1.0;
}

struct PlanTransform {
    double centerX;
    double centerY;
    double scale;

    static constexpr bool kBirdsEye = false;

    // Writes the column and row offsets of (x, y); returns the off-screen flag. The plan
    // has no use for the elevation.
    int8_t Apply(double x, double y, double /*z*/, Rounding rounding, int32_t& column,
                 int32_t& row) const {
        const bool columnOk =
            StoreOffset(Round((y - centerY) * scale, rounding), kPlanLimit, column);
        const bool rowOk = StoreOffset(Round((x - centerX) * scale, rounding), kPlanLimit, row);
        return columnOk && rowOk ? 0 : 1;
    }
    // The marker size of the last record applied: the plan's own for its kind.
    int32_t Marker(int32_t planSize, int32_t /*cap*/ = 0) const { return planSize; }
};

// The bird's-eye camera (built by ProjectBirdsEye): v = (Y - eyeY, Z - eyeZ, X - eyeX),
// rows 0, 1, 2 of the camera matrix give column, row and depth d; a record is in front
// when d > g_nearPlane and is then drawn at g_focalLength x (column, row) / d.
struct BirdsEyeTransform {
    static constexpr bool kBirdsEye = true;
    mutable double depth = 0;  // of the last record applied; 0 when it was not in front

    int8_t Apply(double x, double y, double z, Rounding rounding, int32_t& column,
                 int32_t& row) const {
        const double* m = g_birdsEyeMatrix;
        const double east = y - g_eyeY, up = z - g_eyeZ, north = x - g_eyeX;
        const double a = m[0] * east + m[1] * up + m[2] * north;
        const double b = m[3] * east + m[4] * up + m[5] * north;
        const double d = m[6] * east + m[7] * up + m[8] * north;
        depth = 0;
        if (!(d > g_nearPlane)) return 1;
        depth = d;
        const bool columnOk =
            StoreOffset(Round(a * g_focalLength / d, rounding), kBirdsEyeLimit, column);
        const bool rowOk = StoreOffset(Round(b * g_focalLength / d, rounding), kBirdsEyeLimit, row);
        return columnOk && rowOk ? 0 : 1;
    }
    // 7 w / d (w the view width in metres, 35 near-plane lengths), at most `cap` when
    // one is given; 0 for a record not in front.
    int32_t Marker(int32_t /*planSize*/, int32_t cap = 0) const {
        if (depth <= 0) return 0;
        double size = std::trunc(35.0 * g_nearPlane / depth);
        if (cap > 0) size = std::min(size, static_cast<double>(cap));
        return std::max(TruncToRaster(size), 0);
    }
};

constexpr int32_t kPlanMarker = 6;
constexpr int32_t kRouteMarker = 7;
constexpr int32_t kTextFlagMarker = 10;

// Routes carry no elevation of their own; the bird's-eye view shows them at the highest
// point.
template <typename T, typename Record>
void ProjectIp(const T& t, Record& ip, int32_t cap) {
    ip.offScreen = 0;
    ip.offScreen = t.Apply(ip.x, ip.y, g_pointZMax, Rounding::kTowardZero, ip.screenX, ip.screenY);
    ip.markerSize = t.Marker(kRouteMarker, cap);
}

template <typename T>
void ProjectStation(const T& t, StationRecord& s) {
    const double z = g_pointZMax;
    s.offScreen = s.leftOffScreen = s.rightOffScreen = 0;
    s.offScreen = t.Apply(s.x, s.y, z, Rounding::kTowardZero, s.screenX, s.screenY);
    s.markerSize = t.Marker(kRouteMarker, 10);
    s.leftOffScreen =
        t.Apply(s.leftX, s.leftY, z, Rounding::kTowardZero, s.leftScreenX, s.leftScreenY);
    s.rightOffScreen =
        t.Apply(s.rightX, s.rightY, z, Rounding::kTowardZero, s.rightScreenX, s.rightScreenY);
}

// Records 1..count of a block, never past its end.
template <typename T>
int32_t LastRecord(const RecordBlock<T>& block, int32_t count) {
    return std::min(count, block.Size() - 1);
}

template <typename T>
void ProjectPoints(const T& t) {
    if (!g_pointsPresent || !g_points) return;
    const int32_t last = LastRecord(g_pointsBlock, g_pointCount);
    for (int32_t i = 1; i <= last && g_points[i].hidden >= 0; ++i) {
        RandomPoint& p = g_points[i];
        p.hidden = 0;
        p.hidden = t.Apply(p.x, p.y, p.z, Rounding::kNearest, p.screenX, p.screenY);
        p.multiUse = t.Marker(kPlanMarker, 10);
    }
}

template <typename T>
void ProjectRoutes(const T& t) {
    const int32_t ipCount = std::min(g_ipPointCount, kMaxIpPoints);
    for (int32_t i = 1; i <= ipCount; ++i) ProjectIp(t, g_ipPoints[i], 10);
    if (g_currentIp >= 1 && g_currentIp <= kMaxIpPoints) ProjectIp(t, g_ipPoints[g_currentIp], 10);

    if (g_stations) {
        const int32_t last = LastRecord(g_stationsBlock, g_stationCount);
        for (int32_t i = 1; i <= last; ++i) ProjectStation(t, g_stations[i]);
    }
    if (g_otherRouteStations) {
        const int32_t last = LastRecord(g_otherRouteStationsBlock, g_otherRouteStationCount);
        for (int32_t i = 1; i <= last; ++i)
            if (g_otherRouteStations[i].kind != kRouteSeparator)
                ProjectStation(t, g_otherRouteStations[i]);
    }
    const int32_t otherIpCount = std::min(g_otherRouteIpCount, kMaxIpPoints);
    for (int32_t i = 1; i <= otherIpCount; ++i) ProjectIp(t, g_otherRouteIps[i], 0);
}

template <typename T>
void ProjectDxf(const T& t) {
    DxfElement* elements = g_dxfElementsBlock.Data();
    if (!elements) return;
    if (T::kBirdsEye && !g_showBackgroundDxf) return;
    const int32_t last = LastRecord(g_dxfElementsBlock, g_dxfElementCount);
    for (int32_t i = 1; i <= last; ++i) {
        DxfElement& e = elements[i];
        e.offScreen = 0;
        e.offScreen = t.Apply(e.x, e.y, e.z, Rounding::kTowardZero, e.screenX, e.screenY);
        if constexpr (T::kBirdsEye) {
            // The painter scales the element's text by the perspective factor.
            const float factor = t.depth > 0 ? static_cast<float>(g_focalLength / t.depth) : 0.0f;
            std::memcpy(&e.projectionWord, &factor, sizeof factor);
        } else {
            e.projectionWord = kPlanMarker;
        }
    }
}

template <typename T>
void ProjectCrossings(const T& t, RecordBlock<OutlineCrossing>& block, int32_t count) {
    OutlineCrossing* crossings = block.Data();
    if (!crossings) return;
    const int32_t last = LastRecord(block, count);
    for (int32_t i = 1; i <= last; ++i) {
        OutlineCrossing& c = crossings[i];
        c.offScreen = 0;
        c.offScreen = t.Apply(c.x, c.y, c.z, Rounding::kTowardZero, c.screenColumn, c.screenRow);
        c.markerSize = t.Marker(kPlanMarker);
    }
}

template <typename T>
void ProjectMesh(const T& t) {
    // The calculation range is a plan drawing only.
    if (!T::kBirdsEye && g_meshAreaDefined) {
        const int32_t count = std::min(g_meshAreaPolygonCount, kMeshAreaPolygonEntries);
        for (int32_t i = 1; i <= count; ++i) {
            MeshAreaVertex& v = g_meshAreaPolygon[i];
            v.offScreen = 0;
            v.offScreen = t.Apply(v.x, v.y, 0, Rounding::kTowardZero, v.screenColumn, v.screenRow);
        }
    }
    if (!g_meshElevationsDone) return;

    if (MeshNode* nodes = g_meshNodes.Data()) {
        const int64_t nodeCount = int64_t{g_meshColumns} * g_meshRows;
        const int32_t last =
            g_meshColumns > 0 && g_meshRows > 0
                ? static_cast<int32_t>(std::min<int64_t>(nodeCount, g_meshNodes.Size() - 1))
                : 0;
        for (int32_t i = 1; i <= last; ++i) {
            MeshNode& n = nodes[i];
            const double z = n.planSource != 0 ? n.planZ : n.z;
            n.offScreen = 0;
            n.offScreen = t.Apply(n.x, n.y, z, Rounding::kTowardZero, n.screenColumn, n.screenRow);
            n.markerSize = t.Marker(kPlanMarker);
            if (g_meshVolumeDone) {
                n.centreOffScreen = 0;
                n.centreOffScreen = t.Apply(n.centreX, n.centreY, n.averageZ, Rounding::kTowardZero,
                                            n.centreScreenColumn, n.centreScreenRow);
                n.centreMarkerSize = t.Marker(kPlanMarker);
                // The cells of the last column and row have no corners beyond them.
                const bool lastColumn = i % g_meshColumns == 0;
                const bool lastRow = i > (g_meshRows - 1) * int64_t{g_meshColumns};
                if (T::kBirdsEye && (lastColumn || lastRow)) {
                    n.centreOffScreen = 1;
                    n.centreMarkerSize = 0;
                }
            }
        }
    }
    // The current-outline list is closed by the entry after its count.
    if (g_outlineCrossingCount > 1)
        ProjectCrossings(t, g_outlineCrossings, g_outlineCrossingCount + 1);
    if (g_planCrossingCount > 1) ProjectCrossings(t, g_planCrossings, g_planCrossingCount);
}

template <typename T>
void ProjectSliceLines(const T& t) {
    SliceStoreBlock* store = g_sliceStore.Data();
    if (!store || !g_showSliceContours) return;
    const int64_t blocks = g_sliceStore.Size();
    int64_t block = 1;
    for (int32_t line = 1; line <= g_sliceLineCount && block < blocks; ++line) {
        auto* header = reinterpret_cast<SliceLine*>(store[block].bytes);
        // A line whose vertices would run past the store is left alone (and so are the
        // lines after it, whose places depend on it).
        const int64_t room = (blocks - block) * kSliceStoreBlockBytes - sizeof(SliceLine);
        if (header->count < 0 || header->extraBlocks < 0 ||
            int64_t{header->count} * int64_t{sizeof(SliceVertex)} > room)
            break;
        SliceVertex* vertices = SliceLineVertices(header);
        for (int32_t k = 0; k < header->count; ++k) {
            SliceVertex& v = vertices[k];
            v.offScreen = 0;
            v.offScreen =
                t.Apply(v.x, v.y, header->elevation, Rounding::kTowardZero, v.screenX, v.screenY);
        }
        block += 1 + int64_t{header->extraBlocks};
    }
}

template <typename T>
void ProjectTextFlags(const T& t) {
    const int32_t count = std::min(g_textFlagCount, kMaxTextFlags);
    for (int32_t i = 1; i <= count; ++i) {
        TextFlag& f = g_textFlags[i];
        f.offScreen = 0;
        f.offScreen = t.Apply(f.x, f.y, f.z, Rounding::kTowardZero, f.screenX, f.screenY);
        f.markerSize = kTextFlagMarker;
        if constexpr (T::kBirdsEye) {
            if (f.offScreen) f.markerSize = 0;
        }
    }
}

template <typename T>
void ProjectRecords(const T& t) {
    ProjectPoints(t);
    ProjectRoutes(t);
    ProjectDxf(t);
    ProjectMesh(t);
    ProjectSliceLines(t);
    ProjectTextFlags(t);
}
}  // namespace

void ProjectAllData(int32_t n) {
    g_focalLength = g_bufferMaxX;
    PlanTransform t{};
    if (n > 0) {
        g_projectionValid = 0;
        g_fitScale = n / g_extentSize * 0.95;
        t = {g_extentCenterX, g_extentCenterY, g_fitScale};
    } else {
        g_projectionValid = 1;
        if (g_birdsEyeOn) {
            ProjectBirdsEye();
            return;
        }
        t = {g_viewCenterX, g_viewCenterY, g_viewScale};
    }
    ProjectRecords(t);
}

void ProjectRecordsBirdsEye() { ProjectRecords(BirdsEyeTransform{}); }

void ProjectRecord(RandomPoint& record) {
    if (!g_birdsEyeOn) {
        const PlanTransform t{g_viewCenterX, g_viewCenterY, g_viewScale};
        record.hidden = 0;
        record.hidden =
            t.Apply(record.x, record.y, record.z, Rounding::kDown, record.screenX, record.screenY);
        return;
    }
    const BirdsEyeTransform t;
    record.hidden =
        t.Apply(record.x, record.y, record.z, Rounding::kDown, record.screenX, record.screenY);
    record.multiUse = t.Marker(kPlanMarker, 10);
}
