#include "image/image_mapping.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

struct Vec {
    double e, n;
};
Vec operator+(Vec a, Vec b) { return {a.e + b.e, a.n + b.n}; }
Vec operator-(Vec a, Vec b) { return {a.e - b.e, a.n - b.n}; }
Vec operator*(double k, Vec a) { return {k * a.e, k * a.n}; }
double Cross(Vec a, Vec b) { return a.e * b.n - a.n * b.e; }
double Dot(Vec a, Vec b) { return a.e * b.e + a.n * b.n; }
double Length(Vec a) { return std::hypot(a.e, a.n); }
Vec Unit(Vec a) {
    const double l = Length(a);
    return {a.e / l, a.n / l};
}
Vec Get(const double p[2]) { return {p[0], p[1]}; }
void Put(double p[2], Vec a) {
    p[0] = a.e;
    p[1] = a.n;
}
bool Finite(Vec a) { return std::isfinite(a.e) && std::isfinite(a.n); }

enum { UL = 0, UR = 1, LL = 2, LR = 3 };

// Fractions callers turn into pixel positions: never NaN or infinite, never so large
// that a conversion to int overflows.
double Bounded(double x) {
    constexpr double kLimit = 1e9;
    if (std::isnan(x)) return 0.0;
    return std::clamp(x, -kLimit, kLimit);
}

// Crossing of the lines p1-p2 and p3-p4 (as a point of p3-p4); false when parallel.
bool Crossing(Vec p1, Vec p2, Vec p3, Vec p4, Vec& x) {
    double a[2] = {p1.e, p1.n}, b[2] = {p2.e, p2.n}, c[2] = {p3.e, p3.n}, d[2] = {p4.e, p4.n}, r[2];
    if (IntersectImageLines(a, b, c, d, r) == 0) return false;
    x = {r[0], r[1]};
    return Finite(x);
}

void AffineBlock(ImageMapping& m, const ImageSlot& image) {
    m.weight1 = m.weight2 = m.weightFar = 1.0;
    m.projectiveKind = 0;
    m.singleVanishingPoint = 1;
    const double identity[8] = {1, 0, 0, 1, 0, 0, 0, 0};
    std::copy(identity, identity + 8, m.frame);
    std::copy(image.corners[LR], image.corners[LR] + 2, m.sCorner);
    std::copy(image.corners[UL], image.corners[UL] + 2, m.tCorner);
    std::copy(image.corners[UR], image.corners[UR] + 2, m.farCorner);
    std::copy(image.corners[LL], image.corners[LL] + 2, m.origin);
}

// Affine ground to image over the corners; exact for a parallelogram.
void AffineGroundToImage(const ImageSlot& image, Vec p, double& u, double& v) {
    const Vec ul = Get(image.corners[UL]) - p, ur = Get(image.corners[UR]) - p;
    const Vec ll = Get(image.corners[LL]) - p, lr = Get(image.corners[LR]) - p;
    const double x = Cross(ul, ll), y = Cross(lr, ur);
    const double z = Cross(ll, lr), w = Cross(ur, ul);
    u = Bounded(x / (x + y));
    v = Bounded(z / (z + w));
}

bool Degenerate(Vec a, Vec b) {
    // Collinear or coinciding, relative to the sizes involved.
    const double la = Length(a), lb = Length(b);
    return !(la > 0.0) || !(lb > 0.0) || std::fabs(Cross(a, b)) <= 1e-12 * la * lb;
}

}  // namespace

void ComputeImageEdgeLengths(ImageSlot& image) {
    const Vec ul = Get(image.corners[UL]), ur = Get(image.corners[UR]);
    const Vec ll = Get(image.corners[LL]), lr = Get(image.corners[LR]);
    image.edgeLengths[0] = Length(lr - ll);
    image.edgeLengths[1] = Length(ur - ul);
    image.edgeLengths[2] = Length(ul - ll);
    image.edgeLengths[3] = Length(lr - ur);
}

