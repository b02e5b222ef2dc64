#include "route/route_calc_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "route_test_state.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "section/section_defaults.h"
#include "view/view_state.h"

namespace {
class RouteCalcDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRouteTestState();
    }
    void TearDown() override {
        ReleaseDataModel();
        ClearRecordedMessages();
    }
};
}  // namespace

TEST_F(RouteCalcDialog, FieldsShowTheirFormatsAndRefuseWhatTheyDoNotAccept) {
    struct Case {
        int id;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {kRouteIntervalField, "-5", "    20.000"},
        {kRouteIntervalField, "abc", "    20.000"},
        {kRouteIntervalField, "0", "     0.000"},  // the computation refuses it
        {kRouteIntervalField, " 12.5 ", "    12.500"},
        {kRouteLeftWidthField, "-1", "    30.000"},
        {kRouteRightWidthField, "7.25", "     7.250"},
        {kRouteBpAddedField, "-120.5", "  -120.50000"},
        {kRouteBpBackField, "-3", "     0.00000"},
        {kRouteEpForwardField, "15", "    15.00000"},
        {kRouteFirstNumberField, "-3", "   -3"},
        {kRouteFirstNumberField, "x", "   -3"},
        {kRouteToleranceField, "0.00005", "0.0100"},
        {kRouteToleranceField, "0.0001", "0.0001"},
    };
    for (const Case& c : cases) EXPECT_EQ(RouteCalcFieldLeft(c.id, c.typed), c.shown) << c.typed;
    EXPECT_EQ(g_stationInterval, 12.5);
    EXPECT_EQ(g_rightCutWidth, 7.25);
    EXPECT_EQ(g_bpAddedDistance, -120.5);
    EXPECT_EQ(g_firstStationNumber, -3);
    EXPECT_EQ(g_routeTolerance, 0.0001);
}

TEST_F(RouteCalcDialog, ChoicesFollowTheControls) {
    g_stationNaming = 2;
    g_clothoidNaming = 0;
    g_outputSingleCurveSp = 7;  // anything but 1 shows unchecked and becomes 0
    g_makeAuxStations = 1;
    RouteCalcDialogValues values = OpenRouteCalcDialog();
    EXPECT_EQ(values.stationNamingRadio, kRouteNamingAdded);
    EXPECT_EQ(values.clothoidNamingRadio, kRouteClothoidBtc);
    EXPECT_FALSE(values.singleCurveSp);
    EXPECT_EQ(g_outputSingleCurveSp, 0);
    EXPECT_TRUE(values.auxStations);

    SelectRouteCalcRadio(kRouteNamingSta, values);
    SelectRouteCalcRadio(kRouteClothoidKa, values);
    ToggleRouteSingleCurveSp(values);
    SetRouteAuxStations(false, values);
    EXPECT_EQ(g_stationNaming, 1);
    EXPECT_EQ(g_clothoidNaming, 1);
    EXPECT_EQ(g_outputSingleCurveSp, 1);
    EXPECT_EQ(g_makeAuxStations, 0);
    EXPECT_EQ(values.stationNamingRadio, kRouteNamingSta);
}

TEST_F(RouteCalcDialog, StartComputesAndRedrawsEverything) {
    g_ipPointCount = 2;
    std::strcpy(g_ipPoints[1].name, "BP");
    std::strcpy(g_ipPoints[2].name, "EP");
    g_ipPoints[2].x = 50;
    g_redrawMask = 0;
    StartRouteCalc();
    EXPECT_EQ(g_stationCount, 4);  // BP, NO1, NO2, EP
    EXPECT_EQ(g_redrawMask, -1);

    // The interval 0 that the field takes is refused by the computation.
    RouteCalcFieldLeft(kRouteIntervalField, "0");
    StartRouteCalc();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "縦断測点間隔が入力されていません。");
    EXPECT_EQ(g_redrawMask, -1);
}
