// Contours traced through TINs of known surfaces.
#include <array>
#include <bit>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "contour/contour_dialog.h"
#include "contour_test_support.h"
#include "model/rnd_file.h"
#include "model/tri_file.h"

using namespace contourtest;

namespace {

// Length of the line a x + b y = d inside the square [0, L] x [0, L].
double ChordInSquare(double a, double b, double d, double L) {
    std::vector<std::pair<double, double>> hits;
    for (double x : {0.0, L}) {
        const double y = (d - a * x) / b;
        if (y >= 0 && y <= L) hits.push_back({x, y});
    }
    for (double y : {0.0, L}) {
        const double x = (d - b * y) / a;
        if (x >= 0 && x <= L) hits.push_back({x, y});
    }
    double best = 0;
    for (auto& p : hits)
        for (auto& q : hits)
            best = std::max(best, std::hypot(p.first - q.first, p.second - q.second));
    return best;
}

// The TIN elevation under each vertex equals the line's level.
void ExpectVerticesOnLevel(const std::vector<Line>& lines, double tolerance) {
    for (const Line& l : lines)
        for (size_t i = 0; i < l.x.size(); ++i) {
            double z = 0;
            ASSERT_NE(LocateTinTriangle(l.x[i], l.y[i], &z), 0) << l.x[i] << " " << l.y[i];
            EXPECT_NEAR(z, l.level, tolerance) << "level " << l.level;
        }
}

std::map<double, std::vector<Line>> ByLevel(const std::vector<Line>& lines) {
    std::map<double, std::vector<Line>> m;
    for (const Line& l : lines) m[l.level].push_back(l);
    return m;
}

}  // namespace

TEST_F(ContourFixture, PlaneGivesStraightLinesAtTheirPositions) {
    const double a = 0.3, b = 0.2, c = 5.0, L = 100.0;
    BuildGrid(10, 10.0, [&](double x, double y) { return a * x + b * y + c; });
    g_contourMinZ = 0;
    g_contourMaxZ = 100;
    g_contourInterval = 5;
    g_indexContourInterval = 25;
    EXPECT_EQ(CalcContours(0), ContourCalcResult::kDone);
    const auto levels = ByLevel(ReadLines());
    // Levels 5 (the lowest corner) up to 55 (the highest corner, 55) are within the points;
    // 5 and 55 touch a single corner only.
    for (double level = 10; level <= 50; level += 5) {
        ASSERT_TRUE(levels.count(level)) << level;
        double total = 0;
        for (const Line& l : levels.at(level)) {
            EXPECT_EQ(l.code, kContourCodeStraight);
            for (size_t i = 0; i < l.x.size(); ++i)
                EXPECT_NEAR(a * l.x[i] + b * l.y[i] + c, level, 2e-5);
            total += Length(l);
        }
        EXPECT_NEAR(total, ChordInSquare(a, b, level + g_contourLevelTolerance - c, L), 1e-6)
            << level;
    }
    EXPECT_EQ(RecordedMessages().back().text, "等高線計算終了");
}

TEST_F(ContourFixture, HillsGiveClosedRingsOnTheirLevels) {
    struct Case {
        const char* name;
        std::function<double(double, double)> f;
        std::map<double, size_t> rings;  // level -> number of rings
    };
    auto bump = [](double x, double y, double cx, double cy) {
        return 30.0 * std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / 400.0);
    };
    const std::vector<Case> cases = {
        {"cone",
         [](double x, double y) { return 100 - std::hypot(x - 50, y - 50); },
         {{60, 1}, {70, 1}, {80, 1}, {90, 1}}},
        {"paraboloid",
         [](double x, double y) { return 100 - ((x - 50) * (x - 50) + (y - 50) * (y - 50)) / 40; },
         {{50, 1}, {70, 1}, {90, 1}}},
        {"two hills",
         [&](double x, double y) { return bump(x, y, 30, 30) + bump(x, y, 70, 70); },
         {{10, 2}, {20, 2}}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        InitDataModel();
        BuildGrid(25, 4.0, t.f);
        g_contourMinZ = 0;
        g_contourMaxZ = 100;
        g_contourInterval = 10;
        EXPECT_EQ(CalcContours(0), ContourCalcResult::kDone);
        const std::vector<Line> lines = ReadLines();
        ExpectVerticesOnLevel(lines, 1e-4);
        const auto levels = ByLevel(lines);
        for (const auto& [level, count] : t.rings) {
            ASSERT_TRUE(levels.count(level)) << level;
            EXPECT_EQ(levels.at(level).size(), count) << level;
            for (const Line& l : levels.at(level)) EXPECT_TRUE(l.Closed()) << level;
        }
    }
}

