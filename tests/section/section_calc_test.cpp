#include "section/section_calc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "contour/contour_calc.h"
#include "contour/contour_files.h"
#include "volume/mesh_data.h"
#include "section_test_support.h"

namespace {

using sectiontest::SectionFixture;

class SectionCalc : public SectionFixture {};

double Plane(double x, double y) { return 100 + 0.05 * x - 0.02 * y; }

template <typename F>
void ForEachPoint(const CrossSection& s, F f) {
    for (int32_t j = 1; j <= s.leftCount; ++j)
        f(s.points[j].leftX, s.points[j].leftY, s.points[j].leftHeight, s.points[j].leftOffset);
    for (int32_t j = 1; j <= s.rightCount; ++j)
        f(s.points[j].rightX, s.points[j].rightY, s.points[j].rightHeight, s.points[j].rightOffset);
}

TEST_F(SectionCalc, PlaneTinSectionsLieOnThePlane) {
    BuildGrid(10, 10, Plane);
    AddCrossStation("NO.1", 0, 23, 45, 30, 30);
    AddCrossStation("NO.2", 20, 43, 45, 30, 30);
    AddCrossStation("NO.3", 40, 63, 45, 25, 35);
    g_calcLongCrossings = 1;
    EXPECT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    EXPECT_EQ(RecordedMessages().back().text, kSectionCalcDoneQuestion);
    EXPECT_EQ(g_hasSections, 1);
    ASSERT_EQ(g_crossSectionCount, 3);
    EXPECT_EQ(g_sectionViewCount, 3);
    for (int32_t i = 1; i <= 3; ++i) {
        const CrossSection& s = *GetCrossSection(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(s.number, i);
        EXPECT_STREQ(s.name, g_stations[i].name);
        EXPECT_EQ(s.centreEstimated, 0);
        EXPECT_NEAR(s.height, Plane(s.centreX, s.centreY), 1e-9);
        EXPECT_NEAR(g_stations[i].groundZ, s.height, 1e-12);
        EXPECT_GT(s.leftCount, 3);
        EXPECT_GT(s.rightCount, 3);
        double last = 0;
        ForEachPoint(s, [&](double x, double y, double z, double offset) {
            EXPECT_NEAR(z, Plane(x, y), 1e-9);
            EXPECT_NEAR(std::fabs(offset), std::hypot(x - s.centreX, y - s.centreY), 1e-9);
            (void)last;
        });
        // The last points are the stakes (inside the TIN).
        EXPECT_NEAR(s.points[s.leftCount].leftOffset, -(i == 3 ? 25 : 30), 1e-9);
        EXPECT_NEAR(s.points[s.rightCount].rightOffset, i == 3 ? 35 : 30, 1e-9);
        for (int32_t j = 2; j <= s.rightCount; ++j) EXPECT_GT(s.points[j].rightOffset, s.points[j - 1].rightOffset);
        for (int32_t j = 2; j <= s.leftCount; ++j) EXPECT_LT(s.points[j].leftOffset, s.points[j - 1].leftOffset);
    }
    // The section windows' spans: twice the farther side (35 m right of NO.3), and the
    // heights of every side point with the first centre.
    double low = GetCrossSection(1)->height, high = low;
    for (int32_t i = 1; i <= 3; ++i)
        ForEachPoint(*GetCrossSection(i), [&](double, double, double z, double) {
            low = std::min(low, z), high = std::max(high, z);
        });
    EXPECT_NEAR(g_sectionWidthSpan, 70, 1e-9);
    EXPECT_NEAR(g_sectionHeightSpan, high - low, 1e-9);
    EXPECT_GT(g_sectionHeightSpan, 1);
    // The CROSS list: every station and the centre-line crossings between them, sorted,
    // on the plane, none at a station.
    ASSERT_GT(g_longCrossingCount, 3);
    int32_t stations = 0;
    for (int32_t k = 1; k <= g_longCrossingCount; ++k) {
        const LongCrossing& c = g_longCrossings[k];
        if (k > 1) {
            EXPECT_GE(c.distance, g_longCrossings[k - 1].distance);
        }
        if (c.station > 0) {
            ++stations;
            EXPECT_EQ(c.height2, 0);
            EXPECT_NEAR(c.height, Plane(c.x, c.y), 1e-9);
        } else {
            EXPECT_EQ(c.station, -1);
            EXPECT_NEAR(c.height, Plane(c.x, c.y), 1e-9);
            EXPECT_EQ(c.height2, c.height);
            EXPECT_NEAR(c.distance, (c.x - 23), 1e-9);  // the centre line runs north from x = 23
            for (double station : {23, 43, 63}) EXPECT_GE(std::fabs(c.x - station), 0.001);
        }
    }
    EXPECT_EQ(stations, 3);
    // The work files are gone.
    EXPECT_FALSE(std::filesystem::exists(g_tempPath4));
    EXPECT_FALSE(std::filesystem::exists(g_tempPath5));
}

TEST_F(SectionCalc, IntervalModeCases) {
    BuildGrid(10, 10, Plane);
    // Cut lines running north; the left stake lies 30 m south, past the TIN's edge x = 0.
    AddStation("A", 0, 25, 47, -5, 47, 55, 47);
    AddStation("B", 10, 15, 47, -15, 47, 45, 47);
    g_sectionIntervalMode = 1;
    g_crossSectionInterval = 10;
    struct Case {
        int32_t section;
        std::vector<double> left, right;
    };
    const Case cases[] = {{1, {-10, -20, -25}, {10, 20, 30}}, {2, {-10, -15}, {10, 20, 30}}};
    for (int32_t interpolation : {0, 1}) {
        g_sectionInterpolation = interpolation;
        ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
        for (const Case& c : cases) {
            const CrossSection& s = *GetCrossSection(c.section);
            SCOPED_TRACE(testing::Message() << "section " << c.section << " interpolation " << interpolation);
            ASSERT_EQ(s.leftCount, static_cast<int32_t>(c.left.size()));
            ASSERT_EQ(s.rightCount, static_cast<int32_t>(c.right.size()));
            ForEachPoint(s, [&](double x, double y, double z, double) { EXPECT_NEAR(z, Plane(x, y), 1e-9); });
            for (size_t j = 0; j < c.left.size(); ++j) EXPECT_NEAR(s.points[j + 1].leftOffset, c.left[j], 1e-9);
            for (size_t j = 0; j < c.right.size(); ++j) EXPECT_NEAR(s.points[j + 1].rightOffset, c.right[j], 1e-9);
        }
    }
    // A spacing larger than the half length: only the farthest crossing of each side.
    g_crossSectionInterval = 100;
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const CrossSection& s = *GetCrossSection(1);
    ASSERT_EQ(s.leftCount, 1);
    ASSERT_EQ(s.rightCount, 1);
    EXPECT_NEAR(s.points[1].leftOffset, -25, 1e-9);
    EXPECT_NEAR(s.points[1].rightOffset, 30, 1e-9);
}

TEST_F(SectionCalc, OutsideTheTinAndLeavingIt) {
    BuildGrid(10, 10, Plane);
    AddCrossStation("IN", 0, 53, 85, 10, 30);   // leaves the TIN on the right at y = 100
    AddCrossStation("OUT", 10, 50, 300, 10, 10);  // wholly outside
    AddStation("ONE", 20, 5.5, 1.5, 5.5, 0.5, 5.5, 2.5);  // wholly inside one triangle
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const CrossSection& in = *GetCrossSection(1);
    EXPECT_NEAR(in.points[in.rightCount].rightOffset, 15, 1e-9);
    const CrossSection& out = *GetCrossSection(2);
    EXPECT_EQ(out.leftCount, 0);
    EXPECT_EQ(out.rightCount, 0);
    EXPECT_EQ(out.height, 0);
    EXPECT_EQ(out.centreEstimated, 1);
    const CrossSection& one = *GetCrossSection(3);
    ASSERT_EQ(one.leftCount, 1);
    ASSERT_EQ(one.rightCount, 1);
    EXPECT_NEAR(one.points[1].leftOffset, -1, 1e-12);
    EXPECT_NEAR(one.points[1].rightOffset, 1, 1e-12);
    EXPECT_NEAR(one.height, Plane(5.5, 1.5), 1e-9);
    EXPECT_EQ(one.centreEstimated, 0);
}

TEST_F(SectionCalc, PlanSurfaceOnlyUsesEdgesBetweenPlanPoints) {
    const int32_t c1 = AddPoint(0, 0, 1, "_C1"), f2 = AddPoint(10, 0, 2, "_f2"), p3 = AddPoint(5, 10, 3, "P3");
    AddTriangle(c1, f2, p3);
    AddStation("S", 0, 5, 5, 5, -5, 5, 15);
    g_planSurfaceOnly = 1;
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const CrossSection& s = *GetCrossSection(1);
    ASSERT_EQ(s.leftCount, 1);
    EXPECT_NEAR(s.points[1].leftOffset, -5, 1e-12);
    EXPECT_EQ(s.rightCount, 0);
    g_planSurfaceOnly = 0;
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    EXPECT_GE(GetCrossSection(1)->rightCount, 1);
}

// The grid of cut lines only saves work: the sections and the CROSS list come out as
// from the test of every edge against every station.
TEST_F(SectionCalc, CrossingIndexGivesTheSameSectionsAsTheFullScan) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-3, 3);
    BuildGrid(30, 10, [&](double x, double y) { return 50 + 10 * std::sin(x / 40) + 5 * std::cos(y / 25) + jitter(random); });
    // A curving line of stations with cut lines of differing lengths.
    for (int32_t i = 0; i < 40; ++i) {
        const double a = i * 0.04, cx = 20 + 6 * i, cy = 150 + 80 * std::sin(a);
        const double nx = -std::cos(a) * 0.5, ny = 1;
        const double len = std::hypot(nx, ny), half = 15 + (i % 7) * 6;
        AddStation(("NO." + std::to_string(i + 1)).c_str(), 20.0 * i, cx, cy, cx - nx / len * half, cy - ny / len * half,
                   cx + nx / len * half, cy + ny / len * half);
    }
    g_calcLongCrossings = 1;
    auto snapshot = [] {
        std::vector<std::vector<double>> out;
        for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
            const CrossSection& s = *GetCrossSection(i);
            std::vector<double> v{double(s.leftCount), double(s.rightCount), s.height, double(s.centreEstimated)};
            ForEachPoint(s, [&](double x, double y, double z, double o) { v.insert(v.end(), {x, y, z, o}); });
            out.push_back(v);
        }
        std::vector<double> cross;
        for (int32_t k = 1; k <= g_longCrossingCount; ++k) {
            const LongCrossing& c = g_longCrossings[k];
            cross.insert(cross.end(), {c.distance, c.height, c.height2, c.x, c.y, double(c.station)});
        }
        out.push_back(cross);
        return out;
    };
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const auto indexed = snapshot();
    SetSectionCrossingIndex(false);
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    EXPECT_TRUE(indexed == snapshot());
    EXPECT_GT(indexed.back().size(), 40u * 6);
}

