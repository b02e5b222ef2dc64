// The bird's-eye triangle rasteriser and its clipper, on small back buffers.
#include "view/triangle_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "image/image_slot.h"
#include "raster_fixture.h"

namespace {

int g_affineCalls = 0;
int g_perspectiveCalls = 0;
void SpyAffine(int32_t first, int32_t last) {
    ++g_affineCalls;
    SpanFlat(first, last);
}
void SpyPerspective(int32_t first, int32_t last) {
    ++g_perspectiveCalls;
    SpanFlat(first, last);
}

uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

class TriangleRasterTest : public RasterTest {
protected:
    void SetUp() override {}
    void TearDown() override {
        FreeTriangleRasterBlocks();
        g_bgImage = ImageSlot{};
        g_lightingOn = 0;
        g_depthBiasOn = 0;
        g_depthBias = 0;
        RasterTest::TearDown();
    }

    void OpenRaster(int32_t width, int32_t height, double angle = 40) {
        Open(width, height);
        ASSERT_GE(InitTriangleRaster(angle, width, height), 0);
        UseFlatSpans();
        g_triangleColor = kInk;
        g_triangleShade = 0x3F00;
    }

    // A camera-space vertex that projects into pixel (column, row) at depth z.
    static RasterVertex At(double column, double row, double z, float u = 0, float v = 0) {
        auto offset = [](double d) { return d + (d >= 0 ? 0.25 : -0.25); };
        RasterVertex vertex{};
        vertex.x = offset(column - g_projCenterX) / g_projScale * z;
        vertex.y = offset(row - g_projCenterY) / g_projScale * z;
        vertex.z = z;
        vertex.u = u;
        vertex.v = v;
        ComputeVertexOutcode(vertex);
        return vertex;
    }

    static RasterVertex Camera(double x, double y, double z) {
        RasterVertex vertex{};
        vertex.x = x;
        vertex.y = y;
        vertex.z = z;
        ComputeVertexOutcode(vertex);
        return vertex;
    }

    static uint32_t Depth(int32_t column, int32_t row) {
        return g_zBuffer[static_cast<size_t>(row) * g_rasterWidth + column];
    }

    static bool DepthUntouched() {
        for (int32_t i = 0; i < g_rasterWidth * g_rasterHeight; ++i)
            if (g_zBuffer[i] != 0) return false;
        return true;
    }

