#include "dxf/dxf_spline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace {
constexpr double kRadToDeg = 180.0 / std::numbers::pi;

void SetMessage(DxfEntityHead& head, const char* text) {
    std::snprintf(head.message, sizeof head.message, "%s", text);
}

// Appends P, or lets it replace the last point when the direction hardly changes.
void Thin(std::vector<DxfPoint3>& list, const DxfPoint3& p, bool force, int32_t tolerance) {
    if (force || list.size() < 3) {
        list.push_back(p);
        return;
    }
    const DxfPoint3& l = list[list.size() - 1];
    const DxfPoint3& m = list[list.size() - 2];
    const double d1 = std::atan2(l.y - m.y, l.x - m.x) * kRadToDeg;
    const double d2 = std::atan2(p.y - l.y, p.x - l.x) * kRadToDeg;
    const double d = std::fabs(d1 - d2);
    if (static_cast<long long>(d * 10) <= tolerance)
        list.back() = p;
    else
        list.push_back(p);
}

// The k basis functions N(span - k + 1 .. span, k) at t, knot[span] <= t < knot[span + 1]:
// the triangular form of the recursion, k^2 steps instead of 2^k.
void NonZeroBasis(int32_t span, int32_t k, double t, const std::vector<double>& knots, double* out) {
    double left[16], right[16];
    out[0] = 1;
    for (int32_t j = 1; j < k; ++j) {
        left[j] = t - knots[span + 1 - j];
        right[j] = knots[span + j] - t;
        double saved = 0;
        for (int32_t r = 0; r < j; ++r) {
            const double d = right[r + 1] + left[j - r];
            const double temp = d != 0 ? out[r] / d : 0;
            out[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        out[j] = saved;
    }
}

double Distance2(const DxfPoint3& a, const DxfPoint3& b) { return std::hypot(a.x - b.x, a.y - b.y); }
DxfPoint3 Mid(const DxfPoint3& a, const DxfPoint3& b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2, 0}; }
DxfPoint3 Along(const DxfPoint3& from, double f, const DxfPoint3& to) {
    return {from.x + f * (to.x - from.x), from.y + f * (to.y - from.y), 0};
}
}  // namespace

void DxfSplineDensity(int32_t q, int32_t& samples, int32_t& tolerance) {
    if (q >= 100) {
        samples = 200, tolerance = 1;
    } else if (q >= 80) {
        samples = 100, tolerance = 5;
    } else if (q >= 60) {
        samples = 50, tolerance = 10;
    } else if (q >= 40) {
        samples = 25, tolerance = 20;
    } else if (q >= 20) {
        samples = 13, tolerance = 40;
    } else {
        samples = 6, tolerance = 80;
    }
}

double BSplineBasis(int32_t j, int32_t k, double t, const std::vector<double>& knots) {
    if (k <= 1) return knots[j] <= t && t < knots[j + 1] ? 1.0 : 0.0;
    double sum = 0;
    const double d1 = knots[j + k] - knots[j + 1];
    if (d1 != 0) sum += BSplineBasis(j + 1, k - 1, t, knots) * (knots[j + k] - t) / d1;
    const double d2 = knots[j + k - 1] - knots[j];
    if (d2 != 0) sum += BSplineBasis(j, k - 1, t, knots) * (t - knots[j]) / d2;
    return sum;
}

