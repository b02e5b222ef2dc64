// Slice lines against closed forms: a pyramid (every grid cell planar, so the TIN is the
// surface itself) and a paraboloid basin; the skirt, the store and the picks.
#include <cmath>
#include <cstring>
#include <vector>

#include "contour/elevation_table.h"
#include "contour/slice_line_tool.h"
#include "contour/slice_lines.h"
#include "contour/slice_quantities.h"
#include "contour_test_support.h"
#include "model/geometry.h"
#include "model/record_block.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "view/back_buffer.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/projection.h"
#include "view/view_state.h"

namespace contourtest {
namespace {

constexpr double kH = 100, kK = 1, kC = 50;  // the pyramid's top, slope and centre

double Pyramid(double x, double y) { return kH - kK * (std::fabs(x - kC) + std::fabs(y - kC)); }
double Pit(double x, double y) { return 20 + kK * (std::fabs(x - kC) + std::fabs(y - kC)); }

struct LineView {
    int32_t kind, valid, count;
    double elevation, area;
    std::vector<double> x, y;
};

std::vector<LineView> Lines() {
    std::vector<LineView> out;
    ForEachSliceLine([&](int32_t, SliceLine& l) {
        LineView v{l.kind, l.valid, l.count, l.elevation, l.area, {}, {}};
        const SliceVertex* p = SliceLineVertices(&l);
        for (int32_t k = 0; k < l.count; ++k) {
            v.x.push_back(p[k].x);
            v.y.push_back(p[k].y);
        }
        out.push_back(v);
    });
    return out;
}

// The trapezoid sum as the map sees it: positive for a clockwise ring (north up, east right).
double ClockwiseSum(const LineView& l) {
    double s = 0;
    for (size_t k = 0; k + 1 < l.x.size(); ++k) s += (l.y[k + 1] - l.y[k]) * (l.x[k] + l.x[k + 1]) / 2;
    return s;
}

class SliceFixture : public ContourFixture {
protected:
    std::vector<SliceLevelArea> Levels(std::initializer_list<double> levels) {
        std::vector<SliceLevelArea> rows;
        for (double l : levels) rows.push_back({l, 0, 0});
        return rows;
    }
    SliceCalcSettings Settings(int32_t mode) {
        SliceCalcSettings s;
        s.rangeMode = mode;
        return s;
    }
};

TEST_F(SliceFixture, PyramidLevelsAreClosedGroundDiamonds) {
    BuildGrid(20, 5.0, Pyramid);
    auto rows = Levels({60, 77.5, 90});
    ASSERT_EQ(CalcSliceContours(rows, Settings(1)), SliceCalcResult::kDone);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        const double r = (kH - rows[i].elevation) / kK;
        const double exact = 2 * r * r;
        EXPECT_NEAR(rows[i].area, exact, 0.006) << rows[i].elevation;
        const LineView& l = lines[i];
        EXPECT_EQ(l.kind, 0);
        EXPECT_EQ(l.valid, 1);
        EXPECT_NEAR(l.area, exact, 0.006);
        EXPECT_EQ(l.x.front(), l.x.back());
        EXPECT_EQ(l.y.front(), l.y.back());
        EXPECT_GT(ClockwiseSum(l), 0) << "stored clockwise";
        for (size_t k = 0; k < l.x.size(); ++k)
            EXPECT_NEAR(std::fabs(l.x[k] - kC) + std::fabs(l.y[k] - kC), r, 1e-4);
    }
    EXPECT_EQ(g_sliceContoursLoaded, -1);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "面積計算終了");
}

// The average-end-area volume of the traced diamonds against the pyramid's exact volume:
// over by the rule's own error, (b - a) h^2 / (3 k^2).
TEST_F(SliceFixture, PyramidVolumeExceedsTheExactOneByTheRuleError) {
    BuildGrid(20, 5.0, Pyramid);
    const double a = 60, b = 90, h = 5;
    std::vector<SliceLevelArea> rows;
    for (double z = a; z <= b + 1e-9; z += h) rows.push_back({z, 0, 0});
    SliceCalcSettings s = Settings(1);
    s.areaDecimals = 6;
    ASSERT_EQ(CalcSliceContours(rows, s), SliceCalcResult::kDone);
    g_sliceAreaDecimals = g_sliceAverageDecimals = g_sliceVolumeDecimals = 6;
    for (const SliceLevelArea& r : rows) ASSERT_TRUE(AppendSliceLevel(r.elevation, 0));
    g_sliceStartRow = 1;
    g_sliceEndRow = g_sliceLevelCount;
    ASSERT_EQ(CalcSliceQuantities(), 0);
    const double exact = 2 / (3 * kK * kK) * (std::pow(kH - a, 3) - std::pow(kH - b, 3));
    const double over = (b - a) * h * h / (3 * kK * kK);
    // Traced 0.00001 above each level: the areas are short by up to 4 (H - a) / k^2 x 0.00001.
    EXPECT_NEAR(g_sliceTotal, exact + over, (b - a) * 4 * (kH - a) / (kK * kK) * 0.00001);
}

