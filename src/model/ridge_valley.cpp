#include "model/ridge_valley.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <optional>
#include <vector>

#include "model/terrain_data.h"
#include "model/tin_point_lists.h"
#include "platform/text_io.h"
#include "shell/status_text.h"

namespace {
constexpr double kLevelTolerance = 1e-15;
constexpr double kWholeNumberTolerance = 1e-8;
constexpr int32_t kMaxPasses = 16;
constexpr int32_t kMaxWalkSteps = 800;
constexpr size_t kMaxChainRecords = 120;

// State words of the run.
constexpr int32_t kStateExcluded = 3;
constexpr int32_t kStateGridLevelEdge = 0x10;
// Hidden-byte marks of ridge and valley candidates and the grid-cell counter.
constexpr int8_t kMarkAbove = 0x01;
constexpr int8_t kMarkBelow = 0x02;
constexpr int8_t kGridCellStep = 4;
constexpr int8_t kGridCellLimit = 16;

const RandomPoint& P(int32_t i) { return g_points[std::abs(i)]; }
double Z(int32_t i) { return P(i).z; }
bool ValidIndex(int32_t i) {
    const int32_t a = std::abs(i);
    return i != kNoApex && a >= 1 && a <= g_pointCount;
}
bool Excluded(int32_t state) { return (state & 0x02) != 0; }

// Plan cross product of (q - p) and (r - p).
double Cross(int32_t p, int32_t q, int32_t r) {
    const RandomPoint &a = P(p), &b = P(q), &c = P(r);
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}
double PlanLength(int32_t p, int32_t q) { return std::hypot(P(q).x - P(p).x, P(q).y - P(p).y); }

struct Vec3 {
    double x, y, z;
};
Vec3 Sub(int32_t p, int32_t q) { return {P(p).x - P(q).x, P(p).y - P(q).y, P(p).z - P(q).z}; }
Vec3 CrossV(const Vec3& u, const Vec3& v) {
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}
double Dot(const Vec3& u, const Vec3& v) { return u.x * v.x + u.y * v.y + u.z * v.z; }
double Norm(const Vec3& u) { return std::sqrt(Dot(u, u)); }

bool NameExcluded(int32_t i) { return P(i).name[0] == '_'; }

void Mark(int32_t record) {
    TinEdge& e = g_tinEdges[record];
    e.a = -std::abs(e.a);
    e.b = -std::abs(e.b);
}

// The record joining p and q: stored p -> q (forward true) or q -> p.
int32_t FindEither(const TinPointLists& lists, int32_t p, int32_t q, bool* forward) {
    if (const int32_t r = lists.Find(p, q)) {
        *forward = true;
        return r;
    }
    *forward = false;
    return lists.Find(q, p);
}

class Corrector {
public:
    Corrector(TinPointLists& lists, bool mark, double angle)
        : m_lists(lists), m_mark(mark), m_angle(angle) {}

    int32_t Run(bool showStatus);
    int32_t LastPass() const { return m_pass; }

private:
    bool Flip(int32_t r) {
        if (!FlipTinEdgeLinked(m_lists, r)) return false;
        if (m_mark) Mark(r);
        return true;
    }
    void Classify(double limit);
    void PairFlips();
    void ConsecutiveApexFlips();
    void MarkCandidates();
    void MarkCandidate(int32_t d, int8_t bit, int32_t p, int32_t n);
    int32_t LevelPass(int32_t pass);
    bool Walk(int32_t start, int32_t b, int32_t n, int32_t o, std::vector<int32_t>& chain,
              int32_t* firstApex) const;