TEST_F(SectionCalc, NothingToCutKeepsTheSectionsHeld) {
    BuildGrid(4, 10, Plane);
    AddCrossStation("A", 0, 20, 20, 10, 10);
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const int32_t held = GetCrossSection(1)->rightCount;
    ASSERT_GT(held, 0);

    // No stations: said, nothing changed.
    const int32_t stations = g_stationCount;
    g_stationCount = 0;
    ClearRecordedMessages();
    for (auto calc : {+[] { return CalcSectionsFromTin(0); }, +[] { return CalcSectionsFromPoints(); },
                      +[] { return CalcSimpleSections(); }}) {
        EXPECT_EQ(calc(), kSectionCalcNotStarted);
        EXPECT_EQ(Messages().back(), kNoStationsMessage);
    }
    EXPECT_EQ(g_crossSectionCount, 1);
    EXPECT_EQ(GetCrossSection(1)->rightCount, held);
    g_stationCount = stations;

    // Work files that cannot be made: said, result 3, sections kept.
    g_tempPath4 = (m_dir / "missing" / "_#ovk$4.$$$").string();
    ClearRecordedMessages();
    EXPECT_EQ(CalcSectionsFromTin(0), kSectionCalcNotStarted);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("作業ファイル"), std::string::npos);
    EXPECT_EQ(GetCrossSection(1)->rightCount, held);
    g_sectionTempPath = (m_dir / "missing" / "_#ovk$6.$$$").string();
    EXPECT_EQ(CalcSimpleSections(), kSectionCalcNotStarted);

    // No contour file: said, result 3.
    ClearRecordedMessages();
    std::filesystem::remove(g_contourLinesPath);
    EXPECT_EQ(CalcSectionsFromContours(0), kSectionCalcNotStarted);
    EXPECT_EQ(Messages().back(), "等高線データファイルが見つかりません。");
    EXPECT_EQ(GetCrossSection(1)->rightCount, held);

    // Memory for the section records fails: said, the sections already held kept.
    g_tempPath4 = (m_dir / "_#ovk$4.$$$").string();
    g_crossSectionCapacity = 2;  // a block of two records: the first section needs room at once
    ASSERT_EQ(GrowCrossSections(), 0);
    ClearRecordedMessages();
    InjectAllocationFailures(0, 100);
    CalcSectionsFromTin(0);
    InjectAllocationFailures(-1, 0);
    EXPECT_EQ(Messages().front(), "メモリ確保に失敗しました。(1)");
    EXPECT_EQ(GetCrossSection(1)->rightCount, held);
}

