#include "section/section_calc_command.h"

#include <gtest/gtest.h>

#include "analysis/point_section_settings.h"
#include "section_test_support.h"
#include "shell/sibling_programs.h"

namespace {

using sectiontest::SectionFixture;

class SectionCalcCommand : public SectionFixture {};

TEST_F(SectionCalcCommand, DialogControls) {
    SectionCalcDialogState s = OpenSectionCalcDialog(false);
    EXPECT_EQ(s.intervalText, "    10.000");
    EXPECT_FALSE(s.IntervalControlsEnabled());
    EXPECT_TRUE(s.FollowSurfaceEnabled());
    // A spacing of 0 or below is refused and the field shows the one in force.
    for (const char* typed : {"0", "-3", "abc"}) EXPECT_EQ(SectionIntervalFieldLeft(typed), "    10.000") << typed;
    EXPECT_EQ(SectionIntervalFieldLeft(" 2.5"), "     2.500");
    EXPECT_EQ(g_crossSectionInterval, 2.5);
    // Follow-surface and plan-only exclude each other; both may be off.
    ClickSectionCalcControl(kSectionFollowSurface, true, s);
    ClickSectionCalcControl(kSectionPlanOnly, true, s);
    EXPECT_TRUE(s.planOnly);
    EXPECT_FALSE(s.followSurface);
    ClickSectionCalcControl(kSectionFollowSurface, true, s);
    EXPECT_FALSE(s.planOnly);
    ClickSectionCalcControl(kSectionFollowSurface, false, s);
    EXPECT_FALSE(s.followSurface || s.planOnly);
    // Starting in interval mode clears both.
    ClickSectionCalcControl(kSectionFollowSurface, true, s);
    ClickSectionCalcControl(kSectionModeInterval, true, s);
    EXPECT_TRUE(s.IntervalControlsEnabled());
    EXPECT_FALSE(s.FollowSurfaceEnabled());
    StartSectionCalcDialog();
    EXPECT_EQ(g_followSurface, 0);
    EXPECT_EQ(g_planSurfaceOnly, 0);
    EXPECT_TRUE(OpenSectionCalcDialog(true).hideExtras);
    EXPECT_FALSE(OpenSectionCalcDialog(true).FollowSurfaceEnabled());
}

TEST_F(SectionCalcCommand, BandWidthField) {
    OpenPointSectionSettings();
    EXPECT_EQ(BandWidthText(), "  0.200");
    EXPECT_EQ(BandWidthFieldLeft("0"), "  0.100");
    EXPECT_EQ(BandWidthFieldLeft("-1"), "  0.100");
    EXPECT_EQ(BandWidthFieldLeft("0.0005"), " 0.00050");
    EXPECT_EQ(BandWidthFieldLeft("x"), " 0.00050");
    PointSectionSettingsState s = OpenPointSectionSettings();
    ClickPointSectionSetting(kBandAlignByPlanDistance, true, s);
    EXPECT_EQ(g_bandAlignWithHeight, 0);
    EXPECT_FALSE(s.ConnectAllEnabled());
}

TEST_F(SectionCalcCommand, TinCommandChoosesTheCalculation) {
    int dialogs = 0, pointDialogs = 0, saves = 0;
    int answer = kSectionDialogStart;
    SectionCommandHooks hooks;
    hooks.runSectionDialog = [&](bool hideExtras) {
        EXPECT_FALSE(hideExtras);
        ++dialogs;
        return answer;
    };
    hooks.runPointSettingsDialog = [&] { ++pointDialogs; };
    hooks.saveRouteDocument = [&] { ++saves; };
    EXPECT_EQ(FindRunningSectionProgram(0), 0);

    // One triangle: sections from the points, whatever the settings dialog said.
    const int32_t a = AddPoint(0, 0, 1), b = AddPoint(10, 0, 2), c = AddPoint(0, 10, 3);
    AddTriangle(a, b, c);
    AddPoint(5, 1, 4);
    AddCrossStation("A", 0, 5, 5, 5, 5);
    EXPECT_EQ(OnTinSectionCalc(hooks), msg::kIdYes);
    EXPECT_EQ(pointDialogs, 1);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(g_hasSections, 1);

    // A TIN: dialog 210; No to the question saves nothing; cancel runs nothing.
    InitDataModel();
    BuildGrid(4, 10, [](double x, double) { return x; });
    AddCrossStation("A", 0, 15, 15, 10, 10);
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(OnTinSectionCalc(hooks), msg::kIdNo);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(saves, 1);
    EXPECT_GT(GetCrossSection(1)->leftCount, 0);
    answer = kSectionDialogCancel;
    ClearRecordedMessages();
    EXPECT_EQ(OnTinSectionCalc(hooks), 0);
    EXPECT_TRUE(RecordedMessages().empty());
    answer = kSectionDialogSimple;
    EXPECT_EQ(OnTinSectionCalc(hooks), msg::kIdYes);
    EXPECT_EQ(g_simpleSectionCount, 1);
    EXPECT_EQ(saves, 1);  // simple sections take their own save road
}

TEST_F(SectionCalcCommand, ContourCommandHidesTheExtras) {
    bool hidden = false;
    SectionCommandHooks hooks;
    hooks.runSectionDialog = [&](bool hideExtras) {
        hidden = hideExtras;
        return kSectionDialogCancel;
    };
    AddCrossStation("A", 0, 5, 5, 5, 5);
    g_dataChanged = 0;
    EXPECT_EQ(OnContourSectionCalc(hooks), 0);
    EXPECT_TRUE(hidden);
    EXPECT_EQ(g_dataChanged, 0);
}

}  // namespace
