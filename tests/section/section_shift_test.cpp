// Plan sections shifted from the ground sections, and their files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../../bench/contour_bench_support.h"
#include "platform/files.h"
#include "platform/text_io.h"
#include "section/earthwork.h"
#include "section/section_files.h"
#include "section/section_shift.h"
#include "section/section_shift_command.h"
#include "section_test_support.h"

namespace {

using sectiontest::SectionFixture;

class SectionShift : public SectionFixture {
protected:
    static CrossSection& MakeSection(int32_t k, const char* name, double distance, double height) {
        EXPECT_TRUE(EnsureCrossSectionRoom(k, 10, 300));
        CrossSection& s = *GetCrossSection(k);
        s = CrossSection{};
        s.number = k;
        CopySectionName(s.name, kSectionNameBytes, name);
        s.distance = distance;
        s.height = height;
        s.points.resize(1);
        g_crossSectionCount = std::max(g_crossSectionCount, k);
        g_hasSections = 1;
        return s;
    }
    static void AddLeft(CrossSection& s, double offset, double height) {
        ++s.leftCount;
        if (static_cast<int32_t>(s.points.size()) <= s.leftCount) s.points.resize(s.leftCount + 1, SectionPoint{});
        s.points[s.leftCount].leftOffset = offset, s.points[s.leftCount].leftHeight = height;
    }
    static void AddRight(CrossSection& s, double offset, double height) {
        ++s.rightCount;
        if (static_cast<int32_t>(s.points.size()) <= s.rightCount) s.points.resize(s.rightCount + 1, SectionPoint{});
        s.points[s.rightCount].rightOffset = offset, s.points[s.rightCount].rightHeight = height;
    }
    struct Side {
        std::vector<double> offsets, heights;
        double start = 0;
    };
    // One side through ShiftSideParallel; ground given from the centre outwards.
    static Side ShiftSide(std::vector<double> offsets, std::vector<double> heights, bool left, double shift,
                          double datum) {
        Side out;
        ShiftSideParallel(offsets.data(), heights.data(), static_cast<int32_t>(offsets.size()) - 1, left, shift,
                          datum, &out.start, out.offsets, out.heights);
        return out;
    }
    static std::string Stars() {
        std::string s;
        for (int i = 0; i < 5; ++i) s += "********************\r\n";
        return s;
    }
};

TEST_F(SectionShift, DownLowersEveryPointAndFloorsAtTheDatum) {
    CrossSection& s = MakeSection(1, "NO.1", 0, 100.5);
    AddLeft(s, -5, 103);
    AddLeft(s, -10, 100.5);
    AddRight(s, 5, 99);
    s.extraBlocks = 0;
    ASSERT_EQ(ShiftSectionsDown(1, 100), 1);
    const PlanSection& p = *GetPlanSection(1);
    EXPECT_EQ(g_planSectionCount, 1);
    EXPECT_DOUBLE_EQ(p.planHeight, 100.0);
    ASSERT_EQ(p.leftCount, 2);
    ASSERT_EQ(p.rightCount, 1);
    EXPECT_DOUBLE_EQ(p.points[1].leftHeight, 102.0);
    EXPECT_DOUBLE_EQ(p.points[2].leftHeight, 100.0);
    EXPECT_DOUBLE_EQ(p.points[1].leftOffset, -5);
    EXPECT_DOUBLE_EQ(p.points[1].rightHeight, 100.0);
    EXPECT_DOUBLE_EQ(p.points[1].rightOffset, 5);
    // The ground is left as it was.
    EXPECT_DOUBLE_EQ(s.points[1].leftHeight, 103);
}

TEST_F(SectionShift, ParallelOnFlatGroundKeepsOnlyTheOuterPoints) {
    CrossSection& s = MakeSection(1, "NO.1", 0, 50);
    for (double o : {5, 10, 15, 20}) AddLeft(s, -o, 50), AddRight(s, o, 50);
    ASSERT_EQ(ShiftSectionsParallel(1, 0), 1);
    const PlanSection& p = *GetPlanSection(1);
    ASSERT_EQ(p.leftCount, 1);
    ASSERT_EQ(p.rightCount, 1);
    EXPECT_NEAR(p.points[1].leftOffset, -20, 1e-9);
    EXPECT_NEAR(p.points[1].leftHeight, 49, 1e-9);
    EXPECT_NEAR(p.points[1].rightOffset, 20, 1e-9);
    EXPECT_NEAR(p.points[1].rightHeight, 49, 1e-9);
    EXPECT_NEAR(p.planHeight, 49, 1e-9);
}

TEST_F(SectionShift, ParallelSideCases) {
    struct Case {
        const char* what;
        std::vector<double> offsets, heights;
        bool left;
        double shift, datum;
        std::vector<double> wantOffsets, wantHeights;
        double wantStart;
    };
    const double r2 = std::sqrt(2.0);
    const std::vector<Case> cases = {
        // The step down: the upper corner's lines meet 0.41 outside the vertex and the
        // point there is not farther out than it must be; the lower one is kept.
        {"step", {0, -10, -20, -30}, {50, 50, 40, 40}, true, 1, 0, {-20 + r2 - 1, -30}, {39, 39}, 49},
        {"flat right", {0, 5, 10}, {50, 50, 50}, false, 1, 0, {10}, {49}, 49},
        {"datum floors", {0, 10}, {50, 50}, false, 1, 49.5, {10}, {49.5}, 49.5},
        // A side with one point ends at its shifted segment's end, not at height 0.
        {"one point sloped", {0, 10}, {50, 40}, false, 1, 0, {10}, {40 - 1 / r2}, 50 - 1 / r2},
        {"one point floored", {0, -10}, {50, 40}, true, 1, 45, {-10}, {45}, 50 - 1 / r2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Side side = ShiftSide(c.offsets, c.heights, c.left, c.shift, c.datum);
        ASSERT_EQ(side.offsets.size(), c.wantOffsets.size());
        for (size_t k = 0; k < side.offsets.size(); ++k) {
            EXPECT_NEAR(side.offsets[k], c.wantOffsets[k], 1e-3) << k;
            EXPECT_NEAR(side.heights[k], c.wantHeights[k], 1e-3) << k;
        }
        EXPECT_NEAR(side.start, c.wantStart, 1e-9);
    }
}

TEST_F(SectionShift, FarCornersOfASharpValleyAreDropped) {
    // A V 5 m deep and 1 m wide: its offset lines meet about 10 m above the bottom.
    const Side side = ShiftSide({0, 10, 10.5, 11, 20}, {50, 50, 45, 50, 50}, false, 1, 0);
    ASSERT_FALSE(side.offsets.empty());
    for (size_t k = 0; k < side.offsets.size(); ++k) {
        EXPECT_FALSE(side.offsets[k] > 10.2 && side.offsets[k] < 10.8) << side.offsets[k];
        if (k > 0) {
            EXPECT_GT(side.offsets[k], side.offsets[k - 1]);
        }
    }
    EXPECT_NEAR(side.offsets.back(), 20, 1e-9);
    EXPECT_NEAR(side.heights.back(), 49, 1e-9);
}

TEST_F(SectionShift, BothSidesWithCornersGiveTheCentreOnTheLineBetweenThem) {
    CrossSection& s = MakeSection(1, "NO.1", 0, 50);
    AddLeft(s, -10, 50), AddLeft(s, -20, 40), AddLeft(s, -30, 40);
    AddRight(s, 10, 50), AddRight(s, 20, 40), AddRight(s, 30, 40);
    ASSERT_EQ(ShiftSectionsParallel(1, 0), 1);
    const PlanSection& p = *GetPlanSection(1);
    ASSERT_EQ(p.leftCount, 2);
    ASSERT_EQ(p.rightCount, 2);
    EXPECT_NEAR(p.points[1].leftOffset, -19.586, 1e-3);
    EXPECT_NEAR(p.points[1].rightOffset, 19.586, 1e-3);
    EXPECT_NEAR(p.planHeight, 39, 1e-9);
}

TEST_F(SectionShift, FilesByteForByte) {
    CrossSection& s = MakeSection(1, "NO.1+5.25", 20, 10.5);
    s.height2 = 11;
    s.centreX = 100, s.centreY = 200;
    s.leftDirX = -1, s.leftDirY = 0, s.rightDirX = 1, s.rightDirY = 0;
    AddLeft(s, -5, 10);
    AddLeft(s, -0.0004, 9);
    AddRight(s, 6, 12.25);
    ASSERT_EQ(ShiftSectionsDown(1, 0), 1);
    const std::filesystem::path doc = m_dir / "shifted.ALG";
    ASSERT_EQ(WriteShiftedSections(doc, 0), 0);
    std::string odn, jdn, rnd;
    ASSERT_TRUE(ReadFileBytes(m_dir / "shifted.ODN", odn));
    ASSERT_TRUE(ReadFileBytes(m_dir / "shifted.JDN", jdn));
    EXPECT_EQ(odn, Stars() +
                       "  1NO.1+5.25         20.000       9.500      11.000  0\r\n"
                       "    -5.000     9.000\r\n"
                       "     6.000    11.250\r\n"
                       "E\r\n");
    EXPECT_EQ(jdn, Stars() +
                       "    1\r\n    1\r\n"
                       "NO.1+5.25         20.000       9.500      11.000\r\n"
                       "E\r\n");
    ASSERT_EQ(WriteSectionPointsRnd(m_dir / "points.RND"), 0);
    ASSERT_TRUE(ReadFileBytes(m_dir / "points.RND", rnd));
    EXPECT_EQ(rnd, Stars() +
                       "NO.1+5.2        100.0000        200.0000       9.500  0  0  3\r\n"
                       "                 95.0000        200.0000       9.000  0  0  3\r\n"
                       "                 99.9996        200.0000       8.000  0  0  3\r\n"
                       "                106.0000        200.0000      11.250  0  0  3\r\n");
    // Only the files asked for.
    std::filesystem::remove(m_dir / "shifted.JDN");
    ASSERT_EQ(WriteShiftedSections(doc, 1), 0);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "shifted.JDN"));
}