TEST_F(SectionCalc, SectionsFromPoints) {
    g_sectionBandWidth = 1;
    // Station 1: points on both sides; station 2: right only; station 3: none.
    AddCrossStation("A", 0, 0, 0, 10, 10);
    AddCrossStation("B", 20, 20, 0, 10, 10);
    AddCrossStation("C", 40, 40, 0, 10, 10);
    AddPoint(0, -4, 10);
    AddPoint(0, -8, 12);
    AddPoint(0.3, 2, 20);
    AddPoint(-0.4, 6, 22);
    AddPoint(20, 3, 30);
    AddPoint(20.2, 9, 31);
    EXPECT_EQ(CalcSectionsFromPoints(), msg::kIdYes);
    ASSERT_EQ(g_crossSectionCount, 3);
    const CrossSection& a = *GetCrossSection(1);
    ASSERT_EQ(a.leftCount, 2);
    ASSERT_EQ(a.rightCount, 2);
    EXPECT_DOUBLE_EQ(a.points[1].leftOffset, -4);
    EXPECT_DOUBLE_EQ(a.points[2].leftHeight, 12);
    EXPECT_NEAR(a.points[1].rightOffset, 2, 1e-12);
    EXPECT_NEAR(a.height, 10 + (20 - 10) * 4.0 / 6.0, 1e-12);
    EXPECT_EQ(a.centreEstimated, 0);
    const CrossSection& b = *GetCrossSection(2);
    EXPECT_EQ(b.leftCount, 0);
    EXPECT_DOUBLE_EQ(b.height, 30);
    EXPECT_EQ(b.centreEstimated, 0);
    const CrossSection& c = *GetCrossSection(3);
    EXPECT_EQ(c.leftCount + c.rightCount, 0);
    EXPECT_EQ(c.height, 0);
    EXPECT_EQ(c.centreEstimated, 1);
    EXPECT_EQ(g_longCrossingCount, 0);
    EXPECT_EQ(g_hasSections, 1);
}