std::vector<double> BSplineSampleParameters(int32_t b, int32_t k, const std::vector<double>& knots) {
    std::vector<double> params;
    // Only [knot[k-1], knot[b]) carries the whole curve: outside it the basis does not
    // sum to 1 and the samples would be pulled towards the origin.
    const double lo = knots[k - 1];
    const double hi = knots[b];
    if (!(hi > lo)) return params;
    const double last = knots.back();
    const double lt = std::trunc(last);
    if (std::fabs(lt) < 1e9) {
        const long long l = static_cast<long long>(lt);
        long long n;
        double d;
        if (l <= 2LL * b) {
            n = static_cast<long long>(b) * l;
            d = static_cast<double>(l);
        } else {
            n = l;
            d = 1;
        }
        if (n >= 0 && n < kMaxDxfSplineSamples && d > 0) {
            for (long long i = 0; i <= n; ++i) {
                const double t = i == n ? i / d - 0.001 : i / d;
                if (t >= lo && t < hi) params.push_back(t);
            }
            if (params.size() >= 2) return params;
            params.clear();
        }
    }
    // The integer sampling gives too few points (a knot vector of 0 to 1) or too many (a
    // range in drawing units): sample the curve's own range evenly instead.
    int32_t spans = 0;
    for (int32_t i = k - 1; i < b; ++i)
        if (knots[i + 1] > knots[i]) ++spans;
    const int32_t m = std::clamp(spans * 25, 2, kMaxDxfSplineSamples - 1);
    for (int32_t i = 0; i <= m; ++i) {
        double t = lo + (hi - lo) * i / m;
        if (i == m) t = std::nextafter(hi, lo);
        params.push_back(t);
    }
    return params;
}

int32_t EvaluateBSpline(DxfSplineRecord& spline, const std::vector<double>& knots, std::vector<DxfPoint3>& out) {
    out.clear();
    spline.head.message[0] = 0;
    const int32_t b = static_cast<int32_t>(spline.control.size());
    const int32_t n = static_cast<int32_t>(knots.size());
    const int32_t k = n - b;
    if (k >= 11) {
        std::snprintf(spline.head.message, sizeof spline.head.message, "制御点に対してノットが多すぎます(階数 %d)", k);
        return -1;
    }
    if (b < 2) {
        SetMessage(spline.head, "制御点が少ない");
        return -1;
    }
    if (n < b + 3) {
        SetMessage(spline.head, "制御点に対して、ノット数が足りません");
        return -1;
    }
    for (int32_t i = 1; i < n; ++i)
        if (knots[i] < knots[i - 1]) {
            SetMessage(spline.head, "ノット配列は単調増加ではありません");
            return -1;
        }
    int32_t samples, tolerance;
    DxfSplineDensity(spline.quality, samples, tolerance);
    const std::vector<double> params = BSplineSampleParameters(b, k, knots);
    double basis[16];
    for (size_t i = 0; i < params.size(); ++i) {
        const double t = params[i];
        // Only the k functions around t can be non-zero.
        const int32_t span = static_cast<int32_t>(std::upper_bound(knots.begin(), knots.end(), t) - knots.begin()) - 1;
        if (span < 0 || span + 1 >= n) continue;
        if (span >= k - 1 && span + k - 1 < n) {
            NonZeroBasis(span, k, t, knots, basis);
        } else {
            for (int32_t r = 0; r < k; ++r) {
                const int32_t j = span - k + 1 + r;
                basis[r] = j >= 0 && j < b ? BSplineBasis(j, k, t, knots) : 0;
            }
        }
        DxfPoint3 p{0, 0, 0};
        double w = 0;
        for (int32_t r = 0; r < k; ++r) {
            const int32_t j = span - k + 1 + r;
            if (j < 0 || j >= b) continue;
            const double nj = basis[r];
            p.x += nj * spline.control[j].x;
            p.y += nj * spline.control[j].y;
            p.z += nj * spline.control[j].z;
            w += nj;
        }
        if (w == 0) continue;
        Thin(out, p, i == 0 || i + 1 == params.size(), tolerance);
    }
    return static_cast<int32_t>(out.size());
}

