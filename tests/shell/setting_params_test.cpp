// The parameter dialog's work: radios into their globals, edits taken or refused, and
// the redraw only where the parameter is on show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "contour/contour_dialog.h"
#include "shell/setting_params.h"
#include "view/birds_eye_projection.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

using namespace setting_dlg;

namespace {
constexpr double kPi = 3.14159265358979323846;

class SettingParams : public ::testing::Test {
protected:
    void SetUp() override {
        g_simpleContourInterval = 1.0;
        g_simpleContourIndexInterval = 5.0;
        g_cursorStep = 0.2;
        g_birdsEyeAzimuth = 0;
        g_birdsEyeTilt = -0.2;
        g_birdsEyeOn = 0;
        g_showSimpleContours = 0;
        g_showPointElevations = 0;
        g_showRoute = 0;
        g_showOtherRoutes = 0;
        g_redrawMask = 0;
        repaints = 0;
        SetViewRepaintHandler([this] { ++repaints; });
    }
    void TearDown() override {
        SetViewRepaintHandler(nullptr);
        g_penSize = 1;
        g_elevationDecimals = 2;
        g_overviewExtent = 0;
        g_showRouteCrossSections = 1;
        g_showOtherRouteCrossSections = 1;
        g_rotationAxis = 0;
        g_cursorStep = 0.2;
        g_birdsEyeTilt = -0.2;
        g_birdsEyeAzimuth = 0;
    }
    int repaints = 0;
};
}  // namespace

TEST_F(SettingParams, SimpleIntervalSetsTheIndexStepAtLeastOne) {
    struct Case {
        const char* typed;
        const char* shown;
        double interval, index;
    };
    const Case cases[] = {
        {"0.1", "   0.100", 0.1, 1.0},  // 5 x 0.1 is raised to 1
        {"2", "   2.000", 2.0, 10.0},
        {"0", "0", 1.0, 5.0},           // not above 0: nothing changes, the text stays
        {"-3", "-3", 1.0, 5.0},
        {"", "", 1.0, 5.0},
        {"abc", "abc", 1.0, 5.0},
        {"inf", "inf", 1.0, 5.0},
        {"nan", "nan", 1.0, 5.0},
    };
    for (const Case& c : cases) {
        SetUp();
        EXPECT_EQ(OnSimpleIntervalEdit(c.typed), c.shown) << c.typed;
        EXPECT_EQ(g_simpleContourInterval, c.interval) << c.typed;
        EXPECT_EQ(g_simpleContourIndexInterval, c.index) << c.typed;
    }
}

TEST_F(SettingParams, CursorStepIsClampedToOneToHundredPercent) {
    struct Case {
        const char* typed;
        const char* shown;
        double step;
    };
    const Case cases[] = {
        {"250", "100", 1.0}, {"0", "0", 0.2}, {"", "", 0.2}, {"29", " 29", 0.29}, {"57", " 57", 0.57}, {"1", "  1", 0.01},
    };
    for (const Case& c : cases) {
        SetUp();
        EXPECT_EQ(OnCursorStepEdit(c.typed), c.shown) << c.typed;
        EXPECT_DOUBLE_EQ(g_cursorStep, c.step) << c.typed;
    }
    g_cursorStep = 0.2;
    EXPECT_EQ(CursorStepText(), " 20");
}

TEST_F(SettingParams, AnglesInRangeAreTakenOthersRestoreTheBox) {
    // 270 is held as -90 degrees and shown again as 270.0.
    EXPECT_EQ(OnAzimuthEdit("270"), "270");
    EXPECT_NEAR(g_birdsEyeAzimuth, -kPi / 2, 1e-15);
    EXPECT_EQ(AzimuthText(), "270.0");
    EXPECT_EQ(OnAzimuthEdit("180"), "180");
    EXPECT_NEAR(g_birdsEyeAzimuth, kPi, 1e-15);
    EXPECT_EQ(OnAzimuthEdit("361"), "180.0");
    EXPECT_EQ(OnAzimuthEdit("-1"), "180.0");
    EXPECT_EQ(OnAzimuthEdit("nan"), "180.0");
    EXPECT_NEAR(g_birdsEyeAzimuth, kPi, 1e-15);

    // The tilt takes -90 to 30; 45 is refused and the box shows the current angle.
    EXPECT_EQ(OnTiltEdit("45"), "-11.5");  // -0.2 rad
    EXPECT_EQ(g_birdsEyeTilt, -0.2);
    EXPECT_EQ(OnTiltEdit("-90"), "-90");
    EXPECT_NEAR(g_birdsEyeTilt, -kPi / 2, 1e-15);
    EXPECT_EQ(OnTiltEdit("30"), "30");
    EXPECT_EQ(OnTiltEdit("-90.5"), "30.0");
    EXPECT_EQ(OnTiltEdit("inf"), "30.0");
}