TEST_F(SliceFixture, InvertedPyramidGivesWaterLinesWithNegativeSums) {
    BuildGrid(20, 5.0, Pit);
    auto rows = Levels({40, 62.5});
    ASSERT_EQ(CalcSliceContours(rows, Settings(2)), SliceCalcResult::kDone);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    for (size_t i = 0; i < rows.size(); ++i) {
        const double r = (rows[i].elevation - 20) / kK;
        EXPECT_NEAR(rows[i].area, -2 * r * r, 0.006);
        EXPECT_EQ(lines[i].kind, 1);
        EXPECT_NEAR(lines[i].area, 2 * r * r, 0.006);
    }
}

// Heights in whole metres put points exactly on a level: traced just off it, a cell lying
// flat on the level is ringed at a hair's breadth from its corners, and whether the ring
// holds ground or water must still come from the slope across it.
TEST_F(SliceFixture, RingsHuggingAFlatCellKeepTheirSide) {
    struct Case {
        const char* name;
        double around;      // the height of every point but the cell's corners
        double tolerance;   // added to the level before tracing
        int32_t rangeMode;  // the kind a ring without evidence would get
        int32_t kind;
    };
    const Case cases[] = {
        {"pit in ground space", 101, 0.00001, 1, 1},
        {"knoll in storage space", 99, -0.00001, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InitDataModel();
        g_contourLevelTolerance = c.tolerance;
        BuildGrid(6, 10.0, [&](double x, double y) {
            return x >= 20 && x <= 30 && y >= 20 && y <= 30 ? 100.0 : c.around;
        });
        auto rows = Levels({100});
        ASSERT_EQ(CalcSliceContours(rows, Settings(c.rangeMode)), SliceCalcResult::kDone);
        std::vector<LineView> rings;
        for (const LineView& l : Lines())
            if (l.area < 1000) rings.push_back(l);  // not the ring along the border
        ASSERT_EQ(rings.size(), 1u);
        EXPECT_EQ(rings[0].kind, c.kind);
        EXPECT_EQ(rings[0].valid, 1);
        EXPECT_NEAR(rings[0].area, 100, 0.02);
        // The ring the skirt closes along the border: ground, or water for storage.
        const double border = c.rangeMode == 1 ? 3600 : -3600;
        EXPECT_NEAR(rows[0].area, c.kind == 0 ? border + 100 : border - 100, 0.05);
    }
}

// Below the midpoints of the border the lines leave the TIN: the skirt closes them.
TEST_F(SliceFixture, RangeModesAtTheBorder) {
    const double s = 50;
    struct Case {
        int32_t mode;
        int32_t kind;
        int32_t valid;
        bool closed;
    } cases[] = {{1, 0, 1, true}, {0, 2, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        InitDataModel();
        BuildGrid(20, 5.0, Pyramid);
        ClearRecordedMessages();
        auto rows = Levels({30, 42.5});
        ASSERT_EQ(CalcSliceContours(rows, Settings(c.mode)), SliceCalcResult::kDone);
        const auto lines = Lines();
        ASSERT_FALSE(lines.empty());
        for (size_t i = 0; i < rows.size(); ++i) {
            const double r = (kH - rows[i].elevation) / kK;
            const double exact = 4 * s * s - 2 * (2 * s - r) * (2 * s - r);
            EXPECT_NEAR(rows[i].area, c.closed ? exact : 0, 0.006);
        }
        for (const LineView& l : lines) {
            EXPECT_EQ(l.kind, c.kind);
            EXPECT_EQ(l.valid, c.valid);
            EXPECT_EQ(l.x.front() == l.x.back() && l.y.front() == l.y.back(), c.closed);
        }
        if (c.closed) {
            EXPECT_EQ(lines.size(), 2u);
        }
        // Only the end message: no line was left open in a mode that asks to close them.
        EXPECT_EQ(RecordedMessages().size(), 1u);
    }
}

TEST_F(SliceFixture, ParaboloidAreasStayJustInsideTheCircle) {
    const double c = 100;
    // A grid over [-100, 100]^2.
    BuildGrid(80, 2.5, [&](double x, double y) {
        const double u = x - 100, v = y - 100;
        return (u * u + v * v) / c;
    });
    auto rows = Levels({10, 20, 40, 60});
    ASSERT_EQ(CalcSliceContours(rows, Settings(2)), SliceCalcResult::kDone);
    for (const SliceLevelArea& r : rows) {
        const double exact = M_PI * c * r.elevation;
        EXPECT_LT(-r.area, exact) << r.elevation;
        EXPECT_GT(-r.area, 0.99 * exact) << r.elevation;
    }
    for (const LineView& l : Lines()) EXPECT_EQ(l.kind, 1);

    // The area is linear in the level, so the average-end-area volumes hold the same bound.
    for (const SliceLevelArea& r : rows) ASSERT_TRUE(AppendSliceLevel(r.elevation, 0));
    g_sliceStartRow = 1;
    g_sliceEndRow = g_sliceLevelCount;
    ASSERT_EQ(CalcSliceQuantities(), 0);
    for (int32_t i = 2; i <= g_sliceLevelCount; ++i) {
        const double a = g_sliceLevels[i - 1].elevation, b = g_sliceLevels[i].elevation;
        const double exact = M_PI * c * (b * b - a * a) / 2;
        EXPECT_LT(-g_sliceLevels[i].volume, exact) << b;
        EXPECT_GT(-g_sliceLevels[i].volume, 0.99 * exact) << b;
    }
    const double whole = M_PI * c * (60 * 60 - 10 * 10) / 2;
    EXPECT_LT(-g_sliceTotal, whole);
    EXPECT_GT(-g_sliceTotal, 0.99 * whole);
}

TEST_F(SliceFixture, SmallLinesAreDroppedOrKeptInvalid) {
    BuildGrid(20, 5.0, Pyramid);
    for (bool drop : {true, false}) {
        auto rows = Levels({90});
        SliceCalcSettings s = Settings(1);
        s.minimumArea = 200;  // the 90 m diamond has 200 m2
        s.dropSmall = drop;
        ASSERT_EQ(CalcSliceContours(rows, s), SliceCalcResult::kDone);
        EXPECT_EQ(rows[0].area, 0);
        const auto lines = Lines();
        ASSERT_EQ(lines.size(), drop ? 0u : 1u);
        if (!drop) {
            EXPECT_EQ(lines[0].area, 0);
            EXPECT_EQ(lines[0].valid, 0);
        }
    }
}

TEST_F(SliceFixture, MethodsSmoothTheLinesAndKeepThemClosed) {
    BuildGrid(20, 5.0, [](double x, double y) { return 100 - std::hypot(x - 50, y - 50); });
    for (int32_t method : {1, 2}) {
        SCOPED_TRACE(method);
        auto rows = Levels({70});
        SliceCalcSettings s = Settings(1);
        s.method = method;
        s.smoothness = 1;
        ASSERT_EQ(CalcSliceContours(rows, s), SliceCalcResult::kDone);
        const auto lines = Lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].x.front(), lines[0].x.back());
        EXPECT_GT(lines[0].count, 60);
        EXPECT_NEAR(rows[0].area, M_PI * 30 * 30, 0.03 * M_PI * 30 * 30);
    }
}

