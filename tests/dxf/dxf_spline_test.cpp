// Spline sampling: the parameters of a B-spline, its refusals, the cubic curve through
// control points, and the smoothness shared with the import dialog.
#include <gtest/gtest.h>

#include <cmath>

#include "dxf/dxf_import_params.h"
#include "dxf/dxf_spline.h"

namespace {

DxfSplineRecord Record(std::vector<DxfPoint3> control, std::vector<double> knots = {}, int32_t quality = 40) {
    DxfSplineRecord s;
    ResetDxfEntityHead(s.head);
    s.control = std::move(control);
    s.knots = std::move(knots);
    s.quality = quality;
    return s;
}

TEST(DxfSpline, IntegerKnotsAreSampledAtFifths) {
    const std::vector<double> knots = {0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 5, 5};
    const std::vector<double> t = BSplineSampleParameters(8, 4, knots);
    ASSERT_EQ(t.size(), 25u);  // t = i / 5 below 5
    for (size_t i = 0; i < t.size(); ++i) EXPECT_DOUBLE_EQ(t[i], i / 5.0);
}

TEST(DxfSpline, BSplineRefusals) {
    struct Row {
        const char* what;
        size_t controls;
        std::vector<double> knots;
        const char* message;
    };
    const Row rows[] = {
        {"order 13", 4, std::vector<double>(17, 0.0), "制御点に対してノットが多すぎます(階数 13)"},
        {"one control point", 1, {0, 0, 1, 1}, "制御点が少ない"},
        {"too few knots", 4, {0, 0, 0, 1, 1, 1}, "制御点に対して、ノット数が足りません"},
        {"decreasing knots", 4, {0, 0, 0, 0, 2, 1, 1, 1}, "ノット配列は単調増加ではありません"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<DxfPoint3> control;
        for (size_t i = 0; i < r.controls; ++i) control.push_back({double(i), double(i % 2), 0});
        DxfSplineRecord s = Record(control, r.knots);
        std::vector<DxfPoint3> out;
        EXPECT_EQ(EvaluateDxfSpline(s, out), -1);
        EXPECT_STREQ(s.head.message, r.message);
    }
}

TEST(DxfSpline, KnotRangesOfAnySizeGiveABoundedCurve) {
    struct Row {
        const char* what;
        std::vector<double> knots;
    };
    const Row rows[] = {
        {"0 to 1", {0, 0, 0, 0, 1, 1, 1, 1}},
        {"0 to 1e12", {0, 0, 0, 0, 1e12, 1e12, 1e12, 1e12}},
        {"0 to 5000", {0, 0, 0, 0, 5000, 5000, 5000, 5000}},
    };
    const std::vector<DxfPoint3> control = {{0, 0, 0}, {1, 5, 0}, {2, -5, 0}, {3, 0, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        DxfSplineRecord s = Record(control, r.knots, 100);
        std::vector<DxfPoint3> out;
        const int32_t n = EvaluateDxfSpline(s, out);
        ASSERT_GE(n, 2);
        EXPECT_LE(n, kMaxDxfSplineSamples);
        // A clamped curve runs from its first control point nearly to its last.
        EXPECT_NEAR(out.front().x, 0, 1e-12);
        EXPECT_NEAR(out.front().y, 0, 1e-12);
        EXPECT_NEAR(out.back().x, 3, 1e-3);
        EXPECT_NEAR(out.back().y, 0, 1e-2);
    }
}

TEST(DxfSpline, CubicCurveThroughControlPoints) {
    struct Row {
        const char* what;
        std::vector<DxfPoint3> control;
        int32_t maxPoints;
    };
    const Row rows[] = {
        {"three collinear points", {{0, 0, 0}, {5, 5, 0}, {10, 10, 0}}, 3},
        {"two points", {{1, 1, 0}, {4, 5, 0}}, 3},
        {"five points", {{0, 0, 0}, {10, 4, 0}, {20, -3, 0}, {30, 6, 0}, {40, 0, 0}}, 400},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        DxfSplineRecord s = Record(r.control);
        std::vector<DxfPoint3> out;
        const int32_t n = EvaluateDxfSpline(s, out);
        ASSERT_GE(n, 2);
        EXPECT_LE(n, r.maxPoints);
        EXPECT_EQ(out.front().x, r.control.front().x);
        EXPECT_EQ(out.front().y, r.control.front().y);
        for (const DxfPoint3& p : out) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
        if (r.control.size() <= 3) {
            // Straight runs stay on their line.
            const DxfPoint3 a = r.control.front(), b = r.control.back();
            for (const DxfPoint3& p : out)
                EXPECT_NEAR((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x), 0, 1e-9);
        }
    }
}

TEST(DxfSpline, ClosedCubicCurveStopsBeforeItsStart) {
    DxfSplineRecord s = Record({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {0, 0, 0}}, {}, 100);
    std::vector<DxfPoint3> out;
    ASSERT_GT(EvaluateDxfSpline(s, out), 4);
    EXPECT_NEAR(out.front().x, 0, 1e-12);
    EXPECT_NEAR(out.front().y, 0, 1e-12);
    const double gap = std::hypot(out.back().x, out.back().y);
    EXPECT_GT(gap, 0);
    EXPECT_LT(gap, 2);
}

TEST(DxfSpline, GivenTangentsAreDirections) {
    // A start tangent straight up (its x is 0) and an end tangent straight down.
    DxfSplineRecord s = Record({{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}}, {}, 100);
    s.startTangent = {0, 1, 0};
    s.endTangent = {0, -3, 0};
    std::vector<DxfPoint3> out;
    ASSERT_GT(EvaluateDxfSpline(s, out), 3);
    for (const DxfPoint3& p : out) ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    // The curve leaves upwards and comes in from above.
    EXPECT_GT(out[1].y, 0);
    EXPECT_GT(std::atan2(out[1].y - out[0].y, out[1].x - out[0].x), 0.3);
    EXPECT_GT(out[out.size() - 2].y, 0);
}

TEST(DxfSpline, SmoothnessSteps) {
    struct Row {
        int32_t quality;
        int32_t samples;
        int32_t tolerance;
    };
    for (const Row& r : {Row{100, 200, 1}, Row{99, 100, 5}, Row{60, 50, 10}, Row{40, 25, 20}, Row{20, 13, 40}, Row{0, 6, 80}}) {
        int32_t samples = 0, tolerance = 0;
        DxfSplineDensity(r.quality, samples, tolerance);
        EXPECT_EQ(samples, r.samples) << r.quality;
        EXPECT_EQ(tolerance, r.tolerance) << r.quality;
    }
}

TEST(DxfImportParams, SliderAndKindSwitches) {
    g_dxfSplineQuality = 40;
    DxfImportParams p = StartDxfImportParams();
    EXPECT_EQ(p.readArc, 1);
    EXPECT_EQ(p.xyMode, 0);
    EXPECT_EQ(p.unit, 0);
    EXPECT_EQ(p.clipToExtents, 1);
    int32_t position = DxfSplineSliderPosition(p.splineQuality);
    EXPECT_EQ(position, 2);
    for (int i = 0; i < 5; ++i) position = StepDxfSplineSlider(position, +1);
    EXPECT_EQ(position, 5);
    StartDxfImport(p, position);
    EXPECT_EQ(p.splineQuality, 100);
    EXPECT_EQ(g_dxfSplineQuality, 100);
    EXPECT_EQ(StepDxfSplineSlider(0, -1), 0);

    // Shift-click: all cleared, all set; after ticking the nine visible boxes by hand the
    // two without a box are still clear, so the next click sets all, the one after clears.
    ToggleAllDxfKinds(p);
    EXPECT_EQ(p.read3dFace + p.readArc + p.readCircle + p.readLine + p.readPoint + p.readSolid + p.readText +
                  p.readVertex + p.readBlocks + p.readMText + p.readSpline, 0);
    ToggleAllDxfKinds(p);
    EXPECT_EQ(p.readBlocks + p.readMText + p.readSpline, 3);
    ToggleAllDxfKinds(p);
    p.read3dFace = p.readArc = p.readCircle = p.readLine = p.readPoint = p.readSolid = p.readText = p.readVertex =
        p.readSpline = 1;
    ToggleAllDxfKinds(p);
    EXPECT_EQ(p.readLine + p.readBlocks + p.readMText, 3);
    ToggleAllDxfKinds(p);
    EXPECT_EQ(p.readLine + p.readBlocks + p.readMText, 0);
    g_dxfSplineQuality = 40;
}

}  // namespace
