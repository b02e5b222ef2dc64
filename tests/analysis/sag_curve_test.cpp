#include "analysis/sag_curve.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "../section/section_test_support.h"
#include "../support/jacksboro_grid.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "shell/tool_mode.h"
#include "view/pick_overlay.h"
#include "view/view_state.h"
#include "volume/mesh_from_tin.h"

namespace {

using sectiontest::SectionFixture;

class SagCurveTest : public SectionFixture {
protected:
    void SetUp() override {
        SectionFixture::SetUp();
        g_birdsEyeOn = 0;
        g_linePickState = 0;
        g_towerStart = g_towerEnd = {};
        LineTools() = {};
        LineTools().openSag = [this](double t) { m_opened = t; };
    }
    void TearDown() override {
        LineTools() = {};
        g_linePickState = 0;
        SectionFixture::TearDown();
    }
    double m_opened = -1;
};

double Tilted(double x, double y) { return 100 + 0.05 * x + 0.01 * y; }

TEST_F(SagCurveTest, ExtensionRatioIsClampedToTheSpan) {
    g_towerStart = {0, 0, 0};
    g_towerEnd = {30, 40, 0};  // 50 m apart
    struct Case {
        double width, t;
    };
    for (const Case& c : {Case{0, 0}, Case{5, 0.1}, Case{50, 1}, Case{80, 1}, Case{-3, 0}})
        EXPECT_DOUBLE_EQ(TowerExtensionRatio(c.width), c.t) << c.width;
    EXPECT_EQ(TowerWidthText(), "5.000");
    EXPECT_DOUBLE_EQ(TowerInputValue("12.3456789"), 12.34568);
    EXPECT_DOUBLE_EQ(TowerInputValue("abc"), 0);
}

TEST_F(SagCurveTest, TowerInputConfirmsSThenEThenTheWidth) {
    BuildGrid(10, 10, Tilted);
    TowerInputState st;
    EXPECT_FALSE(ConfirmTowerInput(st, 20, 20));
    EXPECT_EQ(g_linePickState, 1);
    // E on S is refused and S stays confirmed.
    st = {};
    EXPECT_FALSE(ConfirmTowerInput(st, 20, 20));
    EXPECT_EQ(g_linePickState, 1);
    st = {};
    EXPECT_TRUE(ConfirmTowerInput(st, 20, 80));
    EXPECT_TRUE(st.widthMode);
    EXPECT_EQ(g_linePickState, 2);
    EXPECT_EQ(g_profile.right.count, 0);  // nothing cut before the width
    EXPECT_FALSE(ConfirmTowerInput(st, 6, 0));
    EXPECT_DOUBLE_EQ(m_opened, 0.1);
    // The profile runs 6 m beyond both towers, which stand on the ground.
    ASSERT_GE(g_profile.right.count, 2);
    EXPECT_NEAR(g_profile.right.y[1], 14, 1e-9);
    EXPECT_NEAR(g_towerStart.z, Tilted(20, 20), 1e-9);
    EXPECT_NEAR(g_towerEnd.z, Tilted(20, 80), 1e-9);
    // A new S after a cut starts the next line.
    st = {};
    EXPECT_FALSE(ConfirmTowerInput(st, 50, 50));
    EXPECT_EQ(g_linePickState, 1);
    EXPECT_DOUBLE_EQ(g_towerStart.x, 50);
}

TEST_F(SagCurveTest, ATowerOutsideTheTinMovesToTheProfileEnd) {
    BuildGrid(10, 10, Tilted);  // 0..100 both ways
    struct Case {
        LinePoint s, e;
        double t;
        LinePoint wantS, wantE;
    };
    const Case cases[] = {
        {{50, -20, 0}, {50, 80, 0}, 0, {50, 0, 0}, {50, 80, 0}},
        {{50, 30, 0}, {50, 130, 0}, 0.5, {50, 30, 0}, {50, 100, 0}},
        {{-10, 50, 0}, {110, 50, 0}, 0, {0, 50, 0}, {100, 50, 0}},
    };
    for (const Case& c : cases) {
        g_towerStart = c.s, g_towerEnd = c.e;
        BuildTowerGroundProfile(c.t);
        ASSERT_GE(g_profile.right.count, 2);
        EXPECT_NEAR(g_towerStart.x, c.wantS.x, 1e-9);
        EXPECT_NEAR(g_towerStart.y, c.wantS.y, 1e-9);
        EXPECT_NEAR(g_towerEnd.x, c.wantE.x, 1e-9);
        EXPECT_NEAR(g_towerEnd.y, c.wantE.y, 1e-9);
        EXPECT_NEAR(g_towerStart.z, Tilted(c.wantS.x, c.wantS.y), 1e-9);
        EXPECT_NEAR(g_towerEnd.z, Tilted(c.wantE.x, c.wantE.y), 1e-9);
    }
    // Without a TIN both towers go onto the first and last band point.
    InitDataModel();
    for (double y : {12.0, 30.0, 55.0}) AddPoint(0.05, y, 7 + y / 10);
    g_sectionBandWidth = 1;
    g_towerStart = {0, 0, 0}, g_towerEnd = {0, 60, 0};
    BuildTowerGroundProfile(0);
    EXPECT_EQ(g_profileFromPoints, 1);
    EXPECT_NEAR(g_towerStart.y, 12, 1e-9);
    EXPECT_NEAR(g_towerEnd.y, 55, 1e-9);
}

// Ground pieces from a height function on a 1 m grid of distances.
std::vector<GroundPoint> Ground(double from, double to, double (*f)(double)) {
    std::vector<GroundPoint> g;
    for (double d = from; d <= to; d += 1) g.push_back({d, f(d)});
    return g;
}
double Flat(double) { return 100; }
double Hump(double d) { return d > 45 && d < 55 ? 108 : 100; }

TEST_F(SagCurveTest, ClearanceOfTheCurveAndTheChord) {
    struct Case {
        double (*ground)(double);
        double top1, top2, a;
        bool curve, chord;
    };
    // Span 0..100; a = 100 sags 12.76 m below equal tops.
    const Case cases[] = {
        {Flat, 115, 115, 100, true, true},    // lowest point 2.24 m over the ground
        {Flat, 110, 110, 100, false, true},   // the vertex goes 2.76 m under
        {Hump, 115, 115, 100, false, true},   // the hump stands 5.76 m into the curve
        {Hump, 125, 125, 1000, true, true},   // sag 1.25: 15.75 m over the hump
        {Hump, 107, 107, 1e6, false, false},  // nearly straight, under the hump
        {Flat, 95, 130, 300, false, false},   // a top below the ground
    };
    for (const Case& c : cases) {
        CatenaryCurve curve;
        ASSERT_EQ(curve.Compute({0, 0, c.top1, 100, 0, c.top2, c.a, 1}), kCatenaryOk);
        const std::vector<GroundPoint> g = Ground(-20, 120, c.ground);
        EXPECT_EQ(SagCurveClears(g, curve.points), c.curve) << c.top1 << " " << c.a;
        EXPECT_EQ(SagChordClears(g, 0, c.top1, 100, c.top2), c.chord) << c.top1 << " " << c.a;
    }
}

TEST_F(SagCurveTest, ATowerTopBelowTheGroundTurnsTheCurveMagenta) {
    BuildGrid(10, 10, [](double, double y) { return y > 40 && y < 60 ? 130.0 : 100.0; });
    g_towerStart = {50, 10, 0}, g_towerEnd = {50, 90, 0};
    BuildTowerGroundProfile(0.1);
    SagModel m;
    m.ratio = 0.1;
    RebuildSagModel(m);
    EXPECT_NEAR(m.s.z, 100, 1e-9);
    EXPECT_EQ(DefaultSagCoefficient(m), 64);
    EXPECT_TRUE(ComputeSagCurve(m, 60, 60, 2000).clear);
    EXPECT_FALSE(ComputeSagCurve(m, 10, 10, 2000).clear);
}

TEST_F(SagCurveTest, TypedValuesAreCorrected) {
    struct Case {
        double typed, a, h;
        bool aFixed, hFixed;
    };
    const Case cases[] = {{0, 1, 0, true, false},     {-4, 1, 0, true, true},    {0.5, 1, 0.5, true, false},
                          {250, 250, 250, false, false}, {NAN, 1, 0, true, true}, {INFINITY, 1, 0, true, true}};
    for (const Case& c : cases) {
        bool fa = false, fh = false;
        EXPECT_EQ(SagCoefficientValue(c.typed, &fa), c.a) << c.typed;
        EXPECT_EQ(SagHeightValue(c.typed, &fh), c.h) << c.typed;
        EXPECT_EQ(fa, c.aFixed) << c.typed;
        EXPECT_EQ(fh, c.hFixed) << c.typed;
    }
}

TEST_F(SagCurveTest, HandlesAndFootDrags) {
    SagHandles h;
    h.x[1] = 100, h.y[1] = 50, h.x[2] = 100, h.y[2] = 200, h.x[3] = 400, h.y[3] = 60, h.x[4] = 400, h.y[4] = 210;
    struct Hit {
        int x, y, want;
    };
    for (const Hit& c : {Hit{100, 50, 1}, Hit{106, 56, 1}, Hit{107, 50, 0}, Hit{95, 205, 2}, Hit{400, 60, 3},
                         Hit{404, 213, 4}, Hit{250, 100, 0}})
        EXPECT_EQ(HitSagHandle(h, c.x, c.y), c.want) << c.x << "," << c.y;

    BuildGrid(10, 10, Tilted);
    g_towerStart = {50, 20, 0}, g_towerEnd = {50, 80, 0};
    BuildTowerGroundProfile(0.1);
    SagModel m;
    RebuildSagModel(m);
    const SagColumns cols{10, 500, 100, 400};
    struct Drag {
        int32_t which, column;
        bool moves;
    };
    for (const Drag& d : {Drag{2, 9, false}, Drag{2, 400, false}, Drag{4, 100, false}, Drag{4, 501, false},
                          Drag{2, 10, true}, Drag{4, 500, true}})
        EXPECT_EQ(DragSagFoot(m, d.which, d.column, d.which == 2 ? m.D1() : m.D2(), cols), d.moves) << d.which << " " << d.column;
    // S dragged 10 m toward E along the line, on the ground there.
    ASSERT_TRUE(DragSagFoot(m, 2, 150, m.D1() + 10, cols));
    EXPECT_NEAR(g_towerStart.y, 30, 1e-9);
    EXPECT_NEAR(g_towerStart.z, Tilted(50, 30), 1e-9);
}

TEST_F(SagCurveTest, SixStepsEastThenWestReturnTheLine) {
    BuildGrid(20, 10, Tilted, 1000.25, 2000.75);
    g_towerStart = {1080.25, 2050.75, 0}, g_towerEnd = {1130.25, 2150.75, 0};
    BuildTowerGroundProfile(0.1);
    SagModel m;
    m.ratio = 0.1;
    RebuildSagModel(m);
    const LinePoint s0 = g_towerStart, e0 = g_towerEnd;
    for (int k = 0; k < 6; ++k) ASSERT_TRUE(ShiftSagLine(m, SagShift::East));
    EXPECT_NEAR(g_towerStart.y, s0.y + 6, 1e-9);
    EXPECT_NEAR(m.e.z, Tilted(e0.x, e0.y + 6), 1e-9);
    for (int k = 0; k < 6; ++k) ASSERT_TRUE(ShiftSagLine(m, SagShift::West));
    for (const auto& [got, want] : {std::pair{g_towerStart, s0}, std::pair{g_towerEnd, e0}}) {
        EXPECT_NEAR(got.x, want.x, 1e-9);
        EXPECT_NEAR(got.y, want.y, 1e-9);
        EXPECT_NEAR(got.z, want.z, 1e-9);
    }
    // Sideways: perpendicular to the line, 1 m, right then left.
    ASSERT_TRUE(ShiftSagLine(m, SagShift::Right));
    EXPECT_NEAR(std::hypot(g_towerStart.x - s0.x, g_towerStart.y - s0.y), 1, 1e-9);
    EXPECT_NEAR((g_towerStart.x - s0.x) * (e0.x - s0.x) + (g_towerStart.y - s0.y) * (e0.y - s0.y), 0, 1e-9);
    ASSERT_TRUE(ShiftSagLine(m, SagShift::Left));
    EXPECT_NEAR(g_towerStart.x, s0.x, 1e-9);
    // A step off the TIN is refused and moves nothing.
    g_towerStart = {1000.75, 2050.75, 0};
    RebuildSagModel(m);
    EXPECT_FALSE(ShiftSagLine(m, SagShift::South));
    EXPECT_DOUBLE_EQ(g_towerStart.x, 1000.75);
}

TEST_F(SagCurveTest, GoldenReport) {
    SagReportValues v;
    v.s = {100, 200, 50};
    v.e = {100, 260, 56};
    v.hL = 10, v.hR = 12.5;
    v.a = 360;
    v.length = 61.234567;
    v.d1 = 5, v.d2 = 65;
    v.points = {{6, 0, 59.1234}, {35, 0, 55.5}, {64, 0, 68.25}};
    const std::string want =
        "[ S 地点 ]\r\n    X : 100.000\r\n    Y : 200.000\r\n    Z : 50.000 (基点)\r\n        60.000 (頂点)\r\n"
        "    H : 10.000\r\n\r\n"
        "[ E 地点 ]\r\n    X : 100.000\r\n    Y : 260.000\r\n    Z : 56.000 (基点)\r\n        68.500 (頂点)\r\n"
        "    H : 12.500\r\n\r\n"
        "[ 距離 ]\r\n    60.000 m\r\n\r\n"
        "[ 勾配 ]\r\n    10.000 %\r\n\r\n"
        "[ 曲線要素]\r\n    係数 : 360.000\r\n    実長 : 61.235 m\r\n\r\n"
        "[ 構成点 (x,y,z) ]\r\n"
        "    100.000  201.000  59.123\r\n    100.000  230.000  55.500\r\n    100.000  259.000  68.250\r\n";
    EXPECT_EQ(FormatTowerReport(v), want);
    ASSERT_TRUE(CopyTowerReport(v));
    EXPECT_EQ(Cp932ToUtf8(GetClipboardText()), want);
}

TEST_F(SagCurveTest, OverlayStepAndCoefficientGuards) {
    struct Case {
        double length, a, step;
        bool ok;
    };
    const Case cases[] = {
        {150, 500, 1, true},    {199.9, 500, 1, true}, {2500, 500000, 25, true},
        {100, 0, 1, true},  // taken as 1 until the window corrects it
        {2500, 0, 25, false},   // cosh(1250) is no number: nothing drawn
        {100, NAN, 1, false},   {100, -5, 1, true},
    };
    for (const Case& c : cases) {
        const TowerOverlay o = ComputeTowerOverlay({0, 0, 100}, {0, c.length, 100}, 20, 20, c.a);
        EXPECT_DOUBLE_EQ(o.step, c.step) << c.length << " " << c.a;
        EXPECT_EQ(o.curveOk, c.ok) << c.length << " " << c.a;
        for (const CatenaryPoint& p : o.curve.points) ASSERT_TRUE(std::isfinite(p.z));
    }
}

// The catenary through two supports, solved here on its own by bisection on the vertex
// position: height at s (0 at support 1) of the curve z = c + a cosh((s - x0) / a).
struct ReferenceCatenary {
    double a, x0, c;
    ReferenceCatenary(double L, double z1, double z2, double a_) : a(a_) {
        auto diff = [&](double x0_) { return a * (std::cosh((L - x0_) / a) - std::cosh(-x0_ / a)) - (z2 - z1); };
        double lo = -10 * L, hi = 11 * L;  // diff falls as x0 grows
        for (int k = 0; k < 200; ++k) {
            const double mid = (lo + hi) / 2;
            (diff(mid) > 0 ? lo : hi) = mid;
        }
        x0 = (lo + hi) / 2;
        c = z1 - a * std::cosh(-x0 / a);
    }
    double At(double s) const { return c + a * std::cosh((s - x0) / a); }
};

// The TIN's ground along one straight line, read here from the triangles themselves.
class TinGroundAlong {
public:
    TinGroundAlong(const LinePoint& s, const LinePoint& e) {
        const double x0 = std::min(s.x, e.x) - 1, x1 = std::max(s.x, e.x) + 1;
        const double y0 = std::min(s.y, e.y) - 1, y1 = std::max(s.y, e.y) + 1;
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& t = g_tinEdges[i];
            for (int32_t apex : {t.apexSearch, t.apexBack}) {
                if (apex <= 0 || t.a <= 0 || t.b <= 0) continue;
                const RandomPoint* p[3] = {&g_points[t.a], &g_points[t.b], &g_points[apex]};
                if (std::max({p[0]->x, p[1]->x, p[2]->x}) < x0 || std::min({p[0]->x, p[1]->x, p[2]->x}) > x1 ||
                    std::max({p[0]->y, p[1]->y, p[2]->y}) < y0 || std::min({p[0]->y, p[1]->y, p[2]->y}) > y1)
                    continue;
                m_triangles.push_back({p[0], p[1], p[2]});
            }
        }
    }
    bool At(double x, double y, double* z) const {
        for (const auto& t : m_triangles) {
            const double d = (t[1]->x - t[0]->x) * (t[2]->y - t[0]->y) - (t[2]->x - t[0]->x) * (t[1]->y - t[0]->y);
            if (d == 0) continue;
            const double u = ((x - t[0]->x) * (t[2]->y - t[0]->y) - (t[2]->x - t[0]->x) * (y - t[0]->y)) / d;
            const double v = ((t[1]->x - t[0]->x) * (y - t[0]->y) - (x - t[0]->x) * (t[1]->y - t[0]->y)) / d;
            if (u < -1e-9 || v < -1e-9 || u + v > 1 + 1e-9) continue;
            *z = t[0]->z + u * (t[1]->z - t[0]->z) + v * (t[2]->z - t[0]->z);
            return true;
        }
        return false;
    }

private:
    std::vector<std::array<const RandomPoint*, 3>> m_triangles;
};

