#include <algorithm>
#include <cmath>
#include <limits>

#include "contour/contour_calc.h"

namespace {
double Dist(double x0, double y0, double x1, double y1) { return std::hypot(x1 - x0, y1 - y0); }
}  // namespace

void BuildKnotVector(ContourWorkspace& ws, int32_t n, bool closed) {
    if (ws.knotValues.size() < static_cast<size_t>(n) + 8) ws.knotValues.resize(n + 8);
    for (int32_t i = -3; i <= n + 3; ++i) {
        if (closed)
            ws.Knot(i) = i;
        else
            ws.Knot(i) = std::clamp(i, 0, n);
    }
}

namespace {
// x / den. Knot differences are mostly 1 and 2, where the quotient is exact without a
// division.
inline double Over(double x, double den) {
    if (den == 1.0) return x;
    if (den == 2.0) return x * 0.5;
    return x / den;
}

// The cubic basis values N(d-3)..N(d) at u by Cox-de Boor from N(d, 0) = 1, written out:
// N(i, p) = (u - k[i]) / (k[i+p] - k[i]) N(i, p-1) + (k[i+p+1] - u) / (k[i+p+1] - k[i+1])
// N(i+1, p-1), a term whose knot difference is not positive left out.
void BasisAt(ContourWorkspace& ws, double u, int32_t d, double basis[4]) {
    const double km2 = ws.Knot(d - 2), km1 = ws.Knot(d - 1), k0 = ws.Knot(d);
    const double k1 = ws.Knot(d + 1), k2 = ws.Knot(d + 2), k3 = ws.Knot(d + 3);
    // The rising term of N(i, p) on knots ki..kip and the falling one on ki1..kip1.
    auto rising = [u](double& v, double ki, double kip, double lower) {
        const double den = kip - ki;
        if (den > 0) v += Over(u - ki, den) * lower;
    };
    auto falling = [u](double& v, double ki1, double kip1, double lower) {
        const double den = kip1 - ki1;
        if (den > 0) v += Over(kip1 - u, den) * lower;
    };
    // Degree 1: N(d-1), N(d).
    double a0 = 0.0, a1 = 0.0;
    falling(a0, k0, k1, 1.0);
    rising(a1, k0, k1, 1.0);
    // Degree 2: N(d-2), N(d-1), N(d).
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    falling(b0, km1, k1, a0);
    rising(b1, km1, k1, a0);
    falling(b1, k0, k2, a1);
    rising(b2, k0, k2, a1);
    // Degree 3: N(d-3)..N(d).
    double c0 = 0.0, c1 = 0.0, c2 = 0.0, c3 = 0.0;
    falling(c0, km2, k1, b0);
    rising(c1, km2, k1, b0);
    falling(c1, km1, k2, b1);
    rising(c2, km1, k2, b1);
    falling(c2, k0, k3, b2);
    rising(c3, k0, k3, b2);
    basis[0] = c0;
    basis[1] = c1;
    basis[2] = c2;
    basis[3] = c3;
}
}  // namespace

int32_t EvalBSplineBasis(ContourWorkspace& ws, double u, int32_t n, double basis[4]) {
    int32_t d = n - 1;
    while (d > 0 && !(u >= ws.Knot(d))) --d;
    BasisAt(ws, u, d, basis);
    return d;
}

void SampleBSpline(ContourWorkspace& ws, const double* px, const double* py, int32_t n, bool closed,
                   int32_t m) {
    const double u0 = ws.Knot(0);
    const double un = ws.Knot(n);
    // The samples' u rise, so with knots in order the interval of each is found by moving
    // on from the one before instead of searching from the end.
    bool ordered = true;
    for (int32_t i = -3; i < n + 3 && ordered; ++i) ordered = ws.Knot(i) <= ws.Knot(i + 1);
    int32_t d = 0;
    for (int32_t s = 1; s <= m; ++s) {
        const double u = u0 + (s - 1) * (un - u0) / (m - 1);
        double basis[4];
        if (ordered) {
            while (d + 1 <= n - 1 && u >= ws.Knot(d + 1)) ++d;
            BasisAt(ws, u, d, basis);
        } else {
            d = EvalBSplineBasis(ws, u, n, basis);
        }
        double x = 0.0, y = 0.0;
        for (int32_t k = 0; k < 4; ++k) {
            int32_t j = d - 3 + k + 2;
            if (closed) {
                if (j < 0) j += n;
                if (j > n) j -= n;
            } else {
                j = static_cast<int32_t>(ws.Knot(j));
            }
            x += basis[k] * px[j];
            y += basis[k] * py[j];
        }
        ws.smoothX[s] = x;
        ws.smoothY[s] = y;
    }
}

