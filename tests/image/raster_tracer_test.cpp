#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "image/image_slot.h"
#include "image/raster_tracer.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A white 32-bit picture with ink wherever the pixel centre lies within `halfWidth` of a
// curve given as a distance function; ground = pixel centre, one metre a pixel.
struct Canvas {
    int32_t w, h;
    std::vector<uint8_t> bits;
    Canvas(int32_t width, int32_t height)
        : w(width), h(height), bits(static_cast<size_t>(width) * height * 4, 255) {}
    void Ink(int32_t x, int32_t y) {
        uint8_t* p = &bits[(static_cast<size_t>(y) * w + x) * 4];
        p[0] = p[1] = p[2] = 0;
    }
    void Draw(const std::function<double(double, double)>& distance, double halfWidth = 1.5) {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                if (distance(x + 0.5, y + 0.5) <= halfWidth) Ink(x, y);
    }
    void FillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        for (int32_t y = y0; y <= y1; ++y)
            for (int32_t x = x0; x <= x1; ++x) Ink(x, y);
    }
    void Attach(RasterTracer& t) const {
        t.Reset();
        t.AttachImage(bits.data(), w, h, w * 4);
        t.m_bitsPerPixel = 32;
        t.backgroundColour[0] = t.backgroundColour[1] = t.backgroundColour[2] = 255;
        t.threshold = 80;
        t.SetCornerMapping(0, h, w, h, 0, 0, w, 0);
    }
};

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay;
    double t = ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy);
    t = std::fmax(0.0, std::fmin(1.0, t));
    return std::hypot(px - (ax + t * vx), py - (ay + t * vy));
}

// Starts at the pixel under (x, y) the way a start click does, then follows the line.
int32_t TraceFrom(RasterTracer& t, double x, double y, int32_t fine, int32_t* branch = nullptr) {
    int32_t px, py;
    t.GroundToPixel(x, y, px, py);
    const int32_t d = t.FindStartDirection(px, py, 1);
    if (branch) *branch = t.branchDirection;
    if (d < 0) return -1;
    return t.TraceFromStart(fine);
}

// Largest distance of any vertex from the centre of the drawn line.
double WorstVertex(const RasterTracer& t, const std::function<double(double, double)>& curve) {
    double worst = 0.0;
    for (int32_t i = 0; i <= t.vertexCount; ++i)
        worst = std::fmax(worst, curve(t.m_east[i], t.m_north[i]));
    return worst;
}

int32_t DirectionGap(int32_t a, int32_t b) {
    int32_t d = std::abs(a - b) % 256;
    return d > 128 ? 256 - d : d;
}

TEST(RasterTracerTest, ClickOnPaperFindsNoLine) {
    Canvas c(100, 100);
    c.Draw([](double x, double y) { return SegmentDistance(x, y, 10, 80, 90, 80); });
    RasterTracer t;
    c.Attach(t);
    EXPECT_EQ(t.FindStartDirection(50, 30, 1), -1);
    EXPECT_EQ(t.direction, -1);
    EXPECT_EQ(t.vertexCount, 0);
}

TEST(RasterTracerTest, NoImageFindsNothing) {
    RasterTracer t;
    t.Reset();
    EXPECT_EQ(t.FindStartDirection(5, 5, 1), 0);
    EXPECT_EQ(t.FindNextDirection(5, 5, 1, 0), 0);
    EXPECT_EQ(t.ColorDistance(5, 5, 2), 0);
    EXPECT_EQ(t.TraceFromStart(1), 0);
}

TEST(RasterTracerTest, MiddleOfLineReportsBranchBackwardsButEndDoesNot) {
    Canvas c(200, 200);
    c.FillRect(20, 99, 180, 101);
    RasterTracer t;
    c.Attach(t);
    const int32_t d = t.FindStartDirection(100, 100, 1);
    ASSERT_GE(d, 0);
    EXPECT_LE(std::min(DirectionGap(d, 0), DirectionGap(d, 128)), 3);
    ASSERT_NE(t.branchDirection, -1);
    EXPECT_LE(DirectionGap(t.branchDirection, (d + 128) % 256), 8);

    const int32_t atEnd = t.FindStartDirection(20, 100, 1);
    EXPECT_LE(DirectionGap(atEnd, 0), 3);
    EXPECT_EQ(t.branchDirection, -1);
}

struct CurveCase {
    const char* name;
    std::function<double(double, double)> curve;
    double startX, startY;
    int32_t fine;
    double endX, endY;  // where the line ends
};

double Wave(double s) { return 200 + 40 * std::sin(s / 50); }

