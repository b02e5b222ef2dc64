// The exaggeration bar, the simple-contour interval and the slope-line settings: what
// each field accepts, and how OK and Cancel leave the slope lines.
#include "view/display_settings.h"

#include <gtest/gtest.h>

#include "contour/contour_dialog.h"
#include "model/terrain_data.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/view_state.h"

namespace {
class DisplaySettings : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override { InitDataModel(); }
};

TEST_F(DisplaySettings, WheelStepGrowsWithTheValueAndStopsAtFifty) {
    struct Case {
        double from;
        int delta;
        double to;
    } cases[] = {
        {1.9, 120, 2.0},  {2.0, 120, 2.3},  {9.5, 120, 10.0}, {10.0, 120, 11.0},
        {2.0, -120, 1.7}, {10.0, -120, 9.0}, {50.0, 120, 50.0}, {0.1, -120, 0.1},
        {4.9, 120, 5.2},
    };
    for (const Case& c : cases) {
        g_heightScale = c.from;
        WheelHeightScaleBar(c.delta);
        EXPECT_NEAR(g_heightScale, c.to, 1e-9) << c.from << " " << c.delta;
    }
}

TEST_F(DisplaySettings, TypedExaggerationIsHeldToItsRange) {
    HeightScaleBarState bar;
    bar.lastShown = 1.0;
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"0.005", 0.1}, {"150", 100}, {"100", 100}, {"2.5", 2.5}, {"abc", 0.1}, {"-3", 0.1}};
    for (const Case& c : cases) {
        g_heightScale = 1.0;
        EXPECT_TRUE(LeaveHeightScaleField(bar, c.text)) << c.text;
        EXPECT_DOUBLE_EQ(g_heightScale, c.value) << c.text;
    }
    // An empty field keeps the value; retyping the shown value asks for no repaint.
    g_heightScale = 3.0;
    EXPECT_FALSE(LeaveHeightScaleField(bar, ""));
    EXPECT_DOUBLE_EQ(g_heightScale, 3.0);
    EXPECT_FALSE(LeaveHeightScaleField(bar, "1.0"));
}

TEST_F(DisplaySettings, BarShowsOnlyInTheBirdsEyeViewAndFollowsTheValue) {
    HeightScaleBarState bar;
    bar.enabled = true;
    g_heightScale = 1.0;
    HeightScaleBarRefresh r = UpdateHeightScaleBar(bar, true);
    EXPECT_TRUE(r.show);
    EXPECT_EQ(r.text, " 1.0");
    r = UpdateHeightScaleBar(bar, true);  // shown once; the text unchanged
    EXPECT_FALSE(r.show);
    EXPECT_TRUE(r.text.empty());
    g_heightScale = 12.5;
    r = UpdateHeightScaleBar(bar, false);
    EXPECT_TRUE(r.hide);
    EXPECT_EQ(r.text, " 12.5");
    EXPECT_FALSE(bar.shown);
    bar.enabled = false;
    r = UpdateHeightScaleBar(bar, true);
    EXPECT_FALSE(r.show);
}

TEST_F(DisplaySettings, SimpleContourIntervalField) {
    struct Case {
        double before;
        const char* text;
        double interval;
        double index;
        const char* shown;
    } cases[] = {
        {1.0, "0.1", 0.1, 1.0, "0.100"},     // 5 x 0.1 is raised to 1
        {1.0, "2", 2.0, 10.0, "2.000"},
        {1.0, "0", 0.0, 5.0, "0.000"},       // no simple contours
        {1.0, "-4", 1.0, 5.0, "1.000"},      // ignored
        {1.0, "x", 0.0, 5.0, "0.000"},       // no number reads as 0
    };
    for (const Case& c : cases) {
        g_simpleContourInterval = c.before;
        g_simpleContourIndexInterval = 5.0;
        EXPECT_EQ(LeaveSimpleContourField(c.text), c.shown) << c.text;
        EXPECT_DOUBLE_EQ(g_simpleContourInterval, c.interval) << c.text;
        EXPECT_DOUBLE_EQ(g_simpleContourIndexInterval, c.index) << c.text;
    }
    g_simpleContourInterval = -2;
    EXPECT_EQ(OpenSimpleContourDialog(), "0.000");
    EXPECT_EQ(g_simpleContourInterval, 0);
}

