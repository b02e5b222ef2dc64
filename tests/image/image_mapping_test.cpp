#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "image/image_mapping.h"
#include "image_test_support.h"

namespace {

using imagetest::HaveNumpy;
using imagetest::RunPython;
using imagetest::ScratchDir;

struct Pt {
    double e, n;
};

// UL, UR, LL, LR.
ImageSlot Placed(const Pt (&c)[4], int32_t width = 800, int32_t height = 600) {
    ImageSlot s{};
    s.width = width;
    s.height = height;
    for (int k = 0; k < 4; ++k) {
        s.corners[k][0] = s.pairGround[k][0] = c[k].e;
        s.corners[k][1] = s.pairGround[k][1] = c[k].n;
    }
    ComputeImageEdgeLengths(s);
    s.positionKnown = 1;
    SetupImageMapping(s);
    return s;
}

// The plane projective map through four (u, v) -> (east, north) pairs, solved by numpy,
// evaluated at the queries.
const char* kHomography = R"(
import sys, numpy as np
h = None
for l in sys.stdin:
    f = l.split()
    if not f: continue
    if f[0] == 'P':
        pairs = [list(map(float, f[1:]))] + [list(map(float, next(sys.stdin).split()[1:])) for _ in range(3)]
        A = []; b = []
        for u, v, e, n in pairs:
            A.append([u, v, 1, 0, 0, 0, -u * e, -v * e]); b.append(e)
            A.append([0, 0, 0, u, v, 1, -u * n, -v * n]); b.append(n)
        h = np.append(np.linalg.solve(np.array(A), np.array(b)), 1.0).reshape(3, 3)
    else:
        x = h @ np.array([float(f[1]), float(f[2]), 1.0])
        print('%.12f %.12f' % (x[0] / x[2], x[1] / x[2]))
)";

// Several problems at once: each the plane projective map through four (u, v) -> (east,
// north) pairs, solved by numpy and evaluated at its queries.
struct HomographyProblem {
    double uv[4][2];
    Pt ground[4];
    std::vector<std::pair<double, double>> queries;
};

std::vector<std::vector<Pt>> NumpyHomographies(const std::vector<HomographyProblem>& problems) {
    ScratchDir dir;
    std::ostringstream in;
    in.precision(17);
    size_t total = 0;
    for (const HomographyProblem& p : problems) {
        for (int k = 0; k < 4; ++k)
            in << "P " << p.uv[k][0] << ' ' << p.uv[k][1] << ' ' << p.ground[k].e << ' ' << p.ground[k].n << '\n';
        for (const auto& [u, v] : p.queries) in << "Q " << u << ' ' << v << '\n';
        total += p.queries.size();
    }
    std::string out;
    EXPECT_TRUE(RunPython(dir, kHomography, in.str(), &out));
    std::istringstream is(out);
    std::vector<std::vector<Pt>> r;
    for (const HomographyProblem& p : problems) {
        r.emplace_back();
        Pt x;
        for (size_t i = 0; i < p.queries.size() && is >> x.e >> x.n; ++i) r.back().push_back(x);
        EXPECT_EQ(r.back().size(), p.queries.size());
    }
    (void)total;
    return r;
}

struct QuadCase {
    const char* name;
    Pt corners[4];
    int32_t kind;
    int32_t single;  // one vanishing point
};

Pt Mirror(Pt p) { return {-p.e + 500, p.n}; }
Pt Far(Pt p) { return {p.e - 35000.0, p.n + 12000.0}; }