TEST_F(SectionCalc, SimpleSectionsInSegmentForm) {
    BuildGrid(10, 10, Plane);
    AddCrossStation("IN", 0, 50, 45, 30, 30);
    AddCrossStation("OUT", 20, 50, 300, 10, 10);
    AddCrossStation("OFF", 40, 53, 102, 30, 0.5);  // no piece end near the centre
    EXPECT_EQ(CalcSimpleSections(), msg::kIdYes);
    ASSERT_EQ(g_simpleSectionCount, 3);
    ASSERT_TRUE(ReadSimpleSection(1));
    EXPECT_EQ(g_profile.number, 1);
    EXPECT_STREQ(g_profile.name, "IN");
    const int32_t n = g_profile.right.count;
    ASSERT_GT(n, 4);
    EXPECT_EQ(g_profile.left.count, -n);
    EXPECT_NEAR(g_profile.height, Plane(50, 45), 1e-9);
    for (int32_t k = 1; k <= n; ++k) {
        EXPECT_NEAR(g_profile.left.z[k], Plane(g_profile.left.x[k], g_profile.left.y[k]), 1e-9);
        EXPECT_NEAR(g_profile.right.dist[k], g_profile.right.y[k] - 45, 1e-9);  // signed: west negative
    }
    ASSERT_TRUE(ReadSimpleSection(2));
    EXPECT_EQ(g_profile.right.count, 0);
    EXPECT_EQ(g_profile.height, kNoProfileHeight);
    ASSERT_TRUE(ReadSimpleSection(3));
    EXPECT_GT(g_profile.right.count, 0);
    EXPECT_NEAR(g_profile.height, Plane(53, 100), 1e-9);  // the end nearest the centre
    EXPECT_FALSE(ReadSimpleSection(4));
    EXPECT_FALSE(ReadSimpleSection(0));
    EXPECT_EQ(g_crossSectionCount, 0);  // the cross sections are not touched
}

