#include <algorithm>

#include "model/pick_reset.h"
#include "painter_fixture.h"
#include "platform/system_text.h"
#include "route/route_data.h"
#include "view/color_band_params.h"
#include "view/text_flags.h"

namespace {
using Painter = PainterTest;

constexpr uint32_t kUntouched = 0x00ABCDEF;

void FillBuffer(uint32_t color) {
    for (int32_t r = 0; r < BackBufferHeight(); ++r)
        std::fill(g_rowTable[r], g_rowTable[r] + BackBufferWidth(), color);
}
}  // namespace

TEST_F(Painter, NothingToShowDrawsNothing) {
    FillBuffer(kUntouched);
    EXPECT_EQ(Paint(), 0);
    EXPECT_EQ(CountColor(kUntouched), (kWidth + 1) * (kHeight + 1));
}

TEST_F(Painter, LayersTakeTheirColours) {
    MakeSquareTin();
    g_tinEdges[2] = {-2, -3, kNoApex, -1, 0};  // a hole behind the side 2-3
    const int32_t invalid = AddPoint(-30, -30, 0);
    g_points[invalid].invalid = 1;
    const int32_t outside = AddPoint(-30, 30, 0);
    g_points[outside].outside = 1;
    const int32_t flagged = AddPoint(60, 60, 0);
    g_points[flagged].flags = kPointFlagPickList2;

    ASSERT_EQ(Paint(), 1);
    EXPECT_EQ(At(0, 20), Color(30)) << "TIN side 1-2";
    EXPECT_EQ(At(20, 20), Color(30)) << "TIN diagonal";
    EXPECT_EQ(At(20, 40), Color(31)) << "hole side";
    EXPECT_EQ(At(0, 0), Color(20));
    EXPECT_EQ(At(-30, -30), Color(21));
    EXPECT_EQ(At(-30, 30), Color(25));
    EXPECT_EQ(At(60, 60), Color(23));
    EXPECT_EQ(At(-50, 60), Color(10)) << "background";

    // The outline covers the TIN; hidden invalid points are left out.
    SetList(g_outline, {1, 2, 3, 4});
    g_outline.Close();
    g_hideInvalidPoints = -1;
    g_redrawMask = -1;
    Paint();
    EXPECT_EQ(At(0, 20), Color(40));
    EXPECT_EQ(At(20, 0), Color(40)) << "the closing side 4-1";
    EXPECT_EQ(At(-30, -30), Color(10));
}

TEST_F(Painter, WatershedAndFlatPointMarksStandApartFromHolesAndInvalidPoints) {
    MakeSquareTin();
    g_tinEdges[2] = {-2, -3, kNoApex, -1, 0};     // a hole behind the side 2-3
    g_tinEdges[5] = {-1, -3, -2, 4, 0x10000};     // the diagonal marked by a watershed search
    const int32_t invalid = AddPoint(-30, -30, 0);
    g_points[invalid].invalid = 1;
    const int32_t flat = AddPoint(-30, 30, 0);
    g_points[flat].invalid = 2;  // marked by the flat-point dialog
    g_hideInvalidPoints = -1;
    ASSERT_EQ(Paint(), 1);
    EXPECT_EQ(At(20, 40), Color(31)) << "hole side";
    EXPECT_EQ(At(20, 20), Color(41)) << "watershed diagonal";
    EXPECT_NE(Color(41), Color(31));
    EXPECT_EQ(At(-30, -30), Color(10)) << "hidden invalid point";
    EXPECT_EQ(At(-30, 30), Color(46)) << "flat-point mark, shown while invalid points are hidden";
    EXPECT_NE(Color(46), Color(21));
}