// Straight, slanted, curved lines of 3 px: every vertex lies within one pixel of the ink,
// and the trace follows the line to its far end.
TEST(RasterTracerTest, TracedVerticesStayOnTheLine) {
    const double r = 150.0;
    const std::vector<CurveCase> cases = {
        {"horizontal", [](double x, double y) { return SegmentDistance(x, y, 30, 200, 370, 200); },
         30.5, 200.5, 1, 370, 200},
        {"slanted", [](double x, double y) { return SegmentDistance(x, y, 40, 60, 360, 300); },
         40.5, 60.5, 0, 360, 300},
        {"steep", [](double x, double y) { return SegmentDistance(x, y, 200, 20, 230, 380); },
         200.5, 20.5, 1, 230, 380},
        {"arc",
         [r](double x, double y) {
             const double a = std::atan2(y - 200, x - 200);
             if (a < 0 || a > kPi) return 1e9;  // upper half circle only
             return std::fabs(std::hypot(x - 200, y - 200) - r);
         },
         350.5, 200.5, 1, 50, 200},
        {"wave",
         [](double x, double y) {
             if (x < 20 || x > 380 || std::fabs(y - Wave(x)) > 6) return 1e9;
             double best = 1e9;
             for (double s = std::fmax(20, x - 7); s <= std::fmin(380, x + 7); s += 0.125)
                 best = std::fmin(best, std::hypot(x - s, y - Wave(s)));
             return best;
         },
         20.5, Wave(20.5), 1, 380, Wave(380)},
    };
    for (const CurveCase& k : cases) {
        SCOPED_TRACE(k.name);
        Canvas c(400, 400);
        c.Draw(k.curve);
        RasterTracer t;
        c.Attach(t);
        const int32_t n = TraceFrom(t, k.startX, k.startY, k.fine);
        ASSERT_GT(n, 3);
        EXPECT_LE(WorstVertex(t, k.curve), 1.5 + 1.0);
        EXPECT_LT(std::hypot(t.m_east[n] - k.endX, t.m_north[n] - k.endY), 32.0);
        EXPECT_EQ(t.m_east[n + 1], 0.0);
        EXPECT_EQ(t.m_north[n + 1], 0.0);
    }
}

TEST(RasterTracerTest, ClosedContourEndsBeforeCrossingItsStart) {
    const double r = 120.0;
    const auto circle = [r](double x, double y) { return std::fabs(std::hypot(x - 200, y - 200) - r); };
    Canvas c(400, 400);
    c.Draw(circle);
    RasterTracer t;
    c.Attach(t);
    // Start on the circle with the direction set towards a point along it.
    t.m_startX = 320;
    t.m_startY = 200;
    t.SetDirectionTowards(320, 200, 320, 230);
    const int32_t n = t.TraceFromStart(1);
    ASSERT_GT(n, 10);
    EXPECT_LT(n, MAX_TRACE_VERTEX);
    EXPECT_LE(WorstVertex(t, circle), 1.5 + 1.0);
    EXPECT_EQ(t.FindSelfCrossing(), 0);
    // Once around: the length is nearly the circumference.
    EXPECT_GT(t.PolylineLength(n), 0.85 * 2 * kPi * r);
    EXPECT_LT(t.PolylineLength(n), 1.05 * 2 * kPi * r);
}

TEST(RasterTracerTest, LineIntoTheBorderStopsOnePixelInside) {
    Canvas c(120, 60);
    c.Draw([](double x, double y) { return SegmentDistance(x, y, 10, 30.5, 130, 30.5); });
    RasterTracer t;
    c.Attach(t);
    t.m_startX = 10;
    t.m_startY = 30;
    t.SetDirectionTowards(10, 30, 20, 30);
    const int32_t n = t.TraceFromStart(1);
    ASSERT_GT(n, 0);
    // Ink is read up to column 118 only; the last step ends on the border column at most.
    EXPECT_LE(t.m_east[n], 119.5);
    EXPECT_GE(t.m_east[n], 116.5);
}

TEST(RasterTracerTest, StepLengthByGroup) {
    struct Case {
        int32_t fine;
        double longest;
    };
    for (const Case k : {Case{1, 30.0}, Case{0, 32.0}}) {
        SCOPED_TRACE(k.fine);
        Canvas c(400, 100);
        c.Draw([](double x, double y) { return SegmentDistance(x, y, 5, 50.5, 395, 50.5); });
        RasterTracer t;
        c.Attach(t);
        t.m_startX = 10;
        t.m_startY = 50;
        t.SetDirectionTowards(10, 50, 20, 50);
        const int32_t n = t.TraceFromStart(k.fine);
        ASSERT_GT(n, 5);
        double longest = 0;
        for (int32_t i = 0; i < n; ++i)
            longest = std::fmax(longest, t.m_east[i + 1] - t.m_east[i]);
        EXPECT_DOUBLE_EQ(longest, k.longest);
    }
}

