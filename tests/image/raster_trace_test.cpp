#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "dxf/dxf_store.h"
#include "image/image_slot.h"
#include "image/raster_trace.h"
#include "image/raster_tracer.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "pointedit/point_array.h"
#include "shell/tool_mode.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

// A 200 x 200 white main image, one metre a pixel, lower-left corner at the origin; the
// tool window open over it.
class RasterTrace : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ResetImageSlots();
        ClearRecordedMessages();
        g_toolMode = MODE_NONE;
        g_traceLevel = 0;
        g_traceEndValue = 0;
        g_tracePointInterval = 10.0;
        g_traceLevelStep = 1.0;
        g_traceCreateDxf = 0;
        g_newPointZ = 100.0;
        g_newPointName = "TR";
        g_dxfModified = 0;
        g_rasterTracer = RasterTracer{};
        MakeImage(200, 200);
        dlg_ = std::make_unique<CRasterTraceDlg>();
    }
    void TearDown() override {
        dlg_.reset();
        g_toolMode = MODE_NONE;
        ResetImageSlots();
        ReleaseDataModel();
    }
    static void MakeImage(int32_t w, int32_t h) {
        g_bgImage.width = w;
        g_bgImage.height = h;
        g_bgImage.isMono = g_bgImage.isIndexed8 = 0;
        g_bgImage.stride = ImageRowStride(g_bgImage);
        ImageHandle block = AllocImageBlock(static_cast<size_t>(g_bgImage.stride) * h);
        uint8_t* p = block.Lock();
        std::memset(p, 255, static_cast<size_t>(g_bgImage.stride) * h);
        SetActiveImageBlock(block);
        g_bgImage.loaded = 1;
        g_bgImage.positionKnown = 1;
        const double c[4][2] = {{0, double(h)}, {double(w), double(h)}, {0, 0}, {double(w), 0}};
        std::memcpy(g_bgImage.corners, c, sizeof c);
    }
    // Ink on rows y0..y1, columns x0..x1.
    static void Ink(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        uint8_t* bits = g_bgImageHandle.Lock();
        for (int32_t y = y0; y <= y1; ++y)
            for (int32_t x = x0; x <= x1; ++x) std::memset(bits + y * g_bgImage.stride + x * 4, 0, 3);
    }
    static void SetLine(std::initializer_list<std::pair<double, double>> vertices) {
        RasterTracer& t = g_rasterTracer;
        std::fill(std::begin(t.m_east), std::end(t.m_east), 0.0);
        std::fill(std::begin(t.m_north), std::end(t.m_north), 0.0);
        int32_t i = 0;
        for (const auto& v : vertices) {
            t.m_east[i] = v.first;
            t.m_north[i] = v.second;
            ++i;
        }
        t.vertexCount = i - 1;
    }
    // Generated points as (east, north, z).
    static std::vector<std::array<double, 3>> Points(int32_t from = 1) {
        std::vector<std::array<double, 3>> out;
        for (int32_t i = from; i <= g_pointCount; ++i) out.push_back({g_points[i].y, g_points[i].x, g_points[i].z});
        return out;
    }
    static DxfElement& Element(int32_t i) { return g_dxfElementsBlock.Data()[i]; }
    std::unique_ptr<CRasterTraceDlg> dlg_;
};

TEST_F(RasterTrace, OpeningTakesThePaperFromTheFirstPixelAndTheLevelFromTheNewPoint) {
    Ink(0, 0, 0, 0);
    uint8_t* p = g_bgImageHandle.Lock();
    p[0] = 10, p[1] = 20, p[2] = 30;
    CRasterTraceDlg other;
    EXPECT_EQ(g_rasterTracer.backgroundColour[0], 10);
    EXPECT_EQ(g_rasterTracer.backgroundColour[2], 30);
    EXPECT_EQ(other.controls.paperColour, 0x1E140Au);
    EXPECT_DOUBLE_EQ(g_traceLevel, 100.0);
    EXPECT_DOUBLE_EQ(g_traceEndValue, 100.0);
    EXPECT_EQ(other.controls.level, " 100.000");
    EXPECT_EQ(other.controls.interval, " 10.00");
    EXPECT_EQ(other.controls.sensitivity, 22);
    EXPECT_STREQ(other.pointName, "TR");
}

