#include "analysis/tunnel_development.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {
struct Vec3 {
    double x, y, z;
};
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 PointAt(int32_t i) { return {g_points[i].x, g_points[i].y, g_points[i].z}; }

void SetMessage(TunnelDevelopState& s, const std::string& text) {
    s.messageText = text;
    if (s.onMessage) s.onMessage();
}

// Progress at most every 100 ms.
class Progress {
public:
    explicit Progress(TunnelDevelopState& s) : m_state(s), m_last(TickCount()) {}
    void Step(int32_t done) {
        const uint32_t now = TickCount();
        if (now - m_last < 100) return;
        m_last = now;
        char text[64];
        std::snprintf(text, sizeof text, "%6d/% d", done, g_pointCount);
        SetMessage(m_state, text);
    }

private:
    TunnelDevelopState& m_state;
    uint32_t m_last;
};

bool TakeCopy(TunnelDevelopState& s) {
    try {
        s.copy.assign(static_cast<size_t>(g_pointCount) + 1, {0, 0, 0});
    } catch (const std::bad_alloc&) {
        s.copy.clear();
        return false;
    }
    for (int32_t i = 1; i <= g_pointCount; ++i) s.copy[i] = {g_points[i].x, g_points[i].y, g_points[i].z};
    s.copiedCount = g_pointCount;
    return true;
}

void FreeCopy(TunnelDevelopState& s) {
    s.copy.clear();
    s.copy.shrink_to_fit();
    s.copiedCount = 0;
}

void MarkOnAxis(int32_t i) {
    if (g_points[i].invalid == 0) g_points[i].invalid = kPointOnTunnelAxis;
}

// The frame of the two base points: a along the axis, u square to it on its right in
// plan, v upward. False when the axis has (almost) no plan length.
struct AxisFrame {
    Vec3 p1, a, u, v;
};
bool TwoPointFrame(const TunnelDevelopState& s, AxisFrame* f) {
    f->p1 = PointAt(s.basePoint1);
    const Vec3 d = PointAt(s.basePoint2) - f->p1;
    const double plan = std::hypot(d.x, d.y);
    if (plan <= 0.00001) return false;
    const double len = std::sqrt(Dot(d, d));
    f->a = {d.x / len, d.y / len, d.z / len};
    const double h = std::hypot(f->a.x, f->a.y);
    f->u = {-f->a.y / h, f->a.x / h, 0};
    f->v = {-f->a.z * f->u.y, f->a.z * f->u.x, f->a.x * f->u.y - f->a.y * f->u.x};
    return true;
}

bool BasePointsSet(const TunnelDevelopState& s) {
    return s.basePoint1 >= 1 && s.basePoint1 <= g_pointCount && s.basePoint2 >= 1 &&
           s.basePoint2 <= g_pointCount;
}

template <typename Move>
bool DevelopAboutTwoPoints(TunnelDevelopState& s, Move move) {
    if (s.Developed() || !BasePointsSet(s)) return false;
    if (!TakeCopy(s)) return false;
    AxisFrame f;
    if (!TwoPointFrame(s, &f)) {
        FreeCopy(s);
        return false;
    }
    Progress progress(s);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const Vec3 d = PointAt(i) - f.p1;
        const double t = Dot(d, f.a);
        const double r2 = Dot(d, d) - t * t;
        if (r2 < 1e-8)
            MarkOnAxis(i);
        else
            move(g_points[i], f, d, t, r2);
        progress.Step(i);
    }
    SetMessage(s, "Transform complete");
    return true;
}
}  // namespace

bool DevelopCylinder(TunnelDevelopState& s) {
    const double w = s.width;
    const bool flip = s.flip == 1;
    return DevelopAboutTwoPoints(s, [w, flip](RandomPoint& p, const AxisFrame& f, Vec3 d, double t, double r2) {
        double theta = std::atan2(Dot(d, f.u), Dot(d, f.v));
        if (flip) theta = -theta;
        const double side = theta * w;
        p.x = f.p1.x + t * f.a.x + side * f.u.x;
        p.y = f.p1.y + t * f.a.y + side * f.u.y;
        p.z = f.p1.z + std::sqrt(r2);
    });
}