// Only turns of up to 100 direction steps either way are looked at, also across 0.
TEST(RasterTracerTest, TurnsBeyondTheLimitAreNotFollowed) {
    struct Case {
        int32_t current;
        int32_t turn;
        bool found;
    };
    const Case cases[] = {{0, 90, true},   {0, -90, true},  {10, -95, true}, {250, 95, true},
                          {0, 125, false}, {10, -125, false}, {200, 127, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.current << " turn " << k.turn);
        const double a = ((k.current + k.turn + 256) % 256) * 2 * kPi / 256;
        Canvas c(200, 200);
        c.Draw([a](double x, double y) {
            return SegmentDistance(x, y, 100.5, 100.5, 100.5 + 90 * std::cos(a), 100.5 + 90 * std::sin(a));
        });
        RasterTracer t;
        c.Attach(t);
        const int32_t d = t.FindNextDirection(100, 100, 1, k.current);
        if (k.found)
            EXPECT_LE(DirectionGap(d, (k.current + k.turn + 256) % 256), 4);
        else
            EXPECT_EQ(d, -1);
    }
}

TEST(RasterTracerTest, ColourDistanceKernels) {
    // 5 x 5 picture; the 3 x 3 block around (2, 2) carries distances
    //   row 3: 30 60 90      (corners 30 90, N 60)
    //   row 2: 120 150 180   (W 120, C 150, E 180)
    //   row 1: 210 240 15    (corners 210 15, S 240)
    // from a black paper colour, as grey pixels.
    std::vector<uint8_t> bits(5 * 5 * 4, 0);
    const int32_t grey[3][3] = {{210, 240, 15}, {120, 150, 180}, {30, 60, 90}};
    for (int32_t r = 0; r < 3; ++r)
        for (int32_t col = 0; col < 3; ++col) {
            uint8_t* p = &bits[((r + 1) * 5 + col + 1) * 4];
            p[0] = p[1] = p[2] = static_cast<uint8_t>(grey[r][col]);
        }
    RasterTracer t;
    t.Reset();
    t.AttachImage(bits.data(), 5, 5, 20);
    t.m_bitsPerPixel = 32;
    const int32_t edges = 60 + 240 + 120 + 180, corners = 30 + 90 + 210 + 15, c = 150;
    EXPECT_EQ(t.ColorDistance(2, 2, 0), c);
    EXPECT_EQ(t.ColorDistance(2, 2, 1), (2 * edges + 6 * c) / 14);
    EXPECT_EQ(t.ColorDistance(2, 2, 2), (corners + 2 * edges + 4 * c) / 16);
    EXPECT_EQ(t.ColorDistance(2, 2, 3), (corners + edges + 4 * c) / 12);
    // Channels differ: the mean of the three absolute differences.
    uint8_t* centre = &bits[(2 * 5 + 2) * 4];
    centre[0] = 10;
    centre[1] = 200;
    centre[2] = 100;
    t.backgroundColour[0] = 40;
    t.backgroundColour[1] = 100;
    t.backgroundColour[2] = 100;
    EXPECT_EQ(t.ColorDistance(2, 2, 0), (30 + 100 + 0) / 3);
    // The readable area ends one pixel inside the border.
    EXPECT_EQ(t.ColorDistance(0, 2, 0), 0);
    EXPECT_EQ(t.ColorDistance(2, 4, 0), 0);
}

TEST(RasterTracerTest, IndexedAndOneBitPixels) {
    ResetImageSlots();
    // 8-bit: index 7 is red in the shared palette.
    std::vector<uint8_t> indexed(8 * 4, 0);
    indexed[2 * 8 + 2] = 7;
    g_bgImagePalette[7] = 0x00FF0000;
    g_bgImagePalette[0] = 0x00000000;
    RasterTracer t;
    t.Reset();
    t.AttachImage(indexed.data(), 4, 4, 8);
    t.m_bitsPerPixel = 8;
    EXPECT_EQ(t.ColorDistance(2, 2, 0), 255 / 3);
    EXPECT_EQ(t.ReadPixel(2, 2), 1);
    EXPECT_EQ(t.backgroundBit, 7);
    EXPECT_EQ(t.m_lastColour[2], 255);

    // 1-bit: pixel (2, 2) set, most significant bit first.
    std::vector<uint8_t> mono(4 * 4, 0);
    mono[2 * 4] = 0x20;
    t.AttachImage(mono.data(), 4, 4, 4);
    t.m_bitsPerPixel = 1;
    t.backgroundBit = 0;  // set bits are paper
    EXPECT_EQ(t.ColorDistance(2, 2, 0), 0);
    EXPECT_EQ(t.ColorDistance(1, 2, 0), 255);
    t.backgroundBit = 1;  // clear bits are paper
    EXPECT_EQ(t.ColorDistance(2, 2, 0), 255);
    EXPECT_EQ(t.ColorDistance(1, 2, 0), 0);
    ResetImageSlots();
}

