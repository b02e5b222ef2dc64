#include "view/view_transform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "route/route_data.h"
#include "view/color_band_params.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
// The box that grows over the data; items without elevation start it at Z 0.
struct Box {
    bool started = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0, minZ = 0, maxZ = 0;

    void Add(double x, double y, double z) {
        if (!started) {
            Start(x, y, z);
            return;
        }
        AddPlan(x, y);
        minZ = std::min(minZ, z);
        maxZ = std::max(maxZ, z);
    }
    void Add(double x, double y) {
        if (!started) {
            Start(x, y, 0);
            return;
        }
        AddPlan(x, y);
    }

private:
    void Start(double x, double y, double z) {
        started = true;
        minX = maxX = x;
        minY = maxY = y;
        minZ = maxZ = z;
    }
    void AddPlan(double x, double y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
};

bool ValidPointIndex(int32_t i) { return i >= 1 && i <= g_pointCount && i < g_pointsBlock.Size(); }

// Points 1 up to the end marker (never past the count or the block).
int32_t LastPoint() {
    if (!g_points) return 0;
    const int32_t last = std::min(g_pointCount, g_pointsBlock.Size() - 1);
    int32_t i = 1;
    while (i <= last && g_points[i].hidden >= 0) ++i;
    return i - 1;
}

// Returns whether any random point entered the box.
bool AddRandomPoints(Box& box) {
    if (!g_pointsPresent || g_pointCount < 1) return false;
    bool added = false;
    const int32_t last = LastPoint();
    if (g_overviewExtent == 1) {
        for (int32_t i = 1; i <= last; ++i) {
            const RandomPoint& p = g_points[i];
            if (p.invalid != 0 || p.outside != 0) continue;
            box.Add(p.x, p.y, p.z);
            added = true;
        }
    } else if (g_overviewExtent == 2 && g_outline.Count() >= 2) {
        const int32_t n = std::min(g_outline.Count(), kIndexListMaxVertices);
        for (int32_t k = 1; k <= n; ++k) {
            const int32_t i = std::abs(g_outline[k]);
            if (!ValidPointIndex(i)) continue;
            const RandomPoint& p = g_points[i];
            box.Add(p.x, p.y, p.z);
            added = true;
        }
    } else {
        for (int32_t i = 1; i <= last; ++i) {
            const RandomPoint& p = g_points[i];
            box.Add(p.x, p.y, p.z);
            added = true;
        }
    }
    return added;
}

void AddStations(Box& box, const StationRecord* stations, const RecordBlock<StationRecord>& block,
                 int32_t count) {
    if (!stations) return;
    const int32_t last = std::min(count, block.Size() - 1);
    for (int32_t i = 1; i <= last; ++i) {
        const StationRecord& s = stations[i];
        if (s.kind == kRouteSeparator) continue;
        box.Add(s.x, s.y);
        box.Add(s.leftX, s.leftY);
        box.Add(s.rightX, s.rightY);
    }
}

void AddMesh(Box& box, bool randomPointsAdded) {
    const double a = g_meshRotation * 0.017453292519943295;
    const double s = std::sin(a), c = std::cos(a);
    const double x0 = g_meshOriginX, y0 = g_meshOriginY, l = g_meshLength, w = g_meshWidth;
    box.Add(x0, y0);
    box.Add(x0 + w * s, y0 + w * c);
    box.Add(x0 + l * c + w * s, y0 + w * c - l * s);
    box.Add(x0 + l * c, y0 - l * s);

    const MeshNode* nodes = g_meshNodes.Data();
    if (!g_meshElevationsDone || !nodes) return;
    const int32_t last = std::min(g_meshNodeCount, g_meshNodes.Size() - 1);
    if (last < 1) return;
    if (!randomPointsAdded) box.minZ = box.maxZ = nodes[1].z;
    for (int32_t i = 1; i <= last; ++i) {
        box.minZ = std::min(box.minZ, nodes[i].z);
        box.maxZ = std::max(box.maxZ, nodes[i].z);
    }
}

bool AnyData() {
    return g_pointsPresent || g_ipPointCount > 0 || g_stationCount > 0 ||
           g_otherRouteStationCount > 0 || g_otherRouteIpCount > 0 || g_dxfElementCount > 0 ||
           g_meshAreaDefined;
}

double Sq(double v) { return v * v; }
}  // namespace

