#include "volume/outline_crossings.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "model/geometry.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "volume/mesh_data.h"

namespace {

constexpr int32_t kGrowStep = 1000;
constexpr int32_t kMargin = 10;

bool IsPoint(int32_t p) { return p >= 1 && p <= g_pointCount; }

void DropList(const char* message) {
    ShowMessage(message, "", msg::kOk | msg::kIconError);
    g_outlineCrossingCount = 0;
    g_outlineCrossingCapacity = 0;
    GrowOutlineCrossingBlock(0);
}

}  // namespace

int32_t CalcOutlineMeshCrossings() {
    const int32_t n = g_outline.Count();
    if (n < 4) return kOutlineTooShort;
    if (n > kIndexListMaxVertices) return kOutlineTooShort;
    for (int32_t s = 1; s <= n; ++s)
        if (!IsPoint(g_outline[s])) return kOutlineTooShort;

    if (g_outlineCrossingCapacity < 4 * n || g_outlineCrossings.Size() < 4 * n) {
        if (GrowOutlineCrossingBlock(4 * n) != 0) {
            ShowMessage("外周とメッシュ交点データ用メモリが確保できませんでした。", "", msg::kOk | msg::kIconError);
            g_outlineCrossingCount = 0;
            return kOutlineCrossingsNoMemory;
        }
        g_outlineCrossingCapacity = 4 * n;
    }

    const MeshFrame f = CurrentMeshFrame();
    const double pl = g_meshPitchLength, pw = g_meshPitchWidth;
    const double K = std::trunc(g_meshLength / pl) * pl;
    const double H = std::trunc(g_meshWidth / pw) * pw;
    std::vector<double> xs, ys;
    const int32_t rangeCount = std::min(g_meshAreaPolygonCount, kMeshAreaPolygonEntries);
    const bool haveRange = rangeCount > 0;
    if (haveRange) {
        for (int32_t i = 1; i <= rangeCount; ++i) {
            xs.push_back(g_meshAreaPolygon[i].x);
            ys.push_back(g_meshAreaPolygon[i].y);
        }
    } else {
        const double ring[5][2] = {{0, 0}, {K, 0}, {K, H}, {0, H}, {0, 0}};
        for (const auto& p : ring) {
            double x, y;
            f.ToMap(p[0], p[1], &x, &y);
            xs.push_back(x);
            ys.push_back(y);
        }
    }
    auto classify = [&](double x, double y) {
        int cls = 0;
        ClassifyPointInPolygon(0, xs.data(), ys.data(), static_cast<int>(xs.size()), x, y, 0.001, &cls);
        return cls;
    };

    g_outlineCrossingCount = 0;
    // Appends one entry, growing the list first when it nears its capacity.
    auto append = [&](const OutlineCrossing& entry, const char* growFailure) {
        if (g_outlineCrossingCount + 1 + kMargin > g_outlineCrossingCapacity) {
            if (GrowOutlineCrossingBlock(g_outlineCrossingCapacity + kGrowStep) != 0) {
                DropList(growFailure);
                return false;
            }
            g_outlineCrossingCapacity += kGrowStep;
        }
        g_outlineCrossings.Data()[++g_outlineCrossingCount] = entry;
        return true;
    };

    for (int32_t s = 1; s <= n; ++s) {
        const RandomPoint& A = g_points[g_outline[s]];
        const RandomPoint& B = g_points[s < n ? g_outline[s + 1] : g_outline[1]];
        OutlineCrossing vertex{};
        vertex.x = A.x;
        vertex.y = A.y;
        vertex.z = vertex.planZ = A.z;
        vertex.vertexClass = classify(A.x, A.y);
        if (vertex.vertexClass != kPolygonOutside) {
            double a, b;
            f.ToFrame(A.x, A.y, &a, &b);
            vertex.row = static_cast<int32_t>(std::trunc(std::fabs(b) / pw)) + 1;
            vertex.column = static_cast<int32_t>(std::trunc(std::fabs(a) / pl)) + 1;
        }
        if (!append(vertex, "現況外周とメッシュ交点データ用メモリが拡張できませんでした。")) return kOutlineCrossingsNoMemory;
        const int32_t firstCrossing = g_outlineCrossingCount + 1;
        const double segment = std::hypot(B.x - A.x, B.y - A.y);

        // Line from frame (a0, b0) to (a1, b1); the key along it counts pitches from its start.
        auto crossLine = [&](double a0, double b0, double a1, double b1, bool rowLine, int32_t number,
                             const char* growFailure) {
            double sx, sy, ex, ey;
            f.ToMap(a0, b0, &sx, &sy);
            f.ToMap(a1, b1, &ex, &ey);
            double px = 0, py = 0;
            int cls = 1;
            if (IntersectSegments(A.x, A.y, B.x, B.y, sx, sy, ex, ey, 0, 0.001, 0.0001, &px, &py, &cls) != kGeomOk ||
                cls != 0)
                return true;
            if (haveRange && classify(px, py) == kPolygonOutside) return true;
            OutlineCrossing c{};
            c.x = px;
            c.y = py;
            c.distance = std::hypot(px - A.x, py - A.y);
            c.z = c.planZ = segment > 0 ? A.z + (B.z - A.z) * c.distance / segment : A.z;
            const double along = std::hypot(px - sx, py - sy);
            if (rowLine) {
                c.column = -(static_cast<int32_t>(std::trunc(along / pl)) + 1);
                c.row = number;
            } else {
                c.column = number;
                c.row = -(static_cast<int32_t>(std::trunc(along / pw)) + 1);
            }
            return append(c, growFailure);
        };
        for (int32_t k = 1; k <= g_meshRows; ++k)
            if (!crossLine(0, (k - 1) * pw, K, (k - 1) * pw, true, k,
                           "現況外周とメッシュ交点データ用メモリが拡張できませんでした。"))
                return kOutlineCrossingsNoMemory;
        for (int32_t j = 1; j <= g_meshColumns; ++j)
            if (!crossLine((j - 1) * pl, 0, (j - 1) * pl, H, false, j,
                           "外周とメッシュ交点データ用メモリが拡張できませんでした。"))
                return kOutlineCrossingsNoMemory;

        OutlineCrossing* e = g_outlineCrossings.Data();
        for (int32_t i = firstCrossing; i < g_outlineCrossingCount; ++i)
            for (int32_t j = i + 1; j <= g_outlineCrossingCount; ++j)
                if (e[j].distance < e[i].distance) std::swap(e[i], e[j]);
    }
    g_outlineCrossings.Data()[g_outlineCrossingCount + 1] = g_outlineCrossings.Data()[1];
    return kOutlineCrossingsDone;
}