    // Front faces: T = P . ((Q - P) x (R - P)) >= 0.
    static bool FrontFacing(const RasterVertex& p, const RasterVertex& q, const RasterVertex& r) {
        const double ax = q.x - p.x, ay = q.y - p.y, az = q.z - p.z;
        const double bx = r.x - p.x, by = r.y - p.y, bz = r.z - p.z;
        return p.x * (ay * bz - az * by) + p.y * (az * bx - ax * bz) + p.z * (ax * by - ay * bx) >=
               0;
    }
};

TEST_F(TriangleRasterTest, EqualDepthsTakeTheAffinePathDifferentDepthsThePerspectiveOne) {
    OpenRaster(64, 48);
    struct Case {
        double zP, zQ, zR;
        int affine, perspective;
    };
    const Case cases[] = {{2, 2, 2, 1, 0}, {1, 2, 2, 0, 1}, {1, 1.001, 1, 1, 0}};
    for (const Case& c : cases) {
        InstallSpanRoutines();
        g_spanAffine = SpyAffine;
        g_spanPerspective = SpyPerspective;
        g_affineCalls = g_perspectiveCalls = 0;
        RasterVertex p = At(10, 10, c.zP), q = At(30, 20, c.zQ), r = At(10, 30, c.zR);
        ASSERT_TRUE(FrontFacing(p, q, r));
        EXPECT_EQ(DrawTriangle3D(p, q, r), 0);
        EXPECT_EQ(g_affineCalls, c.affine) << c.zP << " " << c.zQ;
        EXPECT_EQ(g_perspectiveCalls, c.perspective) << c.zP << " " << c.zQ;
    }
}

TEST_F(TriangleRasterTest, BackFacesAreDroppedWithTheDepthBufferUntouched) {
    OpenRaster(64, 48);
    RasterVertex p = At(10, 10, 2), q = At(30, 20, 2), r = At(10, 30, 2);
    EXPECT_EQ(DrawTriangle3D(p, r, q), 0);
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(DepthUntouched());
    EXPECT_EQ(DrawTriangle3D(p, q, r), 0);
    EXPECT_FALSE(Written().empty());
    // Inside, the depth is the float bits of 1/z.
    EXPECT_EQ(Depth(15, 20), Bits(0.5f));
}

TEST_F(TriangleRasterTest, ADegenerateTriangleIsDrawn) {
    OpenRaster(64, 48);
    RasterVertex p = At(10, 10, 2), q = At(20, 20, 2), r = At(30, 30, 2);
    EXPECT_EQ(DrawTriangle3D(p, q, r), 0);
    EXPECT_FALSE(Written().empty());
}

TEST_F(TriangleRasterTest, ALaterTriangleAtTheSameDepthWinsExceptWithFlatBlend) {
    OpenRaster(64, 48);
    RasterVertex p = At(10, 10, 2), q = At(30, 20, 2), r = At(10, 30, 2);
    g_triangleColor = 0x0000FF;
    DrawTriangle3D(p, q, r);
    g_triangleColor = 0x00FF00;
    DrawTriangle3D(p, q, r);
    EXPECT_EQ(g_rowTable[20][15], 0x00FF00u);

    ClearMarkBytes();
    UseHalfTransparentFlatSpans();
    g_triangleColor = 0xFF0000;
    DrawTriangle3D(p, q, r);
    EXPECT_EQ(g_rowTable[20][15], 0x00FF00u);
}

TEST_F(TriangleRasterTest, ABlendedPixelIsBlendedOncePerFrame) {
    OpenRaster(64, 48);
    ClearMarkBytes();
    const uint32_t old = g_rowTable[20][15];
    struct Case {
        void (*select)();
        uint32_t color;
    };
    const Case kinds[] = {{UseHalfTransparentFlatSpans, 0x204060},
                          {UseHalfTransparentVertexColorSpans, 0x204060}};
    for (const Case& c : kinds) {
        FillAll(kSentinel);
        std::memset(g_zBuffer, 0, static_cast<size_t>(g_rasterWidth) * g_rasterHeight * 4);
        c.select();
        g_triangleColor = c.color;
        RasterVertex p = At(10, 10, 3, 0, 0), q = At(30, 20, 3), r = At(10, 30, 3);
        p.color = q.color = r.color = c.color;
        DrawTriangle3D(p, q, r);
        const uint32_t once =
            (((old >> 1) & 0x7F7F7F7F) + ((c.color >> 1) & 0x7F7F7F)) | 0x80000000u;
        EXPECT_EQ(g_rowTable[20][15], once);
        // A nearer surface over it in the same frame leaves the pixel as it is.
        RasterVertex p2 = At(10, 10, 1), q2 = At(30, 20, 1), r2 = At(10, 30, 1);
        g_triangleColor = p2.color = q2.color = r2.color = 0xFFFFFF;
        DrawTriangle3D(p2, q2, r2);
        EXPECT_EQ(g_rowTable[20][15], once);
        EXPECT_EQ(Depth(15, 20), Bits(1.0f));
        ClearMarkBytes();
    }
}

// The pixels a triangle with the given screen corners covers, by its edge functions:
// 1 inside, 0 outside, -1 within a pixel of an edge (not compared).
int ReferenceCoverage(const int32_t (&sx)[3], const int32_t (&sy)[3], int32_t column, int32_t row) {
    bool inside = true;
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const double ex = sx[j] - sx[i], ey = sy[j] - sy[i];
        const double length = std::hypot(ex, ey);
        const double f = ex * (row - sy[i]) - ey * (column - sx[i]);
        if (length == 0) return -1;
        if (std::abs(f) / length < 1.0) return -1;
        if (f < 0) inside = false;
    }
    return inside ? 1 : 0;
}

