#pragma once
// TIN fixtures for the volume tests: TINs made from triangle lists in the program's edge
// form, and base TIN file pairs written with the program's writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tri_file.h"
#include "platform/message_box.h"

namespace voltest {

inline int32_t AddPoint(double x, double y, double z) {
    EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
    const int32_t i = ++g_pointCount;
    RandomPoint& p = g_points[i];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    p.z = z;
    std::snprintf(p.name, sizeof p.name, "P%d", i % 100000000);
    SetPointEndMarker();
    g_pointsPresent = -1;
    return i;
}

// Twice the signed map area (east right, north up): positive counter-clockwise.
inline double MapCross(int32_t a, int32_t b, int32_t c) {
    const RandomPoint &p = g_points[a], &q = g_points[b], &r = g_points[c];
    return (q.y - p.y) * (r.x - p.x) - (q.x - p.x) * (r.y - p.y);
}

// Stores the triangles as TIN edge records: one record per edge, running from the lower
// to the higher point number, its search side the triangle on its left, its back side the
// one on its right (or none). A negative number in a triangle marks that vertex a hole
// vertex (its records carry negative ends).
inline void SetTin(std::vector<std::array<int32_t, 3>> triangles) {
    std::map<std::pair<int32_t, int32_t>, std::array<int32_t, 2>> edges;  // left apex, right apex
    std::map<int32_t, bool> hole;
    for (auto& t : triangles) {
        for (int32_t& v : t)
            if (v < 0) hole[v = -v] = true;
        if (MapCross(t[0], t[1], t[2]) < 0) std::swap(t[1], t[2]);
        for (int k = 0; k < 3; ++k) {
            const int32_t a = t[k], b = t[(k + 1) % 3], c = t[(k + 2) % 3];
            auto& e = edges.try_emplace({std::min(a, b), std::max(a, b)}, std::array<int32_t, 2>{0, 0}).first->second;
            e[a < b ? 0 : 1] = c;
        }
    }
    g_tinEdgeCount = 0;
    EXPECT_EQ(EnsureTinEdgeCapacity(static_cast<int32_t>(edges.size()) + 2), 0);
    auto sign = [&](int32_t v) { return hole.count(v) ? -v : v; };
    for (const auto& [key, apex] : edges) {
        int32_t a = key.first, b = key.second, s = apex[0], k = apex[1];
        if (s == 0) {
            std::swap(a, b);
            std::swap(s, k);
        }
        g_tinEdges[++g_tinEdgeCount] = TinEdge{sign(a), sign(b), k == 0 ? kNoApex : k, s, 0};
    }
    SetTinEndRecord();
    g_tinPresent = -1;
}

// A rows x columns grid of squares of the given size from (0, 0), heights from z(x, y);
// each square split by the rising diagonal or, with otherDiagonal, the falling one.
inline void MakeGridTin(int32_t rows, int32_t columns, double size, const std::function<double(double, double)>& z,
                        bool otherDiagonal = false) {
    InitDataModel();
    std::vector<int32_t> id;
    for (int32_t r = 0; r <= rows; ++r)
        for (int32_t c = 0; c <= columns; ++c) id.push_back(AddPoint(r * size, c * size, z(r * size, c * size)));
    auto at = [&](int32_t r, int32_t c) { return id[r * (columns + 1) + c]; };
    std::vector<std::array<int32_t, 3>> tris;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c) {
            const int32_t p = at(r, c), q = at(r, c + 1), s = at(r + 1, c + 1), t = at(r + 1, c);
            if (!otherDiagonal) {
                tris.push_back({p, q, s});
                tris.push_back({p, s, t});
            } else {
                tris.push_back({p, q, t});
                tris.push_back({q, s, t});
            }
        }
    SetTin(tris);
}

// Writes the TIN in memory as <folder>/<name>.RND and .TRI; the base path.
inline std::filesystem::path WriteBaseTin(const std::filesystem::path& folder, const std::string& name) {
    const std::filesystem::path rnd = folder / (name + ".RND");
    EXPECT_TRUE(WriteRndFile(rnd.string(), nullptr));
    EXPECT_EQ(WriteTriFile(rnd), 0);
    return rnd;
}

inline std::filesystem::path FreshFolder(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("nostrel_volume_" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace voltest
