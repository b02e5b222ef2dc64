#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "raster_fixture.h"

namespace {
PixelSet Span(int32_t x0, int32_t x1, int32_t y) {
    PixelSet s;
    for (int32_t x = x0; x <= x1; ++x) s.insert({x, y});
    return s;
}
PixelSet Column(int32_t x, int32_t y0, int32_t y1) {
    PixelSet s;
    for (int32_t y = y0; y <= y1; ++y) s.insert({x, y});
    return s;
}
PixelSet Join(PixelSet a, const PixelSet& b) {
    a.insert(b.begin(), b.end());
    return a;
}
}  // namespace

TEST_F(RasterTest, LinesWalkFromTheSmallerColumnWithBothEnds) {
    struct Case {
        const char* what;
        int32_t x0, y0, x1, y1;
        PixelSet want;
    };
    const Case cases[] = {
        {"coincident ends", 3, 4, 3, 4, {{3, 4}}},
        {"x-major", 0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {"x-major reversed", 5, 2, 0, 0, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {"y-major", 0, 0, 2, 5, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        {"vertical", 2, 1, 2, 4, Column(2, 1, 4)},
        {"horizontal", 1, 1, 5, 1, Span(1, 5, 1)},
    };
    for (const Case& c : cases) {
        FillAll(kSentinel);
        Line(c.x0, c.y0, c.x1, c.y1);
        DrawLine();
        EXPECT_EQ(Written(), c.want) << c.what;
    }
}

TEST_F(RasterTest, DottedLinesDrawEverySecondPositionFromTheStart) {
    struct Case {
        int32_t x0, y0, x1, y1;
        PixelSet want;
    };
    const Case cases[] = {
        {0, 3, 4, 3, {{0, 3}, {2, 3}, {4, 3}}},  // 5 positions, 3 pixels
        {4, 3, 0, 3, {{0, 3}, {2, 3}, {4, 3}}},
        {0, 0, 5, 2, {{0, 0}, {2, 1}, {4, 2}}},
        {7, 7, 7, 7, {{7, 7}}},
    };
    for (const Case& c : cases) {
        FillAll(kSentinel);
        Line(c.x0, c.y0, c.x1, c.y1);
        DrawDottedLine();
        EXPECT_EQ(Written(), c.want) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
    }
}

TEST_F(RasterTest, ThickLinesAddARowTowardTheFarEndOrTheNextColumn) {
    struct Case {
        const char* what;
        int32_t x0, y0, x1, y1;
        PixelSet want;
    };
    const Case cases[] = {
        {"horizontal: the row below", 2, 5, 6, 5, Join(Span(2, 6, 5), Span(2, 6, 4))},
        {"rising x-major: the row above",
         1,
         2,
         6,
         4,
         {{1, 2},
          {2, 2},
          {3, 3},
          {4, 3},
          {5, 4},
          {6, 4},
          {1, 3},
          {2, 3},
          {3, 4},
          {4, 4},
          {5, 5},
          {6, 5}}},
        {"falling x-major: the row below",
         1,
         6,
         5,
         4,
         {{1, 6}, {2, 6}, {3, 5}, {4, 5}, {5, 4}, {1, 5}, {2, 5}, {3, 4}, {4, 4}, {5, 3}}},
        {"y-major: the next column",
         3,
         1,
         4,
         5,
         {{3, 1}, {3, 2}, {3, 3}, {4, 4}, {4, 5}, {4, 1}, {4, 2}, {4, 3}, {5, 4}, {5, 5}}},
    };
    for (const Case& c : cases) {
        FillAll(kSentinel);
        Line(c.x0, c.y0, c.x1, c.y1);
        DrawThickLine();
        EXPECT_EQ(Written(), c.want) << c.what;
    }
}

TEST_F(RasterTest, LinesAreClippedAtEverySide) {
    SetViewport(2, 2, 12, 8);  // columns 2..12, rows 2..9
    ASSERT_EQ(g_bufferMaxY, 9);
    struct Case {
        const char* what;
        int32_t x0, y0, x1, y1;
        PixelSet want;
    };
    const Case cases[] = {
        {"crossing the left boundary starts at its column", -4, 5, 6, 5, Span(2, 6, 5)},
        {"sloped across the left boundary", -2, 2, 6, 6, {{2, 4}, {3, 4}, {4, 5}, {5, 5}, {6, 6}}},
        {"across the right boundary", 8, 4, 20, 4, Span(8, 12, 4)},
        {"across the first row", 5, -3, 5, 5, Column(5, 2, 5)},
        {"across the last row", 7, 4, 7, 30, Column(7, 4, 9)},
        {"wholly left", -5, 3, 1, 7, {}},
        {"wholly right", 13, 3, 30, 3, {}},
        {"wholly before the first row", 3, 1, 9, 0, {}},
        {"wholly past the last row", 3, 10, 9, 20, {}},
        {"one end on the first row", 6, 2, 6, -5, {{6, 2}}},
        {"one end on the left column", 2, 5, -3, 5, {{2, 5}}},
        {"far-off ends", -2000000000, 5, 2000000000, 5, Span(2, 12, 5)},
        {"extreme ends",
         INT32_MIN,
         INT32_MIN,
         INT32_MAX,
         INT32_MAX,
         {{2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}}},
    };
    for (const Case& c : cases) {
        FillAll(kSentinel);
        Line(c.x0, c.y0, c.x1, c.y1);
        DrawLine();
        EXPECT_EQ(Written(), c.want) << c.what;
    }
    // Thick lines keep to the inner rectangle, so their second pixel stays inside.
    FillAll(kSentinel);
    Line(-5, 5, 6, 5);
    DrawThickLine();
    EXPECT_EQ(Written(), Join(Span(3, 6, 5), Span(3, 6, 4)));
}

TEST_F(RasterTest, TrianglesNeverWriteTheBottomVertexRow) {
    FillTriangle2D(0, 0, 4, 0, 0, 4);
    EXPECT_EQ(Picture(6, 5), (std::vector<std::string>{
                                 "......",
                                 "##....",
                                 "###...",
                                 "####..",
                                 "#####.",
                             }));

    // Any triangle with a single lowest-row vertex leaves that row alone.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> col(0, 15), row(0, 11);
    for (int i = 0; i < 500; ++i) {
        FillAll(kSentinel, 16, 12);
        const int32_t x[3] = {col(rng), col(rng), col(rng)}, y[3] = {row(rng), row(rng), row(rng)};
        FillTriangle2D(x[0], y[0], x[1], y[1], x[2], y[2]);
        const int32_t bottom = std::max({y[0], y[1], y[2]});
        if (bottom == std::min({y[0], y[1], y[2]})) continue;  // all on one row: one run
        for (auto [px, py] : Written(16, 12)) ASSERT_LT(py, bottom) << i;
    }
}

TEST_F(RasterTest, TrianglesAreClipped) {
    SetViewport(2, 2, 12, 8);
    FillTriangle2D(-5, 3, 20, 3, 4, 3);
    EXPECT_EQ(Written(), Span(2, 12, 3)) << "one row: a single clipped run";

    FillAll(kSentinel);
    FillTriangle2D(-10, -10, 30, -10, 10, 30);
    PixelSet all;
    for (int32_t y = 2; y <= 9; ++y) all = Join(all, Span(2, 12, y));
    EXPECT_EQ(Written(), all) << "a triangle over the whole clip rectangle fills it";

    FillAll(kSentinel);
    FillTriangle2D(-30, 5, -10, 5, -20, 8);
    FillTriangle2D(0, -40, 40, -40, 20, 2);  // bottom vertex row on the first row
    EXPECT_TRUE(Written().empty());
}

TEST_F(RasterTest, PointsAndPenFootprints) {
    EXPECT_EQ(PlotPoint(0, 5), -1);
    EXPECT_EQ(PlotPoint(5, 0), -1);
    EXPECT_EQ(PlotPoint(15, 5), -1);
    EXPECT_TRUE(Written().empty());
    PlotPixel(0, 0);
    PlotPixel(-1, 3);
    PlotPixel(16, 3);
    EXPECT_EQ(Written(), (PixelSet{{0, 0}}));

    struct Case {
        int32_t pen;
        PixelSet want;
    };
    const Case cases[] = {
        {1, {{5, 5}}},
        {2, {{4, 5}, {5, 5}}},
        {3, {{4, 4}, {5, 4}, {6, 4}, {4, 5}, {5, 5}, {6, 5}}},
        {0, Join(Join(Span(4, 6, 4), Span(4, 6, 5)), Span(4, 6, 6))},
    };
    for (const Case& c : cases) {
        FillAll(kSentinel);
        g_penSize = c.pen;
        EXPECT_EQ(PlotPoint(5, 5), 0);
        EXPECT_EQ(Written(), c.want) << "pen " << c.pen;
    }
    FillAll(kSentinel);
    EXPECT_EQ(PlotCross(5, 5), 0);
    EXPECT_EQ(Written(), (PixelSet{{5, 5}, {4, 5}, {6, 5}, {5, 4}, {5, 6}}));
}

TEST_F(RasterTest, DepthTestedPointsDrawAtEqualDepth) {
    std::vector<uint32_t> depth(16 * 12, 100);
    g_zBuffer = depth.data();
    g_zBufferStride = 16 * 4;

    EXPECT_EQ(PlotPointDepth(5, 5, 100), 0) << "equal depth is drawn";
    EXPECT_EQ(Written(), (PixelSet{{5, 5}}));
    EXPECT_EQ(PlotPointDepth(8, 5, 99), 2) << "farther is hidden";
    EXPECT_EQ(PlotPointDepth(0, 5, 500), 4);
    EXPECT_EQ(TestDepth(8, 5, 99), 2);
    EXPECT_EQ(TestDepth(8, 5, 100), 0);
    EXPECT_EQ(TestDepth(15, 5, 100), 4);

    FillAll(kSentinel);
    g_penSize = 2;
    EXPECT_EQ(PlotPointDepth(8, 8, 300), 0);
    EXPECT_EQ(Written(), Span(7, 9, 8)) << "the depth pen 2 is three pixels wide";
    EXPECT_EQ(depth[8 * 16 + 9], 300u);
    EXPECT_EQ(PlotPointDepth(8, 8, 200), 2);

    FillAll(kSentinel);
    EXPECT_EQ(PlotBlockDepth(3, 3, 1000), 0);
    EXPECT_EQ(Written().size(), 9u);
}

TEST_F(RasterTest, ClearsAndSegmentClipping) {
    SetViewport(2, 2, 12, 8);
    ClearViewport();
    PixelSet want;
    for (int32_t y = 2; y <= 9; ++y)
        want = Join(want, Span(2, 13, y));  // one column past the right
    EXPECT_EQ(Written(), want);

    g_rowTable[1][1] = 0xFF00FF00;
    ClearMarkBytes();
    EXPECT_EQ(g_rowTable[1][1], 0x0000FF00u);
    EXPECT_EQ(g_rowTable[3][3], kInk);

    RasterPoint p{2, 3}, q{2, 7};
    EXPECT_EQ(ClipSegmentToViewport(p, q), 0) << "a segment on the left clip column";
    p = {-2, 2};
    q = {6, 6};
    EXPECT_EQ(ClipSegmentToViewport(p, q), -1);
    EXPECT_EQ(p.x, 2);
    EXPECT_EQ(p.y, 4);
    EXPECT_EQ(q.x, 6);
    EXPECT_EQ(q.y, 6);
    p = {6, 6};
    q = {-2, 2};
    EXPECT_EQ(ClipSegmentToViewport(p, q), -1);
    EXPECT_EQ(p.x, 6);
    EXPECT_EQ(q.x, 2);
    EXPECT_EQ(q.y, 4);
    p = {5, 30};
    q = {7, 40};
    EXPECT_EQ(ClipSegmentToViewport(p, q), 0);
}

TEST_F(RasterTest, ViewportValues) {
    SetViewport(0, 0, 1023, 1023);
    EXPECT_EQ(g_bufferMaxY, 1024);
    EXPECT_EQ(g_viewportCenterY, 512);
    EXPECT_EQ(g_viewportCenterX, 511);
    EXPECT_EQ(g_innerBottom, 1023);
    EXPECT_EQ(g_clipRightBytes, 1023 * 4);
    // Limited to the allocated buffer (1126 x 1126 here) with a spare column and row.
    SetViewport(-5, -5, 5000, 5000);
    EXPECT_EQ(g_clipLeft, 0);
    EXPECT_EQ(g_clipTop, 0);
    EXPECT_EQ(g_bufferMaxX, 1124);
    EXPECT_EQ(g_bufferMaxY, 1124);
    ClearViewport();
    FillTriangle2D(-100, -100, 3000, -100, 500, 3000);
    Line(-10, -10, 5000, 5000);
    DrawLine();
}

// Random lines, triangles, points and texts, near and far, never write outside the clip
// rectangle; under the sanitizers nothing is written outside the buffer either. Windows
// wider than 4096 or taller than 4097 pixels included.
TEST_F(RasterTest, RandomDrawingStaysInsideTheClipRectangle) {
    struct Size {
        int32_t w, h;
        bool sub;  // draw into a sub-viewport too
    };
    const Size sizes[] = {
        {300, 200, true}, {5000, 120, false}, {150, 4500, false}, {4300, 700, true}};
    std::mt19937 rng(12345);
    for (const Size& sz : sizes) {
        Open(sz.w, sz.h);
        if (sz.sub) SetViewport(sz.w / 5, sz.h / 6, sz.w / 2, sz.h / 2);
        const int32_t l = g_clipLeft, t = g_clipTop, r = g_bufferMaxX, b = g_bufferMaxY;
        std::uniform_int_distribution<int32_t> nearX(-sz.w, 2 * sz.w), nearY(-sz.h, 2 * sz.h);
        std::uniform_int_distribution<int32_t> far(INT32_MIN, INT32_MAX);
        std::uniform_int_distribution<int> pick(0, 9);
        auto X = [&] { return pick(rng) == 0 ? far(rng) : nearX(rng); };
        auto Y = [&] { return pick(rng) == 0 ? far(rng) : nearY(rng); };
        // Fewer shapes on the big buffers: each triangle there fills millions of pixels.
        const int shapes = static_cast<int64_t>(sz.w) * sz.h > 1000000 ? 120 : 600;
        for (int i = 0; i < shapes; ++i) {
            Line(X(), Y(), X(), Y());
            switch (i % 3) {
                case 0:
                    DrawLine();
                    break;
                case 1:
                    DrawDottedLine();
                    break;
                default:
                    DrawThickLine();
                    break;
            }
            FillTriangle2D(X(), Y(), X(), Y(), X(), Y());
        }
        size_t count = 0;
        EXPECT_TRUE(WrittenOnlyIn(l, t, r, b, count)) << sz.w << "x" << sz.h;
        EXPECT_GT(count, 0u);

        // Points test against the drawable limits, not the left and top clip values.
        FillAll(kSentinel);
        for (int i = 0; i < 2000; ++i) {
            g_penSize = i % 4;
            PlotPoint(X(), Y());
            PlotCross(X(), Y());
            PlotPixel(X(), Y());
        }
        EXPECT_TRUE(WrittenOnlyIn(0, 0, r, b, count)) << sz.w << "x" << sz.h;
        EXPECT_GT(count, 0u);
    }
}
