#pragma once
// SPLINE entities sampled into polylines: a B-spline over the knot vector, or a piecewise
// cubic through the control points over their chord lengths, thinned by the change of
// direction.
#include <cstdint>
#include <vector>

#include "dxf/dxf_entities.h"

struct DxfSplineRecord {
    DxfEntityHead head;
    std::vector<DxfPoint3> control;
    std::vector<double> knots;
    DxfPoint3 startTangent{};
    DxfPoint3 endTangent{};
    int32_t quality = 40;  // smoothness 0 to 100
};

// Most samples one spline yields before thinning: a knot range in drawing units must
// not cost a near-endless loop.
constexpr int32_t kMaxDxfSplineSamples = 200000;
// Most points one cubic curve yields after thinning.
constexpr size_t kMaxDxfCubicPoints = 4'000'000;

// Samples per cubic span and thinning tolerance (tenths of a degree) of a smoothness.
void DxfSplineDensity(int32_t quality, int32_t& samplesPerSpan, int32_t& tolerance);

// The number of points, or -1 when a B-spline is refused (reason in head.message).
int32_t EvaluateDxfSpline(DxfSplineRecord& spline, std::vector<DxfPoint3>& out);
int32_t EvaluateBSpline(DxfSplineRecord& spline, const std::vector<double>& knots, std::vector<DxfPoint3>& out);
double BSplineBasis(int32_t j, int32_t k, double t, const std::vector<double>& knots);
int32_t EvaluateCubicSpline(const DxfSplineRecord& spline, std::vector<DxfPoint3>& out);
// The parameters at which a B-spline of b control points and order k is sampled.
std::vector<double> BSplineSampleParameters(int32_t b, int32_t k, const std::vector<double>& knots);