const QuadCase kQuads[] = {
    {"parallelogram", {{10, 120}, {110, 150}, {30, 20}, {130, 50}}, 0, 1},
    {"trapezoid_sides_meet_below", {{0, 100}, {100, 100}, {20, 0}, {80, 0}}, 1, 1},
    {"trapezoid_sides_meet_above", {{20, 100}, {80, 100}, {0, 0}, {100, 0}}, 4, 1},
    {"trapezoid_meets_right", {{0, 100}, {100, 80}, {0, 0}, {100, 20}}, 3, 1},
    {"trapezoid_meets_left", {{0, 80}, {100, 100}, {0, 20}, {100, 0}}, 2, 1},
    {"general_right_below", {{0, 100}, {100, 90}, {10, 0}, {90, 10}}, 1, 0},
    {"general_left_below", {{0, 90}, {100, 100}, {10, 10}, {90, 0}}, 2, 0},
    {"general_right_above", {{10, 100}, {90, 90}, {0, 0}, {100, 10}}, 3, 0},
    {"general_left_above", {{10, 90}, {90, 100}, {0, 10}, {100, 0}}, 4, 0},
    {"general_far_from_origin", {Far({0, 100}), Far({100, 90}), Far({10, 0}), Far({90, 10})}, 1, 0},
    {"mirrored_general", {Mirror({0, 100}), Mirror({100, 90}), Mirror({10, 0}), Mirror({90, 10})}, 1, 0},
    {"mirrored_trapezoid", {Mirror({20, 100}), Mirror({80, 100}), Mirror({0, 0}), Mirror({100, 0})}, 4, 1},
};

const double kUnit[4][2] = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};

TEST(ImageMapping, ImageToGroundToImageIsIdentityAndMatchesAHomography) {
    std::vector<std::pair<double, double>> grid;
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 10; ++j) grid.push_back({i / 10.0, j / 10.0});
    std::vector<std::vector<Pt>> oracle;
    if (HaveNumpy()) {
        std::vector<HomographyProblem> problems;
        for (const QuadCase& q : kQuads) {
            HomographyProblem p;
            std::copy(&kUnit[0][0], &kUnit[0][0] + 8, &p.uv[0][0]);
            std::copy(q.corners, q.corners + 4, p.ground);
            p.queries = grid;
            problems.push_back(p);
        }
        oracle = NumpyHomographies(problems);
    }
    for (size_t qi = 0; qi < std::size(kQuads); ++qi) {
        const QuadCase& q = kQuads[qi];
        SCOPED_TRACE(q.name);
        ImageSlot s = Placed(q.corners);
        ASSERT_EQ(s.mapping.projectiveKind, q.kind);
        EXPECT_EQ(s.positionKnown, q.kind ? 4 : 1);
        if (q.kind) {
            EXPECT_EQ(s.mapping.singleVanishingPoint, q.single);
            EXPECT_NEAR(s.mapping.weightFar, s.mapping.weight1 + s.mapping.weight2 - 1, 1e-9 * s.mapping.weightFar);
        }
        for (int k = 0; k < 4; ++k) {
            double u, v;
            MapGroundToImage(s, q.corners[k].e, q.corners[k].n, u, v);
            EXPECT_NEAR(u, kUnit[k][0], 1e-9) << "corner " << k;
            EXPECT_NEAR(v, kUnit[k][1], 1e-9) << "corner " << k;
        }
        for (size_t i = 0; i < grid.size(); ++i) {
            const auto [u, v] = grid[i];
            double e = NAN, n = NAN, u2, v2;
            MapImageToGround(s, u, v, e, n);
            MapGroundToImage(s, e, n, u2, v2);
            EXPECT_NEAR(u2, u, 1e-9) << u << ' ' << v;
            EXPECT_NEAR(v2, v, 1e-9) << u << ' ' << v;
            if (!oracle.empty()) {
                EXPECT_NEAR(e, oracle[qi][i].e, 1e-7) << u << ' ' << v;
                EXPECT_NEAR(n, oracle[qi][i].n, 1e-7) << u << ' ' << v;
            }
        }
    }
}

TEST(ImageMapping, ParallelEdgesWithUnequalStoredLengthsStayAffine) {
    ImageSlot s = Placed({{10, 120}, {110, 150}, {30, 20}, {130, 50}});
    s.edgeLengths[0] *= 1.01;
    SetupImageMapping(s);
    EXPECT_EQ(s.mapping.projectiveKind, 0);
    EXPECT_EQ(s.positionKnown, 1);
    double u, v;
    MapGroundToImage(s, 70, 85, u, v);  // the centre
    EXPECT_NEAR(u, 0.5, 1e-12);
    EXPECT_NEAR(v, 0.5, 1e-12);
}