namespace {
// The spline through the knots of one window, emitted into smoothX/Y.
class SplineWindows {
public:
    SplineWindows(ContourWorkspace& ws, int32_t steps) : m_ws(ws), m_steps(steps) {}

    void Add(double x, double y) {
        m_kx.push_back(x);
        m_ky.push_back(y);
    }
    size_t Size() const { return m_kx.size(); }
    double LastX() const { return m_kx.back(); }
    double LastY() const { return m_ky.back(); }

    // Solves the window and emits segments firstOut..N-2; keeps the last two knots.
    // False when the output is full.
    bool Solve(int32_t firstOut, bool final, bool dropLast) {
        const int32_t n = static_cast<int32_t>(m_kx.size());
        if (n < 2) return true;
        std::vector<double>& h = m_h;
        h.resize(n - 1);
        for (int32_t j = 0; j + 1 < n; ++j) h[j] = Dist(m_kx[j], m_ky[j], m_kx[j + 1], m_ky[j + 1]);
        Slopes(h);
        const std::vector<double>& mx = m_mx;
        const std::vector<double>& my = m_my;
        const int32_t lastOut = dropLast ? n - 3 : n - 2;
        for (int32_t j = firstOut; j <= lastOut; ++j) {
            const int32_t last = final ? m_steps : m_steps - 1;
            const Cubic cx = Segment(m_kx, mx, h, j), cy = Segment(m_ky, my, h, j);
            for (int32_t k = 0; k <= last; ++k) {
                const double t = k * h[j] / m_steps;
                const double x = cx.At(t);
                const double y = cy.At(t);
                if (!Finite(x) || !Finite(y)) continue;
                if (m_count + 1 > m_ws.smoothLimit) {
                    ++m_ws.lineLimitHits;
                    return false;
                }
                ++m_count;
                m_ws.smoothX[m_count] = x;
                m_ws.smoothY[m_count] = y;
            }
        }
        m_kx.erase(m_kx.begin(), m_kx.end() - 2);
        m_ky.erase(m_ky.begin(), m_ky.end() - 2);
        return true;
    }
    int32_t Count() const { return m_count; }

private:
    static bool Finite(double v) {
        return !std::isnan(v) && v != std::numeric_limits<double>::infinity();
    }

    // The slopes of the knots in X and Y into mx and my. The matrix depends on the chord
    // lengths alone, so it is eliminated once for both right-hand sides.
    void Slopes(const std::vector<double>& h) {
        const std::vector<double>& kx = m_kx;
        const std::vector<double>& ky = m_ky;
        const int32_t n = static_cast<int32_t>(kx.size());
        std::vector<double>& mx = m_mx;
        std::vector<double>& my = m_my;
        mx.assign(n, 0.0);
        my.assign(n, 0.0);
        mx[0] = (kx[1] - kx[0]) / (2 * h[0]);
        mx[n - 1] = (kx[n - 1] - kx[n - 2]) / (2 * h[n - 2]);
        my[0] = (ky[1] - ky[0]) / (2 * h[0]);
        my[n - 1] = (ky[n - 1] - ky[n - 2]) / (2 * h[n - 2]);
        if (n <= 2) return;
        // Rows 1..n-2: sub[i] m[i-1] + diag[i] m[i] + sup[i] m[i+1] = rhs[i].
        std::vector<double>& sub = m_sub;
        std::vector<double>& diag = m_diag;
        std::vector<double>& sup = m_sup;
        std::vector<double>& rx = m_rx;
        std::vector<double>& ry = m_ry;
        for (std::vector<double>* v : {&sub, &diag, &sup, &rx, &ry}) v->resize(n);
        for (int32_t i = 1; i <= n - 2; ++i) {
            sub[i] = h[i - 1] / 3;
            diag[i] = 2 * (h[i - 1] + h[i]) / 3;
            sup[i] = h[i] / 3;
            const double before = h[i - 1] / h[i], after = h[i] / h[i - 1];
            rx[i] = before * (kx[i + 1] - kx[i]) + after * (kx[i] - kx[i - 1]);
            ry[i] = before * (ky[i + 1] - ky[i]) + after * (ky[i] - ky[i - 1]);
        }
        rx[1] -= sub[1] * mx[0];
        rx[n - 2] -= sup[n - 2] * mx[n - 1];
        ry[1] -= sub[1] * my[0];
        ry[n - 2] -= sup[n - 2] * my[n - 1];
        // Forward elimination by cross-multiplication, no pivoting.
        for (int32_t i = 2; i <= n - 2; ++i) {
            const double a = diag[i - 1], b = sub[i];
            diag[i] = a * diag[i] - b * sup[i - 1];
            sup[i] = a * sup[i];
            rx[i] = a * rx[i] - b * rx[i - 1];
            ry[i] = a * ry[i] - b * ry[i - 1];
        }
        for (int32_t i = n - 2; i >= 1; --i) {
            double x = rx[i], y = ry[i];
            if (i < n - 2) {
                x -= sup[i] * mx[i + 1];
                y -= sup[i] * my[i + 1];
            }
            mx[i] = x / diag[i];
            my[i] = y / diag[i];
        }
    }