// The TIN after an area calculation is the TIN before it: hole marks, flags, counts,
// also when the skirt cannot be had.
TEST_F(SliceFixture, TinIsUnchangedAfterTheCalculation) {
    for (bool starve : {false, true}) {
        SCOPED_TRACE(starve);
        InitDataModel();
        BuildGrid(20, 5.0, Pyramid);
        for (int32_t e = 1; e <= g_tinEdgeCount; e += 7) {
            g_tinEdges[e].a = -std::abs(g_tinEdges[e].a);
            g_tinEdges[e].state = 5;
        }
        g_holesInverted = -1;
        for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].multiUse = i * 3;
        const std::vector<TinEdge> edges(&g_tinEdges[1], &g_tinEdges[1] + g_tinEdgeCount + 1);
        const std::vector<RandomPoint> points(&g_points[1], &g_points[1] + g_pointCount + 1);
        const int32_t pointCount = g_pointCount, edgeCount = g_tinEdgeCount;
        if (starve) {
            g_pointCapacity = g_pointCount + 10;  // the skirt must grow the block ...
            InjectAllocationFailures(0, 1);       // ... and cannot
        }
        auto rows = Levels({60, 30});
        ClearRecordedMessages();
        EXPECT_EQ(CalcSliceContours(rows, Settings(1)), SliceCalcResult::kDone);
        InjectAllocationFailures(0, 0);
        EXPECT_EQ(g_tinSkirt.added, false);
        EXPECT_EQ(g_tinSkirt.saved, false);
        EXPECT_EQ(g_skirtFirstPoint, 0);
        ASSERT_EQ(g_pointCount, pointCount);
        ASSERT_EQ(g_tinEdgeCount, edgeCount);
        EXPECT_EQ(g_holesInverted, -1);
        EXPECT_EQ(std::memcmp(edges.data(), &g_tinEdges[1], edges.size() * sizeof(TinEdge)), 0);
        EXPECT_EQ(std::memcmp(points.data(), &g_points[1], points.size() * sizeof(RandomPoint)), 0);
        // Level 60 lies inside either way.
        EXPECT_NEAR(rows[0].area, 2 * 40 * 40, 0.006);
        if (!starve) {
            EXPECT_NEAR(rows[1].area, 4 * 2500 - 2 * 30 * 30, 0.006);
        }
    }
}