TEST_F(ContourFixture, LevelThroughVerticesWithoutTolerance) {
    // A pyramid whose rings of grid points lie exactly on whole levels.
    BuildGrid(10, 10.0, [](double x, double y) {
        return 10 - std::max(std::fabs(x - 50), std::fabs(y - 50)) / 10;
    });
    g_contourMinZ = 7;
    g_contourMaxZ = 7;
    g_contourInterval = 1;
    for (double tolerance : {0.00001, -0.00001}) {
        SCOPED_TRACE(tolerance);
        g_contourLevelTolerance = tolerance;
        EXPECT_EQ(CalcContours(0), ContourCalcResult::kDone);
        const std::vector<Line> lines = ReadLines();
        ASSERT_FALSE(lines.empty());
        ExpectVerticesOnLevel(lines, std::fabs(tolerance) + 1e-9);
        // Every vertex lies on the ring of grid points at level 7.
        for (const Line& l : lines)
            for (size_t i = 0; i < l.x.size(); ++i)
                EXPECT_NEAR(std::max(std::fabs(l.x[i] - 50), std::fabs(l.y[i] - 50)), 30, 1e-3);
    }
}

TEST_F(ContourFixture, HolesInterruptTheLine) {
    const double a = 0.3, b = 0.2, c = 5.0;
    BuildGrid(10, 10.0, [&](double x, double y) { return a * x + b * y + c; });
    // The grid points of 30..70 x 30..70 are hole vertices.
    auto inHole = [](int32_t p) {
        const RandomPoint& q = g_points[std::abs(p)];
        return q.x >= 30 && q.x <= 70 && q.y >= 30 && q.y <= 70;
    };
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        TinEdge& r = g_tinEdges[e];
        if (inHole(r.a)) r.a = -std::abs(r.a);
        if (inHole(r.b)) r.b = -std::abs(r.b);
        if (r.apexSearch != kNoApex && inHole(r.apexSearch)) r.apexSearch = -std::abs(r.apexSearch);
        if (r.apexBack != kNoApex && inHole(r.apexBack)) r.apexBack = -std::abs(r.apexBack);
    }
    g_contourMinZ = g_contourMaxZ = 30;  // through the hole's middle
    g_contourInterval = 1;
    for (int32_t inverted : {0, 1}) {
        SCOPED_TRACE(inverted);
        g_holesInverted = inverted;
        EXPECT_EQ(CalcContours(0), ContourCalcResult::kDone);
        const std::vector<Line> lines = ReadLines();
        ASSERT_GE(lines.size(), 2u);
        double total = 0;
        for (const Line& l : lines) {
            total += Length(l);
            // No segment runs between two points inside the hole.
            auto inside = [&](size_t i) {
                return l.x[i] > 31 && l.x[i] < 69 && l.y[i] > 31 && l.y[i] < 69;
            };
            for (size_t i = 0; i + 1 < l.x.size(); ++i)
                EXPECT_FALSE(inside(i) && inside(i + 1)) << l.x[i] << " " << l.y[i];
        }
        EXPECT_LT(total, ChordInSquare(a, b, 25, 100) - 20);
    }
}

TEST_F(ContourFixture, FullTraceSkipsTheLevelAndSaysSo) {
    BuildGrid(10, 10.0, [](double x, double y) { return 100 - std::hypot(x - 50, y - 50); });
    ContourWorkspace ws;
    ASSERT_TRUE(ws.Allocate());
    ASSERT_EQ(TraceContourLevel(ws, 80.00001), 0);
    const int32_t needed = ws.traceCount;
    ws.traceLimit = needed;  // one vertex short
    EXPECT_EQ(TraceContourLevel(ws, 80.00001), -1);
    ws.traceLimit = needed + 1;
    EXPECT_EQ(TraceContourLevel(ws, 80.00001), 0);
}