TEST(ImageMapping, PointsAtOrBeyondTheVanishingPointsGiveFiniteFractionsAndLeaveTheRecord) {
    for (const QuadCase& q : kQuads) {
        if (!q.kind) continue;
        ImageSlot s = Placed(q.corners);
        const ImageSlot before = s;
        const double* v1 = s.mapping.vanishing1;
        const double* n = s.mapping.horizonNormal;
        const Pt probes[] = {{v1[0], v1[1]},
                             {s.mapping.vanishing2[0], s.mapping.vanishing2[1]},
                             {v1[0] - 500 * n[0], v1[1] - 500 * n[1]},
                             {1e300, -1e300},
                             {NAN, 5}};
        for (const Pt& p : probes) {
            double u = 7, v = 7;
            MapGroundToImage(s, p.e, p.n, u, v);
            EXPECT_TRUE(std::isfinite(u) && std::isfinite(v)) << q.name;
            EXPECT_LE(std::fabs(u), 1e9);
            EXPECT_LE(std::fabs(v), 1e9);
        }
        EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0) << q.name << ": the record changed";
        double u, v;  // and the projective map still answers
        MapGroundToImage(s, q.corners[1].e, q.corners[1].n, u, v);
        EXPECT_NEAR(u, 1, 1e-9);
        EXPECT_NEAR(v, 1, 1e-9);
    }
}

TEST(ImageMapping, APointBeyondTheHorizonMapsAsIfJustInsideIt) {
    ImageSlot s = Placed(kQuads[5].corners);
    const double* v1 = s.mapping.vanishing1;
    const double* n = s.mapping.horizonNormal;
    // Beyond the horizon by 40 m, and the same point moved back across it.
    const double along[2] = {-n[1], n[0]};
    const Pt beyond{v1[0] + 30 * along[0] - 40 * n[0], v1[1] + 30 * along[1] - 40 * n[1]};
    const Pt inside{beyond.e + 40.00004 * n[0], beyond.n + 40.00004 * n[1]};
    double u1, v1f, u2, v2;
    MapGroundToImage(s, beyond.e, beyond.n, u1, v1f);
    MapGroundToImage(s, inside.e, inside.n, u2, v2);
    EXPECT_NEAR(u1, u2, 1e-6 * std::max(1.0, std::fabs(u2)));
    EXPECT_NEAR(v1f, v2, 1e-6 * std::max(1.0, std::fabs(v2)));
}

// An exact perspective placement: ground corners of an 800 x 600 image, and four picked
// image points whose ground positions numpy computes from the corners.
struct Perspective {
    Pt corners[4] = {{50000, 20100}, {50100, 20090}, {50010, 20000}, {50090, 20010}};
    double pixels[4][2] = {{100, 80}, {700, 120}, {650, 500}, {150, 540}};
    Pt ground[4];
};

TEST(ImageSolvers, ProjectiveSolutionRecoversTheCornersFromPairsInEveryOrder) {
    if (!HaveNumpy()) GTEST_SKIP() << "python3-numpy is missing: run scripts/install-deps.sh";
    Perspective p;
    {
        HomographyProblem hp;
        std::copy(&kUnit[0][0], &kUnit[0][0] + 8, &hp.uv[0][0]);
        std::copy(p.corners, p.corners + 4, hp.ground);
        for (auto& px : p.pixels) hp.queries.push_back({px[0] / 800, px[1] / 600});
        const auto g = NumpyHomographies({hp});
        ASSERT_EQ(g[0].size(), 4u);
        std::copy(g[0].begin(), g[0].end(), p.ground);
    }
    int order[4] = {0, 1, 2, 3};
    int permutations = 0;
    do {
        ImageSlot s{};
        s.width = 800;
        s.height = 600;
        for (int k = 0; k < 4; ++k) {
            s.pairImage[k][0] = p.pixels[order[k]][0];
            s.pairImage[k][1] = p.pixels[order[k]][1];
            s.pairGround[k][0] = p.ground[order[k]].e;
            s.pairGround[k][1] = p.ground[order[k]].n;
            s.pairSet[k] = 1;
        }
        ASSERT_EQ(SolveImageProjective(s), 0);
        EXPECT_EQ(s.positionKnown, 4);
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(s.corners[k][0], p.corners[k].e, 1e-6) << "corner " << k;
            EXPECT_NEAR(s.corners[k][1], p.corners[k].n, 1e-6) << "corner " << k;
        }
        EXPECT_NEAR(s.edgeLengths[1], std::hypot(100, 10), 1e-6);
        ++permutations;
    } while (std::next_permutation(order, order + 4));
    EXPECT_EQ(permutations, 24);
}