// Traced exactly through the points on a level the walk would have to go round them.
TEST_F(SliceFixture, ZeroToleranceIsRefusedAndTouchesNothing) {
    BuildGrid(20, 5.0, Pyramid);
    auto rows = Levels({90});
    ASSERT_EQ(CalcSliceContours(rows, Settings(1)), SliceCalcResult::kDone);
    ASSERT_EQ(g_sliceLineCount, 1);
    const int32_t points = g_pointCount, edges = g_tinEdgeCount;
    g_contourLevelTolerance = 0;
    ClearRecordedMessages();
    auto again = Levels({95});
    again[0].area = 7;
    EXPECT_EQ(CalcSliceContours(again, Settings(1)), SliceCalcResult::kBadTolerance);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, kContourToleranceMessage);
    EXPECT_EQ(again[0].area, 7);
    EXPECT_EQ(g_sliceLineCount, 1);  // the lines of the run before stay
    EXPECT_EQ(Lines().at(0).elevation, 90);
    EXPECT_EQ(g_pointCount, points);
    EXPECT_EQ(g_tinEdgeCount, edges);

    // Through the table: its areas stay.
    ASSERT_TRUE(AppendSliceLevel(95, 0));
    g_sliceLevels[1].area = 7;
    ClearRecordedMessages();
    OnCalcSliceAreas(0.001, 1);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, kContourToleranceMessage);
    EXPECT_EQ(g_sliceLevels[1].area, 7);
    EXPECT_EQ(g_sliceLineCount, 1);
}

// An egg-crate of one-metre knolls crossed at half a metre: more crossings than the trace
// can hold (it is sized by the points). That level is left out and named at the end; the
// hill's level beside it is traced.
TEST_F(SliceFixture, LevelsWhoseTraceOverflowsAreNamed) {
    BuildGrid(30, 10.0, [](double x, double y) {
        const bool knoll = (std::lround(x / 10) + std::lround(y / 10)) % 2 == 1;
        return (knoll ? 1.0 : 0.0) +
               std::max(0.0, 20 - 0.5 * (std::fabs(x - 150) + std::fabs(y - 150)));
    });
    g_pointCapacity = g_pointCount;  // the block holds no more than the points
    auto rows = Levels({18.5, 0.5});
    ASSERT_EQ(CalcSliceContours(rows, Settings(1)), SliceCalcResult::kDone);
    EXPECT_EQ(SkippedSliceLevels(), std::vector<double>{0.5});
    EXPECT_EQ(rows[1].area, 0);
    EXPECT_GT(rows[0].area, 0);
    for (const LineView& l : Lines()) EXPECT_EQ(l.elevation, 18.5);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text,
              "面積計算終了\n点数が多すぎて計算できなかった標高: 0.500");
}

TEST_F(SliceFixture, NoTinIsSaid) {
    auto rows = Levels({10});
    EXPECT_EQ(CalcSliceContours(rows, Settings(2)), SliceCalcResult::kNoTin);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網作成が終了していません。");
}