class ContourSections : public SectionFixture {
protected:
    void Trace(double low, double high) {
        g_pointZMin = 1e300, g_pointZMax = -1e300;
        for (int32_t k = 1; k <= g_pointCount; ++k) {
            g_pointZMin = std::min(g_pointZMin, g_points[k].z);
            g_pointZMax = std::max(g_pointZMax, g_points[k].z);
        }
        g_contourMinZ = low;
        g_contourMaxZ = high;
        g_contourInterval = 1;
        g_indexContourInterval = 5;
        SetContourReplaceQuestion([] { return 2; });
        ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
        SetContourReplaceQuestion({});
    }
};

TEST_F(ContourSections, PlaneSectionsAtContourLevelsReachTheStakes) {
    BuildGrid(10, 10, [](double x, double) { return 0.1 * x; });
    Trace(0, 10);
    AddStation("A", 0, 55, 47, 25, 47, 85, 47);
    EXPECT_EQ(CalcSectionsFromContours(0), msg::kIdYes);
    const CrossSection& s = *GetCrossSection(1);
    // Crossings at levels 5..3 on the left and 6..8 on the right, then the stake points.
    ASSERT_EQ(s.leftCount, 4);
    ASSERT_EQ(s.rightCount, 4);
    for (int32_t j = 1; j <= 3; ++j) {
        EXPECT_NEAR(s.points[j].leftHeight, 6 - j, 1e-9);
        // The tracer moves a level that falls on a vertex by its tolerance.
        EXPECT_NEAR(s.points[j].leftX, 10 * s.points[j].leftHeight, 1e-3);
        EXPECT_NEAR(s.points[j].rightHeight, 5 + j, 1e-9);
        EXPECT_NEAR(s.points[j].rightX, 10 * s.points[j].rightHeight, 1e-3);
    }
    EXPECT_NEAR(s.points[4].leftOffset, -30, 1e-9);
    EXPECT_NEAR(s.points[4].leftHeight, 3, 1e-9);
    EXPECT_NEAR(s.points[4].leftX, 25, 1e-12);
    EXPECT_NEAR(s.points[4].rightOffset, 30, 1e-9);
    EXPECT_NEAR(s.points[4].rightHeight, 8, 1e-9);
    EXPECT_NEAR(s.height, 5.5, 1e-3);
    EXPECT_EQ(s.centreEstimated, 0);
}

