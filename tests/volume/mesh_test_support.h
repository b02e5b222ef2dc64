#pragma once
// Meshes laid out for the mesh tests by the frame of the mesh model, independently of it.
#include <cmath>
#include <cstdlib>
#include <functional>

#include "volume/mesh_data.h"

namespace meshtest {

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