TEST_F(SectionShift, NumbersFrom1000AreWrittenAsZero) {
    for (int32_t k = 1; k <= 1000; ++k) MakeSection(k, "S", k, 1);
    ASSERT_EQ(ShiftSectionsDown(1, 0), 1);
    const std::string odn = FormatShiftedOdnText();
    EXPECT_NE(odn.find("999S   "), std::string::npos);
    EXPECT_NE(odn.find("  0S   "), std::string::npos);
}

TEST_F(SectionShift, UnwritableFilesAreToldAndReturnMinusOne) {
    MakeSection(1, "S", 0, 1);
    ASSERT_EQ(ShiftSectionsDown(1, 0), 1);
    const std::filesystem::path missing = m_dir / "no" / "such" / "shifted.ALG";
    EXPECT_EQ(WriteShiftedSections(missing, 0), -1);
    EXPECT_EQ(WriteSectionPointsRnd(m_dir / "no" / "points.RND"), -1);
    EXPECT_FALSE(RecordedMessages().empty());
}

TEST_F(SectionShift, ShiftedFileReadBackAsPlanGivesTheSamePlanLines) {
    StraightRoute(0, 0, 0, 40);
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        CrossSection& s = MakeSection(i, g_stations[i].name, g_stations[i].addedDistance, 50);
        AddLeft(s, -10, 50), AddLeft(s, -20, 40), AddLeft(s, -30, 40);
        AddRight(s, 10, 50), AddRight(s, 30, 50);
    }
    ASSERT_EQ(ShiftSectionsParallel(1, 0), 1);
    std::vector<PlanSection> before(g_planSections.begin() + 1, g_planSections.begin() + 1 + g_crossSectionCount);
    ASSERT_EQ(WriteShiftedSections(m_dir / "plan.ALG", 1), 0);
    ASSERT_EQ(ReadPlanOdnFile(m_dir / "plan.ODN"), 0);
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const PlanSection& a = before[i - 1];
        const PlanSection& b = *GetPlanSection(i);
        SCOPED_TRACE(i);
        EXPECT_NEAR(b.planHeight, a.planHeight, 1e-3);
        // The reader starts each side at the centre and may close its end against the
        // ground beyond the points read.
        ASSERT_GE(b.leftCount, a.leftCount + 1);
        ASSERT_GE(b.rightCount, a.rightCount + 1);
        EXPECT_NEAR(b.points[1].leftHeight, a.planHeight, 1e-3);
        EXPECT_NEAR(b.points[1].rightHeight, a.planHeight, 1e-3);
        for (int32_t j = 1; j <= a.leftCount; ++j) {
            EXPECT_NEAR(b.points[j + 1].leftOffset, a.points[j].leftOffset, 1e-3);
            EXPECT_NEAR(b.points[j + 1].leftHeight, a.points[j].leftHeight, 1e-3);
        }
        for (int32_t j = 1; j <= a.rightCount; ++j) {
            EXPECT_NEAR(b.points[j + 1].rightOffset, a.points[j].rightOffset, 1e-3);
            EXPECT_NEAR(b.points[j + 1].rightHeight, a.points[j].rightHeight, 1e-3);
        }
    }
}