TEST_F(TriangleRasterTest, CoverageMatchesAPlainRasteriserAwayFromTheEdges) {
    const int32_t w = 120, h = 90;
    OpenRaster(w, h);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> column(1, w - 2), row(1, h - 2), depth(1, 4);
    int compared = 0;
    for (int trial = 0; trial < 300; ++trial) {
        FillAll(kSentinel, w + 1, h + 1);
        std::memset(g_zBuffer, 0, static_cast<size_t>(w) * h * 4);
        RasterVertex v[3];
        for (RasterVertex& vertex : v) vertex = At(column(random), row(random), depth(random));
        if (!FrontFacing(v[0], v[1], v[2])) std::swap(v[1], v[2]);
        ASSERT_EQ(DrawTriangle3D(v[0], v[1], v[2]), 0);
        // Screen positions as the rasteriser placed them, in the triangle's own order.
        const int32_t sx[3] = {v[0].sx, v[1].sx, v[2].sx};
        const int32_t sy[3] = {v[0].sy, v[1].sy, v[2].sy};
        for (int32_t r = 0; r < h; ++r) {
            for (int32_t c = 0; c < w; ++c) {
                const int want = ReferenceCoverage(sx, sy, c, r);
                if (want < 0) continue;
                ++compared;
                ASSERT_EQ(g_rowTable[r][c] != kSentinel, want == 1)
                    << "trial " << trial << " pixel " << c << "," << r;
            }
        }
    }
    EXPECT_GT(compared, 100000);
}

// The part of a triangle in front of the near plane, projected to buffer positions: a
// plain polygon clip, then the perspective division.
std::vector<std::pair<double, double>> ProjectedFrontPart(const RasterVertex (&v)[3]) {
    struct P3 {
        double x, y, z;
    };
    std::vector<P3> in = {
        {v[0].x, v[0].y, v[0].z}, {v[1].x, v[1].y, v[1].z}, {v[2].x, v[2].y, v[2].z}};
    std::vector<P3> out;
    for (size_t i = 0; i < in.size(); ++i) {
        const P3& a = in[i];
        const P3& b = in[(i + 1) % in.size()];
        const bool aIn = a.z >= kNearDepth, bIn = b.z >= kNearDepth;
        if (aIn) out.push_back(a);
        if (aIn != bIn) {
            const double t = (kNearDepth - a.z) / (b.z - a.z);
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), kNearDepth});
        }
    }
    std::vector<std::pair<double, double>> screen;
    for (const P3& p : out)
        screen.push_back(
            {g_projScale * p.x / p.z + g_projCenterX, g_projScale * p.y / p.z + g_projCenterY});
    return screen;
}

// 1 inside, 0 outside, -1 within `margin` pixels of the outline (not compared).
int PolygonCoverage(const std::vector<std::pair<double, double>>& poly, double x, double y,
                    double margin) {
    if (poly.size() < 3) return 0;
    double area = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const auto& a = poly[i];
        const auto& b = poly[(i + 1) % poly.size()];
        area += a.first * b.second - b.first * a.second;
    }
    if (area == 0) return 0;
    bool inside = true;
    for (size_t i = 0; i < poly.size(); ++i) {
        const auto& a = poly[i];
        const auto& b = poly[(i + 1) % poly.size()];
        const double ex = b.first - a.first, ey = b.second - a.second;
        const double length = std::hypot(ex, ey);
        if (length == 0) continue;
        const double d = (ex * (y - a.second) - ey * (x - a.first)) / length * (area > 0 ? 1 : -1);
        if (std::abs(d) < margin) return -1;
        if (d < 0) inside = false;
    }
    return inside ? 1 : 0;
}

TEST_F(TriangleRasterTest, ClippedTrianglesCoverTheirFrontPartAwayFromTheEdges) {
    const int32_t w = 80, h = 60;
    OpenRaster(w, h);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> spread(-6, 6), depth(-3, 3);
    int compared = 0, clipped = 0;
    for (int trial = 0; trial < 500; ++trial) {
        FillAll(kSentinel, w + 1, h + 1);
        std::memset(g_zBuffer, 0, static_cast<size_t>(w) * h * 4);
        RasterVertex v[3];
        for (RasterVertex& vertex : v) {
            const double z = depth(random);
            vertex =
                Camera(spread(random) * std::abs(z) * 0.4, spread(random) * std::abs(z) * 0.3, z);
        }
        if (!FrontFacing(v[0], v[1], v[2])) std::swap(v[1], v[2]);
        if (DrawTriangle3D(v[0], v[1], v[2]) == 1) ++clipped;
        const auto poly = ProjectedFrontPart(v);
        // Row 0 is left to the unclipped triangles.
        for (int32_t r = 1; r < h; ++r) {
            for (int32_t c = 0; c < w; ++c) {
                const int want = PolygonCoverage(poly, c + 0.5, r + 0.5, 2.5);
                if (want < 0) continue;
                ++compared;
                ASSERT_EQ(g_rowTable[r][c] != kSentinel, want == 1)
                    << "trial " << trial << " pixel " << c << "," << r;
            }
        }
    }
    EXPECT_GT(clipped, 100);
    EXPECT_GT(compared, 100000);
}