TEST_F(SliceFixture, FailedStoreGrowthKeepsTheFinishedLevels) {
    BuildGrid(20, 5.0, Pyramid);
    // Room for the first level's line; the store cannot grow for the second.
    auto rows = Levels({90, 80, 70});
    g_sliceStoreBlocks = 12;
    ASSERT_EQ(GrowSliceStore(), 0);
    InjectAllocationFailures(9, 1000);  // the workspace's arrays, then nothing
    const SliceCalcResult r = CalcSliceContours(rows, Settings(1));
    InjectAllocationFailures(0, 0);
    ASSERT_EQ(r, SliceCalcResult::kStoreFull);
    EXPECT_EQ(g_sliceLineCount, 1);
    EXPECT_NEAR(rows[0].area, 200, 0.006);
    EXPECT_EQ(rows[1].area, 0);
    EXPECT_EQ(rows[2].area, 0);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "等高線データ用のメモリ確保に失敗しました。");
    EXPECT_EQ(g_pointCount, 21 * 21);
}

TEST_F(SliceFixture, StoreBlocksFollowTheVertexCount) {
    std::vector<double> xs(300), ys(300);
    for (int32_t k = 0; k < 300; ++k) {
        xs[k] = k;
        ys[k] = -k;
    }
    for (int32_t n : {127, 128, 1, 300}) {
        SliceLine h{};
        h.count = n;
        h.elevation = n;
        ASSERT_EQ(AddSliceLine(h, xs.data(), ys.data(), false), 0);
    }
    EXPECT_EQ(g_sliceLineCount, 4);
    EXPECT_EQ(g_sliceExtraBlocks, 0 + 1 + 0 + 2);
    int32_t seen = 0;
    ForEachSliceLine([&](int32_t i, SliceLine& l) {
        ++seen;
        EXPECT_EQ(l.extraBlocks, l.count / 128) << i;
        EXPECT_EQ(SliceLineVertices(&l)[l.count - 1].x, l.count - 1);
    });
    EXPECT_EQ(seen, 4);
    ASSERT_NE(GetSliceLine(4), nullptr);
    EXPECT_EQ(GetSliceLine(4)->elevation, 300);
    EXPECT_EQ(GetSliceLine(5), nullptr);
    EXPECT_EQ(GetSliceLine(0), nullptr);
    // A store that cannot grow keeps what it has.
    g_sliceStoreBlocks = g_sliceStore.Size();
    const int32_t blocks = g_sliceStoreBlocks;
    InjectAllocationFailures(0, 1);
    for (int32_t i = 0; i < 200 && g_sliceStoreBlocks == blocks; ++i) {
        SliceLine h{};
        h.count = 127;
        if (AddSliceLine(h, xs.data(), ys.data(), false) != 0) break;
    }
    InjectAllocationFailures(0, 0);
    EXPECT_EQ(GetSliceLine(4)->elevation, 300);
    EXPECT_EQ(ClearSliceLines(), 1);
    EXPECT_EQ(g_sliceLineCount, 0);
}

// A plan view with the lines' screen offsets set by hand.
class SlicePickFixture : public SliceFixture {
protected:
    void SetUp() override {
        SliceFixture::SetUp();
        g_viewportCenterX = 200;
        g_viewportCenterY = 200;
        g_bufferMaxX = 400;
        g_bufferMaxY = 400;
        double xs[5] = {0, 0, 10, 10, 0}, ys[5] = {0, 10, 10, 0, 0};
        for (int32_t line = 0; line < 2; ++line) {
            SliceLine h{};
            h.count = 5;
            h.kind = line;
            h.valid = 1;
            h.area = 100 + line;
            h.elevation = 10 + line;
            ASSERT_EQ(AddSliceLine(h, xs, ys, false), 0);
        }
        g_sliceContoursLoaded = -1;
        g_showSliceContours = -1;
        g_projectionValid = 1;
        // Line 1 at column offset 0, line 2 at offset 100 (all its vertices there).
        ForEachSliceLine([](int32_t i, SliceLine& l) {
            SliceVertex* v = SliceLineVertices(&l);
            for (int32_t k = 0; k < l.count; ++k) {
                v[k].screenX = (i - 1) * 100;
                v[k].screenY = 0;
                v[k].offScreen = 0;
            }
        });
    }
    void TearDown() override {
        SliceLineDialogHooks() = {};
        SliceFixture::TearDown();
    }
};