TEST_F(SectionShift, JacksboroLoweredOneMetreGivesSixtySquareMetres) {
    ASSERT_TRUE(LoadJacksboroTin());
    g_leftCutWidth = g_rightCutWidth = 30;
    StraightRoute(15000, 10000, 15000, 12000);
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    const std::filesystem::path ground = m_dir / "ground.ALG", plan = m_dir / "plan.ALG";
    ASSERT_EQ(WriteOdnJdnFiles(ground, 1), 0);
    ASSERT_EQ(ShiftSectionsDown(1, -1000), 1);
    ASSERT_EQ(WriteShiftedSections(plan, 1), 0);
    ASSERT_EQ(ReadOdnFile(ground), 0);
    ASSERT_EQ(ReadPlanOdnFile(WithExtension(plan, ".ODN")), 0);
    CalcEarthwork();
    int32_t full = 0;
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection& s = *GetCrossSection(i);
        const PlanSection& p = *GetPlanSection(i);
        SCOPED_TRACE(s.name);
        EXPECT_EQ(p.fillArea, 0);
        if (s.leftCount > 0 && s.rightCount > 0 && s.points[s.leftCount].leftOffset <= -30 + 1e-9 &&
            s.points[s.rightCount].rightOffset >= 30 - 1e-9) {
            EXPECT_NEAR(p.cutArea, 60.0, 1e-6);
            ++full;
        }
    }
    EXPECT_GT(full, 2);
}

}  // namespace