    TinPointLists& m_lists;
    bool m_mark;
    double m_angle;
    int32_t m_count = 0;
    int32_t m_pass = 0;
};

void Corrector::Classify(double limit) {
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        TinEdge& e = g_tinEdges[r];
        if (e.apexBack == kNoApex || !ValidIndex(e.a) || !ValidIndex(e.b) ||
            !ValidIndex(e.apexBack) || !ValidIndex(e.apexSearch)) {
            e.state = kStateExcluded;
            continue;
        }
        if (e.apexBack < 0 && e.apexSearch < 0) {  // a hole
            e.a = -std::abs(e.a);
            e.b = -std::abs(e.b);
            e.state = kStateExcluded;
            continue;
        }
        if (e.a < 0) {  // a mark of an earlier run or of the watershed search
            e.a = std::abs(e.a);
            e.b = std::abs(e.b);
            e.apexBack = std::abs(e.apexBack);
        }
        e.state = 0;
        const int32_t a = std::abs(e.a), b = std::abs(e.b), k = std::abs(e.apexBack);
        const int32_t s = std::abs(e.apexSearch);
        // A hole on one side only is not terrain to rearrange either.
        if (e.apexSearch < 0 || NameExcluded(a) || NameExcluded(b) || NameExcluded(k) ||
            NameExcluded(s))
            e.state = kStateExcluded;
        const double za = Z(a);
        if (za - std::floor(za) < kWholeNumberTolerance) continue;
        const double ak = PlanLength(a, k), as = PlanLength(a, s);
        const double bs = PlanLength(b, s), bk = PlanLength(b, k);
        if (!(bs > 0 && bk > 0 && ak > 0 && as > 0)) continue;
        const double cosKas = ((P(k).x - P(a).x) * (P(s).x - P(a).x) +
                               (P(k).y - P(a).y) * (P(s).y - P(a).y)) /
                              (ak * as);
        if (std::fabs(ak / bs - 1) <= 0.2 && std::fabs(as / bk - 1) <= 0.2 &&
            std::min(ak, as) / std::max(ak, as) >= 0.2 && std::fabs(cosKas) <= limit) {
            for (int32_t p : {a, b, k, s})
                if (g_points[p].hidden < kGridCellLimit) g_points[p].hidden += kGridCellStep;
        }
    }
    if (m_angle == 0) return;
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        TinEdge& e = g_tinEdges[r];
        if (e.state != 0 || Z(e.a) != Z(e.b)) continue;
        bool grid = true;
        for (int32_t p : {e.a, e.b, e.apexBack, e.apexSearch}) grid = grid && P(p).hidden > 7;
        if (grid) e.state |= kStateGridLevelEdge;
    }
}

// Where the TIN crosses between two consecutively numbered points of one elevation through
// a neighbouring record, two flips in a row join them.
void Corrector::PairFlips() {
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        const TinEdge& e = g_tinEdges[r];
        if (e.state != 0) continue;
        const int32_t a = std::abs(e.a), b = std::abs(e.b), k = std::abs(e.apexBack);
        const int32_t s = std::abs(e.apexSearch);
        const double za = Z(a), zb = Z(b), zk = Z(k), zs = Z(s);
        if (za == zb || zs == zk || (za == zk && zb == zs) || (za == zs && zk == zb)) continue;
        int32_t ref, from, to;
        if (zs == za || zs == zb) {
            ref = k, from = s, to = a;
        } else if (zk == za || zk == zb) {
            ref = s, from = k, to = b;
        } else {
            continue;
        }
        int32_t probed = m_lists.Find(from, to);
        int32_t far;
        if (probed != 0) {
            far = g_tinEdges[probed].apexBack;
        } else {
            probed = m_lists.Find(to, from);
            if (probed == 0) continue;
            far = g_tinEdges[probed].apexSearch;
        }
        if (g_tinEdges[probed].state != 0 || !ValidIndex(far)) continue;
        const int32_t f = std::abs(far);
        if (std::abs(f - ref) != 1 || Z(f) != Z(ref)) continue;
        if (!IsQuadConvexAtEdge(r) || !IsQuadConvexAtEdge(probed)) continue;
        const int32_t signA = g_tinEdges[r].a, signB = g_tinEdges[r].b;
        if (!Flip(r)) continue;
        if (!Flip(probed)) {
            FlipTinEdgeLinked(m_lists, r);
            TinEdge& back = g_tinEdges[r];
            back.a = signA < 0 ? -std::abs(back.a) : std::abs(back.a);
            back.b = signB < 0 ? -std::abs(back.b) : std::abs(back.b);
            continue;
        }
        m_count += 2;
    }
}

void Corrector::ConsecutiveApexFlips() {
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        const TinEdge& e = g_tinEdges[r];
        if (e.state != 0) continue;
        const int32_t k = std::abs(e.apexBack), s = std::abs(e.apexSearch);
        const double za = Z(e.a), zb = Z(e.b), zs = Z(s);
        if (zs != Z(k) || za == zb || std::abs(s - k) != 1) continue;
        if ((za - zs) * (zb - zs) < -0.001 && Flip(r)) ++m_count;
    }
}

void Corrector::MarkCandidate(int32_t d, int8_t bit, int32_t p, int32_t n) {
    const double nx = -(P(n).y - P(p).y), ny = P(n).x - P(p).x;
    const double vx = P(d).x - P(p).x + 0.7 * nx, vy = P(d).y - P(p).y + 0.7 * ny;
    const double lengths = std::hypot(nx, ny) * std::hypot(vx, vy);
    if (lengths > 0 && (nx * vx + ny * vy) / lengths > 0.5) g_points[std::abs(d)].hidden |= bit;
}