// Points at the interval along open lines of 25, 28, 22 and 30 m, and the end point
// appended or put over the last one.
TEST_F(RasterTrace, IntervalPointsAndTheEndPoint) {
    struct Case {
        double length;
        std::vector<double> at;  // distances of the points, in order
    };
    const Case cases[] = {{25, {0, 10, 20, 25}}, {28, {0, 10, 20, 28}}, {22, {0, 10, 22}},
                          {30, {0, 10, 20, 30}}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.length);
        g_pointCount = 0;
        SetPointEndMarker();
        // An L-shaped line: 15 m east, then north.
        SetLine({{0, 0}, {15, 0}, {15, k.length - 15}});
        dlg_->OnEndValueField("");
        dlg_->OnElevationMode(2, true);
        dlg_->OnEndValueField("110");
        dlg_->OnLevelField("100");
        dlg_->OnGeneratePoints();
        const auto pts = Points();
        ASSERT_EQ(pts.size(), k.at.size());
        for (size_t i = 0; i < pts.size(); ++i) {
            const double s = k.at[i];
            const double e = s <= 15 ? s : 15, n = s <= 15 ? 0 : s - 15;
            EXPECT_NEAR(pts[i][0], e, 1e-9) << i;
            EXPECT_NEAR(pts[i][1], n, 1e-9) << i;
            EXPECT_NEAR(pts[i][2], 100 + 10 * s / k.length, 1e-9) << i;
        }
        EXPECT_EQ(dlg_->generatedCount, static_cast<int32_t>(k.at.size()));
        EXPECT_EQ(g_rasterTracer.vertexCount, 0);  // the line is used up
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        EXPECT_STREQ(g_points[1].name, "TR");
    }
}

TEST_F(RasterTrace, ClosedContourGetsNoDuplicateEndPoint) {
    // A 40 m square whose trace ended 3 m short of its start.
    SetLine({{0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 3}});
    dlg_->OnFlag(1071, true);
    dlg_->OnGeneratePoints();
    EXPECT_EQ(g_pointCount, 16);  // 0, 10, ..., 150 of 157 m
    EXPECT_EQ(g_dxfElementCount, 16);

    // Change points: the corners, the start repeated at the end is dropped as a point but
    // the vector polyline keeps its closing vertex.
    InitDataModel();
    g_traceCreateDxf = 1;
    SetLine({{0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 1}});
    g_tracePointInterval = 100;
    dlg_->OnFlag(1132, true);
    dlg_->OnGeneratePoints();
    const auto pts = Points();
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[3][0], 0);
    EXPECT_EQ(pts[3][1], 40);
    ASSERT_EQ(g_dxfElementCount, 5);
    EXPECT_EQ(Element(1).pen, DXF_PEN_MOVE);
    EXPECT_EQ(Element(5).pen, DXF_PEN_DRAW);
    EXPECT_EQ(Element(5).x, 1);
    EXPECT_EQ(Element(5).sourceY, 0);
}

TEST_F(RasterTrace, ChangePointsOnAStraightLineAreItsEndsWithIntervalPointsBetween) {
    SetLine({{0, 0}, {5, 0}, {12, 0}, {25, 0}});
    dlg_->OnFlag(1132, true);
    dlg_->OnElevationMode(1, true);
    dlg_->OnLevelField("50");
    dlg_->OnEndValueField("-5");
    dlg_->OnGeneratePoints();
    const auto pts = Points();
    ASSERT_EQ(pts.size(), 4u);
    const double at[] = {0, 25.0 / 3, 50.0 / 3, 25};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(pts[i][0], at[i], 1e-9);
        EXPECT_NEAR(pts[i][2], 50 - 5 * at[i] / 25, 1e-9);
    }
}