TEST_F(TriangleRasterTest, NearPlaneCutsGiveAQuadrilateralForOneVertexBehindAndATriangleForTwo) {
    OpenRaster(80, 60);
    struct Case {
        bool pBehind, qBehind, rBehind;
        int32_t vertices;
    };
    const Case cases[] = {{true, false, false, 4}, {false, true, false, 4}, {false, false, true, 4},
                          {true, true, false, 3},  {false, true, true, 3},  {true, false, true, 3}};
    for (const Case& c : cases) {
        FillAll(kSentinel);
        std::memset(g_zBuffer, 0, static_cast<size_t>(g_rasterWidth) * g_rasterHeight * 4);
        // Near the view axis, so that the near-plane crossings lie inside the window and
        // the triangle faces the eye.
        const double k = c.vertices == 4 ? 1 : -0.2;
        auto make = [k](double x, double y, bool behind) {
            return behind ? Camera(k * x, k * y, -0.1) : Camera(x, y, 0.5);
        };
        RasterVertex p = make(0, -0.004, c.pBehind), q = make(0.01, 0.004, c.qBehind),
                     r = make(-0.01, 0.004, c.rBehind);
        ASSERT_TRUE(FrontFacing(p, q, r));
        EXPECT_EQ(DrawTriangle3D(p, q, r), 1);
        EXPECT_EQ(g_clipPolygonCount, c.vertices) << c.pBehind << c.qBehind << c.rBehind;
        EXPECT_FALSE(Written().empty());
        for (int32_t i = 0; i < g_clipPolygonCount; ++i) EXPECT_GE(g_clipPolygon[i].zc, kNearDepth);
    }
}

TEST_F(TriangleRasterTest, ATriangleAroundTheWindowFillsItAndOneBesideItDrawsNothing) {
    const int32_t w = 40, h = 30;
    OpenRaster(w, h);
    RasterVertex p = Camera(0, -50, 1), q = Camera(60, 40, 1), r = Camera(-60, 40, 1);
    if (!FrontFacing(p, q, r)) std::swap(q, r);
    EXPECT_EQ(DrawTriangle3D(p, q, r), 1);
    EXPECT_EQ(g_clipPolygonCount, 4);
    for (int32_t row = 1; row < h; ++row)
        for (int32_t c = 0; c < w; ++c) ASSERT_NE(g_rowTable[row][c], kSentinel) << c << "," << row;

    FillAll(kSentinel);
    std::memset(g_zBuffer, 0, static_cast<size_t>(w) * h * 4);
    // Wholly to the right of the window.
    RasterVertex a = Camera(5, -1, 1), b = Camera(9, 0, 1), c = Camera(5, 1, 1);
    if (!FrontFacing(a, b, c)) std::swap(b, c);
    EXPECT_EQ(DrawTriangle3D(a, b, c), -1);
    EXPECT_TRUE(Written().empty());
}

TEST_F(TriangleRasterTest, AWindowCornerTakesItsTextureCoordinateFromTheTrianglesPlane) {
    OpenRaster(80, 60);
    // u and v linear in camera space, so on the triangle's plane they are that function.
    auto u = [](double x, double y, double z) { return 3 * x + 5 * y + 7 * z; };
    auto v = [](double x, double y, double z) { return 2 * x - 4 * y + z; };
    auto make = [&](double x, double y, double z) {
        RasterVertex vertex = Camera(x, y, z);
        vertex.u = static_cast<float>(u(x, y, z));
        vertex.v = static_cast<float>(v(x, y, z));
        return vertex;
    };
    // Crosses the right and the bottom border around the bottom-right corner.
    RasterVertex p = make(0.0, 0.0, 1), q = make(2.0, 0.1, 1.2), r = make(0.1, 2.0, 1.1);
    if (!FrontFacing(p, q, r)) std::swap(q, r);
    SelectSpanRenderer();
    EXPECT_EQ(DrawTriangle3D(p, q, r), 1);
    bool found = false;
    for (int32_t i = 0; i < g_clipPolygonCount; ++i) {
        const ClipPolygonVertex& c = g_clipPolygon[i];
        if (c.plane != (kOutRight | kOutBottom)) continue;
        found = true;
        EXPECT_NEAR(c.x / c.zc, g_halfWidth, 1e-9);
        EXPECT_NEAR(c.y / c.zc, g_halfHeight, 1e-9);
        EXPECT_NEAR(c.u, u(c.x, c.y, c.zc), 1e-3);
        EXPECT_NEAR(c.v, v(c.x, c.y, c.zc), 1e-3);
        EXPECT_EQ(c.column, g_rasterWidth - 1);
        EXPECT_EQ(c.row, g_rasterHeight - 1);
    }
    EXPECT_TRUE(found);
}

