// The point-input panel's elevation field and wheel, its name cut, and how the panel and
// the coordinate-input dialog start.
#include <gtest/gtest.h>

#include <cmath>

#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "pointedit/point_input_settings.h"
#include "view/view_state.h"

namespace {

class PointInputSettings : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_newPointZ = 0;
        g_elevationWheelStep = 1.0;
        g_pointSnapMode = 0;
        g_coordInputSnap = 0;
        g_newPointMethod = 1;
    }
    void TearDown() override {
        g_dxfElementCount = 0;
        ReleaseDataModel();
    }
};

TEST_F(PointInputSettings, WheelStepsAndSnapsToWholeSteps) {
    struct Case { double z; double step; int delta; const char* shown; };
    const Case cases[] = {
        {12.34, 1.0, 120, "13.000"},   // 13.34 snapped down to a multiple of 1
        {12.34, 0.5, 120, "12.840"},   // a fractional step does not snap
        {-3.6, 1.0, -120, "-4.000"},   // -4.6 truncated towards zero
        {7.0, 2.0, 120, "8.000"},      // 9 snapped to 8
        {12.34, 0.0, 120, "12.341"},   // no step: the smallest move, no snapping
        {12.34, -1.0, -120, "12.339"},
    };
    for (const Case& c : cases) {
        g_newPointZ = c.z;
        g_elevationWheelStep = c.step;
        WheelElevation(c.delta);
        EXPECT_EQ(ElevationFieldText(), c.shown) << c.z << " step " << c.step;
    }
}

TEST_F(PointInputSettings, ElevationFieldTakesNumbersAndSteps) {
    g_newPointZ = 5;
    g_pickedPoint = 3;
    EXPECT_FALSE(ApplyElevationText("s0.5"));
    EXPECT_EQ(g_elevationWheelStep, 0.5);
    EXPECT_EQ(g_newPointZ, 5) << "a step leaves the elevation";
    EXPECT_EQ(g_pickedPoint, 3);
    ApplyElevationText("S-2");
    EXPECT_EQ(g_elevationWheelStep, 0.001);
    ApplyElevationText("s0");
    EXPECT_EQ(g_elevationWheelStep, 0.0);
    ApplyElevationText("sx");
    EXPECT_EQ(g_elevationWheelStep, 0.0) << "a step that is no number keeps the old one";

    for (const char* bad : {"abc", "", "12,5", "1e"}) {
        EXPECT_FALSE(ApplyElevationText(bad)) << bad;
        EXPECT_EQ(g_newPointZ, 5) << bad;
    }
    EXPECT_FALSE(ApplyElevationText(" 5.0004 ")) << "below 0.001 the picks stay";
    EXPECT_EQ(g_pickedPoint, 3);
    EXPECT_TRUE(ApplyElevationText("-12.5"));
    EXPECT_EQ(g_newPointZ, -12.5);
    EXPECT_EQ(g_pickedPoint, 0) << "a new elevation clears the picks";
    EXPECT_EQ(ElevationFieldText(), "-12.500");
}

TEST_F(PointInputSettings, NamesAreCutWithoutSplittingACharacter) {
    struct Case { std::string in; std::string kept; };
    const Case cases[] = {
        {"ABCDEFGHIJKL", "ABCDEFGHIJK"},
        {"ABCDEFGHIJ\x88\x9f", "ABCDEFGHIJ"},            // lead byte at byte 11
        {"A\x88\x9f\x88\x9f\x88\x9f\x88\x9f\x88\x9f", "A\x88\x9f\x88\x9f\x88\x9f\x88\x9f\x88\x9f"},
        // A trail byte in the lead-byte range at byte 11 is no lead byte.
        {"\x88\x9f\x88\x9f\x88\x9f\x88\x9f\x88\x9fZ", "\x88\x9f\x88\x9f\x88\x9f\x88\x9f\x88\x9fZ"},
        {"#ff0000", "#ff0000"},
    };
    for (const Case& c : cases) {
        SetNewPointNameText(c.in);
        EXPECT_EQ(g_newPointName, c.kept) << c.in;
    }
}

TEST_F(PointInputSettings, MethodsAndStartStates) {
    g_pickedPoint = 4;
    SelectNewPointMethod(0);
    EXPECT_EQ(g_pickedPoint, 4);
    EXPECT_TRUE(StartPointInputPanel().elevationEnabled);
    SelectNewPointMethod(2);
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_FALSE(StartPointInputPanel().elevationEnabled);

    g_pointSnapMode = -1;
    EXPECT_FALSE(StartPointInputPanel().snapEnabled);
    EXPECT_EQ(g_pointSnapMode, 0);
    g_pointSnapMode = 2;
    EXPECT_TRUE(StartPointInputPanel().snapEnabled);
    EXPECT_EQ(g_pointSnapMode, 2);
}

TEST_F(PointInputSettings, CoordInputFallsBackToWhatIsOffered) {
    struct Case { int32_t dxf; int32_t points; int32_t stored; int32_t want; };
    const Case cases[] = {
        {0, 5, 2, 0}, {0, 5, 1, 0}, {0, 5, 4, 0}, {0, 5, 3, 3},
        {7, 0, 3, 0}, {7, 0, 4, 4}, {7, 5, 2, 2}, {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        g_dxfElementCount = c.dxf;
        g_pointCount = c.points;
        g_coordInputSnap = c.stored;
        const CoordInputStart s = StartCoordInputDialog();
        EXPECT_EQ(s.dxfEnabled, c.dxf > 0);
        EXPECT_EQ(s.randomEnabled, c.points > 0);
        EXPECT_EQ(g_coordInputSnap, c.want) << c.dxf << " " << c.points << " " << c.stored;
    }
    g_pointCount = 0;
}

}  // namespace
