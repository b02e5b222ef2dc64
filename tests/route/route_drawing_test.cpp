// Computed stations reach the view: the painter draws their cut lines.
#include "../view/painter_fixture.h"
#include "route/route_calc.h"
#include "route/route_data.h"
#include "section/section_defaults.h"

namespace {
class RouteDrawing : public PainterTest {};
}  // namespace

TEST_F(RouteDrawing, ComputedStationsShowTheirCutLines) {
    InitRouteSectionDefaults();
    g_ipPointCount = 2;
    g_ipPoints[1] = IpPoint{};
    g_ipPoints[1].x = -50;
    std::strcpy(g_ipPoints[1].name, "BP");
    g_ipPoints[2] = IpPoint{};
    g_ipPoints[2].x = 50;
    g_ipPoints[2].number = 2;
    std::strcpy(g_ipPoints[2].name, "EP");
    g_bpAddedDistance = 0;
    CalcRoute();
    ASSERT_EQ(g_stationCount, 6);  // BP, NO1 to NO4 at x = -30, -10, 10, 30, EP
    ASSERT_EQ(Paint(), 1);
    EXPECT_EQ(At(-30, -25), Color(43)) << "left cut line of NO1";
    EXPECT_EQ(At(10, 25), Color(43)) << "right cut line of NO3";
    EXPECT_NE(At(0, -25), Color(43)) << "between two stations";
}