TEST_F(ContourFixture, RefusedCalculationsTouchNothing) {
    // No TIN.
    EXPECT_EQ(CalcContours(0), ContourCalcResult::kNoTin);
    EXPECT_EQ(RecordedMessages().back().text, "三角網作成が終了していません。");
    EXPECT_FALSE(std::filesystem::exists(g_contourLinesPath));

    BuildGrid(4, 10.0, [](double x, double) { return x; });
    // An interval that would never advance (a damaged index can bring one).
    for (double interval : {0.0, -1.0, std::nan("")}) {
        g_contourInterval = interval;
        EXPECT_EQ(CalcContours(0), ContourCalcResult::kBadInterval);
    }
    EXPECT_FALSE(std::filesystem::exists(g_contourLinesPath));

    // Work files that cannot be made are said, not written through.
    g_contourMinZ = 0;
    g_contourMaxZ = 40;
    g_contourInterval = 10;
    const std::string lines = g_contourLinesPath;
    g_contourLinesPath = (m_dir / "missing" / "lines").string();
    EXPECT_EQ(CalcContours(0), ContourCalcResult::kFileError);
    EXPECT_EQ(RecordedMessages().back().text, "等高線作業ファイルを作成できません。");
    EXPECT_FALSE(IsProgressWindowOpen());
    g_contourLinesPath = lines;

    // The replace question cancelled leaves existing files as they are.
    g_contourMinZ = 0;
    g_contourMaxZ = 40;
    g_contourInterval = 10;
    ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
    const auto before = std::filesystem::file_size(g_contourLinesPath);
    SetContourReplaceQuestion([] { return 0; });
    EXPECT_EQ(CalcContours(0), ContourCalcResult::kCancelled);
    EXPECT_EQ(std::filesystem::file_size(g_contourLinesPath), before);
}

TEST_F(ContourFixture, AddModeKeepsTheFirstHeader) {
    BuildGrid(4, 10.0, [](double x, double) { return x; });
    g_contourMinZ = 0;
    g_contourMaxZ = 20;
    g_contourInterval = 10;
    g_indexContourInterval = 50;
    ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
    const size_t first = ReadLines().size();
    g_contourMinZ = 25;
    g_contourMaxZ = 35;
    g_contourInterval = 5;
    SetContourReplaceQuestion([] { return 1; });
    ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
    const std::vector<Line> lines = ReadLines();
    EXPECT_GT(lines.size(), first);
    const std::vector<ContourIndexEntry> index = ReadIndex();
    ASSERT_EQ(index.size(), 4 + lines.size());
    EXPECT_EQ(index[0].level, 0);
    EXPECT_EQ(index[1].level, 20);
    EXPECT_EQ(index[2].level, 10);
    EXPECT_EQ(index[3].level, 50);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(index[4 + i].offset, lines[i].offset);
        EXPECT_EQ(index[4 + i].level, lines[i].level);
    }
}

TEST_F(ContourFixture, StoppedWithQLeavesConsistentFiles) {
    BuildGrid(10, 10.0, [](double x, double y) { return 100 - std::hypot(x - 50, y - 50); });
    g_contourMinZ = 0;
    g_contourMaxZ = 100;
    g_contourInterval = 1;
    // Q goes down at poll 40 and stays down; it is let go and pressed again at poll 60.
    int pumps = 0;
    SetHeadlessPumpCallback([&] {
        ++pumps;
        if (pumps == 40) SetHeadlessKeyDown('Q', true);
        if (pumps == 59) SetHeadlessKeyDown('Q', false);
        if (pumps == 60) SetHeadlessKeyDown('Q', true);
    });
    QueueMessageAnswer(msg::kIdNo);  // the first question is declined
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(CalcContours(1), ContourCalcResult::kStopped);
    EXPECT_FALSE(IsProgressWindowOpen());
    // A key held after a declined question does not ask again; the new press does.
    int questions = 0;
    for (const RecordedMessage& m : RecordedMessages())
        questions += m.text == "等高線計算を中止してよろしいですか";
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(pumps, 60);
    EXPECT_EQ(RecordedMessages().back().text, "等高線計算を中止しました。");
    const std::vector<Line> lines = ReadLines();
    ASSERT_FALSE(lines.empty());
    const double last = lines.back().level;
    EXPECT_GT(last, 35);
    EXPECT_LT(last, 100);
    const std::vector<ContourIndexEntry> index = ReadIndex();
    ASSERT_EQ(index.size(), 4 + lines.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(index[4 + i].offset, lines[i].offset);

    // Q still held from the stop: the next run is not asked at once, nor later.
    ClearRecordedMessages();
    EXPECT_EQ(CalcContours(1), ContourCalcResult::kDone);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "等高線計算終了");
}