void Corrector::MarkCandidates() {
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        const TinEdge& e = g_tinEdges[r];
        if (Excluded(e.state) || e.apexBack == kNoApex) continue;
        const int32_t a = e.a, b = e.b, k = e.apexBack, s = e.apexSearch;
        const double za = Z(a), zb = Z(b), zk = Z(k), zs = Z(s);
        if (za != zb) continue;
        const bool levelK = ElevationsEqual3(nullptr, za, zb, zk);
        const bool levelS = ElevationsEqual3(nullptr, za, zb, zs);
        if (zs > zk && levelK) MarkCandidate(k, kMarkAbove, a, b);
        if (zs > zk && levelS) MarkCandidate(s, kMarkBelow, b, a);
        if (zk > zs && levelS) MarkCandidate(s, kMarkAbove, b, a);
        if (zk > zs && levelK) MarkCandidate(k, kMarkBelow, a, b);
    }
}

// Follows the level triangles from (b, n, o) across their edges; the records crossed go
// into the chain after the start record.
bool Corrector::Walk(int32_t start, int32_t b, int32_t n, int32_t o, std::vector<int32_t>& chain,
                     int32_t* firstApex) const {
    const double level = Z(b);
    chain.assign(1, start);
    *firstApex = 0;
    struct Probe {
        int32_t from, to;
        bool back;  // the level triangle sought lies on the record's back side
        int32_t newB, newN;
    };
    for (int32_t step = 0; step < kMaxWalkSteps && chain.size() < kMaxChainRecords; ++step) {
        const Probe probes[4] = {{b, o, true, b, o},
                                 {o, n, true, o, n},
                                 {n, o, false, o, n},
                                 {o, b, false, b, o}};
        int32_t taken = -1, takenRecord = 0, successes = 0;
        double takenLength = 0;
        for (int32_t i = 0; i < 4 && successes < 2; ++i) {
            const Probe& pr = probes[i];
            const int32_t rec = m_lists.Find(pr.from, pr.to);
            if (rec == 0) continue;
            const TinEdge& e = g_tinEdges[rec];
            const int32_t apex = pr.back ? e.apexBack : e.apexSearch;
            if (!ValidIndex(apex) || !ElevationsEqual3(&level, Z(e.a), Z(e.b), Z(apex))) continue;
            const double length = PlanLength(e.a, e.b);
            if (successes == 0 || length >= takenLength) {
                taken = i;
                takenRecord = rec;
                takenLength = length;
            }
            ++successes;
        }
        if (taken < 0) return true;
        const TinEdge& e = g_tinEdges[takenRecord];
        if ((e.state & 0x0F) != 0 || std::abs(std::abs(e.a) - std::abs(e.b)) == 1) return true;
        const Probe& pr = probes[taken];
        const int32_t newO = std::abs(pr.back ? e.apexBack : e.apexSearch);
        const int32_t nb = pr.newB, nn = pr.newN;
        const double l2 = PlanLength(nb, nn) * PlanLength(nb, nn);
        if (!(l2 > 0)) return true;
        const double t = ((P(newO).x - P(nb).x) * (P(nn).x - P(nb).x) +
                          (P(newO).y - P(nb).y) * (P(nn).y - P(nb).y)) /
                         l2;
        const double distance = std::fabs(Cross(nb, nn, newO)) / std::sqrt(l2);
        if (t < -0.5 || t > 1.5 || distance > 1.2 * std::sqrt(l2)) return true;
        chain.push_back(takenRecord);
        if (*firstApex == 0) *firstApex = newO;
        b = nb;
        n = nn;
        o = newO;
    }
    return true;
}