TEST_F(ContourSections, ConeSectionsAtTheAnalyticRadius) {
    BuildGrid(50, 2, [](double x, double y) { return 50 - std::hypot(x - 50, y - 50); });
    Trace(0, 50);
    AddCrossStation("C", 0, 50, 50, 40, 40);
    AddCrossStation("D", 20, 62, 50, 30, 30);
    EXPECT_EQ(CalcSectionsFromContours(0), msg::kIdYes);
    int32_t checked = 0;
    for (int32_t i = 1; i <= 2; ++i) {
        const CrossSection& s = *GetCrossSection(i);
        const double half = i == 1 ? 40 : 30;
        ForEachPoint(s, [&](double x, double y, double z, double offset) {
            const double r = std::hypot(x - 50, y - 50);
            if (r < 5 || std::fabs(offset) >= half - 1e-9) return;  // the stake points carry a level of their side
            // The TIN of a cone lies inside it by up to l^2 / 8r across an edge of length l.
            EXPECT_NEAR(r, 50 - z, 1.0 / r + 1e-6) << x << " " << y;
            ++checked;
        });
    }
    EXPECT_GT(checked, 60);
}

TEST_F(ContourSections, ContoursCrossingNothing) {
    BuildGrid(10, 10, [](double x, double) { return 0.1 * x; });
    Trace(0, 10);
    AddStation("A", 0, 55, 47, 54, 47, 56, 47);  // between levels 5 and 6
    EXPECT_EQ(CalcSectionsFromContours(0), msg::kIdYes);
    const CrossSection& s = *GetCrossSection(1);
    ASSERT_EQ(s.leftCount, 1);
    ASSERT_EQ(s.rightCount, 1);
    EXPECT_EQ(s.height, 0);
    EXPECT_EQ(s.points[1].leftHeight, 0);
    EXPECT_NEAR(s.points[1].rightOffset, 1, 1e-12);
    EXPECT_EQ(s.centreEstimated, 1);
}

}  // namespace

namespace {

TEST_F(SectionCalc, FollowingTheSurfaceGivesTheDenseProfile) {
    BuildGrid(10, 10, Plane);
    AddCrossStation("A", 0, 53, 45, 30, 30);
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const int32_t crossings = GetCrossSection(1)->rightCount;
    g_followSurface = 1;
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const CrossSection& s = *GetCrossSection(1);
    EXPECT_GE(s.rightCount, crossings);
    EXPECT_NEAR(s.height, Plane(53, 45), 1e-9);
    ForEachPoint(s, [&](double x, double y, double z, double offset) {
        EXPECT_NEAR(z, Plane(x, y), 1e-9);
        EXPECT_NEAR(std::fabs(offset), std::hypot(x - 53, y - 45), 1e-9);
        EXPECT_NEAR(x, 53, 1e-9);
    });
    EXPECT_NEAR(s.points[s.leftCount].leftOffset, -30, 1e-9);
    EXPECT_NEAR(s.points[s.rightCount].rightOffset, 30, 1e-9);
}

// Mesh nodes on the cut lines are the section points, named by column and row; a node on
// two stations' lines serves the first.
TEST_F(SectionCalc, MeshNodesAsSectionPoints) {
    g_meshColumns = 3;
    g_meshRows = 1;
    ASSERT_EQ(GrowMeshNodeBlock(4), 0);
    MeshNode* nodes = g_meshNodes.Data();
    const double ys[] = {0, -10, 0, 10};
    for (int32_t k = 1; k <= 3; ++k) {
        nodes[k] = MeshNode{};
        nodes[k].x = 20, nodes[k].y = ys[k], nodes[k].z = 5 + k;
        nodes[k].column = k, nodes[k].row = 1, nodes[k].valid = 1;
    }
    g_meshStationNameStyleV = 1;
    AddCrossStation("A", 0, 20, 0, 15, 15);
    AddCrossStation("B", 0, 20, 0, 15, 15);  // the same line
    ASSERT_EQ(CalcSectionsFromTin(-1), msg::kIdYes);
    const CrossSection& a = *GetCrossSection(1);
    ASSERT_EQ(a.leftCount, 1);
    ASSERT_EQ(a.rightCount, 1);
    EXPECT_EQ(a.height, 7);  // the middle node lies on the centre
    EXPECT_STREQ(a.points[1].leftName, "A-1");
    EXPECT_EQ(a.points[1].leftNamed, 1);
    EXPECT_STREQ(a.points[1].rightName, "C-1");
    const CrossSection& b = *GetCrossSection(2);
    EXPECT_EQ(b.leftCount + b.rightCount, 0);
    EXPECT_EQ(b.centreEstimated, 1);
    g_meshNodes.Release();
}

TEST_F(SectionCalc, DamagedContourFileEndsTheReading) {
    std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const double xs[] = {0, 10}, ys[] = {-20, 20};
    WriteContourRecord(f, {3, 4.0, 2.0});
    for (int k = 0; k < 2; ++k) WriteContourRecord(f, {0, xs[k], ys[k]});
    WriteContourRecord(f, {3, 5.0, 1e12});  // a count no line can have
    WriteContourRecord(f, {0, 1, 1});
    std::fclose(f);
    AddStation("A", 0, 5, 0, 5, -10, 5, 10);
    ASSERT_EQ(CalcSectionsFromContours(0), msg::kIdYes);
    const CrossSection& s = *GetCrossSection(1);
    EXPECT_EQ(s.height, 4);  // the first line crosses the centre
    EXPECT_EQ(s.leftCount, 1);  // the stake point
}

}  // namespace