TEST_F(TriangleRasterTest, CutsAtTheTopBorderGoToRowOneAndAtTheLeftBorderToColumnZero) {
    OpenRaster(80, 60);
    RasterVertex p = Camera(-0.1, -0.1, 1), q = Camera(-2, 0.05, 1), r = Camera(0.05, -2, 1);
    if (!FrontFacing(p, q, r)) std::swap(q, r);
    EXPECT_EQ(DrawTriangle3D(p, q, r), 1);
    int top = 0, left = 0;
    for (int32_t i = 0; i < g_clipPolygonCount; ++i) {
        const ClipPolygonVertex& c = g_clipPolygon[i];
        if (c.plane & kOutTop) {
            EXPECT_EQ(c.row, 1);
            ++top;
        }
        if (c.plane & kOutLeft) {
            EXPECT_EQ(c.column, 0);
            ++left;
        }
    }
    EXPECT_GT(top, 0);
    EXPECT_GT(left, 0);
    EXPECT_NE(g_rowTable[1][0], kSentinel);
    EXPECT_EQ(g_rowTable[0][0], kSentinel);
}

TEST_F(TriangleRasterTest, TextureCoordinatesRoundToTheNearestTexelAndOutsideIsSkipped) {
    uint32_t texels[4] = {0x112233, 0x445566, 0x778899, 0xAABBCC};  // 2 x 2, bottom row first
    g_bgImage = ImageSlot{};
    g_bgImage.width = 2;
    g_bgImage.height = 2;
    g_bgImage.loaded = 1;
    g_bgImage.pixels = reinterpret_cast<uint8_t*>(texels);
    OpenRaster(64, 48);
    SelectSpanRenderer();
    struct Case {
        float u, v;
        bool fetched;
        uint32_t texel;
    };
    const Case cases[] = {{-0.4f, 0, true, 0x112233},
                          {-0.6f, 0, false, 0},
                          {1.4f, 0.6f, true, 0xAABBCC},
                          {0, 1.6f, false, 0}};
    for (const Case& c : cases) {
        FillAll(kSentinel);
        std::memset(g_zBuffer, 0, static_cast<size_t>(g_rasterWidth) * g_rasterHeight * 4);
        RasterVertex p = At(10, 10, 2, c.u, c.v), q = At(30, 20, 2, c.u, c.v),
                     r = At(10, 30, 2, c.u, c.v);
        DrawTriangle3D(p, q, r);
        EXPECT_EQ(g_rowTable[20][15], c.fetched ? c.texel : kSentinel) << c.u << "," << c.v;
        // The depth is written either way.
        EXPECT_EQ(Depth(15, 20), Bits(0.5f));
    }
}

TEST_F(TriangleRasterTest, ShadedTexelsGoThroughTheShadeTable) {
    uint32_t texel = 0x80C0FF;
    g_bgImage = ImageSlot{};
    g_bgImage.width = g_bgImage.height = 1;
    g_bgImage.pixels = reinterpret_cast<uint8_t*>(&texel);
    OpenRaster(64, 48);
    g_lightingOn = 1;
    SelectSpanRenderer();
    g_triangleShade = 10 << 8;
    RasterVertex p = At(10, 10, 2), q = At(30, 20, 2), r = At(10, 30, 2);
    DrawTriangle3D(p, q, r);
    const uint32_t want = uint32_t{g_shadeTable[10][0x80]} << 16 |
                          uint32_t{g_shadeTable[10][0xC0]} << 8 | g_shadeTable[10][0xFF];
    EXPECT_EQ(g_rowTable[20][15], want);
}