bool DevelopSphere(TunnelDevelopState& s) {
    const double w = s.flip == 1 ? -s.width : s.width;
    const double scale = 0.2 * g_extentSize;
    return DevelopAboutTwoPoints(s, [w, scale](RandomPoint& p, const AxisFrame& f, Vec3 d, double t, double r2) {
        const double phi1 = std::atan2(Dot(d, f.u), t);
        const double phi2 = std::atan2(Dot(d, f.v), t);
        p.y = f.p1.y + phi1 * w;
        p.x = f.p1.x + phi2 * scale;
        p.z = f.p1.z + std::sqrt(r2);
    });
}

bool DevelopCylinderAlongChain(TunnelDevelopState& s) {
    if (s.Developed()) return false;
    int n = 0;
    while (n < kTunnelChainSize && n < static_cast<int>(s.chain.size()) && s.chain[n].present) ++n;
    if (n < 2) return false;
    SetMessage(s, "基点群を直線化しています...");
    const std::vector<TunnelChainPoint>& c = s.chain;

    // Plan directions and lengths; the last point's entry repeats the last segment.
    std::vector<double> dx(n), dy(n), len(n);
    for (int k = 0; k + 1 < n; ++k) {
        const double ex = c[k + 1].x - c[k].x, ey = c[k + 1].y - c[k].y;
        len[k] = std::hypot(ex, ey);
        if (len[k] < 1e-12) {
            dx[k] = dy[k] = 0;
        } else {
            dx[k] = ex / len[k];
            dy[k] = ey / len[k];
        }
    }
    dx[n - 1] = dx[n - 2];
    dy[n - 1] = dy[n - 2];
    len[n - 1] = len[n - 2];

    // The straightened chain along the first segment's line, plan lengths kept.
    std::vector<Vec3> straight(n);
    straight[0] = {c[0].x, c[0].y, c[0].z};
    straight[1] = {c[1].x, c[1].y, c[1].z};
    for (int k = 2; k < n; ++k)
        straight[k] = {straight[k - 1].x + len[k - 1] * dx[0], straight[k - 1].y + len[k - 1] * dy[0], c[k].z};

    // Each point to a segment: by its nearest chain point and the bisector there.
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        int nearest = 0;
        double best = INFINITY;
        for (int k = 0; k < n; ++k) {
            const double dist = std::hypot(p.x - c[k].x, p.y - c[k].y);
            if (dist < best) {
                best = dist;
                nearest = k;
            }
        }
        int segment = 0;
        if (nearest == n - 1)
            segment = n - 2;
        else if (nearest >= 1)
            segment = (p.x - c[nearest].x) * (dx[nearest - 1] + dx[nearest]) +
                                  (p.y - c[nearest].y) * (dy[nearest - 1] + dy[nearest]) >=
                              0
                          ? nearest
                          : nearest - 1;
        p.multiUse = segment;
    }
    if (!TakeCopy(s)) return false;

    // Bending: each segment's points onto the straight line, keeping their offset.
    const double n0x = -dy[0], n0y = dx[0];
    auto bisector = [&](int k, double vx, double vy, bool useNormal, double* bx, double* by) {
        const double nx = -dy[k], ny = dx[k];
        const double l = std::hypot(vx, vy);
        if (useNormal || !(l > 1e-9)) {
            *bx = nx;
            *by = ny;
            return;
        }
        vx /= l;
        vy /= l;
        if (vx * nx + vy * ny < 0) {
            vx = -vx;
            vy = -vy;
        }
        // A chain that turns straight back has no bisector to cut the offset with.
        if (std::fabs(vx * nx + vy * ny) <= 1e-9) {
            vx = nx;
            vy = ny;
        }
        *bx = vx;
        *by = vy;
    };
    std::vector<double> bsx(n), bsy(n), bex(n), bey(n);
    for (int k = 0; k + 1 < n; ++k) {
        bisector(k, k > 0 ? dx[k] - dx[k - 1] : 0, k > 0 ? dy[k] - dy[k - 1] : 0, k == 0, &bsx[k], &bsy[k]);
        bisector(k, dx[k + 1] - dx[k], dy[k + 1] - dy[k], k == n - 2, &bex[k], &bey[k]);
    }
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        const int k = p.multiUse;
        const double nx = -dy[k], ny = dx[k];
        const double e = (p.x - c[k].x) * nx + (p.y - c[k].y) * ny;
        const double fs = e / (bsx[k] * nx + bsy[k] * ny), fe = e / (bex[k] * nx + bey[k] * ny);
        const double sx = c[k].x + fs * bsx[k], sy = c[k].y + fs * bsy[k];
        const double ex = c[k + 1].x + fe * bex[k], ey = c[k + 1].y + fe * bey[k];
        const double h = std::hypot(ex - sx, ey - sy);
        const double along = h > 1e-12 ? ((p.x - sx) * dx[k] + (p.y - sy) * dy[k]) * len[k] / h : h;
        p.x = straight[k].x + along * dx[0] + e * n0x;
        p.y = straight[k].y + along * dy[0] + e * n0y;
    }

    // The cylinder about each straightened segment, in vertical cross-sections.
    const double perRadian = s.width * 0.3184713375796178 + 0.01;
    Progress progress(s);
    int32_t done = 0;
    for (int k = 0; k + 1 < n; ++k) {
        const Vec3 sk = straight[k];
        const Vec3 seg = straight[k + 1] - sk;
        const double plan = std::hypot(seg.x, seg.y);
        if (plan <= 1e-12) continue;
        const double px = seg.x / plan, py = seg.y / plan;
        const double r = std::sqrt(Dot(seg, seg));
        const Vec3 a{seg.x / r, seg.y / r, seg.z / r};
        const Vec3 u{-py, px, 0};
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& p = g_points[i];
            if (p.multiUse != k) continue;
            const Vec3 d = PointAt(i) - sk;
            const double e = d.x * px + d.y * py;
            if (Dot(d, d) - e * e < 1e-12) {
                MarkOnAxis(i);
            } else {
                const double t = e * r / plan;
                const Vec3 w{d.x - t * a.x, d.y - t * a.y, d.z - t * a.z};
                double theta = std::atan2(Dot(w, u), w.z);
                if (s.flip == 1) theta = -theta;
                const double side = theta * perRadian;
                p.x = sk.x + t * a.x + side * u.x;
                p.y = sk.y + t * a.y + side * u.y;
                p.z = sk.z + std::sqrt(Dot(w, w));
            }
            progress.Step(++done);
        }
    }
    SetMessage(s, "Transform complete");
    return true;
}

bool RestoreTunnelPoints(TunnelDevelopState& s) {
    if (!s.Developed()) return false;
    SetMessage(s, "Restore");
    if (g_pointCount < s.copiedCount) {
        // Deleted points shifted the numbers: the copy would land on other points.
        ShowMessage("ランダム点数が変化したので\n復元できません", "", msg::kOk | msg::kIconWarning);
        SetMessage(s, "Restore Failed");
        return false;
    }
    if (g_pointCount != s.copiedCount) {
        ShowMessage("ランダム点数が変化したので\n復元できません", "", msg::kOk | msg::kIconWarning);
        SetMessage(s, "Restore Failed");
    }
    for (int32_t i = 1; i <= s.copiedCount; ++i) {
        g_points[i].x = s.copy[i][0];
        g_points[i].y = s.copy[i][1];
        g_points[i].z = s.copy[i][2];
    }
    FreeCopy(s);
    FullRepaintView();
    return true;
}