namespace {

TEST_F(SectionCalc, TinySpacingIsBounded) {
    BuildGrid(4, 10, Plane);
    AddCrossStation("A", 0, 23, 15, 10, 10);
    g_sectionIntervalMode = 1;
    g_crossSectionInterval = 1e-9;
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const CrossSection& s = *GetCrossSection(1);
    EXPECT_EQ(s.rightCount, 50001);
    EXPECT_NEAR(s.points[s.rightCount].rightOffset, 10, 1e-9);  // the last one is the stake
    EXPECT_EQ(s.extraBlocks, 50001 / 125);
}

}  // namespace

namespace {

// A square pyramid of four triangles: the ground line of a cut is known in closed form,
// with its breaks where the line crosses the ridges.
TEST_F(SectionCalc, PyramidSectionsFollowTheRidges) {
    auto pyramid = [](double x, double y) { return 50 - std::max(std::fabs(x - 50), std::fabs(y - 50)); };
    const int32_t top = AddPoint(50, 50, 50), sw = AddPoint(0, 0, 0), se = AddPoint(0, 100, 0),
                  ne = AddPoint(100, 100, 0), nw = AddPoint(100, 0, 0);
    AddTriangle(sw, se, top);
    AddTriangle(se, ne, top);
    AddTriangle(ne, nw, top);
    AddTriangle(nw, sw, top);
    struct Case {
        double x;         // cut line across at this X, centre y = 50, half 30
        double ridge;     // offset of the ridge crossings (both sides)
    };
    const Case cases[] = {{30, 20}, {45, 5}, {60, 10}};
    for (const Case& c : cases) AddCrossStation("S", 0, c.x, 50, 30, 30);
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    for (int32_t i = 1; i <= 3; ++i) {
        const Case& c = cases[i - 1];
        const CrossSection& s = *GetCrossSection(i);
        SCOPED_TRACE(c.x);
        EXPECT_NEAR(s.height, pyramid(c.x, 50), 1e-9);
        ASSERT_EQ(s.leftCount, 2);
        ASSERT_EQ(s.rightCount, 2);
        EXPECT_NEAR(s.points[1].leftOffset, -c.ridge, 1e-9);
        EXPECT_NEAR(s.points[1].rightOffset, c.ridge, 1e-9);
        ForEachPoint(s, [&](double x, double y, double z, double) { EXPECT_NEAR(z, pyramid(x, y), 1e-9); });
    }
}

}  // namespace