TEST_F(ContourFixture, ClosingTheProgressWindowAsksAsQDoes) {
    BuildGrid(10, 10.0, [](double x, double y) { return 100 - std::hypot(x - 50, y - 50); });
    g_contourMinZ = 0;
    g_contourMaxZ = 100;
    g_contourInterval = 1;
    struct Case {
        int answer;
        ContourCalcResult result;
        const char* end;
    };
    const Case cases[] = {
        {msg::kIdNo, ContourCalcResult::kDone, "等高線計算終了"},
        {msg::kIdYes, ContourCalcResult::kStopped, "等高線計算を中止しました。"},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.answer);
        ClearRecordedMessages();
        int pumps = 0;
        bool openAtQuestion = false;
        SetHeadlessPumpCallback([&] {
            if (++pumps == 20) RequestProgressStop();
            if (pumps == 21) openAtQuestion = IsProgressWindowOpen();
        });
        QueueMessageAnswer(t.answer);
        EXPECT_EQ(CalcContours(0), t.result);
        ASSERT_EQ(RecordedMessages().size(), 2u);
        EXPECT_EQ(RecordedMessages()[0].text, "等高線計算を中止してよろしいですか");
        EXPECT_EQ(RecordedMessages()[0].buttons, msg::kYesNo | msg::kIconQuestion);
        EXPECT_EQ(RecordedMessages()[1].text, t.end);
        EXPECT_TRUE(openAtQuestion || t.answer == msg::kIdYes);
        EXPECT_FALSE(IsProgressWindowOpen());
    }
}

TEST_F(ContourFixture, NoSecondCalculationInsideARunningOne) {
    BuildGrid(10, 10.0, [](double x, double y) { return 100 - std::hypot(x - 50, y - 50); });
    g_contourMinZ = 0;
    g_contourMaxZ = 100;
    g_contourInterval = 1;
    ASSERT_EQ(CalcContours(1), ContourCalcResult::kDone);
    const std::vector<Line> alone = ReadLines();
    const std::vector<ContourIndexEntry> aloneIndex = ReadIndex();

    // The messages passed on by the poll start a calculation from the dialog and directly.
    SetContourReplaceQuestion([] { return 2; });
    int pumps = 0;
    std::vector<ContourCalcResult> inner;
    SetHeadlessPumpCallback([&] {
        if (++pumps == 30) {
            StartContourCalculation();
            inner.push_back(CalcContours(0));
        }
    });
    EXPECT_EQ(CalcContours(1), ContourCalcResult::kDone);
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner[0], ContourCalcResult::kBusy);
    const std::vector<Line> lines = ReadLines();
    ASSERT_EQ(lines.size(), alone.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].level, alone[i].level);
        EXPECT_EQ(lines[i].x, alone[i].x);
    }
    const std::vector<ContourIndexEntry> index = ReadIndex();
    ASSERT_EQ(index.size(), aloneIndex.size());
    for (size_t i = 0; i < index.size(); ++i) EXPECT_EQ(index[i].offset, aloneIndex[i].offset);
}