void ComputeDataExtents(int32_t keepView) {
    if (!AnyData()) return;

    Box box;
    const bool pointsAdded = AddRandomPoints(box);
    for (int32_t i = 1; i <= std::min(g_ipPointCount, kMaxIpPoints); ++i)
        box.Add(g_ipPoints[i].x, g_ipPoints[i].y);
    AddStations(box, g_stations, g_stationsBlock, g_stationCount);
    AddStations(box, g_otherRouteStations, g_otherRouteStationsBlock, g_otherRouteStationCount);
    for (int32_t i = 1; i <= std::min(g_otherRouteIpCount, kMaxIpPoints); ++i)
        if (g_otherRouteIps[i].number != kRouteSeparator)
            box.Add(g_otherRouteIps[i].x, g_otherRouteIps[i].y);
    if (const DxfElement* elements = g_dxfElementsBlock.Data()) {
        const int32_t last = std::min(g_dxfElementCount, g_dxfElementsBlock.Size() - 1);
        for (int32_t i = 1; i <= last; ++i) box.Add(elements[i].x, elements[i].y);
    }
    if (g_meshAreaDefined) AddMesh(box, pointsAdded);
    // Nothing counted (say, only invalid points with the valid-points extent): keep the
    // extents as they are rather than invent a box.
    if (!box.started) return;

    const double side = std::max({box.maxX - box.minX, box.maxY - box.minY, box.maxZ - box.minZ});
    g_extentSize = 1.2 * side;
    if (!(g_extentSize >= 0.001)) g_extentSize = 1.0;
    g_extentCenterX = (box.minX + box.maxX) / 2;
    g_extentCenterY = (box.minY + box.maxY) / 2;
    g_extentCenterZ = (box.minZ + box.maxZ) / 2;

    if (keepView == 0) {
        g_viewCenterX = g_extentCenterX;
        g_viewCenterY = g_extentCenterY;
        g_dataBaseZ = box.minZ;
    }

    double zMin = box.minZ, zMax = box.maxZ;
    if (g_tinEdgeCount > 2 && g_tinEdges) {
        const int32_t last = std::min(g_tinEdgeCount, g_tinEdgesBlock.Size() - 1);
        bool started = false;
        double tinMin = 0, tinMax = 0;
        for (int32_t i = 1; i <= last; ++i) {
            const int32_t a = std::abs(g_tinEdges[i].a);
            if (!ValidPointIndex(a)) continue;
            const double z = g_points[a].z;
            if (!started) {
                tinMin = tinMax = z;
                started = true;
            }
            tinMin = std::min(tinMin, z);
            tinMax = std::max(tinMax, z);
        }
        if (started && tinMin < tinMax) {
            zMin = tinMin;
            zMax = tinMax;
        }
    }
    ColorBandParams& bands = g_colorBandParams;
    bands.dataHighest = zMax;
    bands.dataLowest = zMin;
    const double middleZ = (zMin + zMax) / 2;

    if (keepView == 0) {
        bands.waterShown = 0;
        bands.centre = middleZ;
        bands.highest = zMax;
        bands.lowest = zMin;
        bands.step = 0;
        bands.refX = g_extentCenterX;
        bands.refY = g_extentCenterY;
        bands.refH = middleZ;
        bands.refDirection = 0;
        bands.refInclination = 0;
        g_colorBandParamsCopy = bands;
        bands.waterLevel = middleZ;
    }
    if (bands.waterLevel < zMin || bands.waterLevel > zMax) bands.waterLevel = middleZ;

    if (keepView == 0) {
        g_birdsEyeOn = 0;
        SetViewScale(512 / g_extentSize);
    }
}