ImageSlot Pairs(std::initializer_list<std::pair<Pt, Pt>> pairs, int32_t width = 800, int32_t height = 600) {
    ImageSlot s{};
    s.width = width;
    s.height = height;
    int k = 0;
    for (const auto& [image, ground] : pairs) {
        s.pairImage[k][0] = image.e;
        s.pairImage[k][1] = image.n;
        s.pairGround[k][0] = ground.e;
        s.pairGround[k][1] = ground.n;
        s.pairSet[k++] = 1;
    }
    return s;
}

// A similarity: ground = t + scale * R(angle) * (column, row).
Pt Similar(double c, double r) {
    const double a = 0.4, k = 0.25;
    return {1000 + k * (std::cos(a) * c - std::sin(a) * r), 2000 + k * (std::sin(a) * c + std::cos(a) * r)};
}
// An affine map that is not a similarity.
Pt Affine(double c, double r) { return {500 + 0.3 * c + 0.05 * r, 800 - 0.02 * c + 0.2 * r}; }

TEST(ImageSolvers, TwoAndThreePairsPlaceTheCornersOnThePixelCentres) {
    struct Case {
        const char* name;
        Pt (*map)(double, double);
        int pairs;
    } cases[] = {{"two pairs, similarity", Similar, 2}, {"three pairs, affine", Affine, 3}};
    const double at[4][2] = {{0, 599}, {799, 599}, {0, 0}, {799, 0}};
    for (const Case& c : cases) {
        const Pt px[3] = {{120, 40}, {610, 300}, {200, 550}};
        ImageSlot s = c.pairs == 2 ? Pairs({{px[0], c.map(px[0].e, px[0].n)}, {px[1], c.map(px[1].e, px[1].n)}})
                                   : Pairs({{px[0], c.map(px[0].e, px[0].n)},
                                            {px[1], c.map(px[1].e, px[1].n)},
                                            {px[2], c.map(px[2].e, px[2].n)}});
        ASSERT_EQ(SolveImageCornersFromPairs(s), 0) << c.name;
        EXPECT_EQ(s.positionKnown, 1);
        for (int k = 0; k < 4; ++k) {
            const Pt want = c.map(at[k][0], at[k][1]);
            EXPECT_NEAR(s.corners[k][0], want.e, 1e-9) << c.name << " corner " << k;
            EXPECT_NEAR(s.corners[k][1], want.n, 1e-9) << c.name << " corner " << k;
        }
    }
}