void SetupImageMapping(ImageSlot& image) {
    ImageMapping& m = image.mapping;
    AffineBlock(m, image);
    if (image.positionKnown == 0) return;
    image.positionKnown = 1;
    const double* len = image.edgeLengths;
    const bool projective =
        std::fabs(1.0 - len[0] / len[1]) > 1e-8 || std::fabs(1.0 - len[2] / len[3]) > 1e-8;
    if (!projective) return;

    const Vec ul = Get(image.corners[UL]), ur = Get(image.corners[UR]);
    const Vec ll = Get(image.corners[LL]), lr = Get(image.corners[LR]);
    // Zero-length edges have no direction: such corners stay affine.
    if (!(Length(ur - ul) > 0 && Length(lr - ll) > 0 && Length(ll - ul) > 0 && Length(lr - ur) > 0)) return;
    Vec vp1{}, vp2{};
    bool has1 = std::fabs(1.0 - Dot(Unit(ur - ul), Unit(lr - ll))) > 1e-14;
    bool has2 = std::fabs(1.0 - Dot(Unit(ll - ul), Unit(lr - ur))) > 1e-14;
    if (has1) has1 = Crossing(ul, ur, ll, lr, vp1);
    if (has2) has2 = Crossing(ul, ll, ur, lr, vp2);
    if (!has1 && !has2) return;

    const bool right = has1 && Dot(vp1 - ul, ur - ul) > 0;
    const bool below = has2 && Dot(vp2 - ul, ll - ul) > 0;
    int32_t kind;
    if (has1 && has2)
        kind = right ? (below ? 1 : 3) : (below ? 2 : 4);
    else if (has2)
        kind = below ? 1 : 4;
    else
        kind = right ? 3 : 2;

    static constexpr int kCorner[5][4] = {{}, {UL, LL, UR, LR}, {UR, UL, LR, LL}, {LL, LR, UL, UR}, {LR, UR, LL, UL}};
    static constexpr double kFrame[5][8] = {{},
                                            {0, -1, 1, 0, 1, 0, 0, 1},
                                            {-1, 0, 0, -1, 1, 1, 1, 1},
                                            {1, 0, 0, 1, 0, 0, 0, 0},
                                            {0, 1, -1, 0, 0, 1, 1, 0}};
    const Vec o = Get(image.corners[kCorner[kind][0]]), e = Get(image.corners[kCorner[kind][1]]);
    const Vec f = Get(image.corners[kCorner[kind][2]]), g = Get(image.corners[kCorner[kind][3]]);
    const bool two = has1 && has2;
    const Vec v1 = (kind == 1 || kind == 4) ? vp2 : vp1;
    Vec v2 = (kind == 1 || kind == 4) ? vp1 : vp2;

    double r1 = Length(e - o) / Length(v1 - o);
    if (r1 > 1) r1 = 1 / r1;
    const double k1 = 1 / (1 - r1);
    double k2 = 1, k3 = k1;
    if (two) {
        double r2 = Length(f - o) / Length(v2 - o);
        if (r2 > 1) r2 = 1 / r2;
        k2 = 1 / (1 - r2);
        k3 = Length(f - v1) / (Length(g - v1) * (1 - r2));
    } else {
        v2 = f;
    }
    const Vec horizon = two ? v2 - v1 : f - o;
    Vec normal = Unit(Vec{-horizon.n, horizon.e});
    if (Dot(o - v1, normal) < 0) normal = -1.0 * normal;
    // A vanishing point on a corner or a horizon through one leaves no usable model.
    if (!std::isfinite(k1) || !std::isfinite(k2) || !std::isfinite(k3) || !Finite(normal) ||
        std::fabs(k1 - 1) == 0 || (two && std::fabs(k2 - 1) == 0) || Dot(o - v1, normal) == 0)
        return;

    m.projectiveKind = kind;
    m.singleVanishingPoint = two ? 0 : 1;
    Put(m.origin, o);
    Put(m.sCorner, e);
    Put(m.tCorner, f);
    Put(m.farCorner, g);
    Put(m.vanishing1, v1);
    Put(m.vanishing2, v2);
    m.weight1 = k1;
    m.weight2 = k2;
    m.weightFar = k3;
    Put(m.originFromV1, o - v1);
    Put(m.v2FromV1, v2 - v1);
    Put(m.originFromV2, o - v2);
    Put(m.v1FromV2, v1 - v2);
    Put(m.horizonNormal, normal);
    std::copy(kFrame[kind], kFrame[kind] + 8, m.frame);
    image.positionKnown = 4;
}