TEST(SagCurveJacksboro, SpansOfPlusAndMinusFiveMetresClearance) {
    jacksboro_grid::LoadWithTin();
    g_sectionBandWidth = 1;
    g_linePickState = 0;
    struct Span {
        LinePoint s, e;
        double wanted;
    };
    const Span spans[] = {{{12000, 9000, 0}, {12000, 9800, 0}, 5}, {{15000, 14000, 0}, {15565.69, 14565.69, 0}, -5}};
    for (const Span& sp : spans) {
        g_towerStart = sp.s, g_towerEnd = sp.e;
        BuildTowerGroundProfile(0.1);
        SagModel m;
        m.ratio = 0.1;
        RebuildSagModel(m);
        ASSERT_NEAR(std::hypot(m.e.x - m.s.x, m.e.y - m.s.y), 800, 0.01);
        const double a = DefaultSagCoefficient(m);
        const TinGroundAlong tin(m.s, m.e);
        double zs = 0, ze = 0;
        ASSERT_TRUE(tin.At(m.s.x, m.s.y, &zs));
        ASSERT_TRUE(tin.At(m.e.x, m.e.y, &ze));
        ASSERT_NEAR(zs, m.s.z, 1e-6);
        // Dense check with towers of height 0: the least clearance, every 0.25 m.
        const double L = 800;
        const ReferenceCatenary ref(L, zs, ze, a);
        double least = 1e9;
        for (double s = 0.25; s < L; s += 0.25) {
            double g = 0;
            ASSERT_TRUE(tin.At(m.s.x + (m.e.x - m.s.x) * s / L, m.s.y + (m.e.y - m.s.y) * s / L, &g));
            least = std::min(least, ref.At(s) - g);
        }
        // Equal towers lift the whole curve: pick the height that leaves the wanted clearance.
        const double h = sp.wanted - least;
        ASSERT_GT(h, 0) << "the span needs a ground that comes closer";
        const SagCurve c = ComputeSagCurve(m, h, h, a);
        ASSERT_EQ(c.result, kCatenaryOk);
        EXPECT_EQ(c.clear, sp.wanted > 0) << sp.wanted;
        const TowerOverlay o = ComputeTowerOverlay(m.s, m.e, h, h, a);
        ASSERT_TRUE(o.found);
        EXPECT_EQ(o.touches, sp.wanted < 0);
        EXPECT_NEAR(o.minClearance, sp.wanted, 0.5);
    }
    ReleaseDataModel();
}

}  // namespace