int32_t Corrector::LevelPass(int32_t pass) {
    int32_t flipped = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].hidden &= ~(kMarkAbove | kMarkBelow);
    MarkCandidates();
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) g_tinEdges[r].state &= ~1;

    std::vector<int32_t> chain;
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        const TinEdge& e = g_tinEdges[r];
        if ((e.state & 0x0F) != 0 || e.apexBack == kNoApex) continue;
        const int32_t a = std::abs(e.a), bb = std::abs(e.b), k = std::abs(e.apexBack);
        const int32_t s = std::abs(e.apexSearch);
        const bool levelBack = ElevationsEqual3(nullptr, Z(a), Z(bb), Z(k));
        const bool levelSearch = ElevationsEqual3(nullptr, Z(a), Z(bb), Z(s));
        if (levelBack == levelSearch) continue;
        const int32_t b = levelBack ? a : bb, n = levelBack ? bb : a;
        const int32_t o = levelBack ? k : s, v = levelBack ? s : k;
        const double length = PlanLength(b, n);
        if (!(length > 0)) continue;
        const double l2 = length * length;
        const double t = ((P(o).x - P(b).x) * (P(n).x - P(b).x) +
                          (P(o).y - P(b).y) * (P(n).y - P(b).y)) /
                         l2;
        const double q = std::fabs(1 - 2 * t);
        const double dO = std::fabs(Cross(b, n, o)) / l2, dV = std::fabs(Cross(b, n, v)) / l2;
        const bool above = Z(v) > Z(b);
        if (q > 2 || !(dV > 0) || dO / dV > (above ? 1.0 : 1.8)) continue;
        const int8_t bit = above ? kMarkAbove : kMarkBelow;
        if ((P(b).hidden | P(n).hidden) & bit) {
            if (pass == 1 || (dO > 0.2 && q > 0.75) || dO > 0.5) continue;
        }
        if (std::abs(b - n) == 1 && dO > 0.25) continue;
        bool rightAngle = false;
        if (IsQuadConvexAtEdge(r)) {
            const double bo = PlanLength(b, o);
            const double dotB = (P(o).x - P(b).x) * (P(n).x - P(b).x) +
                                (P(o).y - P(b).y) * (P(n).y - P(b).y);
            const double dotN = (P(n).x - P(o).x) * (P(n).x - P(b).x) +
                                (P(n).y - P(o).y) * (P(n).y - P(b).y);
            const double cosB = bo > 0 ? std::fabs(dotB) / (bo * length) : 0;
            const double cosN = bo > 0 ? std::fabs(dotN) / (bo * length) : 0;
            if (cosB < 0.1 || cosN < 0.1) {
                rightAngle = true;
                const double areaA = std::fabs(Cross(k, s, a)), areaB = std::fabs(Cross(k, s, bb));
                const double sum = areaA + areaB;
                if (areaA < sum / 64 || areaB < sum / 64) continue;
            }
        }
        int32_t firstApex = 0;
        Walk(r, b, n, o, chain, &firstApex);
        if (m_angle != 0) {
            int32_t grid = 0;
            for (int32_t c : chain)
                if (g_tinEdges[c].state & kStateGridLevelEdge) ++grid;
            if (grid > 2) continue;
        }
        if (rightAngle && chain.size() > 1) {
            const double sb = Cross(v, firstApex, b), sn = Cross(v, firstApex, n);
            if (!(sb * sn < 0)) continue;
        }
        for (int32_t c : chain) {
            if (g_tinEdges[c].state != 0 || !Flip(c)) break;
            ++m_count;
            ++flipped;
        }
    }
    return flipped;
}

int32_t Corrector::Run(bool showStatus) {
    const double limit = std::cos((m_angle - 90) * M_PI / 180);
    if (showStatus) SetStatusText("三角網組換え中...");
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].hidden = 0;
    Classify(limit);
    PairFlips();
    ConsecutiveApexFlips();
    for (int32_t pass = 1; pass <= kMaxPasses; ++pass) {
        m_pass = pass;
        const int32_t flipped = LevelPass(pass);
        if (showStatus) SetStatusText(FormatString("  %3d 個組替え (LOOP %d 回)", m_count, pass));
        if (flipped == 0) break;
    }
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        if (g_tinEdges[r].state != 0) continue;
        if (IsFlatRidgeValleyEdge(m_lists, r) && Flip(r)) ++m_count;
    }
    return m_count;
}
}  // namespace

int32_t IsQuadConvexAtEdge(int32_t record) {
    const TinEdge& e = g_tinEdges[record];
    if (e.apexBack == kNoApex || !ValidIndex(e.apexBack) || !ValidIndex(e.apexSearch)) return 0;
    const double sa = Cross(e.apexBack, e.apexSearch, e.a);
    const double sb = Cross(e.apexBack, e.apexSearch, e.b);
    return (sa > 0 && sb < 0) || (sa < 0 && sb > 0) ? 1 : 0;
}

int32_t ElevationsEqual3(const double* reference, double z1, double z2, double z3) {
    auto near = [](double u, double v) { return std::fabs(u - v) <= kLevelTolerance; };
    if (reference) return near(z1, *reference) && near(z2, *reference) && near(z3, *reference);
    return near(z1, z2) && near(z1, z3) && near(z2, z3);
}