TEST(ImageSolvers, FourPairsByLeastSquaresGiveTheBestSimilarityAtTheOuterEdges) {
    const Pt px[4] = {{100, 100}, {700, 90}, {690, 500}, {80, 520}};
    {
        ImageSlot s = Pairs({{px[0], Similar(100, 100)}, {px[1], Similar(700, 90)},
                             {px[2], Similar(690, 500)}, {px[3], Similar(80, 520)}});
        ASSERT_EQ(SolveImageCornersFromPairs(s), 0);
        const double at[4][2] = {{0, 600}, {800, 600}, {0, 0}, {800, 0}};
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(s.corners[k][0], Similar(at[k][0], at[k][1]).e, 1e-9);
            EXPECT_NEAR(s.corners[k][1], Similar(at[k][0], at[k][1]).n, 1e-9);
        }
    }
    if (!HaveNumpy()) GTEST_SKIP() << "python3-numpy is missing";
    // Noisy pairs: numpy's least squares over (a, b, tE, tN) is the witness.
    const Pt noise[4] = {{0.8, -0.3}, {-0.5, 0.6}, {0.2, 0.9}, {-0.7, -0.4}};
    ImageSlot s{};
    std::ostringstream in;
    in.precision(17);
    std::vector<std::pair<Pt, Pt>> pairs;
    for (int k = 0; k < 4; ++k) {
        Pt g = Similar(px[k].e, px[k].n);
        g.e += noise[k].e;
        g.n += noise[k].n;
        pairs.push_back({px[k], g});
        in << px[k].e << ' ' << px[k].n << ' ' << g.e << ' ' << g.n << '\n';
    }
    s = Pairs({pairs[0], pairs[1], pairs[2], pairs[3]});
    ASSERT_EQ(SolveImageCornersFromPairs(s), 0);
    ScratchDir dir;
    std::string out;
    ASSERT_TRUE(RunPython(dir, R"(
import sys, numpy as np
A = []; b = []
for l in sys.stdin:
    c, r, e, n = map(float, l.split())
    A.append([c, -r, 1, 0]); b.append(e)
    A.append([r, c, 0, 1]); b.append(n)
a, bb, te, tn = np.linalg.lstsq(np.array(A), np.array(b), rcond=None)[0]
for c, r in [(0, 600), (800, 600), (0, 0), (800, 0)]:
    print('%.10f %.10f' % (a * c - bb * r + te, bb * c + a * r + tn))
)", in.str(), &out));
    std::istringstream is(out);
    for (int k = 0; k < 4; ++k) {
        double e, n;
        ASSERT_TRUE(is >> e >> n);
        EXPECT_NEAR(s.corners[k][0], e, 1e-6);
        EXPECT_NEAR(s.corners[k][1], n, 1e-6);
    }
}

TEST(ImageSolvers, DegeneratePairsAreRefusedWithTheirCodes) {
    const Pt a{100, 100}, b{700, 120}, c{650, 500}, d{150, 540};
    struct Case {
        const char* name;
        ImageSlot slot;
        int32_t code;
    } cases[] = {
        {"two coinciding ground points",
         Pairs({{a, {0, 0}}, {b, {10, 0}}, {c, {10, 0}}, {d, {0, 10}}}), -1},
        {"two coinciding image points", Pairs({{a, {0, 0}}, {a, {10, 0}}, {c, {10, 10}}, {d, {0, 10}}}), -1},
        {"three collinear ground points",
         Pairs({{a, {0, 0}}, {b, {10, 0}}, {c, {20, 0}}, {d, {0, 10}}}), -2},
        {"image points on one row",
         Pairs({{{10, 50}, {0, 0}}, {{200, 50}, {10, 0}}, {{400, 50}, {10, 10}}, {{600, 50}, {0, 10}}}), -3},
        {"image arranged unlike the ground",
         Pairs({{a, {10, 0}}, {b, {0, 0}}, {c, {10, 10}}, {d, {0, 10}}}), -4},
    };
    for (Case& k : cases) {
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 2; ++j) k.slot.corners[i][j] = 1234.5;
        EXPECT_EQ(SolveImageProjective(k.slot), k.code) << k.name;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(k.slot.corners[i][0], 1234.5) << k.name;
    }
}