TEST_F(RasterTrace, ChangePointsWhereTheTurnsAddUpPastTheJudgingAngle) {
    // Turns of 10 degrees at vertices 1 and 2 (20 in all) and 90 at vertex 3.
    const double a = 10 * M_PI / 180;
    const double e1 = 10, e2 = e1 + 10 * std::cos(a), n2 = 10 * std::sin(a);
    const double e3 = e2 + 10 * std::cos(2 * a), n3 = n2 + 10 * std::sin(2 * a);
    const double e4 = e3 - 10 * std::sin(2 * a), n4 = n3 + 10 * std::cos(2 * a);
    SetLine({{0, 0}, {e1, 0}, {e2, n2}, {e3, n3}, {e4, n4}});
    g_tracePointInterval = 100;
    dlg_->OnFlag(1132, true);
    dlg_->OnJudgingAngleField("15");
    dlg_->OnGeneratePoints();
    const auto pts = Points();
    ASSERT_EQ(pts.size(), 4u);  // vertex 0, 2 (10 + 10 > 15), 3, 4
    EXPECT_NEAR(pts[1][0], e2, 1e-9);
    EXPECT_NEAR(pts[2][0], e3, 1e-9);
    EXPECT_NEAR(pts[3][0], e4, 1e-9);
}

// 取り消し takes back exactly what the generation added: its points, and its elements
// only while the element store still holds what the generation left.
TEST_F(RasterTrace, UndoTakesBackExactlyTheLastGeneration) {
    struct Case {
        const char* name;
        bool changePoints;
        int32_t elementsAddedMeanwhile;  // by the vector editor
        bool pointAddedMeanwhile;
        bool toggleDxfOff;
        int32_t pointsAfter, elementsAfter;
    };
    // The store holds 3 read elements and the document 2 points beforehand.
    const Case cases[] = {
        {"interval", false, 0, false, false, 2, 3},
        {"change points, one element more than points", true, 0, false, false, 2, 3},
        {"作成する switched off before the undo", false, 0, false, true, 2, 3},
        {"the editor added an element", false, 1, false, false, 2, 3 + 4 + 1},
        {"a point was added", false, 0, true, false, 2 + 4 + 1, 3 + 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        InitDataModel();
        g_traceCreateDxf = 0;
        for (int i = 0; i < 2; ++i) {
            g_points[++g_pointCount] = RandomPoint{};
            g_points[g_pointCount].x = 500 + i;
        }
        SetPointEndMarker();
        for (int i = 0; i < 3; ++i) Element(++g_dxfElementCount) = DxfElement{};
        dlg_ = std::make_unique<CRasterTraceDlg>();
        dlg_->OnFlag(1071, true);
        dlg_->OnFlag(1132, k.changePoints);
        // Closed in change-point mode (4 points, 5 elements); open, 30 m in interval mode.
        if (k.changePoints)
            SetLine({{0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 1}});
        else
            SetLine({{0, 0}, {30, 0}});
        g_tracePointInterval = k.changePoints ? 100 : 10;
        dlg_->OnGeneratePoints();
        ASSERT_EQ(g_pointCount, 2 + 4);
        ASSERT_EQ(g_dxfElementCount, 3 + (k.changePoints ? 5 : 4));
        EXPECT_TRUE(dlg_->controls.undoEnabled);
        const int32_t held = dlg_->savedVertexCount;
        for (int i = 0; i < k.elementsAddedMeanwhile; ++i) Element(++g_dxfElementCount) = DxfElement{};
        if (k.pointAddedMeanwhile) {
            g_points[++g_pointCount] = RandomPoint{};
            SetPointEndMarker();
        }
        if (k.toggleDxfOff) dlg_->OnFlag(1071, false);
        dlg_->OnUndoPoints();
        EXPECT_EQ(g_pointCount, k.pointsAfter);
        EXPECT_EQ(g_dxfElementCount, k.elementsAfter);
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        EXPECT_EQ(g_points[2].x, 501);
        if (!k.pointAddedMeanwhile) {
            EXPECT_EQ(g_rasterTracer.vertexCount, held);
            EXPECT_FALSE(dlg_->controls.undoEnabled);
        }
    }
}

TEST_F(RasterTrace, DeleteAndInsertStepTheLastVertex) {
    SetLine({{0, 5}, {10, 5}, {20, 5}, {30, 5}});
    dlg_->OnEditKey(kTraceKeyDelete);
    EXPECT_EQ(g_rasterTracer.vertexCount, 2);
    EXPECT_EQ(dlg_->controls.status, "    2 ベクトル検出");
    dlg_->OnEditKey(kTraceKeyInsert);
    EXPECT_EQ(g_rasterTracer.vertexCount, 3);
    dlg_->OnEditKey(kTraceKeyInsert);  // nothing after the last vertex
    EXPECT_EQ(g_rasterTracer.vertexCount, 3);
    // A continuous cut removes a vertex; Insert then repeats the last one.
    dlg_->OnFlag(1133, true);
    g_rasterTracer.RemoveNearest(10, 5);
    EXPECT_EQ(g_rasterTracer.vertexCount, 2);
    dlg_->OnEditKey(kTraceKeyInsert);
    EXPECT_EQ(g_rasterTracer.vertexCount, 3);
    EXPECT_EQ(g_rasterTracer.m_east[3], 30);
    EXPECT_EQ(g_rasterTracer.m_east[2], 30);
    EXPECT_DOUBLE_EQ(g_viewCenterY, 30);  // continuous: the view follows the last vertex
    // After a generation Insert brings nothing back.
    dlg_->OnGeneratePoints();
    EXPECT_EQ(g_rasterTracer.vertexCount, 0);
    dlg_->OnEditKey(kTraceKeyInsert);
    EXPECT_EQ(g_rasterTracer.vertexCount, 0);
    // A full list does not grow past its last slot.
    dlg_->OnUndoPoints();
    g_rasterTracer.vertexCount = MAX_TRACE_VERTEX;
    g_rasterTracer.m_east[MAX_TRACE_VERTEX + 1] = g_rasterTracer.m_north[MAX_TRACE_VERTEX + 1] = 5;
    dlg_->OnEditKey(kTraceKeyInsert);
    EXPECT_EQ(g_rasterTracer.vertexCount, MAX_TRACE_VERTEX);
}

TEST_F(RasterTrace, HomeAndEndToggleTheModes) {
    dlg_->OnEditKey(kTraceKeyEnd);  // no line: nothing
    EXPECT_EQ(g_toolMode, MODE_NONE);
    dlg_->OnEditKey(kTraceKeyHome);
    EXPECT_EQ(g_toolMode, MODE_RASTER_TRACE_START);
    EXPECT_TRUE(dlg_->controls.startDown);
    dlg_->OnEditKey(kTraceKeyHome);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    SetLine({{0, 0}, {10, 0}});
    dlg_->OnEditKey(kTraceKeyHome);
    EXPECT_EQ(g_toolMode, MODE_RASTER_TRACE_ADD);
    dlg_->OnEditKey(kTraceKeyEnd);
    EXPECT_EQ(g_toolMode, MODE_RASTER_TRACE_CUT);
    EXPECT_FALSE(dlg_->controls.addDown);
    EXPECT_TRUE(dlg_->controls.cutDown);
}

TEST_F(RasterTrace, ScrollBarWrapsAroundTheVertices) {
    SetLine({{0, 0}, {10, 1}, {20, 2}});
    dlg_->OnHScroll(-1);
    EXPECT_EQ(dlg_->scrollIndex, 2);
    EXPECT_DOUBLE_EQ(g_viewCenterY, 20);
    EXPECT_DOUBLE_EQ(g_viewCenterX, 2);
    dlg_->OnHScroll(1);
    EXPECT_EQ(dlg_->scrollIndex, 0);
    dlg_->OnHScroll(1);
    EXPECT_EQ(dlg_->scrollIndex, 1);
}

TEST_F(RasterTrace, WheelAndFields) {
    struct Case {
        int32_t field;
        const char* text;
        double step;
        int32_t delta;
        double level, interval, levelStep;
    };
    const Case cases[] = {
        {kTraceFieldLevel, "12.7", 1.0, 120, 13, 10, 1},
        {kTraceFieldLevel, "12.7", 1.0, -120, 11, 10, 1},
        {kTraceFieldLevel, "-12.7", 1.0, 120, -11, 10, 1},
        {kTraceFieldLevel, "12.7", 0.5, 120, 13.2, 10, 0.5},
        {kTraceFieldLevel, "", 2.0, 120, 102, 10, 2},  // empty: the stored 100
        {kTraceFieldInterval, "1", 1.0, -120, 100, 1, 1},
        {kTraceFieldInterval, "4.5", 1.0, 120, 100, 5.5, 1},
        {kTraceFieldLevelStep, "1", 1.0, -120, 100, 10, 1},
        {kTraceFieldLevelStep, "", 2.0, 120, 100, 10, 3},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.field << " '" << k.text << "' " << k.delta);
        g_traceLevel = 100;
        g_tracePointInterval = 10;
        g_traceLevelStep = k.step;
        EXPECT_TRUE(dlg_->OnWheel(k.field, k.text, k.delta));
        EXPECT_NEAR(g_traceLevel, k.level, 1e-9);
        EXPECT_NEAR(g_tracePointInterval, k.interval, 1e-9);
        EXPECT_NEAR(g_traceLevelStep, k.levelStep, 1e-9);
    }
    EXPECT_FALSE(dlg_->OnWheel(kTraceFieldOther, "", 120));

    dlg_->OnLevelField("  s2.5");
    EXPECT_DOUBLE_EQ(g_traceLevelStep, 2.5);
    dlg_->OnLevelField("S-1");
    EXPECT_DOUBLE_EQ(g_traceLevelStep, 0.001);
    dlg_->OnLevelField(" 12.5");
    EXPECT_DOUBLE_EQ(g_traceLevel, 12.5);
    EXPECT_DOUBLE_EQ(g_traceEndValue, 12.5);  // elevation mode 0 follows
    EXPECT_EQ(dlg_->controls.endValue, " 12.500");
    dlg_->OnIntervalField("0");
    EXPECT_DOUBLE_EQ(g_tracePointInterval, 1.0);
    dlg_->OnIntervalField("");
    EXPECT_DOUBLE_EQ(g_tracePointInterval, 1.0);
    dlg_->OnJudgingAngleField("-4");
    EXPECT_DOUBLE_EQ(dlg_->judgingAngle, 0.0);
    dlg_->OnPointNameField("ABCDEFGHIJKLMN");
    EXPECT_STREQ(dlg_->pointName, "ABCDEFGHIJK");
    // A double-byte character is never cut in half.
    dlg_->OnPointNameField("ABCDEFGHIJ\x83\x41");
    EXPECT_STREQ(dlg_->pointName, "ABCDEFGHIJ");
}