int32_t FlipTinEdgeLinked(TinPointLists& lists, int32_t record) {
    TinEdge& e = g_tinEdges[record];
    if (e.apexBack == kNoApex || !IsQuadConvexAtEdge(record)) return 0;
    const int32_t a = std::abs(e.a), b = std::abs(e.b), k = std::abs(e.apexBack);
    const int32_t s = std::abs(e.apexSearch);
    // The outer edges in the circuit A -> K -> B -> S -> A and the apex each takes.
    const int32_t ends[4][2] = {{a, k}, {k, b}, {b, s}, {s, a}};
    const int32_t newApex[4] = {s, s, k, k};
    int32_t outer[4];
    bool forward[4];
    for (int i = 0; i < 4; ++i) {
        outer[i] = FindEither(lists, ends[i][0], ends[i][1], &forward[i]);
        if (outer[i] == 0 || outer[i] == record) return 0;
    }
    const int c1 = int{forward[0]} + int{forward[3]};
    const int c2 = int{forward[1]} + int{forward[2]};
    if (c1 == 0 && c2 == 0) return 0;
    for (int i = 0; i < 4; ++i) {
        TinEdge& o = g_tinEdges[outer[i]];
        const int32_t value = o.apexSearch < 0 ? -newApex[i] : newApex[i];
        (forward[i] ? o.apexSearch : o.apexBack) = value;
    }
    const int32_t endSign = e.a < 0 ? -1 : 1, apexSign = e.apexSearch < 0 ? -1 : 1;
    if (c1 < c2) {
        e = TinEdge{endSign * k, endSign * s, apexSign * b, apexSign * a, e.state};
    } else {
        e = TinEdge{endSign * s, endSign * k, apexSign * a, apexSign * b, e.state};
    }
    lists.MoveFirst(record, a);
    return 1;
}

int32_t IsFlatRidgeValleyEdge(const TinPointLists& lists, int32_t record) {
    const TinEdge& e = g_tinEdges[record];
    if (e.apexBack == kNoApex || e.a < 0 || !ValidIndex(e.apexBack)) return 0;
    const int32_t a = e.a, b = std::abs(e.b), k = std::abs(e.apexBack);
    const int32_t s = std::abs(e.apexSearch);
    if (Z(a) != Z(b)) return 0;
    const Vec3 p = CrossV(Sub(b, a), Sub(k, a));
    const double side = Dot(Sub(s, a), p);
    if (side > 0 && !(Z(k) >= Z(b) && Z(s) >= Z(b))) return 0;
    if (side < 0 && !(Z(k) <= Z(b) && Z(s) <= Z(b))) return 0;
    if (!(side > 0 || side < 0)) return 0;
    const Vec3 q = CrossV(Sub(s, a), Sub(b, a));
    const int32_t ends[4][2] = {{a, k}, {k, b}, {b, s}, {s, a}};
    int positive = 0, negative = 0;
    for (int i = 0; i < 4; ++i) {
        int32_t apex;
        if (const int32_t r = lists.Find(ends[i][0], ends[i][1])) {
            apex = g_tinEdges[r].apexBack;
        } else if (const int32_t r2 = lists.Find(ends[i][1], ends[i][0])) {
            apex = g_tinEdges[r2].apexSearch;
        } else {
            return 0;
        }
        if (!ValidIndex(apex)) return 0;
        const Vec3& normal = i < 2 ? p : q;
        const Vec3 w = Sub(apex, a);
        const double lengths = Norm(normal) * Norm(w);
        if (!(lengths > 0)) return 0;
        const double c = Dot(normal, w) / lengths;
        if (c > 0.08) ++positive;
        if (c < -0.08) ++negative;
    }
    return (side < 0 && positive == 4) || (side > 0 && negative == 4) ? 1 : 0;
}

int32_t CorrectRidgesValleys(int32_t showStatus, int32_t markFlips, double angle) {
    const double a = std::clamp(std::isnan(angle) ? 0.0 : angle, 0.0, 45.0);
    std::optional<TinPointLists> lists;
    try {
        lists.emplace(false);
    } catch (const std::bad_alloc&) {
        return kRidgeValleyNoMemory;
    }
    Corrector corrector(*lists, markFlips != 0, a);
    const int32_t count = corrector.Run(showStatus != 0);
    if (showStatus) SetStatusText(FormatString("  %3d 個組替え (LOOP %d 回)", count, corrector.LastPass()));
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) g_tinEdges[r].state = 0;
    g_dataChanged = 1;
    return count;
}