void IncludePointInExtents(int32_t i) {
    if (!ValidPointIndex(i) || !g_points) return;
    const RandomPoint& p = g_points[i];
    const double h = g_extentSize * 5 / 12;
    if (std::abs(p.x - g_extentCenterX) > h || std::abs(p.y - g_extentCenterY) > h) {
        g_overviewExtent = 0;
        g_redrawMask = -1;
        ComputeDataExtents(1);
    }
    g_pointZMin = std::min(g_pointZMin, p.z);
    g_pointZMax = std::max(g_pointZMax, p.z);
}

void ClientToGround(int32_t column, int32_t row, double& x, double& y) {
    x = g_viewCenterX + (g_viewportCenterY - row) / g_viewScale;
    y = g_viewCenterY + (column - g_viewportCenterX) / g_viewScale;
}

void PanByPixels(int32_t dx, int32_t dy) {
    const double s = 1 / g_viewScale;
    if (!g_birdsEyeOn) {
        g_viewCenterY -= dx * s;
        g_viewCenterX += dy * s;
        return;
    }
    const double a = g_birdsEyeAzimuth;
    g_viewCenterX += -dx * s * std::sin(a) + dy * s * std::cos(a);
    g_viewCenterY += -dx * s * std::cos(a) - dy * s * std::sin(a);
}

void CentreOnPixel3D(int32_t column, int32_t row) {
    if (!g_birdsEyeOn) return;
    double x, y, z;
    if (PickTinPoint3D(column, row, x, y, z) != 0) {
        g_viewCenterX = x;
        g_viewCenterY = y;
        return;
    }
    const double s = 1 / g_viewScale;
    const double a = g_birdsEyeAzimuth;
    g_viewCenterX += column * s * std::sin(a) + row * s * std::cos(a);
    g_viewCenterY += column * s * std::cos(a) - row * s * std::sin(a);
}