TEST_F(DisplaySettings, SlopeFieldsAreHeldToTheirRanges) {
    struct Case {
        std::string (*leave)(const std::string&);
        const char* text;
        const char* shown;
    } cases[] = {
        {LeaveGentleSlopeField, "12.345", "12.35"}, {LeaveGentleSlopeField, "-5", "0.00"},
        {LeaveSteepSlopeField, "89", "89.00"},     {LeaveSteepSlopeField, "120", "89.00"},
        {LeaveSlopeDecimalsField, "7", " 5"},       {LeaveSlopeDecimalsField, "5", " 5"},
        {LeaveSlopeDecimalsField, "-1", " 0"},      {LeaveSlopeDecimalsField, "2%", " 2%"},
        {LeaveSlopeDecimalsField, "3", " 3"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.leave(c.text), c.shown) << c.text;
    EXPECT_DOUBLE_EQ(g_colorBandParams.gentleSlope, 0);
    EXPECT_DOUBLE_EQ(g_colorBandParams.steepSlope, 89);
    EXPECT_EQ(g_colorBandParams.slopeLineSetting, 3);
}

TEST_F(DisplaySettings, OkSetsTheLabelBits) {
    struct Case {
        bool labels, percent;
        const char* decimals;
        int32_t bits;
    } cases[] = {
        {false, false, " 1", 1}, {false, true, "2%", 1}, {true, false, " 1", 1 | 2},
        {true, true, " 1", 1 | 4}, {true, true, "2%", 1 | 4 | 8},
    };
    for (const Case& c : cases) {
        g_showSlopeLines = 0;
        SlopeLineDialogValues v;
        v.labels = c.labels;
        v.percent = c.percent;
        v.decimals = LeaveSlopeDecimalsField(c.decimals);
        AcceptSlopeLineDialog(v);
        EXPECT_EQ(g_showSlopeLines, c.bits) << c.decimals;
    }
    EXPECT_EQ(g_colorBandParams.slopeLineSetting, 2);  // "2%": two decimals
}

TEST_F(DisplaySettings, OpeningShowsTheSettingsAndReopeningKeepsThem) {
    g_colorBandParams.gentleSlope = 10;
    g_colorBandParams.steepSlope = 30;
    g_colorBandParams.slopeLineSetting = 1;
    g_showSlopeLines = 1 | 4 | 8;
    SlopeLineDialogValues v = OpenSlopeLineDialog();
    EXPECT_TRUE(v.percent);
    EXPECT_TRUE(v.labels);
    EXPECT_EQ(v.gentle, "10.00");
    EXPECT_EQ(v.steep, "30.00");
    EXPECT_EQ(v.decimals, " 1%");
    AcceptSlopeLineDialog(v);
    EXPECT_EQ(g_showSlopeLines, 1 | 4 | 8);
}

TEST_F(DisplaySettings, CancelTakesTheAnglesBackAndHidesTheLines) {
    g_colorBandParams.gentleSlope = 10;
    g_colorBandParams.steepSlope = 30;
    g_showSlopeLines = 1 | 2;  // on before the dialog
    OpenSlopeLineDialog();
    LeaveGentleSlopeField("45");
    LeaveSteepSlopeField("60");
    CancelSlopeLineDialog();
    EXPECT_DOUBLE_EQ(g_colorBandParams.gentleSlope, 10);
    EXPECT_DOUBLE_EQ(g_colorBandParams.steepSlope, 30);
    EXPECT_EQ(g_showSlopeLines, 0);
}
}  // namespace