TEST_F(Painter, MaskZeroKeepsTheRenderedLayersAndMinusOneRedrawsThem) {
    MakeSquareTin();
    SetList(g_outline, {1, 2, 3, 4});
    g_outline.Close();
    g_showGrid = -1;
    g_gridInterval = 10;
    ASSERT_EQ(Paint(), 1);
    const std::vector<uint32_t> first = Frame();

    // The data change, but mask 0 only redraws the overlays over the previous frame.
    g_points[3].x = 60;
    g_showTin = 0;
    g_redrawMask = 0;
    ASSERT_EQ(Paint(), 1);
    EXPECT_TRUE(Frame() == first);

    // Mask 1 adds the pick list over the same frame and nothing else.
    SetList(g_pickList, {1, 3});
    g_redrawMask = 1;
    Paint();
    EXPECT_EQ(At(20, 20), Color(24));
    std::vector<uint32_t> now = Frame();
    size_t changed = 0;
    for (size_t k = 0; k < now.size(); ++k) changed += now[k] != first[k];
    EXPECT_GT(changed, 0u);
    EXPECT_LT(changed, 60u);

    // -1 re-renders everything: the same as a paint over a spoilt buffer.
    g_pickList.Reset();
    g_redrawMask = -1;
    Paint();
    const std::vector<uint32_t> full = Frame();
    EXPECT_FALSE(full == first);
    FillBuffer(kUntouched);
    g_redrawMask = -1;
    Paint();
    EXPECT_TRUE(Frame() == full);
    EXPECT_EQ(At(60, 40), Color(20)) << "the moved point";
}

TEST_F(Painter, GridLinesEveryIntervalWithIndexLinesEveryFifth) {
    AddPoint(0, 0, 0);
    g_showPoints = 0;
    g_showGrid = -1;
    g_gridInterval = 10;
    g_viewCenterX = 3;  // rows of X = 0, 10, ... lie 3 rows below their multiples of 10
    ASSERT_EQ(Paint(), 1);
    // Horizontal lines (constant X) cross column 7, which no vertical line touches.
    for (int32_t x = -70; x <= 70; x += 10) {
        const int32_t row = g_viewportCenterY + x - 3;
        const uint32_t want = x % 50 == 0 ? Color(55) : Color(54);
        EXPECT_EQ(Pixel(7, row), want) << x;
        EXPECT_EQ(Pixel(7, row + 1), Color(10)) << x;
    }
    EXPECT_EQ(Pixel(g_viewportCenterX + 50, 40), Color(55)) << "vertical index line Y = 50";
    EXPECT_EQ(Pixel(g_viewportCenterX + 20, 40), Color(54));
}

TEST_F(Painter, PolylinesNeedTwoEntriesAndFollowTheirOrder) {
    MakeSquareTin();
    g_showTin = 0;
    g_showPoints = 0;
    SetList(g_pickList2, {3});
    SetList(g_pickList, {4, 1, 2});
    ASSERT_EQ(Paint(), 1);
    EXPECT_EQ(CountColor(Color(23)), 0) << "one entry draws nothing";
    EXPECT_EQ(At(20, 0), Color(24));
    EXPECT_EQ(At(0, 20), Color(24));
    EXPECT_EQ(At(20, 40), Color(10)) << "the list is not closed";
}

TEST_F(Painter, LabelsTakeTheirOwnColours) {
    LoadStrokeFontFrom("/nonexistent");
    g_showPointNames = -1;
    g_showPointElevations = -1;
    g_elevationDecimals = 1;
    ColorBandParams& b = g_colorBandParams;
    b.textColourChange = 1;
    b.centre = 100;
    b.highest = 200;
    b.lowest = 0;
    for (int i = 0; i < 20; ++i) b.stripeColours[i] = 0x010100 * (i + 1) + 7;

    AddPoint(-40, -60, 100, "_A");  // elevation at the centre: band 10
    AddPoint(20, 20, 0, "B");       // the lowest elevation: band 0
    ASSERT_EQ(Paint(), 1);

    // '_A': the point in its own colour, the name in colour 23, the elevation in c111.
    const int32_t c = g_viewportCenterX - 60, r = g_viewportCenterY - 40;
    EXPECT_EQ(Pixel(c, r), Color(20));
    EXPECT_TRUE(AnyInBox(Color(23), c - 8, r + 3, c + 2, r + 10));
    EXPECT_FALSE(AnyInBox(Color(20), c - 8, r + 3, c + 2, r + 10));
    EXPECT_TRUE(AnyInBox(0x0B0B07, c - 20, r - 9, c + 2, r - 2));
    // 'B': name in the point's colour, elevation in c101.
    const int32_t c2 = g_viewportCenterX + 20, r2 = g_viewportCenterY + 20;
    EXPECT_TRUE(AnyInBox(Color(20), c2 - 4, r2 + 3, c2, r2 + 10));
    EXPECT_TRUE(AnyInBox(0x010107, c2 - 20, r2 - 9, c2 + 2, r2 - 2));

    // A held button drops the labels.
    SetHeadlessKeyDown(key::kMouseLeft, true);
    g_redrawMask = -1;
    Paint();
    EXPECT_FALSE(AnyInBox(Color(23), c - 8, r + 3, c + 2, r + 10));
    EXPECT_EQ(Pixel(c, r), Color(20));
}

