// Sections along a straight 2 km route across the real jacksboro grid survey.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "../../bench/contour_bench_support.h"
#include "model/tin_query.h"
#include "platform/files.h"
#include "section/earthwork.h"
#include "section/section_files.h"
#include "section_test_support.h"

namespace {

using sectiontest::SectionFixture;

class JacksboroSections : public SectionFixture {};

TEST_F(JacksboroSections, PointsLieOnTheirCutLinesAndOnTheTin) {
    ASSERT_TRUE(LoadJacksboroTin());
    // The grid is about 75 by 92 m: wide cut lines cross several TIN edges each.
    g_leftCutWidth = g_rightCutWidth = 150;
    StraightRoute(15000, 10000, 15000, 12000);
    ASSERT_EQ(g_stationCount, 101);
    g_calcLongCrossings = 1;
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    ASSERT_EQ(g_crossSectionCount, g_stationCount);
    int64_t points = 0;
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection& s = *GetCrossSection(i);
        const StationRecord& st = g_stations[i];
        SCOPED_TRACE(s.name);
        ASSERT_STREQ(s.name, st.name);
        EXPECT_EQ(s.centreEstimated, 0);
        double z = 0;
        ASSERT_NE(LocateTinTriangle(s.centreX, s.centreY, &z), 0);
        EXPECT_NEAR(s.height, z, 1e-6);
        auto check = [&](double x, double y, double h, double offset, double sx, double sy) {
            // On the cut line toward its stake, at the stored offset.
            const double half = std::hypot(sx - st.x, sy - st.y);
            const double along = ((x - st.x) * (sx - st.x) + (y - st.y) * (sy - st.y)) / half;
            const double across = ((x - st.x) * (sy - st.y) - (y - st.y) * (sx - st.x)) / half;
            EXPECT_NEAR(across, 0, 1e-6);
            EXPECT_NEAR(along, std::fabs(offset), 1e-6);
            EXPECT_LE(along, half + 1e-6);
            double tz = 0;
            ASSERT_NE(LocateTinTriangle(x, y, &tz), 0) << x << " " << y;
            EXPECT_NEAR(h, tz, 1e-6);
            ++points;
        };
        for (int32_t j = 1; j <= s.leftCount; ++j)
            check(s.points[j].leftX, s.points[j].leftY, s.points[j].leftHeight, s.points[j].leftOffset, st.leftX,
                  st.leftY);
        for (int32_t j = 1; j <= s.rightCount; ++j)
            check(s.points[j].rightX, s.points[j].rightY, s.points[j].rightHeight, s.points[j].rightOffset,
                  st.rightX, st.rightY);
        // Both stakes are reached.
        EXPECT_NEAR(s.points[s.leftCount].leftOffset, -150, 1e-6);
        EXPECT_NEAR(s.points[s.rightCount].rightOffset, 150, 1e-6);
    }
    EXPECT_GT(points, 101 * 8);
    EXPECT_GT(g_longCrossingCount, 101);
}

TEST_F(JacksboroSections, GroundLoweredOneMetreGivesSixtySquareMetres) {
    ASSERT_TRUE(LoadJacksboroTin());
    g_leftCutWidth = g_rightCutWidth = 30;
    StraightRoute(15000, 10000, 15000, 12000);
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const std::filesystem::path ground = m_dir / "ground.ALG", plan = m_dir / "plan.ALG";
    ASSERT_EQ(WriteOdnJdnFiles(ground, 1), 0);
    // The plan: every section 1 m under its ground, centre included.
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        CrossSection& s = *GetCrossSection(i);
        s.height -= 1;
        for (int32_t j = 1; j <= std::max(s.leftCount, s.rightCount); ++j)
            s.points[j].leftHeight -= 1, s.points[j].rightHeight -= 1;
    }
    ASSERT_EQ(WriteOdnJdnFiles(plan, 1), 0);
    ASSERT_EQ(ReadOdnFile(ground), 0);
    ASSERT_EQ(ReadPlanOdnFile(WithExtension(plan, ".ODN")), 0);
    CalcEarthwork();
    int32_t full = 0;
    double sumMean = 0;
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection& s = *GetCrossSection(i);
        const PlanSection& p = *GetPlanSection(i);
        SCOPED_TRACE(s.name);
        EXPECT_EQ(p.fillArea, 0);
        sumMean += p.meanCutArea * 20;
        if (s.leftCount > 0 && s.rightCount > 0 && s.points[s.leftCount].leftOffset <= -30 + 1e-9 &&
            s.points[s.rightCount].rightOffset >= 30 - 1e-9) {
            EXPECT_DOUBLE_EQ(p.cutArea, 60.0);
            ++full;
        }
    }
    EXPECT_GT(full, 2);
    EXPECT_NEAR(g_totalCut, sumMean, 1e-6);
    EXPECT_GT(g_totalCut, 0);
}

}  // namespace