TEST(ImageSolvers, RegistrationFallsBackToThreePairsOrRefusesWithAMessage) {
    const Pt a{100, 100}, b{700, 120}, c{650, 500}, d{150, 540};
    std::string message;
    // The fourth ground point lies on the line of two others: three pairs still place it.
    ImageSlot s = Pairs({{a, {0, 0}}, {b, {100, 0}}, {c, {0, 100}}, {d, {50, 50}}});
    ASSERT_TRUE(RegisterImagePairs(s, false, message));
    EXPECT_EQ(message, "座標を決定できません\n３点目までを使用します");
    EXPECT_EQ(s.positionKnown, 1);
    for (auto& corner : s.corners) EXPECT_TRUE(std::isfinite(corner[0]) && std::isfinite(corner[1]));

    // Three ground points on one line: nothing can be placed, the record stays as it was.
    const struct {
        const char* name;
        ImageSlot slot;
        bool leastSquares;
    } refused[] = {
        {"collinear, projective", Pairs({{a, {0, 0}}, {b, {10, 0}}, {c, {20, 0}}, {d, {30, 0}}}), false},
        {"collinear, three pairs", Pairs({{a, {0, 0}}, {b, {10, 0}}, {c, {20, 0}}}), false},
        {"coinciding image points, two pairs", Pairs({{a, {0, 0}}, {a, {10, 0}}}), false},
        {"coinciding image points, least squares", Pairs({{a, {0, 0}}, {a, {10, 0}}, {a, {0, 5}}, {a, {3, 3}}}), true},
    };
    for (const auto& r : refused) {
        ImageSlot t = r.slot;
        t.positionKnown = 1;
        t.corners[0][0] = 42;
        const ImageSlot before = t;
        EXPECT_FALSE(RegisterImagePairs(t, r.leastSquares, message)) << r.name;
        EXPECT_EQ(message, "座標を決定できません\n３点目までを使用します") << r.name;
        EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0) << r.name;
    }
}

TEST(ImageSolvers, RandomPairsNeverGiveNonFiniteCorners) {
    std::mt19937 rng(20261211);
    std::uniform_real_distribution<double> pix(0, 100), gr(-50, 50);
    std::uniform_int_distribution<int> snap(0, 3);
    for (int trial = 0; trial < 2000; ++trial) {
        ImageSlot s{};
        s.width = 100;
        s.height = 100;
        const int pairs = 2 + trial % 3;
        for (int k = 0; k < pairs; ++k) {
            // Coarse values make coinciding and collinear points common.
            const auto coarse = [&](double x) { return snap(rng) ? std::round(x / 25) * 25 : x; };
            s.pairImage[k][0] = coarse(pix(rng));
            s.pairImage[k][1] = coarse(pix(rng));
            s.pairGround[k][0] = coarse(gr(rng));
            s.pairGround[k][1] = coarse(gr(rng));
            s.pairSet[k] = 1;
        }
        std::string message;
        RegisterImagePairs(s, trial % 7 == 0, message);
        for (auto& corner : s.corners) ASSERT_TRUE(std::isfinite(corner[0]) && std::isfinite(corner[1])) << trial;
        for (double& m : s.mapping.frame) ASSERT_TRUE(std::isfinite(m));
        double u, v;
        MapGroundToImage(s, 3, 4, u, v);
        ASSERT_TRUE(std::isfinite(u) && std::isfinite(v));
    }
}

TEST(ImageMapping, LineAndParameterHelpers) {
    const double p1[2] = {0, 0}, p2[2] = {10, 0}, p3[2] = {5, -5}, p4[2] = {5, 5}, q[2] = {0, 1};
    double x[2] = {-1, -1};
    EXPECT_NE(IntersectImageLines(p1, p2, p3, p4, x), 0);
    EXPECT_DOUBLE_EQ(x[0], 5);
    EXPECT_DOUBLE_EQ(x[1], 0);
    const double q2[2] = {10, 1};
    x[0] = x[1] = -1;
    EXPECT_EQ(IntersectImageLines(p1, p2, q, q2, x), 0);
    EXPECT_EQ(x[0], -1);
    // A map fixing 0 and 1 that takes b to a: (a - b) / (b (1 - b)).
    EXPECT_DOUBLE_EQ(PerspectiveParameter(0.5, 0.25), 0.25 / (0.25 * 0.75));
    for (const auto& [a, b] : {std::pair{0.5, 0.5}, {0.0, 0.3}, {0.3, 1.0}, {1.2, 0.5}})
        EXPECT_EQ(PerspectiveParameter(a, b), 0) << a << ' ' << b;
}

}  // namespace