TEST(RasterTracerTest, ProbeCellsByGroup) {
    Canvas c(100, 20);
    c.Draw([](double x, double y) { return SegmentDistance(x, y, 0, 10.5, 100, 10.5); }, 2.5);
    RasterTracer t;
    c.Attach(t);
    EXPECT_EQ(t.ProbeLine(10, 10, 1010, 10, 1), 1001);
    for (int32_t i = 0; i < 32; ++i) EXPECT_EQ(t.cells[i], 255) << i;
    t.ProbeLine(10, 10, 1010, 10, 2);
    for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(t.cells[i], 255) << i;
    for (int32_t i = 16; i < 32; ++i) EXPECT_EQ(t.cells[i], 0) << i;
    // A short probe: a trailing incomplete group keeps its sum.
    EXPECT_EQ(t.ProbeLine(10, 10, 12, 10, 2), 3);
    EXPECT_EQ(t.cells[0], 255);
    EXPECT_EQ(t.cells[1], 255);
}

TEST(RasterTracerTest, DirectionTowardsAPoint) {
    struct Case {
        int32_t x1, y1, direction;
    };
    // The stored factor is a hair under 256 / 2pi, so the quarter turns truncate to 63,
    // 127 and 193.
    const Case cases[] = {{10, 0, 0},   {0, 10, 63},   {-10, 0, 127}, {0, -10, 193},
                          {0, 0, 0},    {10, 10, 31},  {-10, -1, 133}, {10, -1, 252}};
    RasterTracer t;
    for (const Case& k : cases) {
        t.SetDirectionTowards(0, 0, k.x1, k.y1);
        EXPECT_EQ(t.direction, k.direction) << k.x1 << "," << k.y1;
    }
}

TEST(RasterTracerTest, GroundAndImageRoundTripOnARotatedPicture) {
    RasterTracer t;
    t.Reset();
    t.m_width = 300;
    t.m_height = 200;
    // A 300 x 200 m picture turned by 30 degrees.
    const double c = std::cos(kPi / 6), s = std::sin(kPi / 6);
    const auto at = [&](double x, double y, double& e, double& n) {
        e = 1000 + x * c - y * s;
        n = 5000 + x * s + y * c;
    };
    double ul[2], ur[2], ll[2], lr[2];
    at(0, 200, ul[0], ul[1]);
    at(300, 200, ur[0], ur[1]);
    at(0, 0, ll[0], ll[1]);
    at(300, 0, lr[0], lr[1]);
    t.SetCornerMapping(ul[0], ul[1], ur[0], ur[1], ll[0], ll[1], lr[0], lr[1]);
    for (const auto& p : {std::pair{0, 0}, std::pair{299, 199}, std::pair{17, 150}}) {
        double e, n, ee, nn;
        t.PixelToGround(p.first, p.second, e, n);
        at(p.first + 0.5, p.second + 0.5, ee, nn);
        EXPECT_NEAR(e, ee, 1e-9);
        EXPECT_NEAR(n, nn, 1e-9);
        int32_t x, y;
        t.GroundToPixel(e, n, x, y);
        EXPECT_EQ(x, p.first);
        EXPECT_EQ(y, p.second);
    }
}

void SetLine(RasterTracer& t, std::initializer_list<std::pair<double, double>> vertices) {
    t.Reset();
    int32_t i = 0;
    for (const auto& v : vertices) {
        t.m_east[i] = v.first;
        t.m_north[i] = v.second;
        ++i;
    }
    t.vertexCount = i - 1;
}