TEST_F(SlicePickFixture, NearestLineWithinTheLimit) {
    struct Case {
        int32_t column, row, found;
    } cases[] = {
        {200, 200, 1}, {290, 200, 2}, {243, 200, 1}, {300, 244, 2},  // 44^2 = 1936
        {200 + 40, 200 + 20, 0},                                          // 40^2 + 20^2 = 2000
        {200, 245, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindNearestSliceLine(c.column, c.row, 2000), c.found) << c.column << "," << c.row;
}

TEST_F(SlicePickFixture, AreaInfoWritesTheEditBack) {
    int32_t calls = 0;
    SliceLineDialogHooks().runAreaInfo = [&](ContourAreaInfoValues& v) {
        ++calls;
        EXPECT_EQ(g_highlightedSliceLine, 2);
        EXPECT_EQ(v.kind, 1);
        EXPECT_EQ(v.area, 101);
        EXPECT_EQ(v.count, 5);
        v.kind = 2;
        v.valid = 0;
        v.area = 55.5;
    };
    OnClickSliceLineInfo(0, 300, 200);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(g_highlightedSliceLine, 0);
    EXPECT_EQ(GetSliceLine(2)->kind, 2);
    EXPECT_EQ(GetSliceLine(2)->valid, 0);
    EXPECT_EQ(GetSliceLine(2)->area, 55.5);
    EXPECT_EQ(GetSliceLine(2)->count, 5);
    // Shift, Ctrl and far clicks do nothing.
    OnClickSliceLineInfo(kMouseFlagShift, 300, 200);
    OnClickSliceLineInfo(kMouseFlagControl, 300, 200);
    OnClickSliceLineInfo(0, 10, 10);
    EXPECT_EQ(calls, 1);
}

TEST_F(SlicePickFixture, DraggedSegmentSelectsTheLinesItCrosses) {
    int32_t validSum = -1;
    // Across the west side of both squares (x from 0 to 10 at y = 0).
    EXPECT_EQ(SelectSliceLinesCrossing(5, -1, 5, 1, &validSum), 2);
    EXPECT_EQ(validSum, 2);
    EXPECT_EQ(SelectSliceLinesCrossing(50, 50, 60, 60, &validSum), 0);
    EXPECT_EQ(GetSliceLine(1)->selected, 0);

    GetSliceLine(1)->valid = 0;
    int32_t offered = -1;
    SliceLineDialogHooks().runQuantityValid = [&](int32_t& valid) {
        offered = valid;
        valid = 0;
        return 1;
    };
    // The plan view: 10 pixels per metre around (5, 5).
    g_birdsEyeOn = 0;
    g_viewScale = 10;
    g_viewCenterX = 5;
    g_viewCenterY = 5;
    // Press west of the squares' west side, release east of it, at north 5.
    OnDragSliceLinesValid(0, 200 - 60, 200, 200 - 40, 200);
    EXPECT_EQ(offered, 0) << "one of the two is valid: 無効 offered";
    EXPECT_EQ(GetSliceLine(1)->valid, 0);
    EXPECT_EQ(GetSliceLine(2)->valid, 0);
    EXPECT_EQ(GetSliceLine(1)->selected + GetSliceLine(2)->selected, 0);

    ClearRecordedMessages();
    OnDragSliceLinesValid(0, 10, 10, 20, 20);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "線分が検索できませんでした。");
}

TEST_F(SlicePickFixture, AreaListShowsWaterBelowZero) {
    const auto rows = SliceAreaListRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "   1 ");
    EXPECT_EQ(rows[0][1], "   10.000");
    EXPECT_EQ(rows[0][3], "      100.000");
    EXPECT_EQ(rows[0][4], " 地表面");
    EXPECT_EQ(rows[1][3], "     -101.000");
    EXPECT_EQ(rows[1][4], " 貯水面");
    EXPECT_EQ(Cp932ToUtf8(SliceAreaListText()),
              "      標高\t点数\t面積\t属性\r\n"
              "   10.000\t   5\t      100.000\t 地表面\r\n"
              "   11.000\t   5\t     -101.000\t 貯水面\r\n");
    ClearSliceLines();
    EXPECT_TRUE(SliceAreaListRows().empty());
    EXPECT_EQ(Cp932ToUtf8(SliceAreaListText()), "      標高\t点数\t面積\t属性\r\n");
}

}  // namespace
}  // namespace contourtest
