#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <set>

#include "../support/survey_data.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/tin_grid_builder.h"
#include "volume/datum_volume.h"
#include "volume/tin_area.h"
#include "volume/tin_to_tin.h"
#include "volume_test_support.h"

namespace {

// The jacksboro grid with the ring of its boundary nodes as the outline, and its TIN.
bool BuildJacksboroTin() {
    InitDataModel();
    std::FILE* f = std::fopen(SurveyFile("jacksboro_grid.RND").c_str(), "rb");
    if (!f) return false;
    g_pointCapacity = 200000;
    if (GrowPointBlock(g_pointCapacity) != 0 || ReadRndText(f) != 0) return false;
    g_pointsPresent = -1;
    const int32_t rows = 344, columns = 403;
    if (g_pointCount != rows * columns) return false;
    auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
    g_outline.Reset();
    auto add = [](int32_t p) {
        g_outline.Append(p);
        g_points[p].flags |= kPointFlagOutline;
    };
    for (int32_t c = 0; c < columns; ++c) add(node(0, c));
    for (int32_t r = 1; r < rows; ++r) add(node(r, columns - 1));
    for (int32_t c = columns - 2; c >= 0; --c) add(node(rows - 1, c));
    for (int32_t r = rows - 2; r >= 1; --r) add(node(r, 0));
    g_outline.Close();
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    return g_tinEdgeCount > 0;
}

TEST(JacksboroVolume, HorizontalAreaIsTheOutlineAndTheDatumVolumeTheSumOfPrisms) {
    ASSERT_TRUE(BuildJacksboroTin());
    // The outline's own area by the shoelace formula.
    double twice = 0;
    const int32_t n = g_outline.Count();
    for (int32_t i = 1; i <= n; ++i) {
        const RandomPoint &p = g_points[g_outline[i]], &q = g_points[g_outline[i % n + 1]];
        twice += p.y * q.x - q.y * p.x;
    }
    double plan = 0;
    ASSERT_EQ(CalcTinArea(0, 3, 0, 0, "", &plan), 0);
    EXPECT_NEAR(plan, std::fabs(twice) / 2, 1e-6 * plan);

    // Every triangle of the TIN once (from both sides of every record), as a prism over DL.
    const double dl = 200;
    std::set<std::array<int32_t, 3>> seen;
    double sum = 0;
    auto add = [&](int32_t a, int32_t b, int32_t c) {
        std::array<int32_t, 3> t{std::abs(a), std::abs(b), std::abs(c)};
        std::sort(t.begin(), t.end());
        if (!seen.insert(t).second) return;
        const RandomPoint &p = g_points[t[0]], &q = g_points[t[1]], &r = g_points[t[2]];
        const double area = std::fabs((q.y - p.y) * (r.x - p.x) - (q.x - p.x) * (r.y - p.y)) / 2;
        sum += area * ((p.z - dl) + (q.z - dl) + (r.z - dl)) / 3;
    };
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        add(e.a, e.b, e.apexSearch);
        if (e.apexBack != kNoApex) add(e.a, e.b, e.apexBack);
    }
    double ca = 0, ba = 0;
    ASSERT_EQ(CalcDatumVolume(0, 3, 0, "", dl, &ca, &ba), 0);
    EXPECT_EQ(ba, 0);
    EXPECT_NEAR(ca, sum, 1e-9 * sum);

#if defined(__SANITIZE_ADDRESS__)
    // The whole survey against itself takes minutes under the sanitizers; the small
    // TIN-against-TIN cases run there, this one in the normal tree.
    ReleaseDataModel();
    return;
#endif
    // Against itself raised by a smooth positive function: each current triangle lies on
    // its own base triangle, so the plus volume is the sum of area x mean raise.
    const auto base = voltest::WriteBaseTin(voltest::FreshFolder("jacksboro"), "base");
    double raise = 0;
    std::vector<double> lift(static_cast<size_t>(g_pointCount) + 1, 0);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        lift[i] = 1 + 0.5 * std::sin(g_points[i].x / 900) * std::cos(g_points[i].y / 700);
        g_points[i].z += lift[i];
    }
    for (const auto& t : seen) {
        const RandomPoint &p = g_points[t[0]], &q = g_points[t[1]], &r = g_points[t[2]];
        raise += std::fabs((q.y - p.y) * (r.x - p.x) - (q.x - p.x) * (r.y - p.y)) / 2 *
                 (lift[t[0]] + lift[t[1]] + lift[t[2]]) / 3;
    }
    TinVolumeRequest q;
    EXPECT_EQ(CalcTinToTinVolume(base, &q), static_cast<int32_t>(seen.size()));
    EXPECT_NEAR(q.plusVolume, raise, 1e-9 * raise);
    EXPECT_EQ(q.minusVolume, 0);
    EXPECT_NEAR(q.plusArea, plan, 1e-6 * plan);
    EXPECT_EQ(q.overhangCount, 0);
    ReleaseDataModel();
}

}  // namespace