TEST_F(TriangleRasterTest, ATwoPixelGouraudSpanTakesOneEndColourPerPixel) {
    OpenRaster(64, 48);
    SpanRow& row = g_spanRows[5];
    row.left.x = 7;
    row.left.w = 1;
    row.left.color = 0xFF0000;
    row.right.x = 8;
    row.right.w = 1;
    row.right.color = 0x0000FF;
    SpanGouraud(5, 5);
    EXPECT_EQ(g_rowTable[5][7], 0xFF0000u);
    EXPECT_EQ(g_rowTable[5][8], 0x0000FFu);
    EXPECT_EQ(g_rowTable[5][6], kSentinel);
    EXPECT_EQ(g_rowTable[5][9], kSentinel);
}

TEST_F(TriangleRasterTest, LerpColorMixesPerChannel) {
    struct Case {
        uint32_t a, b;
        float t;
        uint32_t want;
    };
    const Case cases[] = {{0xFF0000, 0x0000FF, 0.5f, 0x7F007F},
                          {0x123456, 0x123456, 0.3f, 0x123456},
                          {0x000000, 0xFFFFFF, 1.0f, 0xFFFFFF},
                          {0x102030, 0x000000, 0.0f, 0x102030},
                          {0x000000, 0xFF8040, 0.25f, 0x3F2010}};
    for (const Case& c : cases) EXPECT_EQ(LerpColor(c.a, c.b, c.t), c.want) << c.t;
}

TEST_F(TriangleRasterTest, SetUpRefusesBadSizesAndAnglesAndClampsTheAngle) {
    Open(800, 600);
    EXPECT_EQ(InitTriangleRaster(0.05, 800, 600), -1);
    EXPECT_EQ(InitTriangleRaster(45, 15, 600), -1);
    EXPECT_EQ(g_zBuffer, nullptr);
    EXPECT_GE(InitTriangleRaster(90, 800, 600), 0);
    EXPECT_DOUBLE_EQ(g_viewAngle, 60);
    EXPECT_DOUBLE_EQ(g_halfWidth, 0.5 * std::tan(M_PI / 3));
    EXPECT_DOUBLE_EQ(g_halfHeight, g_halfWidth * 600 / 800);
    EXPECT_DOUBLE_EQ(g_projScale, 800 / g_halfWidth * 0.5);
    EXPECT_EQ(g_projCenterX, 400);
    EXPECT_EQ(g_projCenterY, 300);
    EXPECT_EQ(g_rasterStatus & 2, 0);
    EndTriangleRaster();
    EXPECT_EQ(g_zBuffer, nullptr);
}

TEST_F(TriangleRasterTest, AWindowTallerThan4096RowsIsDrawnToItsLastRow) {
    const int32_t w = 24, h = 5000;
    OpenRaster(w, h);
    EXPECT_EQ(g_rasterHeight, h);
    EXPECT_GE(g_spanRows.size(), static_cast<size_t>(h));
    // Across the top rows, past the border, so that clipping runs too.
    RasterVertex p = At(2, 4600, 1), q = At(40, 4990, 1), r = At(-5, 5100, 1);
    if (!FrontFacing(p, q, r)) std::swap(q, r);
    DrawTriangle3D(p, q, r);
    bool high = false;
    for (const auto& [c, row] : Written()) {
        EXPECT_LT(row, h);
        EXPECT_LT(c, w);
        high |= row > 4096;
    }
    EXPECT_TRUE(high);
}

