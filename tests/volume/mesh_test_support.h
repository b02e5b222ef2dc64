#pragma once
// Mesh fixtures: an unrotated grid with hand-filled nodes, and crossing lists built here
// from a polygon by plain segment arithmetic (not by the program's crossing code).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "volume/mesh_data.h"

namespace meshtest {

struct Vertex {
    double x, y, z;
};

// Frame at (x0, y0), rotation 0, length x width, pitches pl and pw; every node at its
// grid position with elevation z(x, y), valid, planZ = z.
inline void MakeMesh(double x0, double y0, double length, double width, double pl, double pw,
                     const std::function<double(double, double)>& z) {
    g_meshOriginX = x0;
    g_meshOriginY = y0;
    g_meshRotation = 0;
    g_meshLength = length;
    g_meshWidth = width;
    g_meshPitchLength = pl;
    g_meshPitchWidth = pw;
    ASSERT_EQ(PrepareMeshNodeBlock(MeshNodeLineCount(length, pl), MeshNodeLineCount(width, pw)), 0);
    const MeshFrame frame = CurrentMeshFrame();
    for (int32_t r = 1; r <= g_meshRows; ++r)
        for (int32_t c = 1; c <= g_meshColumns; ++c) {
            MeshNode& n = g_meshNodes.Data()[MeshNodeNumber(c, r)];
            MeshNodePosition(frame, c, r, &n.x, &n.y);
            n.column = c;
            n.row = r;
            n.z = n.planZ = z(n.x, n.y);
            n.valid = 1;
        }
    g_meshAreaDefined = 1;
    g_meshElevationsDone = 1;
}

inline bool InsidePolygon(const std::vector<Vertex>& poly, double x, double y) {
    bool in = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Vertex &a = poly[i], &b = poly[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

// The entries of one closed polygon (vertices in order, not repeated) against the grid of
// the current unrotated mesh: each vertex, then its segment's crossings with the row and
// column lines in order along the segment, z interpolated along the segment.
inline std::vector<OutlineCrossing> CrossingsOf(const std::vector<Vertex>& poly) {
    const double pl = g_meshPitchLength, pw = g_meshPitchWidth;
    const double k = (g_meshColumns - 1) * pl, h = (g_meshRows - 1) * pw;
    std::vector<OutlineCrossing> out;
    for (size_t s = 0; s < poly.size(); ++s) {
        const Vertex& a = poly[s];
        const Vertex& b = poly[(s + 1) % poly.size()];
        const double fa = a.x - g_meshOriginX, fb = a.y - g_meshOriginY;
        const double ga = b.x - g_meshOriginX, gb = b.y - g_meshOriginY;
        OutlineCrossing v{};
        v.x = a.x;
        v.y = a.y;
        v.z = v.planZ = a.z;
        if (fa >= 0 && fa <= k && fb >= 0 && fb <= h) {
            v.column = static_cast<int32_t>(fa / pl) + 1;
            v.row = static_cast<int32_t>(fb / pw) + 1;
            v.vertexClass = 2;
        } else {
            v.vertexClass = 1;
        }
        out.push_back(v);
        std::vector<OutlineCrossing> seg;
        const double len = std::hypot(ga - fa, gb - fb);
        auto add = [&](double t, int32_t column, int32_t row) {
            OutlineCrossing e{};
            e.x = a.x + t * (b.x - a.x);
            e.y = a.y + t * (b.y - a.y);
            e.distance = t * len;
            e.z = e.planZ = a.z + t * (b.z - a.z);
            e.column = column;
            e.row = row;
            seg.push_back(e);
        };
        for (int32_t r = 1; r <= g_meshRows; ++r) {  // row line r: b = (r - 1) pw
            const double lb = (r - 1) * pw;
            if ((fb - lb) * (gb - lb) >= 0 || fb == gb) continue;
            const double t = (lb - fb) / (gb - fb);
            const double pa = fa + t * (ga - fa);
            if (pa < 0 || pa > k) continue;
            add(t, -(static_cast<int32_t>(pa / pl) + 1), r);
        }
        for (int32_t c = 1; c <= g_meshColumns; ++c) {  // column line c: a = (c - 1) pl
            const double la = (c - 1) * pl;
            if ((fa - la) * (ga - la) >= 0 || fa == ga) continue;
            const double t = (la - fa) / (ga - fa);
            const double pb = fb + t * (gb - fb);
            if (pb < 0 || pb > h) continue;
            add(t, c, -(static_cast<int32_t>(pb / pw) + 1));
        }
        std::stable_sort(seg.begin(), seg.end(),
                         [](const OutlineCrossing& p, const OutlineCrossing& q) { return p.distance < q.distance; });
        out.insert(out.end(), seg.begin(), seg.end());
    }
    return out;
}

// The polygon as the TIN outline: its crossings in g_outlineCrossings (closing copy not
// counted) and the nodes outside it missing.
inline void SetOutline(const std::vector<Vertex>& poly) {
    const std::vector<OutlineCrossing> list = CrossingsOf(poly);
    const int32_t n = static_cast<int32_t>(list.size());
    ASSERT_EQ(GrowOutlineCrossingBlock(n + 2), 0);
    for (int32_t i = 0; i < n; ++i) g_outlineCrossings.Data()[i + 1] = list[i];
    g_outlineCrossings.Data()[n + 1] = list[0];
    g_outlineCrossingCount = n;
    g_outlineCrossingCapacity = n + 2;
    for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
        MeshNode& node = g_meshNodes.Data()[i];
        node.valid = InsidePolygon(poly, node.x, node.y) ? 1 : 0;
    }
}

// Adds a plan line: the nodes inside it get planZ = z(x, y) and planSource = its number;
// its crossings go to g_planCrossings with the counted closing copy.
inline void AddPlanLine(const std::vector<Vertex>& poly, const std::function<double(double, double)>& z) {
    const std::vector<OutlineCrossing> list = CrossingsOf(poly);
    const int32_t first = g_planCrossingCount + 1;
    const int32_t total = g_planCrossingCount + static_cast<int32_t>(list.size()) + 1;
    ASSERT_EQ(GrowPlanCrossingBlock(total + 1), 0);
    g_planCrossingCapacity = total + 1;
    for (const OutlineCrossing& e : list) g_planCrossings.Data()[++g_planCrossingCount] = e;
    PlanLine& line = g_planLines[++g_planLineCount];
    line.first = first;
    line.last = g_planCrossingCount;
    line.number = g_planLineCount;
    g_planCrossings.Data()[++g_planCrossingCount] = g_planCrossings.Data()[first];
    for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
        MeshNode& node = g_meshNodes.Data()[i];
        if (!InsidePolygon(poly, node.x, node.y)) continue;
        node.planZ = z(node.x, node.y);
        node.planSource = line.number;
    }
    g_meshPlanDone = 1;
}

// A mesh laid out by the frame X = Ox + a cos t + b sin t, Y = Oy - a sin t + b cos t
// (a along the length, b along the width), nodes numbered row by row.
inline void LayMesh(double ox, double oy, double rotation, double length, double width, double pitchL,
             double pitchW, const std::function<double(int32_t, int32_t)>& z) {
    g_meshOriginX = ox;
    g_meshOriginY = oy;
    g_meshRotation = rotation;
    g_meshLength = length;
    g_meshWidth = width;
    g_meshPitchLength = pitchL;
    g_meshPitchWidth = pitchW;
    g_meshColumns = static_cast<int32_t>(std::floor(length / pitchL)) + 1;
    g_meshRows = static_cast<int32_t>(std::floor(width / pitchW)) + 1;
    g_meshNodeCount = g_meshColumns * g_meshRows;
    if (GrowMeshNodeBlock(g_meshNodeCount + 2) != 0) std::abort();  // a few records never fail
    const double t = rotation * M_PI / 180;
    for (int32_t r = 1; r <= g_meshRows; ++r)
        for (int32_t c = 1; c <= g_meshColumns; ++c) {
            MeshNode& n = g_meshNodes.Data()[(r - 1) * g_meshColumns + c];
            n = MeshNode{};
            const double a = (c - 1) * pitchL, b = (r - 1) * pitchW;
            n.x = ox + a * std::cos(t) + b * std::sin(t);
            n.y = oy - a * std::sin(t) + b * std::cos(t);
            n.column = c;
            n.row = r;
            n.z = z(c, r);
            n.valid = 1;
        }
    g_meshAreaDefined = 1;
    g_meshElevationsDone = 1;
}

inline MeshNode& NodeAt(int32_t c, int32_t r) { return g_meshNodes.Data()[(r - 1) * g_meshColumns + c]; }

}  // namespace meshtest