TEST_F(ContourFixture, IndexedLookupTracesAsTheFullScan) {
    // Surfaces with rings, saddles, border-to-border lines and vertices on the levels; the
    // last with points whose elevation is not a number or infinite.
    const std::vector<std::function<double(double, double)>> surfaces = {
        [](double x, double y) { return 10 * std::sin(x / 7) + 8 * std::cos(y / 5) + 0.1 * x; },
        [](double x, double y) { return std::round(10 * std::sin(x / 9) * std::cos(y / 11)); },
        [](double x, double y) { return 10 - std::max(std::fabs(x - 50), std::fabs(y - 50)) / 10; },
        [](double x, double y) {
            if (x == 50 && y == 50) return std::nan("");
            if (x == 20 && y == 70) return std::numeric_limits<double>::infinity();
            if (x == 80 && y == 25) return -std::numeric_limits<double>::infinity();
            return std::round(x / 10) + std::round(y / 25);
        },
    };
    auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
    for (size_t s = 0; s < surfaces.size(); ++s) {
        SCOPED_TRACE(s);
        InitDataModel();
        BuildGrid(20, 5.0, surfaces[s]);
        // The levels rising, falling (the sweep starts again at each fall) and shuffled.
        double low = 1e300, high = -1e300;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            if (!std::isfinite(g_points[i].z)) continue;
            low = std::min(low, g_points[i].z);
            high = std::max(high, g_points[i].z);
        }
        std::vector<double> levels;
        for (double w = std::floor(low); w <= high; w += 1)
            for (double tolerance : {0.0, 0.00001}) levels.push_back(w + tolerance);
        std::vector<double> order = levels;
        order.insert(order.end(), levels.rbegin(), levels.rend());
        std::mt19937 rng(5);
        std::shuffle(levels.begin(), levels.end(), rng);
        order.insert(order.end(), levels.begin(), levels.end());
        ContourWorkspace fast, full;
        ASSERT_TRUE(fast.Allocate());
        ASSERT_TRUE(full.Allocate());
        full.linearScan = true;
        for (double w : order) {
            ASSERT_EQ(TraceContourLevel(fast, w), 0);
            ASSERT_EQ(TraceContourLevel(full, w), 0);
            ASSERT_EQ(fast.traceCount, full.traceCount) << w;
            for (int32_t i = 1; i <= fast.traceCount; ++i) {
                ASSERT_EQ(bits(fast.traceX[i]), bits(full.traceX[i])) << w << " " << i;
                ASSERT_EQ(bits(fast.traceY[i]), bits(full.traceY[i])) << w << " " << i;
                ASSERT_EQ(fast.tracePen[i], full.tracePen[i]) << w << " " << i;
                ASSERT_EQ(fast.traceEndA[i], full.traceEndA[i]) << w << " " << i;
                ASSERT_EQ(fast.traceEndB[i], full.traceEndB[i]) << w << " " << i;
            }
        }
    }
}

namespace {
// The length of the level's line over the TIN, triangle by triangle: each triangle the
// level crosses strictly holds one segment between its two crossed sides.
double LevelLengthByTriangles(double w) {
    std::set<std::array<int32_t, 3>> seen;
    double total = 0;
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& r = g_tinEdges[e];
        for (int32_t apex : {r.apexSearch, r.apexBack}) {
            if (apex == kNoApex || apex == 0) continue;
            std::array<int32_t, 3> t = {std::abs(r.a), std::abs(r.b), std::abs(apex)};
            std::sort(t.begin(), t.end());
            if (!seen.insert(t).second) continue;
            std::vector<std::pair<double, double>> cut;
            for (int k = 0; k < 3; ++k) {
                const RandomPoint& p = g_points[t[k]];
                const RandomPoint& q = g_points[t[(k + 1) % 3]];
                if ((p.z - w) * (q.z - w) < 0) {
                    const double s = (w - p.z) / (q.z - p.z);
                    cut.push_back({p.x + s * (q.x - p.x), p.y + s * (q.y - p.y)});
                }
            }
            if (cut.size() == 2)
                total += std::hypot(cut[0].first - cut[1].first, cut[0].second - cut[1].second);
        }
    }
    return total;
}
}  // namespace