    struct Cubic {
        double a0, a1, a2, a3;
        double At(double t) const { return a0 + t * (a1 + t * (a2 + t * a3)); }
    };

    // Segment j from K[j] to K[j+1] over its chord length.
    static Cubic Segment(const std::vector<double>& K, const std::vector<double>& m,
                         const std::vector<double>& h, int32_t j) {
        const double hj = h[j];
        return {K[j], m[j], 3 * (K[j + 1] - K[j]) / (hj * hj) - (2 * m[j] + m[j + 1]) / hj,
                (2 * (K[j] - K[j + 1]) / hj + m[j] + m[j + 1]) / (hj * hj)};
    }

    ContourWorkspace& m_ws;
    int32_t m_steps;
    int32_t m_count = 0;
    std::vector<double> m_kx, m_ky;
    // Per window; kept so a window takes no memory of its own.
    std::vector<double> m_h, m_mx, m_my, m_sub, m_diag, m_sup, m_rx, m_ry;
};
}  // namespace

namespace {
// The spline through px/py[0..last] whose segment lengths are seg[0..last-1].
int32_t FitSpline(ContourWorkspace& ws, const double* px, const double* py, const double* seg,
                  int32_t last, bool closed, double length, int32_t steps) {
    const double halfMean = length * 0.5 / last;
    SplineWindows win(ws, steps);
    if (closed) {
        const double lenLast = seg[last - 1], lenFirst = seg[0];
        if (lenLast > 0.0001 && lenFirst > 0.0001 && lenLast / lenFirst > 4) {
            const double f = 2 * lenFirst / lenLast;
            win.Add(px[last - 1] + f * (px[last - 1] - px[last]),
                    py[last - 1] + f * (py[last - 1] - py[last]));
        } else if (lenLast > halfMean) {
            win.Add((px[last - 1] + px[last]) / 2, (py[last - 1] + py[last]) / 2);
        } else {
            win.Add(px[last - 1], py[last - 1]);
        }
    }
    bool firstWindow = true;
    auto solve = [&] {
        const int32_t firstOut = firstWindow ? (closed ? 1 : 0) : 1;
        firstWindow = false;
        return win.Solve(firstOut, false, false);
    };
    for (int32_t i = 0; i <= last; ++i) {
        if (win.Size() > 15 && !solve()) return win.Count();
        if (i == 0) {
            win.Add(px[0], py[0]);
        } else if (i < last) {
            const double lenPrev = seg[i - 1], lenNext = seg[i];
            const double ratio = lenPrev > 0.0001 && lenNext > 0.0001 ? lenPrev / lenNext : -1;
            if (lenPrev > halfMean) win.Add((px[i - 1] + px[i]) / 2, (py[i - 1] + py[i]) / 2);
            if (ratio > 4) {
                const double f = 2 * lenNext / lenPrev;
                win.Add(px[i] + f * (px[i - 1] - px[i]), py[i] + f * (py[i - 1] - py[i]));
            }
            if (lenPrev > 0.0001) win.Add(px[i], py[i]);
            if (ratio > 0.0001 && ratio < 0.25) {
                const double f = 2 * lenPrev / lenNext;
                win.Add(px[i] - f * (px[i] - px[i + 1]), py[i] - f * (py[i] - py[i + 1]));
            }
        } else {
            const double lenLast = seg[last - 1];
            if (lenLast > 0.0001) {
                if (lenLast > halfMean)
                    win.Add((px[last - 1] + px[last]) / 2, (py[last - 1] + py[last]) / 2);
                win.Add(px[last], py[last]);
            }
        }
    }
    bool dropLast = false;
    if (closed && win.Size() > 0 && Dist(win.LastX(), win.LastY(), px[1], py[1]) > 0.0001) {
        // The knot after the end shapes the closing segment but is not drawn to.
        win.Add(px[1], py[1]);
        dropLast = true;
    }
    if (win.Size() < 2) return win.Count();
    int32_t firstOut = firstWindow ? (closed ? 1 : 0) : 1;
    if (win.Size() == 2) firstOut = 0;
    win.Solve(firstOut, true, dropLast);
    return win.Count();
}

// The lengths of the segments of px/py[0..last] into seg; returns their sum.
double SegmentLengths(const double* px, const double* py, int32_t last, std::vector<double>& seg) {
    seg.resize(static_cast<size_t>(last));
    double length = 0.0;
    for (int32_t i = 0; i < last; ++i) {
        seg[i] = Dist(px[i], py[i], px[i + 1], py[i + 1]);
        length += seg[i];
    }
    return length;
}
}  // namespace