TEST(RasterTracerTest, CutAndRemoveAtTheNearestVertex) {
    struct Case {
        const char* name;
        bool remove;
        double e, n;
        int32_t result, count;
    };
    const Case cases[] = {
        {"cut at vertex 3", false, 30.2, 0.1, 3, 2},
        {"cut at vertex 1 leaves no line", false, 10, 0, 1, 0},
        {"cut exactly on vertex 0", false, 0, 0, 1, 0},
        {"remove vertex 2", true, 19, 1, 2, 3},
        {"remove exactly on vertex 0", true, 0, 0, 0, 3},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        RasterTracer t;
        SetLine(t, {{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}});
        const int32_t r = k.remove ? t.RemoveNearest(k.e, k.n) : t.CutAtNearest(k.e, k.n);
        EXPECT_EQ(r, k.result);
        EXPECT_EQ(t.vertexCount, k.count);
    }
    RasterTracer t;
    SetLine(t, {{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}});
    t.RemoveNearest(0, 0);
    EXPECT_EQ(t.m_east[0], 10);
    EXPECT_EQ(t.m_east[3], 40);
    EXPECT_EQ(t.m_east[4], 40);  // the former last vertex stays after the new last one
    // Cut drops vertices but keeps them in the arrays.
    SetLine(t, {{0, 0}, {10, 0}, {20, 0}});
    t.CutAtNearest(10, 0);
    EXPECT_EQ(t.vertexCount, 0);
    EXPECT_EQ(t.m_east[1], 10);
    // A single vertex is no line.
    SetLine(t, {{0, 0}, {10, 0}});
    EXPECT_EQ(t.CutAtNearest(10, 0), 0);
    EXPECT_EQ(t.vertexCount, 0);
}

TEST(RasterTracerTest, OrientTowardsPutsTheNearerEndLast) {
    RasterTracer t;
    SetLine(t, {{0, 0}, {10, 0}, {20, 5}});
    EXPECT_EQ(t.OrientTowards(25, 5), 1);
    EXPECT_EQ(t.m_east[2], 20);
    EXPECT_EQ(t.OrientTowards(-3, 0), -1);
    EXPECT_EQ(t.m_east[0], 20);
    EXPECT_EQ(t.m_north[0], 5);
    EXPECT_EQ(t.m_east[2], 0);
    SetLine(t, {{0, 0}, {10, 0}});
    EXPECT_EQ(t.OrientTowards(-3, 0), 0);
}

TEST(RasterTracerTest, LengthsDistancesAndTurns) {
    RasterTracer t;
    SetLine(t, {{0, 0}, {3, 4}, {3, 14}, {3, 14}, {-7, 14}});
    EXPECT_DOUBLE_EQ(t.PolylineLength(0), 0.0);
    EXPECT_DOUBLE_EQ(t.PolylineLength(1), 5.0);
    EXPECT_DOUBLE_EQ(t.PolylineLength(99), 25.0);
    struct Case {
        double s, e, n, result;
    };
    const Case cases[] = {
        {-1, 0, 0, 0},      {0, 0, 0, 0},       {1, 0.6, 0.8, -1},  {4, 2.4, 3.2, 1},
        {5, 3, 4, 0 - 0.0}, {12, 3, 11, 3},     {15, 3, 14, 0},     {17, 1, 14, -2},
        {25, -7, 14, 25},   {40, -7, 14, 25},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.s);
        double e = 99, n = 99;
        const double r = t.PointAtDistance(k.s, e, n);
        EXPECT_NEAR(e, k.e, 1e-12);
        EXPECT_NEAR(n, k.n, 1e-12);
        EXPECT_NEAR(r, k.result, 1e-12);
    }
    // Heading west with a small bend either way: a small angle, never near 360.
    SetLine(t, {{0, 0}, {-10, 0}, {-20, 1}});
    EXPECT_NEAR(t.TurnAngleAt(1), -std::atan(0.1) * 180 / kPi, 1e-6);
    SetLine(t, {{0, 0}, {-10, 0}, {-20, -1}});
    EXPECT_NEAR(t.TurnAngleAt(1), std::atan(0.1) * 180 / kPi, 1e-6);
    EXPECT_EQ(t.TurnAngleAt(0), 0.0);
    EXPECT_EQ(t.TurnAngleAt(2), 0.0);
}

TEST(RasterTracerTest, SelfCrossingOfTheNewestSegment) {
    RasterTracer t;
    SetLine(t, {{0, 0}, {10, 0}, {10, 10}, {5, -5}});
    EXPECT_EQ(t.FindSelfCrossing(), 1);
    // Touching is no crossing.
    SetLine(t, {{0, 0}, {10, 0}, {10, 10}, {5, 0}});
    EXPECT_EQ(t.FindSelfCrossing(), 0);
    SetLine(t, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}});
    EXPECT_EQ(t.FindSelfCrossing(), 0);
}

}  // namespace
