#include "section/profile_interpolation.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "analysis/section_profile.h"

namespace {

const ProfileSide& SideOf(int32_t side) { return side == 0 ? g_profile.left : g_profile.right; }

// The last interval i (0..count-1) that holds d, or -1.
int32_t FindInterval(const ProfileSide& s, double d) {
    int32_t found = -1;
    const int32_t count = std::min(std::max(s.count, 0), kProfileMaxPoints);
    for (int32_t i = 0; i < count; ++i)
        if ((s.dist[i] < d && d < s.dist[i + 1]) || d == s.dist[i] || d == s.dist[i + 1]) found = i;
    return found;
}

// Lagrange polynomial through the listed entries; equal distances add no factor.
double Lagrange(const ProfileSide& s, std::initializer_list<int32_t> entries, double d) {
    double v = 0;
    for (int32_t k : entries) {
        double w = 1;
        for (int32_t m : entries)
            if (m != k && s.dist[m] != s.dist[k]) w *= (d - s.dist[m]) / (s.dist[k] - s.dist[m]);
        v += w * s.z[k];
    }
    return v;
}

}  // namespace

int32_t InterpolateProfileHeight(int32_t side, double d, double* height) {
    const ProfileSide& s = SideOf(side);
    const int32_t i = FindInterval(s, d);
    *height = 0;
    if (i < 0) return 0;
    *height = Lagrange(s, {i, i + 1}, d);
    return 1;
}

int32_t InterpolateProfileCurve(int32_t useGiven, int32_t side, double givenTolerance, double d,
                                double* height) {
    const ProfileSide& s = SideOf(side);
    const int32_t i = FindInterval(s, d);
    *height = 0;
    if (i < 0) return 0;
    if (s.count <= 2) {
        *height = Lagrange(s, {i, i + 1}, d);
        return 1;
    }
    int32_t p = i + 2, q = i - 1;
    if (i == 0) p = 2, q = 3;
    else if (i + 1 == s.count) p = i - 2, q = i - 1;
    const double zi = s.z[i], zj = s.z[i + 1];
    double t = std::fabs(zj - zi);
    if (useGiven == 0 && t <= givenTolerance) t = givenTolerance;
    t = std::max(t, 0.1);
    const double cubic = Lagrange(s, {p, i + 1, i, q}, d);
    const double quadP = Lagrange(s, {p, i + 1, i}, d);
    const double quadQ = Lagrange(s, {i + 1, i, q}, d);
    const double line = std::fabs(zj - zi) > 0.00001 ? Lagrange(s, {i + 1, i}, d) : quadQ;
    auto passes = [&](double v) { return std::fabs(v - zi) <= t && std::fabs(v - zj) <= t; };
    for (double v : {cubic, quadP, quadQ, line}) {
        if (passes(v)) {
            *height = v;
            return 1;
        }
    }
    double v = cubic;
    while (!passes(v)) {
        const double next = (zi + zj + v) / 3;
        if (next == v || !std::isfinite(next)) {
            v = (zi + zj) / 2;
            break;
        }
        v = next;
    }
    *height = v;
    return 1;
}