TEST_F(TriangleRasterTest, LinesAreDepthTestedAndClipped) {
    OpenRaster(64, 48);
    RasterVertex p = At(10, 10, 2), q = At(40, 20, 2), r = At(10, 40, 2);
    g_triangleColor = 0x0000FF;
    DrawTriangle3D(p, q, r);
    // A line behind the triangle is hidden where they overlap; one in front is drawn.
    g_triangleColor = 0x00FF00;
    RasterVertex a = At(5, 25, 3), b = At(60, 25, 3);
    EXPECT_EQ(DrawLine3D(a, b), 0);
    EXPECT_EQ(g_rowTable[25][15], 0x0000FFu);
    EXPECT_EQ(g_rowTable[25][50], 0x00FF00u);
    RasterVertex c = At(5, 26, 1), d = At(60, 26, 1);
    DrawLine3D(c, d);
    EXPECT_EQ(g_rowTable[26][15], 0x00FF00u);
    // Continuous: a steep line gives one pixel on every row between its ends.
    FillAll(kSentinel);
    std::memset(g_zBuffer, 0, static_cast<size_t>(g_rasterWidth) * g_rasterHeight * 4);
    RasterVertex e = At(20, 5, 1), f = At(26, 40, 1);
    DrawLine3D(e, f);
    for (int32_t row = 5; row <= 40; ++row) {
        int count = 0;
        for (int32_t col = 0; col < 64; ++col) count += g_rowTable[row][col] != kSentinel;
        EXPECT_EQ(count, 1) << row;
    }
    // One end behind the eye: cut at the near plane, the rest drawn inside the window.
    FillAll(kSentinel);
    RasterVertex g = Camera(0, 0, 1), k = Camera(0.3, 0.2, -1);
    EXPECT_EQ(DrawLine3D(g, k), 0);
    for (const auto& [col, row] : Written()) {
        EXPECT_LT(col, 64);
        EXPECT_LT(row, 48);
    }
    // Both ends beyond one side.
    RasterVertex m = Camera(5, 0, 1), n = Camera(6, 0.1, 1);
    EXPECT_EQ(DrawLine3D(m, n), -1);
}

TEST_F(TriangleRasterTest, CornersFarOffOrNotNumbersAreDrawnSafelyOrNotAtAll) {
    const int32_t w = 64, h = 48;
    OpenRaster(w, h);
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Case {
        double x, y, z;
    };
    // Corners beside two ordinary ones: not numbers (nothing drawn), and far off but finite
    // (drawn, inside the window only).
    const Case cases[] = {{kNaN, 0, 2},    {0, kInf, 2},     {0, 0, -kInf},      {kInf, 0, kInf},
                          {0, 0, kNaN},    {1e308, 0, 2},    {-1e308, 1e308, 1}, {0, 0, 1e308},
                          {1e42, 0, 1e-3}, {0, -1e42, 1e42}, {3e38, 3e38, 1e39}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " " << c.y << " " << c.z);
        const bool finite = std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z);
        for (int shape = 0; shape < 3; ++shape) {
            FillAll(kSentinel);
            std::memset(g_zBuffer, 0, static_cast<size_t>(w) * h * 4);
            RasterVertex bad = Camera(c.x, c.y, c.z);
            RasterVertex p = At(10, 10, 2), q = At(40, 20, 3);
            if (shape == 2) {
                DrawLine3D(bad, p);
            } else {
                // Both windings: one of them faces the eye.
                if (shape == 0) DrawTriangle3D(bad, p, q);
                if (shape == 1) DrawTriangle3D(bad, q, p);
            }
            size_t count = 0;
            EXPECT_TRUE(WrittenOnlyIn(0, 0, w - 1, h - 1, count));
            if (!finite) {
                EXPECT_EQ(count, 0u) << shape;
                EXPECT_TRUE(DepthUntouched()) << shape;
            }
        }
    }
    // A triangle wholly at a depth beyond the float range, inside the window.
    FillAll(kSentinel);
    RasterVertex p = Camera(-1e41, -1e41, 1e42), q = Camera(1e41, 0, 1e42),
                 r = Camera(0, 1e41, 2e42);
    if (!FrontFacing(p, q, r)) std::swap(q, r);
    DrawTriangle3D(p, q, r);
    size_t count = 0;
    EXPECT_TRUE(WrittenOnlyIn(0, 0, w - 1, h - 1, count));
}

}  // namespace

namespace {
// Everything a banded drawing must leave as one thread leaves it.
struct RasterPicture {
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> depth;
    std::vector<SpanRow> table;
    bool operator==(const RasterPicture& o) const {
        return pixels == o.pixels && depth == o.depth && table.size() == o.table.size() &&
               std::memcmp(table.data(), o.table.data(), table.size() * sizeof(SpanRow)) == 0;
    }
};
}  // namespace