void PanByArrowKey(int32_t dx, int32_t dy) {
    double step = g_cursorStep / g_viewScale;
    const bool shift = IsKeyDown(key::kShift);
    if (!g_birdsEyeOn) {
        if (shift) step *= 0.1;
        g_viewCenterY += step * dx * g_bufferMaxX;
        g_viewCenterX += step * dy * g_bufferMaxY;
    } else if (shift) {
        g_birdsEyeAzimuth += dx * g_rotateStep * 0.5;
        g_birdsEyeTilt += dy * g_rotateStep * 0.3;
    } else {
        const double a = g_birdsEyeAzimuth;
        const double h = g_bufferMaxX * dx * step * 0.5;
        const double v = g_bufferMaxY * dy * step * 0.5;
        g_viewCenterX += h * std::sin(a) + v * std::cos(a);
        g_viewCenterY += h * std::cos(a) - v * std::sin(a);
    }
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void BirdsEyePickRay(int32_t column, int32_t row, double& dirX, double& dirY, double& dirZ) {
    // The ray in ground space (east, up, north), the up component back to true height.
    const double f = g_focalLength;
    const double cam[3] = {column / f, row / f, 1.0};
    const double length = std::sqrt(Sq(cam[0]) + Sq(cam[1]) + Sq(cam[2]));
    const double* pm = g_cameraMatrixPlain;
    double ray[3];
    for (int k = 0; k < 3; ++k)
        ray[k] = (pm[k] * cam[0] + pm[3 + k] * cam[1] + pm[6 + k] * cam[2]) / length;
    ray[1] /= g_heightScale;
    dirX = ray[2];
    dirY = ray[0];
    dirZ = ray[1];
}

int32_t PickTinPoint3D(int32_t column, int32_t row, double& x, double& y, double& z) {
    if (!g_tinPresent || !g_points || !g_tinEdges || !(g_focalLength > 0)) return 0;

    // Every random point through the bird's-eye projection; offsets beyond 20000 pixels
    // count as off screen (tested before the conversion to integers).
    constexpr double kLimit = 20000;
    const double* m = g_cameraMatrix;
    const double f = g_focalLength;
    const int32_t lastPoint = LastPoint();
    for (int32_t i = 1; i <= lastPoint; ++i) {
        RandomPoint& p = g_points[i];
        p.hidden = 1;
        const double east = p.y - g_eyeY, up = p.z - g_eyeZ, north = p.x - g_eyeX;
        const double d = m[6] * east + m[7] * up + m[8] * north;
        if (!(d > g_nearPlane)) continue;
        const double c = std::trunc(f * (m[0] * east + m[1] * up + m[2] * north) / d);
        const double r = std::trunc(f * (m[3] * east + m[4] * up + m[5] * north) / d);
        if (!(std::abs(c) <= kLimit && std::abs(r) <= kLimit)) continue;
        p.hidden = 0;
        p.screenX = static_cast<int32_t>(c);
        p.screenY = static_cast<int32_t>(r);
    }

    double dirX = 0, dirY = 0, dirZ = 0;
    BirdsEyePickRay(column, row, dirX, dirY, dirZ);

    int32_t result = 0;
    double bestT = 0;
    const int32_t lastEdge = std::min(g_tinEdgeCount, g_tinEdgesBlock.Size() - 1);
    for (int32_t i = 1; i <= lastEdge; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const int32_t ia = std::abs(e.a), ib = std::abs(e.b), ic = std::abs(e.apexSearch);
        if (!ValidPointIndex(ia) || !ValidPointIndex(ib) || !ValidPointIndex(ic)) continue;
        const RandomPoint& A = g_points[ia];
        const RandomPoint& B = g_points[ib];
        const RandomPoint& C = g_points[ic];
        if (A.hidden != 0 || B.hidden != 0 || C.hidden != 0) continue;
        // (P - Q) x (R - Q) on the screen, positive for the triangles that face the eye.
        auto side = [](int64_t pc, int64_t pr, int64_t qc, int64_t qr, int64_t rc, int64_t rr) {
            return (pr - qr) * (rc - qc) - (rr - qr) * (pc - qc);
        };
        if (side(A.screenX, A.screenY, B.screenX, B.screenY, C.screenX, C.screenY) <= 0) continue;
        if (side(A.screenX, A.screenY, B.screenX, B.screenY, column, row) < 0 ||
            side(B.screenX, B.screenY, C.screenX, C.screenY, column, row) < 0 ||
            side(C.screenX, C.screenY, A.screenX, A.screenY, column, row) < 0)
            continue;

        const double ux = A.x - B.x, uy = A.y - B.y, uz = A.z - B.z;
        const double vx = C.x - B.x, vy = C.y - B.y, vz = C.z - B.z;
        double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        const double norm = std::sqrt(Sq(nx) + Sq(ny) + Sq(nz));
        if (!(norm > 0)) continue;
        nx /= norm;
        ny /= norm;
        nz /= norm;
        const double w = nx * dirX + ny * dirY + nz * dirZ;
        if (std::abs(w) < 1e-8) continue;
        const double t = -(nx * (g_eyeX - B.x) + ny * (g_eyeY - B.y) + nz * (g_eyeZ - B.z)) / w;
        if (result != 0 && t >= bestT) continue;
        bestT = t;
        result = i;
        x = g_eyeX + t * dirX;
        y = g_eyeY + t * dirY;
        z = g_eyeZ + t * dirZ;
    }
    return result;
}

void ScrollToCentreY(int32_t pos) {
    const ScrollInfo& bar = g_horzScrollInfo;
    if (bar.max <= 0) return;
    g_viewCenterY = (pos - (bar.max - bar.page) / 2) * g_extentSize / bar.max + g_extentCenterY;
}

void ScrollToCentreX(int32_t pos) {
    const ScrollInfo& bar = g_vertScrollInfo;
    if (bar.max <= 0) return;
    g_viewCenterX = ((bar.max - bar.page) / 2 - pos) * g_extentSize / bar.max + g_extentCenterX;
}