void MapGroundToImage(const ImageSlot& image, double east, double north, double& u, double& v) {
    const ImageMapping& m = image.mapping;
    Vec p{east, north};
    if (m.projectiveKind == 0) {
        AffineGroundToImage(image, p, u, v);
        return;
    }
    const Vec v1 = Get(m.vanishing1), v2 = Get(m.vanishing2), n = Get(m.horizonNormal);
    const double h = Dot(p - v1, n);
    if (h <= 0) p = p - (1.000001 * h) * n;
    const Vec pv1 = p - v1, pv2 = p - v2;
    const double a = Cross(pv1, Get(m.originFromV1)), b = Cross(Get(m.v2FromV1), pv1);
    const double c = Cross(Get(m.originFromV2), pv2);
    double s, t;
    if (m.singleVanishingPoint) {
        t = a / (a + b);
        s = (c / Cross(pv1, Get(m.originFromV2))) / (m.weight1 - 1);
    } else {
        t = (a / b) / (m.weight2 - 1);
        s = (c / Cross(pv2, Get(m.v1FromV2))) / (m.weight1 - 1);
    }
    if (std::isnan(s) || std::isnan(t)) {
        // A point at a vanishing point has no frame position: answer for this point alone.
        AffineGroundToImage(image, p, u, v);
        return;
    }
    const double* fr = m.frame;
    u = Bounded(fr[0] * s + fr[2] * t + fr[6]);
    v = Bounded(fr[1] * s + fr[3] * t + fr[7]);
}

void MapImageToGround(const ImageSlot& image, double u, double v, double& east, double& north) {
    const ImageMapping& m = image.mapping;
    if (m.projectiveKind == 0) {
        const Vec p1 = Get(image.pairGround[0]), p2 = Get(image.pairGround[1]);
        const Vec p3 = Get(image.pairGround[2]), p4 = Get(image.pairGround[3]);
        const Vec top = p1 + u * (p2 - p1), bottom = p3 + u * (p4 - p3);
        const Vec left = p3 + v * (p1 - p3), rightSide = p4 + v * (p2 - p4);
        const Vec d1 = bottom - top, d2 = rightSide - left;
        const double det = Cross(d1, d2);
        if (det == 0) return;
        const double k = Cross(left - top, d2) / det;
        const Vec x = top + k * d1;
        if (!Finite(x)) return;
        east = x.e;
        north = x.n;
        return;
    }
    const double* fr = m.frame;
    const double s = fr[0] * u + fr[1] * v + fr[4];
    const double t = fr[2] * u + fr[3] * v + fr[5];
    const Vec v1 = Get(m.vanishing1), v2 = Get(m.vanishing2), o = Get(m.origin);
    double ws = 1 + (m.weight1 - 1) * s;
    if (ws <= 0) ws = 1e-6;
    const Vec ps = v1 + (1 / ws) * (o - v1);
    Vec x;
    if (m.singleVanishingPoint) {
        const Vec qs = v1 + (1 / ws) * (Get(m.tCorner) - v1);
        x = ps + t * (qs - ps);
    } else {
        double wt = 1 + (m.weight2 - 1) * t;
        if (wt <= 0) wt = 1e-6;
        const Vec rt = v2 + (1 / wt) * (o - v2);
        const double c1 = Cross(v2 - v1, rt - v1), c2 = Cross(ps - v1, rt - v1);
        x = v2 + (c1 / (c1 - c2)) * (ps - v2);
    }
    if (!Finite(x)) return;
    east = x.e;
    north = x.n;
}