namespace {
struct WindowPoint {
    DxfPoint3 p;
    bool fromControl;  // not a context point of a closed curve
};

struct CubicState {
    std::vector<DxfPoint3>& out;
    int32_t samples;
    int32_t tolerance;
    bool useStart;
    bool useEnd;
    double startDir[2];
    double endDir[2];
    bool firstWindow = true;
    bool closed;
};

// Derivatives along the chord length of one coordinate of a window.
void SolveDerivatives(const std::vector<WindowPoint>& w, const std::vector<double>& h, int axis, double d0,
                      double dn, std::vector<double>& d) {
    const size_t m = w.size();
    d.assign(m, 0);
    d[0] = d0;
    d[m - 1] = dn;
    if (m < 3) return;
    auto q = [&](size_t i) { return axis == 0 ? w[i].p.x : w[i].p.y; };
    const size_t inner = m - 2;
    std::vector<double> diag(inner), upper(inner), rhs(inner);
    for (size_t r = 0; r < inner; ++r) {
        const size_t i = r + 1;
        const double a = h[i - 1] / 3;
        const double bb = 2 * (h[i - 1] + h[i]) / 3;
        const double c = h[i] / 3;
        double y = (q(i) - q(i - 1)) * h[i] / h[i - 1] + (q(i + 1) - q(i)) * h[i - 1] / h[i];
        if (r == 0) y -= a * d[0];
        if (r + 1 == inner) y -= c * d[m - 1];
        if (r > 0) {
            const double f = a / diag[r - 1];
            diag[r] = bb - f * upper[r - 1];
            rhs[r] = y - f * rhs[r - 1];
        } else {
            diag[r] = bb;
            rhs[r] = y;
        }
        upper[r] = c;
    }
    for (size_t r = inner; r-- > 0;) {
        const double next = r + 1 < inner ? d[r + 2] : 0;
        d[r + 1] = (rhs[r] - (r + 1 < inner ? upper[r] * next : 0)) / diag[r];
    }
}

void EmitWindow(CubicState& s, const std::vector<WindowPoint>& w, bool lastWindow) {
    const size_t m = w.size();
    if (m < 2) return;
    std::vector<double> h(m - 1);
    for (size_t i = 0; i + 1 < m; ++i) h[i] = Distance2(w[i + 1].p, w[i].p);
    double d0[2], dn[2];
    for (int axis = 0; axis < 2; ++axis) {
        auto q = [&](size_t i) { return axis == 0 ? w[i].p.x : w[i].p.y; };
        if (m == 2) {
            // Two points: a straight span.
            d0[axis] = dn[axis] = (q(1) - q(0)) / h[0];
        } else {
            d0[axis] = (q(1) - q(0)) / h[0] * 0.5;
            dn[axis] = (q(m - 1) - q(m - 2)) / h[m - 2] * 0.5;
        }
        if (s.useStart && s.firstWindow && !s.closed) d0[axis] = s.startDir[axis];
        if (s.useEnd && lastWindow) dn[axis] = s.endDir[axis];
    }
    std::vector<double> dx, dy;
    SolveDerivatives(w, h, 0, d0[0], dn[0], dx);
    SolveDerivatives(w, h, 1, d0[1], dn[1], dy);
    const size_t from = s.firstWindow ? (s.closed ? 1 : 0) : 1;
    size_t to = m - 1;  // spans [from, to)
    if (lastWindow)
        while (to > 0 && !w[to].fromControl) --to;
    for (size_t i = from; i < to; ++i) {
        const double hh = h[i];
        const double ax2 = 3 * (w[i + 1].p.x - w[i].p.x) / (hh * hh) - (2 * dx[i] + dx[i + 1]) / hh;
        const double ax3 = (2 * (w[i].p.x - w[i + 1].p.x) / hh + dx[i] + dx[i + 1]) / (hh * hh);
        const double ay2 = 3 * (w[i + 1].p.y - w[i].p.y) / (hh * hh) - (2 * dy[i] + dy[i + 1]) / hh;
        const double ay3 = (2 * (w[i].p.y - w[i + 1].p.y) / hh + dy[i] + dy[i + 1]) / (hh * hh);
        for (int32_t j = 0; j < s.samples; ++j) {
            const double t = j * hh / s.samples;
            const double x = w[i].p.x + t * (dx[i] + t * (ax2 + t * ax3));
            const double y = w[i].p.y + t * (dy[i] + t * (ay2 + t * ay3));
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            if (s.out.size() >= kMaxDxfCubicPoints) return;
            Thin(s.out, {x, y, 0}, false, s.tolerance);
        }
    }
    s.firstWindow = false;
}
}  // namespace

