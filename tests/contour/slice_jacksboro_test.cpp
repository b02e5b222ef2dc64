// Slice volumes of a real survey against an exact integral worked out here: over a TIN the
// ground between two levels is the integral of clamp(z - a, 0, b - a) over the plan, and
// over each planar triangle that is exact once the triangle is cut at the two levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

#include "../../bench/contour_bench_support.h"
#include "contour/elevation_table.h"
#include "contour/slice_lines.h"
#include "contour/slice_quantities.h"
#include "contour/slice_store.h"
#include "platform/message_box.h"

namespace {

struct Vertex {
    double x, y, z;
};

// The part of a convex polygon where z >= t (keepAbove) or z <= t.
std::vector<Vertex> ClipAtLevel(const std::vector<Vertex>& poly, double t, bool keepAbove) {
    std::vector<Vertex> out;
    const size_t n = poly.size();
    for (size_t i = 0; i < n; ++i) {
        const Vertex& p = poly[i];
        const Vertex& q = poly[(i + 1) % n];
        const bool pIn = keepAbove ? p.z >= t : p.z <= t;
        const bool qIn = keepAbove ? q.z >= t : q.z <= t;
        if (pIn) out.push_back(p);
        if (pIn != qIn) {
            const double s = (t - p.z) / (q.z - p.z);
            out.push_back({p.x + s * (q.x - p.x), p.y + s * (q.y - p.y), t});
        }
    }
    return out;
}

// Plan area and the integral of z over a convex polygon (z linear on it), by a fan.
void AreaAndMoment(const std::vector<Vertex>& poly, double* area, double* moment) {
    *area = *moment = 0;
    for (size_t k = 1; k + 1 < poly.size(); ++k) {
        const Vertex &p = poly[0], &q = poly[k], &r = poly[k + 1];
        const double a = std::fabs((q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x)) / 2;
        *area += a;
        *moment += a * (p.z + q.z + r.z) / 3;
    }
}

// Every triangle of the TIN once, its corners in ascending point order.
std::vector<std::array<Vertex, 3>> Triangles() {
    std::set<std::array<int32_t, 3>> seen;
    std::vector<std::array<Vertex, 3>> out;
    auto add = [&](int32_t a, int32_t b, int32_t c) {
        if (c == 0 || c == kNoApex) return;
        std::array<int32_t, 3> t{std::abs(a), std::abs(b), std::abs(c)};
        std::sort(t.begin(), t.end());
        if (!seen.insert(t).second) return;
        std::array<Vertex, 3> tri;
        for (int k = 0; k < 3; ++k) tri[k] = {g_points[t[k]].x, g_points[t[k]].y, g_points[t[k]].z};
        out.push_back(tri);
    };
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        add(g_tinEdges[i].a, g_tinEdges[i].b, g_tinEdges[i].apexSearch);
        add(g_tinEdges[i].a, g_tinEdges[i].b, g_tinEdges[i].apexBack);
    }
    return out;
}

std::vector<Vertex> Polygon(const std::array<Vertex, 3>& t) { return {t[0], t[1], t[2]}; }

// The integral of clamp(z - low, 0, high - low) over the triangles.
double ExactClampedVolume(const std::vector<std::array<Vertex, 3>>& tin, double low, double high) {
    double sum = 0, area, moment;
    for (const auto& t : tin) {
        AreaAndMoment(ClipAtLevel(ClipAtLevel(Polygon(t), low, true), high, false), &area, &moment);
        sum += moment - low * area;
        AreaAndMoment(ClipAtLevel(Polygon(t), high, true), &area, &moment);
        sum += (high - low) * area;
    }
    return sum;
}

// Plan area above a level; only the triangles the level crosses are cut.
double AreaAbove(const std::vector<std::array<Vertex, 3>>& tin, double level) {
    double sum = 0, area, moment;
    for (const auto& t : tin) {
        const double low = std::min({t[0].z, t[1].z, t[2].z});
        const double high = std::max({t[0].z, t[1].z, t[2].z});
        if (high < level) continue;
        if (low >= level) {
            const double twice =
                (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
            sum += std::fabs(twice) / 2;
            continue;
        }
        AreaAndMoment(ClipAtLevel(Polygon(t), level, true), &area, &moment);
        sum += area;
    }
    return sum;
}

class SliceJacksboro : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "some seconds in the normal tree, minutes under the sanitizers";
#endif
        ASSERT_TRUE(LoadJacksboroTin()) << "data/jacksboro not found";
        SetLongLoopPollInterval(100);
        ClearRecordedMessages();
        m_areaDecimals = g_sliceAreaDecimals;
        m_volumeDecimals = g_sliceVolumeDecimals;
        g_sliceAreaDecimals = 3;
        g_sliceVolumeDecimals = 3;
        m_tin = Triangles();
    }
    void TearDown() override {
        g_sliceAreaDecimals = m_areaDecimals;
        g_sliceVolumeDecimals = m_volumeDecimals;
        ClearSliceLevels();
        ClearSliceLines();
        FreeSliceStore();
        ClearRecordedMessages();
        InitDataModel();
    }

    // Ground space levels low..high every `step` through the table and the quantities: the
    // total; each level's area against the plan area above the level it was traced at.
    double SliceVolume(double low, double high, double step) {
        std::vector<SliceLevelArea> rows;
        for (int k = 0; low + k * step <= high + 1e-9; ++k) rows.push_back({low + k * step, 0, 0});
        SliceCalcSettings s;
        s.rangeMode = 1;
        s.areaDecimals = 3;
        EXPECT_EQ(CalcSliceContours(rows, s), SliceCalcResult::kDone);
        EXPECT_TRUE(SkippedSliceLevels().empty());
        ClearSliceLevels();
        for (const SliceLevelArea& r : rows) {
            const double above = AreaAbove(m_tin, r.elevation + g_contourLevelTolerance);
            // Each line's area is rounded to 3 decimals.
            EXPECT_NEAR(r.area, above, 0.5 + 1e-9 * above) << r.elevation;
            EXPECT_TRUE(AppendSliceLevel(r.elevation, r.attribute));
        }
        g_sliceStartRow = 1;
        g_sliceEndRow = g_sliceLevelCount;
        g_sliceReferenceLevel = low;
        EXPECT_EQ(CalcSliceQuantities(), 0);
        return g_sliceTotal;
    }

    std::vector<std::array<Vertex, 3>> m_tin;
    int32_t m_areaDecimals = 0, m_volumeDecimals = 0;
};

// The heights are whole metres and a lake lies flat at 305 m, so the area curve steps at
// some levels and the average-end-area error does not fall steadily with the step; each
// level's area is held to the exact area instead.
TEST_F(SliceJacksboro, GroundVolumeAgreesWithTheExactIntegral) {
    const double exact = ExactClampedVolume(m_tin, 300, 1000);
    ASSERT_GT(exact, 0);
    for (double step : {10.0, 5.0}) {
        SCOPED_TRACE(step);
        EXPECT_NEAR(SliceVolume(300, 1000, step), exact, 0.005 * exact);
    }
}

}  // namespace