int32_t IntersectImageLines(const double p1[2], const double p2[2], const double p3[2],
                            const double p4[2], double x[2]) {
    const Vec a = Get(p1), b = Get(p2), c = Get(p3), d = Get(p4);
    const double c3 = Cross(b - a, c - a), c4 = Cross(b - a, d - a);
    const double det = c3 - c4;
    if (!(std::fabs(det) >= 1e-14)) return 0;
    Put(x, c + (c3 / det) * (d - c));
    return det < 0 ? -1 : 1;
}

double PerspectiveParameter(double a, double b) {
    if (a == b || a <= 0 || a >= 1 || b <= 0 || b >= 1) return 0;
    return (a - b) / (b * (1 - b));
}

void LocateInQuad(const double q[4][2], const double p[2], double& s, double& t) {
    const Vec pt = Get(p), q0 = Get(q[0]), q1 = Get(q[1]), q2 = Get(q[2]), q3 = Get(q[3]);
    const double dL = Cross(q0 - pt, q2 - pt) / Length(q2 - q0);
    const double dR = Cross(q3 - pt, q1 - pt) / Length(q1 - q3);
    const double dB = Cross(q2 - pt, q3 - pt) / Length(q3 - q2);
    const double dT = Cross(q1 - pt, q0 - pt) / Length(q1 - q0);
    s = dL / (dL + dR);
    t = dB / (dB + dT);
}

bool FitSimilarityToPairs(ImageSlot& image) {
    Vec ci{0, 0}, cg{0, 0};
    for (int k = 0; k < 4; ++k) {
        ci = ci + Get(image.pairImage[k]);
        cg = cg + Get(image.pairGround[k]);
    }
    ci = 0.25 * ci;
    cg = 0.25 * cg;
    double sum = 0, sa = 0, sb = 0;
    for (int k = 0; k < 4; ++k) {
        const Vec d = Get(image.pairImage[k]) - ci, g = Get(image.pairGround[k]) - cg;
        sum += Dot(d, d);
        sa += d.e * g.e + d.n * g.n;
        sb += d.e * g.n - d.n * g.e;
    }
    if (!(sum > 0)) return false;
    const double a = sa / sum, b = sb / sum;
    const double te = cg.e - (a * ci.e - b * ci.n), tn = cg.n - (b * ci.e + a * ci.n);
    const double w = image.width, h = image.height;
    const double at[4][2] = {{0, h}, {w, h}, {0, 0}, {w, 0}};
    double corners[4][2];
    for (int k = 0; k < 4; ++k) {
        corners[k][0] = a * at[k][0] - b * at[k][1] + te;
        corners[k][1] = b * at[k][0] + a * at[k][1] + tn;
        if (!std::isfinite(corners[k][0]) || !std::isfinite(corners[k][1])) return false;
    }
    std::copy(&corners[0][0], &corners[0][0] + 8, &image.corners[0][0]);
    image.positionKnown = 1;
    return true;
}