int32_t EvaluateCubicSpline(const DxfSplineRecord& spline, std::vector<DxfPoint3>& out) {
    out.clear();
    const std::vector<DxfPoint3>& P = spline.control;
    const size_t c = P.size();
    if (c < 2) return 0;
    CubicState s{out, 0, 0, false, false, {0, 0}, {0, 0}, true, false};
    DxfSplineDensity(spline.quality, s.samples, s.tolerance);
    s.closed = P[c - 1].x == P[0].x && P[c - 1].y == P[0].y && P[c - 1].z == P[0].z;
    // A given tangent is a direction: its unit components are the derivatives along the
    // chord length.
    auto direction = [](const DxfPoint3& t, double dir[2]) {
        const double l = std::hypot(t.x, t.y);
        if (!(l > 0) || !std::isfinite(l)) return false;
        dir[0] = t.x / l;
        dir[1] = t.y / l;
        return true;
    };
    s.useStart = !s.closed && direction(spline.startTangent, s.startDir);
    s.useEnd = !s.closed && direction(spline.endTangent, s.endDir);
    double sum = 0;
    for (size_t i = 0; i + 1 < c; ++i) sum += Distance2(P[i + 1], P[i]);
    const double v = sum / (2.0 * (c - 1));
    std::vector<WindowPoint> w;
    auto add = [&](const DxfPoint3& p) { w.push_back({{p.x, p.y, 0}, true}); };
    if (s.closed && c >= 3) {
        const double d = Distance2(P[c - 2], P[c - 1]);
        const double cc = Distance2(P[0], P[1]);
        DxfPoint3 pre;
        if (d > 0.0001 && cc > 0.0001 && d / cc > 4)
            pre = Along(P[c - 2], -2 * cc / d, P[c - 1]);
        else if (d > v)
            pre = Mid(P[c - 2], P[c - 1]);
        else
            pre = P[c - 2];
        w.push_back({{pre.x, pre.y, 0}, false});
    } else if (s.closed) {
        s.closed = false;
    }
    for (size_t k = 0; k < c; ++k) {
        if (w.size() >= 16) {
            EmitWindow(s, w, false);
            std::vector<WindowPoint> keep(w.end() - 2, w.end());
            w = std::move(keep);
        }
        if (k == 0) {
            add(P[0]);
        } else if (k + 1 < c) {
            const double g = Distance2(P[k - 1], P[k]);
            const double i = Distance2(P[k + 1], P[k]);
            const double r = g > 0.0001 && i > 0.0001 ? g / i : -1;
            if (g > v) add(Mid(P[k - 1], P[k]));
            if (r > 4) add(Along(P[k], 2 * i / g, P[k - 1]));
            if (g > 0.0001) add(P[k]);
            if (r > 0.0001 && r < 0.25) add(Along(P[k], 2 * g / i, P[k + 1]));
        } else {
            const double g = Distance2(P[k], P[k - 1]);
            if (g > 0.0001) {
                if (g > v) add(Mid(P[k - 1], P[k]));
                add(P[k]);
            }
        }
    }
    if (s.closed && !w.empty() && Distance2(w.back().p, P[1]) > 0.0001) w.push_back({{P[1].x, P[1].y, 0}, false});
    EmitWindow(s, w, true);
    return static_cast<int32_t>(out.size());
}

int32_t EvaluateDxfSpline(DxfSplineRecord& spline, std::vector<DxfPoint3>& out) {
    if (!spline.knots.empty()) return EvaluateBSpline(spline, spline.knots, out);
    return EvaluateCubicSpline(spline, out);
}