TEST_F(ContourFixture, EveryCrossedTriangleHoldsItsSegment) {
    // The survey fixture with its own TIN, whose edge order starts lines mid-way, and
    // surfaces on the grid builder's TIN.
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    const std::vector<Case> cases = {
        {"plan_grid",
         [] {
             g_pointCapacity = 100;
             ASSERT_EQ(GrowPointBlock(100), 0);
             ASSERT_EQ(
                 ReadRndText(std::fopen(NOSTREL_SOURCE_DIR "/tests/data/plan_grid.RND", "rb")), 0);
             ASSERT_EQ(
                 ReadTriFile(std::fopen(NOSTREL_SOURCE_DIR "/tests/data/plan_grid.TRI", "rb")), 0);
             g_tinPresent = -1;
             g_pointZMin = 101.5;
             g_pointZMax = 110;
         }},
        {"waves",
         [this] {
             BuildGrid(20, 5.0, [](double x, double y) {
                 return 10 * std::sin(x / 7) + 8 * std::cos(y / 5) + 0.1 * x;
             });
         }},
        {"saddle",
         [this] {
             BuildGrid(16, 5.0, [](double x, double y) {
                 return (x - 40) * (x - 40) / 40 - (y - 40) * (y - 40) / 40;
             });
         }},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        InitDataModel();
        t.make();
        g_contourMinZ = std::floor(g_pointZMin);
        g_contourMaxZ = g_pointZMax;
        g_contourInterval = 0.5;
        ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
        std::map<double, double> drawn;
        for (const Line& l : ReadLines()) drawn[l.level] += Length(l);
        for (double w = g_contourMinZ; w <= g_pointZMax; w += 0.5) {
            if (w < g_pointZMin) continue;
            EXPECT_NEAR(drawn[w], LevelLengthByTriangles(w + g_contourLevelTolerance), 1e-6) << w;
        }
    }
}

TEST_F(ContourFixture, ZeroToleranceIsRefusedAndAnOffsetGivesOneClosedRingPerLevel) {
    // Every level passes through a ring of grid points. Traced exactly there the walk would
    // have to go round each point; it is refused, and a tolerance either way gives one ring
    // per level with every segment once.
    BuildGrid(10, 10.0, [](double x, double y) {
        return 10 - std::max(std::fabs(x - 50), std::fabs(y - 50)) / 10;
    });
    g_contourMinZ = 6;
    g_contourMaxZ = 9;
    g_contourInterval = 1;
    g_contourLevelTolerance = 0;
    ClearRecordedMessages();
    EXPECT_EQ(CalcContours(0), ContourCalcResult::kBadInterval);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages().back().text, kContourToleranceMessage);
    EXPECT_TRUE(ReadLines().empty());
    EXPECT_EQ(ReadContourEdit(contour_dlg::kTolerance, "0"), ContourEditRead::kRefused);
    EXPECT_EQ(g_contourLevelTolerance, 0);

    for (double tolerance : {0.00001, -0.00001}) {
        SCOPED_TRACE(tolerance);
        g_contourLevelTolerance = tolerance;
        ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
        std::map<double, std::vector<Line>> byLevel;
        for (const Line& l : ReadLines()) byLevel[l.level].push_back(l);
        ASSERT_EQ(byLevel.size(), 4u);
        for (const auto& [level, lines] : byLevel) {
            SCOPED_TRACE(level);
            ASSERT_EQ(lines.size(), 1u);
            const Line& ring = lines[0];
            EXPECT_TRUE(ring.Closed());
            // The triangles the level crosses, each holding one segment, are the witness.
            EXPECT_NEAR(Length(ring), LevelLengthByTriangles(level + tolerance), 1e-6);
            std::set<std::pair<std::pair<double, double>, std::pair<double, double>>> segments;
            for (size_t i = 0; i + 1 < ring.x.size(); ++i) {
                std::pair<double, double> a{ring.x[i], ring.y[i]};
                std::pair<double, double> b{ring.x[i + 1], ring.y[i + 1]};
                if (b < a) std::swap(a, b);
                EXPECT_TRUE(segments.insert({a, b}).second) << a.first << "," << a.second;
            }
        }
    }
}