int32_t SolveImageCornersFromPairs(ImageSlot& image) {
    if (image.pairSet[3]) return FitSimilarityToPairs(image) ? 0 : -1;
    ImageSlot work = image;
    const Vec i1 = Get(work.pairImage[0]), i2 = Get(work.pairImage[1]);
    const Vec g1 = Get(work.pairGround[0]), g2 = Get(work.pairGround[1]);
    if (!(Length(i2 - i1) > 0) || !(Length(g2 - g1) > 0)) return -1;
    if (!work.pairSet[2]) {
        const double f = static_cast<double>(work.height) / work.width;
        const Vec di = i2 - i1, dg = g2 - g1;
        Put(work.pairImage[2], i1 + f * Vec{di.n, -di.e});
        Put(work.pairGround[2], g1 + f * Vec{dg.n, -dg.e});
        work.pairSet[2] = 1;
    }
    const Vec i3 = Get(work.pairImage[2]), g3 = Get(work.pairGround[2]);
    if (Degenerate(i2 - i1, i3 - i1)) return -3;
    if (Degenerate(g2 - g1, g3 - g1)) return -2;
    Put(work.pairImage[3], i3 + i2 - i1);
    Put(work.pairGround[3], g3 + g2 - g1);
    work.pairSet[3] = 1;

    const double w = work.width - 1, h = work.height - 1;
    const double at[4][2] = {{0, h}, {w, h}, {0, 0}, {w, 0}};
    double corners[4][2];
    for (int k = 0; k < 4; ++k) {
        double s, t;
        LocateInQuad(work.pairImage, at[k], s, t);
        corners[k][0] = corners[k][1] = NAN;
        MapImageToGround(work, s, t, corners[k][0], corners[k][1]);
        if (!std::isfinite(corners[k][0]) || !std::isfinite(corners[k][1])) return -1;
    }
    image = work;
    std::copy(&corners[0][0], &corners[0][0] + 8, &image.corners[0][0]);
    image.positionKnown = 1;
    return 0;
}

int32_t OrderImagePairs(ImageSlot& image) {
    // Three points count as on a line when their angle is this close to 0 or 180 degrees
    // (cosine within this of +-1): nearly collinear pairs give no usable construction.
    constexpr double kLine = 1e-12;
    double gMin = 2, gMax = -2, iMin = 2, iMax = -2;
    int jj = 0, kk = 0, mm = 0, ll = 0;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            for (int m = 0; m < 4; ++m) {
                if (j == k || m == k || m == j) continue;
                const Vec gk = Get(image.pairGround[k]);
                const Vec a = Get(image.pairGround[j]) - gk, b = Get(image.pairGround[m]) - gk;
                if (!(Length(a) >= 1e-16) || !(Length(b) >= 1e-16)) return -1;
                const double cg = Dot(Unit(a), Unit(b));
                if (cg < gMin) {
                    gMin = cg;
                    jj = j, kk = k, mm = m, ll = 6 - j - k - m;
                }
                gMax = std::max(gMax, cg);
                const Vec ik = Get(image.pairImage[k]);
                const Vec c = Get(image.pairImage[j]) - ik, d = Get(image.pairImage[m]) - ik;
                if (!(Length(c) >= 1e-16) || !(Length(d) >= 1e-16)) return -1;
                const double ci = Dot(Unit(c), Unit(d));
                iMin = std::min(iMin, ci);
                iMax = std::max(iMax, ci);
            }
    if (gMin <= -1 + kLine || gMax >= 1 - kLine) return -2;
    if (iMin <= -1 + kLine || iMax >= 1 - kLine) return -3;
    auto opposite = [&](const double (*p)[2]) {
        const Vec j = Get(p[jj]), jm = Get(p[mm]) - j;
        return Cross(jm, Get(p[ll]) - j) * Cross(jm, Get(p[kk]) - j) < 0;
    };
    const bool ground = opposite(image.pairGround), picture = opposite(image.pairImage);
    if (ground != picture) return -4;
    if (!ground) return 0;
    const int order[4] = {jj, kk, mm, ll};
    double g[4][2], im[4][2];
    for (int i = 0; i < 4; ++i) {
        std::copy(image.pairGround[order[i]], image.pairGround[order[i]] + 2, g[i]);
        std::copy(image.pairImage[order[i]], image.pairImage[order[i]] + 2, im[i]);
    }
    std::copy(&g[0][0], &g[0][0] + 8, &image.pairGround[0][0]);
    std::copy(&im[0][0], &im[0][0] + 8, &image.pairImage[0][0]);
    return 1;
}

