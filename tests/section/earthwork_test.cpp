// Average-end-area earthwork: plan reading and closing, areas, volumes, totals, the
// cross-point check and the result files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/numeric_text.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/text_io.h"
#include "section/earthwork.h"
#include "section/earthwork_command.h"
#include "section/earthwork_output.h"
#include "section/section_files.h"
#include "section_test_support.h"

namespace {

using sectiontest::SectionFixture;

struct Pt {
    double offset, height;
};

std::string SectionText(const std::vector<std::pair<double, std::vector<Pt>>>& sections, double height, int kind,
                        const char* prefix = "NO.") {
    std::string text;
    for (int i = 0; i < 5; ++i) text += "********************\r\n";
    int k = 0;
    for (const auto& [distance, points] : sections) {
        char line[128];
        ++k;
        const std::string name = prefix + std::to_string(k);
        std::snprintf(line, sizeof line, "%3d%-12.12s%12.3f%12.3f%12.3f%3d\r\n", k, name.c_str(), distance, height,
                      0.0, kind);
        text += line;
        for (const Pt& p : points) {
            std::snprintf(line, sizeof line, "%10.3f%10.3f\r\n", p.offset, p.height);
            text += line;
        }
        text += "E\r\n";
    }
    return text;
}

class Earthwork : public SectionFixture {
protected:
    void SetUp() override {
        SectionFixture::SetUp();
        InitEarthworkDefaults();
    }
    // Stations every 20 m along x, stakes 30 m either side.
    void Stations(const std::vector<double>& distances) {
        int k = 0;
        for (double d : distances) AddCrossStation(("NO." + std::to_string(k++)).c_str(), d, d, 0, 30, 30);
    }
    std::filesystem::path Write(const char* name, const std::string& text) {
        const std::filesystem::path p = m_dir / name;
        EXPECT_TRUE(WriteFileBytes(p, text));
        return p;
    }
    // Ground flat at 10 over +-15 at each distance; the plan of each section as given.
    void Load(const std::vector<double>& distances, double planHeight, int kind, const std::vector<Pt>& plan) {
        Stations(distances);
        std::vector<std::pair<double, std::vector<Pt>>> ground, planned;
        for (double d : distances) {
            ground.push_back({d, {{-15, 10}, {15, 10}}});
            planned.push_back({d, plan});
        }
        ASSERT_EQ(ReadOdnFile(Write("ground.ODN", SectionText(ground, 10, 0))), 0);
        ASSERT_EQ(ReadPlanOdnFile(Write("plan.ODN", SectionText(planned, planHeight, kind))), 0);
    }
};

TEST_F(Earthwork, RoundingIsHalfAwayFromZero) {
    const struct {
        double v;
        int n;
        double want;
    } cases[] = {{2.25, 1, 2.3}, {-2.25, 1, -2.3}, {123.5, 0, 124}, {123.45, 0, 123}, {12.345, 2, 12.35}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(RoundToDecimals(c.v, c.n), c.want) << c.v;
}

TEST_F(Earthwork, TrapezoidCutInClosedForm) {
    // Plan at 8 with side slopes to (+-4, 10): a trapezoid of (4 + 2) / 2 x 2 = 6 each side.
    Load({0, 20, 40}, 8, 0, {{-2, 8}, {-4, 10}, {2, 8}, {4, 10}});
    CalcEarthwork();
    const double mca[] = {0, 12, 12}, cv[] = {0, 240, 240};
    for (int32_t i = 1; i <= 3; ++i) {
        const PlanSection& p = *GetPlanSection(i);
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(p.cutArea, 12.0);
        EXPECT_DOUBLE_EQ(p.fillArea, 0.0);
        EXPECT_DOUBLE_EQ(p.meanCutArea, mca[i - 1]);
        EXPECT_DOUBLE_EQ(p.cutVolume, cv[i - 1]);
    }
    EXPECT_DOUBLE_EQ(g_totalCut, 480);
    EXPECT_DOUBLE_EQ(g_totalFill, 0);
    EXPECT_DOUBLE_EQ(g_divertedVolume, 480);
    EXPECT_DOUBLE_EQ(g_earthBalance, 480);
    EXPECT_EQ(EarthworkResultMessage(),
              "切土量　[ 480.000]　\n盛土量　[ 0.000]　\n流用土量[ 480.000]　\n残土　　[ 480.000]　\n"
              "計算結果を保存しますか？");
}

TEST_F(Earthwork, MirrorPlanFillsAndPlanOnGroundGivesNothing) {
    const struct {
        double height;
        std::vector<Pt> plan;
        double cut, fill;
    } cases[] = {
        {12, {{-2, 12}, {-4, 10}, {2, 12}, {4, 10}}, 0, 12},
        {10, {{-15, 10}, {15, 10}}, 0, 0},
        // Just above the centre: the first region is formed (0.002 x 15 x 2 counts 0 under
        // the tolerance); exactly on it: none.
        {10.5, {{-15, 10.5}, {-15, 10}, {15, 10.5}, {15, 10}}, 0, 15},
    };
    for (const auto& c : cases) {
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        g_stationCount = 0;
        Load({0, 20}, c.height, 0, c.plan);
        CalcEarthwork();
        SCOPED_TRACE(c.height);
        EXPECT_DOUBLE_EQ(GetPlanSection(2)->cutArea, c.cut);
        EXPECT_DOUBLE_EQ(GetPlanSection(2)->fillArea, c.fill);
    }
}

TEST_F(Earthwork, CutVolumeUsesTheRoundedDistanceAndFillTheStoredOne) {
    // Left: a cut of 10.0 below the ground; right: a fill of 10.0 above it. The small
    // triangle at the centre lies under the area tolerance.
    Load({0, 12.345}, 11, 0, {{-0.2, 9}, {-10.15, 9}, {10, 11}});
    g_distanceDecimals = 2;
    g_volumeDecimals = 0;
    g_diversionRate = 123.0 / 124.0;
    CalcEarthwork();
    const PlanSection& p = *GetPlanSection(2);
    EXPECT_DOUBLE_EQ(p.cutArea, 10.0);
    EXPECT_DOUBLE_EQ(p.fillArea, 10.0);
    EXPECT_DOUBLE_EQ(p.meanCutArea, 10.0);
    EXPECT_DOUBLE_EQ(p.cutVolume, 124);
    EXPECT_DOUBLE_EQ(p.fillVolume, 123);
    // A balance of exactly 0 is a surplus.
    EXPECT_DOUBLE_EQ(g_earthBalance, 0);
    EXPECT_NE(EarthworkResultMessage().find("残土　　[ 0.000]"), std::string::npos);
}

// A shortage (negative balance) is named 不足土 and shown as the amount missing.
TEST_F(Earthwork, ShortageIsShownAsThePositiveAmountMissing) {
    g_totalCut = 100.25;
    g_totalFill = 250.75;
    g_divertedVolume = 100.25;
    g_earthBalance = -150.5;
    EXPECT_EQ(EarthworkResultMessage(),
              "切土量　[ 100.250]　\n盛土量　[ 250.750]　\n流用土量[ 100.250]　\n不足土　[ 150.500]　\n"
              "計算結果を保存しますか？");
}

TEST_F(Earthwork, AreasUnderTheToleranceCountZero) {
    // A cut of 0.09 x 1 each side: under 0.1 for each region.
    Load({0, 20}, 9.91, 0, {{-1, 9.91}, {-1, 10}, {1, 9.91}, {1, 10}});
    CalcEarthwork();
    EXPECT_DOUBLE_EQ(GetPlanSection(2)->cutArea, 0);
    g_areaTolerance = 0.05;
    CalcEarthwork();
    EXPECT_DOUBLE_EQ(GetPlanSection(2)->cutArea, 0.2);
}

TEST_F(Earthwork, PlanReaderClosesAgainstTheGround) {
    // Kind 1: no centre point; inner and outer ends closed with vertical probes.
    Load({0, 20}, 8, 1, {{-2, 8}, {-4, 9}, {2, 8}, {20, 9}});
    const PlanSection& p = *GetPlanSection(1);
    ASSERT_EQ(p.leftCount, 4);
    EXPECT_DOUBLE_EQ(p.points[1].leftOffset, -2);
    EXPECT_DOUBLE_EQ(p.points[1].leftHeight, 10);
    EXPECT_DOUBLE_EQ(p.points[4].leftOffset, -4);
    EXPECT_DOUBLE_EQ(p.points[4].leftHeight, 10);
    // Plan position on the left direction (toward y - 30).
    EXPECT_DOUBLE_EQ(p.points[4].leftY, -4);
    // Beyond the ground line (15): no closing point.
    EXPECT_EQ(p.rightCount, 3);
    EXPECT_EQ(g_earthworkPlanLoaded, 1);

    // Kind 0: the centre point at the plan height on each side.
    InitRouteSectionDefaults();
    CreateSectionBlocks();
    g_stationCount = 0;
    Load({0}, 8, 0, {{-2, 8}, {-4, 10}});
    EXPECT_EQ(GetPlanSection(1)->leftCount, 3);
    EXPECT_DOUBLE_EQ(GetPlanSection(1)->points[1].leftOffset, 0);
    EXPECT_DOUBLE_EQ(GetPlanSection(1)->points[1].rightHeight, 8);
}

TEST_F(Earthwork, ANewPlanFileLeavesNoStalePlans) {
    Load({0, 20, 40}, 8, 0, {{-2, 8}, {-4, 10}});
    CalcEarthwork();
    EXPECT_DOUBLE_EQ(GetPlanSection(3)->cutArea, 6);
    // The second plan reaches only the first section.
    ASSERT_EQ(ReadPlanOdnFile(Write("plan2.ODN", SectionText({{0, {{-2, 8}, {-4, 10}}}}, 8, 0))), 0);
    CalcEarthwork();
    EXPECT_DOUBLE_EQ(GetPlanSection(1)->cutArea, 6);
    EXPECT_DOUBLE_EQ(GetPlanSection(3)->cutArea, 0);
    EXPECT_DOUBLE_EQ(g_totalCut, 60);
    // A plan section that matches no current section is skipped.
    ASSERT_EQ(ReadPlanOdnFile(Write("plan3.ODN", SectionText({{7, {{-2, 8}}}, {20, {{-2, 8}, {-4, 10}}}}, 8, 0))), 0);
    EXPECT_EQ(GetPlanSection(1)->leftCount, 0);
    EXPECT_EQ(GetPlanSection(2)->leftCount, 3);
    // Failures change nothing.
    EXPECT_EQ(ReadPlanOdnFile(m_dir / "none.ODN"), -1);
    EXPECT_EQ(GetPlanSection(2)->leftCount, 3);
    g_hasSections = 0;
    EXPECT_EQ(ReadPlanOdnFile(m_dir / "plan3.ODN"), -1);
    // Reading a current-ground file again makes the plan unread.
    EXPECT_EQ(ReadOdnFile(m_dir / "ground.ODN"), 0);
    EXPECT_EQ(g_earthworkPlanLoaded, 0);
    EXPECT_FALSE(EarthworkCalcAllowed());
}

TEST_F(Earthwork, CrossPointCheckMarksAndMovesPoints) {
    Stations({0});
    ASSERT_EQ(ReadOdnFile(Write("g.ODN", SectionText({{0, {{-5, 10}, {-10, 10}, {-15, 12}}}}, 10, 0))), 0);
    // Near ground point 1, on ground segment 2-3, far from everything.
    ASSERT_EQ(ReadPlanOdnFile(Write("p.ODN", SectionText({{0, {{-5.05, 10}, {-12.5, 11.02}, {-20, 30}}}}, 10, 2))), 0);
    AdjustCrossSectionPoints(0.1, 0);
    const PlanSection& p = *GetPlanSection(1);
    ASSERT_GE(p.leftCount, 3);
    EXPECT_EQ(p.points[1].leftMark, 1);
    EXPECT_EQ(p.points[2].leftMark, -1);
    EXPECT_EQ(p.points[3].leftMark, 0);
    EXPECT_DOUBLE_EQ(p.points[2].leftHeight, 11.02);
    AdjustCrossSectionPoints(0.1, 1);
    EXPECT_DOUBLE_EQ(GetCrossSection(1)->points[1].leftOffset, -5.05);
    EXPECT_NEAR(p.points[2].leftHeight, 11, 0.01);
}

TEST_F(Earthwork, ResultFilesAndTableGolden) {
    Load({0, 20, 40}, 8, 0, {{-2, 8}, {-4, 10}, {2, 8}, {4, 10}});
    CalcEarthwork();
    g_earthworkOutputPath = (m_dir / "result.OPL").string();
    ASSERT_EQ(WriteSd2File(), 0);
    ASSERT_EQ(WriteOplFile(), 0);
    std::string sd2, opl;
    ASSERT_TRUE(ReadFileBytes(m_dir / "result.SD2", sd2));
    ASSERT_TRUE(ReadFileBytes(m_dir / "result.OPL", opl));
    const std::filesystem::path golden = std::filesystem::path(NOSTREL_SOURCE_DIR) / "tests/data/earthwork";
    std::string want;
    ASSERT_TRUE(ReadFileBytes(golden / "trapezoid.SD2", want));
    EXPECT_EQ(sd2, want);
    ASSERT_TRUE(ReadFileBytes(golden / "trapezoid.OPL", want));
    EXPECT_EQ(opl, want);
    // The table goes to the clipboard as CP932 with CR LF.
    ASSERT_TRUE(CopyEarthworkTable());
    ASSERT_TRUE(ReadFileBytes(golden / "trapezoid_table.txt", want));
    EXPECT_EQ(GetClipboardText(), want);
    EXPECT_EQ(Cp932ToUtf8(want.substr(0, want.find("\r\n"))),
              "Ｎｏ\t        点名\t    追加距離\t  単距離\t     ＣＡ\t   ＭＣＡ\t        ＣＶ\t     ＢＡ\t   ＭＢＡ\t        ＢＶ\t");
    // The ground file read is written again byte for byte.
    ASSERT_EQ(WriteOdnJdnFiles(m_dir / "again.ALG", 1), 0);
    std::string ground, again;
    ASSERT_TRUE(ReadFileBytes(m_dir / "ground.ODN", ground));
    ASSERT_TRUE(ReadFileBytes(m_dir / "again.ODN", again));
    EXPECT_EQ(again, ground);
}

TEST_F(Earthwork, BusyClipboardIsToldAndCopiesNothing) {
    Load({0}, 8, 0, {{-2, 8}});
    CalcEarthwork();
    ClipboardHooks busy;
    busy.set = [](const std::string&) { return false; };
    busy.get = [] { return std::string("kept"); };
    SetClipboardHooks(busy);
    ClearRecordedMessages();
    EXPECT_FALSE(CopyEarthworkTable());
    SetClipboardHooks({});
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "クリップボードは他のアプリケーションで使用中です");
    EXPECT_EQ(RecordedMessages()[0].caption, "コピーできません");
}

TEST_F(Earthwork, ResultFileFailuresAreTold) {
    Load({0}, 8, 0, {{-2, 8}});
    CalcEarthwork();
    g_earthworkOutputPath = (m_dir / "missing" / "r.OPL").string();
    ClearRecordedMessages();
    EXPECT_EQ(WriteSd2File(), -1);
    EXPECT_EQ(WriteOplFile(), -1);
    EXPECT_EQ(RecordedMessages().size(), 2u);
}

}  // namespace