TEST_F(Painter, HeldButtonShowsThePointsEvenWhenHidden) {
    AddPoint(10, 10, 0);
    g_showPoints = 0;
    g_showTin = 0;
    Paint();
    EXPECT_EQ(At(10, 10), Color(10));
    SetHeadlessKeyDown(key::kMouseRight, true);
    g_redrawMask = -1;
    Paint();
    EXPECT_EQ(At(10, 10), Color(20));
}

TEST_F(Painter, TextFlagsUseTheirSizeClassFont) {
    LoadStrokeFontFrom("/nonexistent");
    AddPoint(-70, -90, 0);
    g_showTextFlags = -1;
    g_textFlagCount = 2;
    g_textFlags[1] = TextFlag{};
    std::strcpy(g_textFlags[1].text, "abc");
    g_textFlags[1].x = 10;
    g_textFlags[1].sizeClass = 2;
    g_textFlags[1].colour = 3;
    g_textFlags[2] = TextFlag{};
    g_textFlags[2].x = -10;
    g_textFlags[2].sizeClass = 1;
    ClearRecordedSystemTexts();
    ASSERT_EQ(Paint(), 1);
    ASSERT_EQ(RecordedSystemTexts().size(), 1u) << "an empty text shows only its anchor";
    EXPECT_EQ(RecordedSystemTexts()[0].text, "abc");
    EXPECT_EQ(RecordedSystemTexts()[0].font.pixelHeight, 17);
    EXPECT_EQ(At(10, 0), Color(78));
    EXPECT_EQ(At(-10, 0), Color(76));
}

TEST_F(Painter, RoutesDrawIpPolygonStationsAndCutLines) {
    g_ipPointCount = 2;
    g_ipPoints[1] = IpPoint{};
    g_ipPoints[1].x = -50;
    g_ipPoints[2] = IpPoint{};
    g_ipPoints[2].x = 50;
    g_ipPoints[2].number = 2;
    ASSERT_EQ(GrowStationBlock(4), 0);
    g_stationCount = 2;
    for (int32_t i = 1; i <= 2; ++i) {
        StationRecord& s = g_stations[i];
        s = StationRecord{};
        s.y = 30;
        s.x = i == 1 ? -20 : 20;
        s.leftX = s.rightX = s.x;
        s.leftY = 10;
        s.rightY = 50;
    }
    ASSERT_EQ(Paint(), 1);
    EXPECT_EQ(At(0, 0), Color(42)) << "IP polygon";
    EXPECT_EQ(At(-20, 40), Color(43)) << "cut line";
    EXPECT_EQ(At(0, 30), Color(43)) << "centre line";

    g_showRoute = 0;
    g_redrawMask = -1;
    Paint();
    EXPECT_EQ(At(0, 0), Color(10));
}

TEST_F(Painter, MaskEightAddsTheTextsOverThePreviousFrame) {
    LoadStrokeFontFrom("/nonexistent");
    MakeSquareTin();
    ASSERT_EQ(Paint(), 1);  // the first paint is always a full one
    g_showPointNames = -1;
    g_redrawMask = kRedrawTin | kRedrawPolylines;  // a full frame without texts
    ASSERT_EQ(Paint(), 1);
    const int32_t c = g_viewportCenterX + 40, r = g_viewportCenterY + 40;  // P3
    EXPECT_FALSE(AnyInBox(Color(20), c - 8, r + 3, c, r + 10));
    EXPECT_EQ(At(0, 20), Color(30));

    g_showTin = 0;  // not re-rendered by the short pass
    g_redrawMask = kRedrawTexts;
    ASSERT_EQ(Paint(), 1);
    EXPECT_TRUE(AnyInBox(Color(20), c - 8, r + 3, c, r + 10));
    EXPECT_EQ(At(0, 20), Color(30));
}