namespace {

// The ground lines of image coordinate 0 and 1 along one axis (`axis` 1 for v, 0 for u).
struct AxisLines {
    Vec p0, q0, p1, q1;
};

int32_t SolveAxis(const Vec g[4], const Vec im[4], int axis, int r, AxisLines& out, int codeImage,
                  int codeGround) {
    auto coord = [&](int i) { return axis ? im[i].n : im[i].e; };
    int top = 0, bottom = 0;
    for (int i = 1; i < 4; ++i) {
        if (coord(i) > coord(top)) top = i;
        if (coord(i) < coord(bottom)) bottom = i;
    }
    if (coord(top) == coord(bottom)) return -1;
    if (r == 1) bottom = (top + 2) % 4;
    if (!(coord(top) != coord(bottom))) return -1;
    int hi = -1, lo = -1;
    for (int i = 0; i < 4; ++i) {
        if (i == top || i == bottom) continue;
        if (hi < 0)
            hi = i;
        else
            lo = i;
    }
    if (coord(lo) >= coord(hi)) std::swap(hi, lo);  // on equal values hi is the higher index
    const bool middleEqual = std::fabs(coord(hi) - coord(lo)) < 1e-15;

    Vec ig, ji;
    if (!Crossing(g[top], g[bottom], g[hi], g[lo], ig) || !Crossing(im[top], im[bottom], im[hi], im[lo], ji))
        return 5;
    const double a = Length(ig - g[top]) / Length(g[bottom] - g[top]);
    const double b = Length(ji - im[top]) / Length(im[bottom] - im[top]);
    if (b > 1) return codeImage;
    if (a > 1) return codeGround;
    const double k = PerspectiveParameter(a, b);
    const bool perspective = std::fabs(k) > 1e-15;
    const double c1 = 1 - b * k, c0 = 1 + (1 - b) * k;
    auto F = [&](double x) {
        if (!perspective) return x;
        double y = c0 + (c1 - c0) * x;
        if (y <= 0) y = 1e-12;
        return (1 / y - 1 / c0) / (1 / c1 - 1 / c0);
    };
    const double cb = coord(bottom), ct = coord(top);
    auto D = [&](double c) { return g[bottom] + F((c - cb) / (ct - cb)) * (g[top] - g[bottom]); };
    const Vec p0 = D(0), p1 = D(1);
    Vec q0, q1;
    if (!middleEqual) {
        const Vec dhi = D(coord(hi)), dlo = D(coord(lo));
        Vec vp;
        if (Crossing(g[hi], dhi, g[lo], dlo, vp)) {
            q0 = q1 = vp;
        } else {
            q0 = p0 + (dhi - g[hi]);
            q1 = p1 + (dlo - g[lo]);
        }
    } else {
        const double ciHi = Cross(im[bottom] - im[top], im[hi] - im[top]);
        const double ciLo = Cross(im[bottom] - im[top], im[lo] - im[top]);
        const double cgHi = Cross(g[bottom] - g[top], g[hi] - g[top]);
        const double cgLo = Cross(g[bottom] - g[top], g[lo] - g[top]);
        Vec A, B;
        double pi, pg;
        if (ciHi * ciLo <= 0) {
            A = g[hi], B = ig;
            pi = std::fabs(ciLo) / (std::fabs(ciHi) + std::fabs(ciLo));
            pg = std::fabs(cgLo) / (std::fabs(cgHi) + std::fabs(cgLo));
        } else if (std::fabs(ciHi) > std::fabs(ciLo)) {
            A = g[hi], B = g[lo];
            pi = std::fabs(ciLo) / std::fabs(ciHi);
            pg = std::fabs(cgLo) / std::fabs(cgHi);
        } else {
            A = g[lo], B = g[hi];
            pi = std::fabs(ciHi) / std::fabs(ciLo);
            pg = std::fabs(cgHi) / std::fabs(cgLo);
        }
        const double kk = PerspectiveParameter(pg, pi);
        if (std::fabs(kk) < 1e-15) {
            q0 = p0 + (A - B);
            q1 = p1 + (A - B);
        } else {
            const double lambda = 1 / (1 - 1 / (1 + (1 - pi) * kk));
            q0 = q1 = B + lambda * (A - B);
        }
    }
    out = {p0, q0, p1, q1};
    return 0;
}

}  // namespace