// Clicks in the view: start on a line's end, trace, then a start in the middle of a line
// asks for the direction and the second click decides it.
TEST_F(RasterTrace, ViewClicksTraceTheLine) {
    Ink(20, 99, 180, 101);
    dlg_->OnFlag(1131, false);  // not fine: a start at the end traces at once
    dlg_->OnStart(true);
    ASSERT_EQ(g_toolMode, MODE_RASTER_TRACE_START);
    dlg_->OnViewClick(50.5, 50.5);  // paper
    EXPECT_EQ(dlg_->controls.status, "線が見つかりません");
    EXPECT_EQ(g_toolMode, MODE_RASTER_TRACE_START);
    dlg_->OnViewClick(100.5, 20.5);  // (north, east) of the line's west end
    EXPECT_EQ(g_toolMode, MODE_NONE);
    ASSERT_GT(g_rasterTracer.vertexCount, 3);
    EXPECT_NEAR(g_rasterTracer.m_east[g_rasterTracer.vertexCount], 180, 3);
    for (int32_t i = 0; i <= g_rasterTracer.vertexCount; ++i)
        EXPECT_NEAR(g_rasterTracer.m_north[i], 100.5, 1.0);
    EXPECT_FALSE(dlg_->controls.startDown);
    EXPECT_TRUE(dlg_->controls.lineHeld);

    // Middle of the line: the direction is asked for; a click to the west follows it west.
    dlg_->OnStart(true);
    EXPECT_EQ(g_rasterTracer.vertexCount, 0);
    dlg_->OnViewClick(100.5, 100.5);
    EXPECT_EQ(g_toolMode, MODE_RASTER_TRACE_DIRECTION);
    EXPECT_EQ(dlg_->controls.status, "方向を指示してください");
    dlg_->OnViewClick(100.5, 60.5);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    ASSERT_GT(g_rasterTracer.vertexCount, 1);
    EXPECT_NEAR(g_rasterTracer.m_east[0], 100.5, 1e-9);
    EXPECT_NEAR(g_rasterTracer.m_east[g_rasterTracer.vertexCount], 20, 3);

    // Cut at a vertex; add back towards the east end.
    const int32_t n = g_rasterTracer.vertexCount;
    dlg_->OnCut(true);
    ASSERT_EQ(g_toolMode, MODE_RASTER_TRACE_CUT);
    dlg_->OnViewClick(g_rasterTracer.m_north[n - 1], g_rasterTracer.m_east[n - 1]);
    EXPECT_EQ(g_rasterTracer.vertexCount, n - 2);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    dlg_->OnAdd(true);
    ASSERT_EQ(g_toolMode, MODE_RASTER_TRACE_ADD);
    dlg_->OnViewClick(100.5, 150.5);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    // The end nearest the click came last and the line was followed on to the east end.
    EXPECT_NEAR(g_rasterTracer.m_east[g_rasterTracer.vertexCount], 180, 3);
    EXPECT_EQ(g_rasterTracer.m_bits, nullptr);  // detached after every click
}

