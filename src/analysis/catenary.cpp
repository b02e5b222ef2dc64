#include "analysis/catenary.h"

#include <algorithm>
#include <cmath>
#include <deque>

double CatenarySpan::GetLength() const { return std::hypot(x2 - x1, y2 - y1); }

int CatenaryCurve::Compute(const CatenarySpan& span) {
    points.clear();
    length = 0;
    lowestInside = false;
    lowest = {};
    const double L = span.GetLength();
    if (L == 0) return kCatenaryNoSpan;
    const double a = span.a;
    // A small a over a long span overflows cosh; a step of 0 would never end the sampling.
    if (!(a >= 1) || !std::isfinite(a) || !(span.step > 0) || !std::isfinite(span.step) ||
        !std::isfinite(L) || !std::isfinite(span.z1) || !std::isfinite(span.z2))
        return kCatenaryBadParameter;
    const double h = span.z2 - span.z1;
    const double zHigh = span.z1 >= span.z2 ? span.z1 : span.z2;
    double x0, bound, zLow, arc;
    if (h == 0) {
        x0 = L / 2;
        bound = L / 2;
        zLow = zHigh - a * (std::cosh(L / (2 * a)) - 1);
        arc = 2 * a * std::sinh(L / (2 * a));
    } else {
        const double m = h / (2 * a * std::sinh(L / (2 * a)));
        x0 = a * (L / (2 * a) - std::log(m + std::sqrt(m * m + 1)));
        bound = std::max(std::fabs(x0), std::fabs(L - x0));
        zLow = zHigh - a * (std::cosh(bound / a) - 1);
        arc = std::fabs(a * (std::sinh((L - x0) / a) - std::sinh(-x0 / a)));
    }
    if (!std::isfinite(x0) || !std::isfinite(zLow) || !std::isfinite(arc) || !std::isfinite(bound))
        return kCatenaryBadParameter;
    // So many samples that the list itself would be the failure.
    if (bound / span.step > 5e7) return kCatenaryBadParameter;

    auto at = [&](double s, double z) {
        return CatenaryPoint{span.x1 + (span.x2 - span.x1) * s / L, span.y1 + (span.y2 - span.y1) * s / L, z};
    };
    std::deque<CatenaryPoint> list;
    lowest = at(x0, zLow);
    for (long k = 0;; ++k) {
        const double t = k * span.step;
        if (!(t < bound)) break;
        const double z = zLow + a * (std::cosh(t / a) - 1);
        if (k == 0) {
            if (x0 > 0 && x0 < L) {
                list.push_back(lowest);
                lowestInside = true;
            }
            continue;
        }
        if (x0 + t > 0 && x0 + t < L) list.push_back(at(x0 + t, z));
        if (x0 - t > 0 && x0 - t < L) list.push_front(at(x0 - t, z));
    }
    points.assign(list.begin(), list.end());
    length = arc;
    return kCatenaryOk;
}

bool CatenaryCurve::GetPoint(int i, CatenaryPoint* out) const {
    if (points.empty() || i < 0 || static_cast<size_t>(i) >= points.size()) return false;
    *out = points[i];
    return true;
}