TEST_F(SettingParams, RadiosWriteTheirGlobalsAndShowThem) {
    struct Case {
        int id;
        int32_t* global;
        int32_t value;
    };
    const Case cases[] = {
        {kDecimals0, &g_elevationDecimals, 0},     {kDecimals3, &g_elevationDecimals, 3},
        {kOverviewAll, &g_overviewExtent, 0},      {kOverviewUsed, &g_overviewExtent, 1},
        {kOverviewInside, &g_overviewExtent, 2},   {kRouteSectionsOff, &g_showRouteCrossSections, 0},
        {kRouteSectionsOn, &g_showRouteCrossSections, 1}, {kOtherSectionsOff, &g_showOtherRouteCrossSections, 0},
        {kAxisForeAft, &g_rotationAxis, 1},        {kAxisVertical, &g_rotationAxis, 0},
        {kDot4, &g_penSize, 0},                    {kDot2, &g_penSize, 2},
        {kDot3, &g_penSize, 3},                    {kDot1, &g_penSize, 1},
    };
    for (const Case& c : cases) {
        *c.global = -7;
        OnSettingRadio(c.id);
        EXPECT_EQ(*c.global, c.value) << c.id;
        const auto checked = CheckedSettingRadios();
        EXPECT_NE(std::find(checked.begin(), checked.end(), c.id), checked.end()) << c.id;
    }
    // Values no radio has show the last radio of their group.
    g_elevationDecimals = 7;
    g_overviewExtent = 5;
    g_penSize = 9;
    const auto checked = CheckedSettingRadios();
    EXPECT_EQ(checked[0], kDecimals3);
    EXPECT_EQ(checked[1], kOverviewInside);
    EXPECT_EQ(checked[5], kDot4);
}

TEST_F(SettingParams, RedrawOnlyWhereTheParameterIsShown) {
    struct Case {
        const char* name;
        std::function<void()> change;
        int32_t* shownFlag;  // null: always redrawn
    };
    const Case cases[] = {
        {"decimals", [] { OnSettingRadio(kDecimals1); }, &g_showPointElevations},
        {"route sections", [] { OnSettingRadio(kRouteSectionsOff); }, &g_showRoute},
        {"other sections", [] { OnSettingRadio(kOtherSectionsOff); }, &g_showOtherRoutes},
        {"simple interval", [] { OnSimpleIntervalEdit("3"); }, &g_showSimpleContours},
        {"azimuth", [] { OnAzimuthEdit("10"); }, &g_birdsEyeOn},
        {"tilt", [] { OnTiltEdit("-10"); }, &g_birdsEyeOn},
        {"axis", [] { OnSettingRadio(kAxisForeAft); }, nullptr},
        {"dots", [] { OnSettingRadio(kDot2); }, nullptr},
    };
    for (const Case& c : cases) {
        for (int32_t shown : {0, -1}) {
            if (!c.shownFlag && shown == 0) continue;
            SetUp();
            if (c.shownFlag) *c.shownFlag = shown;
            c.change();
            EXPECT_EQ(repaints, shown ? 1 : 0) << c.name;
            EXPECT_EQ(g_redrawMask, shown ? -1 : 0) << c.name;
        }
    }
    SetUp();
    OnSettingRadio(kOverviewUsed);
    OnCursorStepEdit("30");
    EXPECT_EQ(repaints, 0);
}