TEST_F(RasterTrace, ClicksWithoutAPictureDoNothing) {
    ResetImageSlots();
    dlg_->OnStart(true);
    EXPECT_EQ(dlg_->OnViewClick(100, 100), 0);
    EXPECT_EQ(g_toolMode, MODE_RASTER_TRACE_START);
    EXPECT_EQ(g_rasterTracer.vertexCount, 0);
}

TEST_F(RasterTrace, SavingWithAnEmptyStoreSaysSo) {
    dlg_->OnSaveDxf();
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "保存するデータがありません");
}

}  // namespace

namespace {
TEST(RasterTraceKeys, ViewKeysAndEditShortcuts) {
    struct Case {
        int32_t key;
        bool ctrl, shift, alt;
        int32_t expected;
    };
    const Case cases[] = {
        {kTraceKeyHome, false, false, false, kTraceKeyHome},
        {kTraceKeyEnd, false, false, false, kTraceKeyEnd},
        {kTraceKeyInsert, false, false, false, kTraceKeyInsert},
        {kTraceKeyDelete, false, false, false, kTraceKeyDelete},
        {'Z', true, false, false, kTraceKeyHome},
        {0x08, false, false, true, kTraceKeyHome},
        {'X', true, false, false, kTraceKeyEnd},
        {kTraceKeyDelete, false, true, false, kTraceKeyEnd},
        {'C', true, false, false, kTraceKeyDelete},
        {kTraceKeyInsert, true, false, false, kTraceKeyDelete},
        {'V', true, false, false, kTraceKeyInsert},
        {kTraceKeyInsert, false, true, false, kTraceKeyInsert},
        {'Z', false, false, false, 0},
        {'A', true, false, false, 0},
        {0x25, false, false, false, 0},
    };
    for (const Case& k : cases)
        EXPECT_EQ(TraceKeyForViewInput(k.key, k.ctrl, k.shift, k.alt), k.expected)
            << k.key << " ctrl " << k.ctrl << " shift " << k.shift << " alt " << k.alt;
}
}  // namespace