int32_t SolveImageProjective(ImageSlot& image) {
    const int32_t r = OrderImagePairs(image);
    if (r < 0) return r;
    Vec g[4], im[4];
    for (int i = 0; i < 4; ++i) {
        g[i] = Get(image.pairGround[i]);
        im[i] = {image.pairImage[i][0] / image.width, image.pairImage[i][1] / image.height};
        if (!Finite(im[i])) return -1;
    }
    // Both axes are checked for spread before any line is computed.
    auto spread = [&](int axis) {
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (const Vec& p : im) {
            lo = std::min(lo, axis ? p.n : p.e);
            hi = std::max(hi, axis ? p.n : p.e);
        }
        return lo != hi;
    };
    if (!spread(1) || !spread(0)) return -1;
    AxisLines vl, ul;
    if (int32_t code = SolveAxis(g, im, 1, r, vl, -7, -6)) return code;
    if (int32_t code = SolveAxis(g, im, 0, r, ul, -9, -8)) return code;
    const AxisLines* lines[2] = {&vl, &ul};
    auto lineOf = [&](int axis, int value, Vec& p, Vec& q) {
        const AxisLines& a = *lines[axis];
        p = value ? a.p1 : a.p0;
        q = value ? a.q1 : a.q0;
    };
    const int at[4][2] = {{1, 0}, {1, 1}, {0, 0}, {0, 1}};  // (v, u) of UL, UR, LL, LR
    Vec corners[4];
    for (int c = 0; c < 4; ++c) {
        Vec vp, vq, up, uq;
        lineOf(0, at[c][0], vp, vq);
        lineOf(1, at[c][1], up, uq);
        if (!Crossing(vp, vq, up, uq, corners[c])) {
            image.mapping.projectiveKind = 0;
            image.positionKnown = 0;
            return 1;
        }
    }
    for (int c = 0; c < 4; ++c) Put(image.corners[c], corners[c]);
    image.positionKnown = 4;
    ComputeImageEdgeLengths(image);
    return 0;
}

bool RegisterImagePairs(ImageSlot& image, bool leastSquares, std::string& message) {
    message.clear();
    const ImageSlot before = image;
    image.positionKnown = 0;
    image.mapping.projectiveKind = 0;
    const bool four = image.pairSet[0] && image.pairSet[1] && image.pairSet[2] && image.pairSet[3];
    if (four && !leastSquares) {
        const int32_t r = SolveImageProjective(image);
        if (r != 0) {
            image = before;
            image.mapping.projectiveKind = 0;
            image.positionKnown = 0;
            if (r == 1) message = "画像角の座標を決定できません\n３点目までを使用します";
            if (r < 0) message = "座標を決定できません\n３点目までを使用します";
        }
        image.pairSet[3] = 0;
        if (image.positionKnown != 4 && SolveImageCornersFromPairs(image) != 0) {
            image = before;
            message = "座標を決定できません\n３点目までを使用します";
            return false;
        }
    } else if (SolveImageCornersFromPairs(image) != 0) {
        image = before;
        message = "座標を決定できません\n３点目までを使用します";
        return false;
    }
    image.positionKnown = 1;
    image.mapping.projectiveKind = 0;
    SetupImageMapping(image);
    return true;
}