// Several threads each drawing the rows of one band of the window, every triangle walked
// whole by each: the pixels, the depths and the span table come out as one thread draws
// them, whatever the bands (empty ones, one-row ones, ones beyond the window), with
// triangles that overlap at one depth, cross the borders and the eye's plane, blend and
// end early, and lines among them.
TEST_F(TriangleRasterTest, RowBandsDrawWhatOneThreadDraws) {
    OpenRaster(160, 120);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> column(-60, 220), row(-50, 170), depth(0.5, 6);
    struct Shape {
        RasterVertex v[3];
        int kind;
        uint32_t color;
    };
    std::vector<Shape> shapes;
    for (int i = 0; i < 700; ++i) {
        Shape s{};
        const double z = depth(random);
        for (int k = 0; k < 3; ++k) {
            // Some triangles lie in one plane of the others' depth, some reach behind the eye.
            const double zk = i % 5 == 0 ? z : i % 17 == 0 && k == 1 ? -1.0 : depth(random);
            s.v[k] = At(column(random), row(random), std::abs(zk), 0, 0);
            if (zk < 0) s.v[k] = Camera(s.v[k].x, s.v[k].y, -0.5);
            s.v[k].color = static_cast<uint32_t>(random()) & 0xFFFFFF;
        }
        s.kind = static_cast<int>(random() % 4);
        s.color = static_cast<uint32_t>(random()) & 0xFFFFFF;
        shapes.push_back(s);
    }
    // Small triangles inside the window last, so that they leave the span table's rows.
    for (int32_t r = 2; r < 116; r += 3) {
        Shape s{};
        const double c = 10 + (r * 37) % 140;
        s.v[0] = At(c, r, 2);
        s.v[1] = At(c + 6, r + 1, 2.5);
        s.v[2] = At(c + 2, r + 3, 3);
        s.kind = 0;
        s.color = 0x00FF00FF;
        shapes.push_back(s);
    }
    // As the triangle pass does, a band leaves out the triangles inside the view that lie
    // wholly above or below it.
    auto draw = [&](int32_t first, int32_t last) {
        for (const Shape& shape : shapes) {
            Shape s = shape;
            if ((s.v[0].outcode | s.v[1].outcode | s.v[2].outcode) == 0) {
                int32_t top = INT32_MAX, bottom = INT32_MIN;
                for (const RasterVertex& v : s.v) {
                    int32_t sx, sy;
                    ScreenPosition(v.px, v.py, sx, sy);
                    top = std::min(top, sy);
                    bottom = std::max(bottom, sy);
                }
                if (s.kind != 3 && (bottom < first || top > last)) continue;
            }
            g_triangleColor = s.color;
            switch (s.kind) {
                case 0:
                    UseFlatSpans();
                    break;
                case 1:
                    UseVertexColorSpans();
                    break;
                case 2:
                    UseHalfTransparentFlatSpans();
                    break;
                default:
                    UseFlatSpans();
                    DrawLine3D(s.v[0], s.v[1]);
                    continue;
            }
            DrawTriangle3D(s.v[0], s.v[1], s.v[2]);
        }
    };
    auto paint = [&](const std::vector<std::pair<int32_t, int32_t>>* bands) {
        FillAll(0x00204060);
        std::fill(g_zBuffer, g_zBuffer + g_rasterWidth * g_rasterHeight, 0u);
        InitTriangleRaster(40, 160, 120);
        if (bands)
            DrawInRowBands(*bands, draw);
        else
            draw(INT32_MIN, INT32_MAX);
        RasterPicture p;
        for (int32_t r = 0; r < 120; ++r)
            for (int32_t c = 0; c < 160; ++c) p.pixels.push_back(g_rowTable[r][c]);
        p.depth.assign(g_zBuffer, g_zBuffer + g_rasterWidth * g_rasterHeight);
        p.table = g_spanRows;
        return p;
    };
    const RasterPicture one = paint(nullptr);
    using Bands = std::vector<std::pair<int32_t, int32_t>>;
    const Bands layouts[] = {
        {{INT32_MIN, 30}, {31, 31}, {32, 90}, {91, INT32_MAX}},
        {{INT32_MIN, -5}, {-4, 59}, {60, 59}, {60, 500}, {501, INT32_MAX}},
        {{INT32_MIN, 14},
         {15, 29},
         {30, 44},
         {45, 59},
         {60, 74},
         {75, 89},
         {90, 104},
         {105, INT32_MAX}},
        {{INT32_MIN, INT32_MAX}},
    };
    for (const Bands& bands : layouts)
        EXPECT_TRUE(paint(&bands) == one) << bands.size() << " bands";
    // The picture has something of every kind to show.
    EXPECT_GT(std::count(one.pixels.begin(), one.pixels.end(), 0x00204060u), 100);
    EXPECT_LT(std::count(one.pixels.begin(), one.pixels.end(), 0x00204060u), 160 * 120 / 2);
}