namespace {

class SectionShiftCommand : public sectiontest::SectionFixture {};

TEST_F(SectionShiftCommand, OpeningStartsFromShiftOneAndTheLowestPoint) {
    g_pointZMin = 12.5;
    g_sectionShift.shift = 4;
    SectionShiftWindowOpened();
    EXPECT_EQ(g_sectionShift.shift, 1.0);
    EXPECT_EQ(g_sectionShift.datum, 12.5);
    EXPECT_EQ(g_currentSection, 1);
    SectionShiftWindowClosed();
    EXPECT_EQ(g_currentSection, 0);
}

TEST_F(SectionShiftCommand, EditBoxesTakeAnyNumber) {
    SectionShiftWindowOpened();
    struct Case {
        const char* typed;
        double want;
        const char* shown;
    };
    for (const Case& c : {Case{"-2.5", -2.5, " -2.500"}, Case{"abc", -2.5, " -2.500"}, Case{" 0 ", 0, " 0.000"}}) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(SectionShiftAmountLeft(c.typed), c.shown);
        EXPECT_EQ(g_sectionShift.shift, c.want);
    }
    EXPECT_EQ(SectionShiftDatumLeft("100"), " 100.000");
    EXPECT_EQ(g_sectionShift.datum, 100.0);
    SectionShiftWindowClosed();
}

TEST_F(SectionShiftCommand, ReadoutMeasuresFromThePressPoint) {
    struct Case {
        SectionWorld cursor;
        const SectionWorld* press;
        const char* text;
    };
    const SectionWorld press{0.0, 100.0};
    const Case cases[] = {
        // 3-4-5: slope 5 m, rise 4 m, grade 80 %.
        {{3.0, 104.0}, &press, "D: +3.000 H:104.000 R:5.000m P:80.000% V:4.000m             "},
        {{-6.0, 92.0}, &press, "D: -6.000 H: 92.000 R:10.000m P:-80.000% V:-8.000m             "},
        // Under a centimetre there is no grade to speak of.
        {{0.005, 100.0}, &press, "D: +0.005 H:100.000 R:0.005m P:0.000% V:0.000m             "},
        {{1.5, 99.25}, nullptr, "D: +1.500 H: 99.250                                            "},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatShiftReadout(c.cursor, c.press), c.text);
}

TEST_F(SectionShiftCommand, PlanPointsAreHitNotGroundPoints) {
    EXPECT_TRUE(EnsureCrossSectionRoom(1, 10, 300));
    CrossSection& ground = *GetCrossSection(1);
    ground = CrossSection{};
    ground.height = 100;
    ground.points.resize(2, SectionPoint{});
    ground.leftCount = ground.rightCount = 1;
    ground.points[1].leftOffset = -5, ground.points[1].leftHeight = 100;
    ground.points[1].rightOffset = 5, ground.points[1].rightHeight = 100;
    g_crossSectionCount = 1;
    g_hasSections = 1;
    ShiftSectionsDown(1.0, 0.0);
    g_currentSection = 1;
    SectionFrame f;
    f.right = 800, f.bottom = 400;
    f.heightOrigin = 100;
    UpdateSectionScale(f, 20, 20, kCrossSectionScaleFactor);
    const SectionPixel onGround = SectionWorldToScreen(f, 5, 100);
    const SectionPixel onPlan = SectionWorldToScreen(f, 5, 99);
    EXPECT_EQ(HitTestPlanPoint(f, 15, onPlan.x, onPlan.y), 1);
    EXPECT_EQ(g_sectionHitRightPoint, 1);
    EXPECT_EQ(g_sectionHitLeftPoint, 0);
    const SectionPixel onLeft = SectionWorldToScreen(f, -5, 99);
    EXPECT_EQ(HitTestPlanPoint(f, 15, onLeft.x, onLeft.y), -1);
    // The ground point lies 1 m = 18 px above the plan point: outside 15 px.
    EXPECT_EQ(HitTestPlanPoint(f, 15, onGround.x, onGround.y - 18), 0);
    // Without a plan record there is nothing to hit.
    g_planSectionCount = 0;
    EXPECT_EQ(HitTestPlanPoint(f, 15, onPlan.x, onPlan.y), 0);
    g_currentSection = 0;
}

}  // namespace