int32_t FitSplineThroughPoints(ContourWorkspace& ws, const double* px, const double* py,
                               int32_t last, bool closed, double length, int32_t steps) {
    SegmentLengths(px, py, last, ws.segmentLength);
    return FitSpline(ws, px, py, ws.segmentLength.data(), last, closed, length, steps);
}

int32_t SmoothContourPolyline(ContourWorkspace& ws, const double* px, const double* py, int32_t s,
                              bool closed, int32_t method, double smoothness) {
    if (s < 2 || (method != 1 && method != 2)) return 0;
    const double length = SegmentLengths(px, py, s, ws.segmentLength);
    const double perUnit = smoothness > 0 ? length / smoothness : 0.0;
    const int64_t units = perUnit < 1e9 ? static_cast<int64_t>(perUnit) : 1000000000;
    if (method == 2) {
        const int32_t steps = static_cast<int32_t>(std::clamp<int64_t>(units / (s - 1), 2, 200));
        return FitSpline(ws, px, py, ws.segmentLength.data(), s, closed, length, steps);
    }
    int64_t m = units;
    if (m < 2 * s - 2) m = 2 * s;
    m = std::min<int64_t>(m, 2 * static_cast<int64_t>(ws.smoothLimit / 10));
    BuildKnotVector(ws, s, closed);
    SampleBSpline(ws, px, py, s, closed, static_cast<int32_t>(m));
    return static_cast<int32_t>(m);
}

void WriteContourLevel(ContourWorkspace& ws, double level, ContourFileWriter& out, int32_t method,
                       double smoothness) {
    auto handle = [&](int32_t first, int32_t last) {
        const int32_t s = last - first;
        if (s < 1) return;
        const double* px = &ws.traceX[first];
        const double* py = &ws.traceY[first];
        const bool closed = px[0] == px[s] && py[0] == py[s];
        if (s == 1) {
            if (!closed) out.WriteLine(kContourCodeStraight, level, px, py, 2);
            return;
        }
        if (method != 1 && method != 2) {
            out.WriteLine(kContourCodeStraight, level, px, py, s + 1);
            return;
        }
        const int32_t count = SmoothContourPolyline(ws, px, py, s, closed, method, smoothness);
        if (method == 2) {
            if (count >= 2)
                out.WriteLine(kContourCodeSplineThrough, level, &ws.smoothX[1], &ws.smoothY[1],
                              count);
        } else {
            out.WriteLine(kContourCodeBSpline, level, &ws.smoothX[1], &ws.smoothY[1], count);
        }
    };
    int32_t start = 1;
    for (int32_t i = 2; i <= ws.traceCount; ++i) {
        if (ws.tracePen[i] != 3) continue;
        handle(start, i - 1);
        start = i;
    }
    if (ws.traceCount >= 1) handle(start, ws.traceCount);
}
