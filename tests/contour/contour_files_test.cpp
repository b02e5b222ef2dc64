// Contour work file layout, the document copies and the smoothing of written lines.
#include <algorithm>
#include <fstream>

#include "contour_test_support.h"
#include "model/record_block.h"
#include "platform/text_io.h"

using namespace contourtest;

namespace {
std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void Put(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
}  // namespace

TEST_F(ContourFixture, RecordBytesAreLittleEndianAndPacked) {
    g_contourMinZ = 1.5;
    ContourFileWriter out;
    ASSERT_TRUE(out.Open(true));
    const double x[] = {1.0, 2.0}, y[] = {-3.0, 4.0};
    out.WriteLine(kContourCodeBSpline, 12.25, x, y, 2);
    ASSERT_TRUE(out.Close());
    const std::string lines = Bytes(g_contourLinesPath);
    ASSERT_EQ(lines.size(), 3u * 18);
    // Header: int16 1, double 12.25 (0x4028800000000000), double 2.0 (0x4000000000000000).
    EXPECT_EQ(lines.substr(0, 2), std::string("\x01\x00", 2));
    EXPECT_EQ(lines.substr(2, 8), std::string("\x00\x00\x00\x00\x00\x80\x28\x40", 8));
    EXPECT_EQ(lines.substr(10, 8), std::string("\x00\x00\x00\x00\x00\x00\x00\x40", 8));
    EXPECT_EQ(lines.substr(18, 2), std::string("\x00\x00", 2));
    const std::string index = Bytes(g_contourIndexPath);
    ASSERT_EQ(index.size(), 5u * 12);
    EXPECT_EQ(index.substr(0, 8), std::string("\x00\x00\x00\x00\x00\x00\xf8\x3f", 8));  // 1.5
    EXPECT_EQ(index.substr(8, 4), std::string(4, '\0'));
    EXPECT_EQ(index.substr(48, 8), lines.substr(2, 8));
    EXPECT_EQ(index.substr(56, 4), std::string(4, '\0'));
}

TEST_F(ContourFixture, LongLinesAreCutIntoPiecesSharingAVertex) {
    struct Case {
        int32_t vertices;
        std::vector<size_t> pieces;
    };
    for (const Case& t :
         std::vector<Case>{{2000, {2000}}, {2001, {2000, 2}}, {4500, {2000, 2000, 502}}}) {
        SCOPED_TRACE(t.vertices);
        std::vector<double> x(t.vertices), y(t.vertices);
        for (int32_t i = 0; i < t.vertices; ++i) x[i] = i, y[i] = -i;
        ContourFileWriter out;
        ASSERT_TRUE(out.Open(true));
        out.WriteLine(kContourCodeStraight, 7.0, x.data(), y.data(), t.vertices);
        ASSERT_TRUE(out.Close());
        const std::vector<Line> lines = ReadLines();
        ASSERT_EQ(lines.size(), t.pieces.size());
        std::vector<double> joined;
        for (size_t p = 0; p < lines.size(); ++p) {
            EXPECT_EQ(lines[p].x.size(), t.pieces[p]);
            EXPECT_EQ(lines[p].level, 7.0);
            EXPECT_EQ(lines[p].code, kContourCodeStraight);
            if (p > 0) {
                EXPECT_EQ(lines[p].x.front(), lines[p - 1].x.back());
            }
            joined.insert(joined.end(), lines[p].x.begin() + (p > 0 ? 1 : 0), lines[p].x.end());
        }
        EXPECT_EQ(joined, x);
        const std::vector<ContourIndexEntry> index = ReadIndex();
        ASSERT_EQ(index.size(), 4 + lines.size());
        for (size_t p = 0; p < lines.size(); ++p) EXPECT_EQ(index[4 + p].offset, lines[p].offset);
    }
}

TEST_F(ContourFixture, DocumentCopiesAndRestore) {
    const std::filesystem::path doc = m_dir / "site.rnd";
    g_contourMinZ = 10, g_contourMaxZ = 90, g_contourInterval = 2, g_indexContourInterval = 10;
    ContourFileWriter out;
    ASSERT_TRUE(out.Open(true));
    const double x[] = {1, 2, 3}, y[] = {4, 5, 6};
    out.WriteLine(kContourCodeStraight, 20.0, x, y, 3);
    out.WriteLine(kContourCodeStraight, 22.0, x, y, 2);
    ASSERT_TRUE(out.Close());
    const std::string lines = Bytes(g_contourLinesPath), index = Bytes(g_contourIndexPath);

    // No contours loaded: nothing written, older copies untouched.
    Put(m_dir / "site.CT1", "old");
    g_drawingContoursLoaded = 0;
    EXPECT_EQ(CopyContourFilesToDocument(doc.string()), -1);
    EXPECT_EQ(Bytes((m_dir / "site.CT1").string()), "old");

    g_drawingContoursLoaded = -1;
    EXPECT_EQ(CopyContourFilesToDocument(doc.string()), 0);
    EXPECT_EQ(Bytes((m_dir / "site.CT1").string()), lines);
    EXPECT_EQ(Bytes((m_dir / "site.CT2").string()), index);

    // Both restored, from a read-only copy, found whatever the case of the names.
    std::filesystem::rename(m_dir / "site.CT1", m_dir / "site.ct1");
    std::filesystem::permissions(m_dir / "site.ct1", std::filesystem::perms::owner_read);
    Put(g_contourLinesPath, "stale");
    std::filesystem::remove(g_contourIndexPath);
    g_contourMinZ = g_contourMaxZ = g_contourInterval = g_indexContourInterval = 0;
    g_drawingContoursLoaded = 0;
    g_currentDataPath = doc.string();
    RestoreContourFiles();
    EXPECT_EQ(g_drawingContoursLoaded, -1);
    EXPECT_EQ(g_showDrawingContours, -1);
    EXPECT_EQ(Bytes(g_contourLinesPath), lines);
    EXPECT_EQ(Bytes(g_contourIndexPath), index);
    EXPECT_EQ(g_contourMinZ, 10);
    EXPECT_EQ(g_contourMaxZ, 90);
    EXPECT_EQ(g_contourInterval, 2);
    EXPECT_EQ(g_indexContourInterval, 10);
    EXPECT_EQ(g_documentTitle, "site");
    {
        std::ofstream probe(g_contourLinesPath, std::ios::app);
        EXPECT_TRUE(probe.good());
    }

    // A .ct1 without its .ct2: the index is made from the lines, not kept from before.
    std::filesystem::remove(m_dir / "site.CT2");
    Put(g_contourIndexPath, std::string(100, 'x'));
    RestoreContourFiles();
    EXPECT_EQ(g_drawingContoursLoaded, -1);
    EXPECT_EQ(Bytes(g_contourIndexPath), index);

    // No .ct1: nothing loaded.
    std::filesystem::permissions(m_dir / "site.ct1", std::filesystem::perms::owner_all);
    std::filesystem::remove(m_dir / "site.ct1");
    RestoreContourFiles();
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(g_showDrawingContours, 0);
}

TEST_F(ContourFixture, IndexHeaderWithLevelsThatCannotBeSteppedIsNotTaken) {
    const std::filesystem::path doc = m_dir / "site.rnd";
    const double nan = std::nan("");
    struct Case {
        double minZ, maxZ, interval, index;
    };
    const Case cases[] = {
        {0, 100, 1e-300, 5}, {-1e17, 100, 1, 5}, {0, 1e17, 1, 5},  {0, 100, 0, 5},
        {0, 100, -1, 5},     {nan, 100, 1, 5},   {0, 100, nan, 5}, {0, 100, 1, nan},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message()
                     << t.minZ << " " << t.maxZ << " " << t.interval << " " << t.index);
        // The document's files as a damaged or foreign program left them.
        g_contourMinZ = t.minZ, g_contourMaxZ = t.maxZ;
        g_contourInterval = t.interval, g_indexContourInterval = t.index;
        ContourFileWriter out;
        ASSERT_TRUE(out.Open(true));
        const double x[] = {1, 2, 3}, y[] = {4, 5, 6};
        out.WriteLine(kContourCodeStraight, 20.0, x, y, 3);
        ASSERT_TRUE(out.Close());
        std::filesystem::copy_file(g_contourLinesPath, m_dir / "site.CT1",
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(g_contourIndexPath, m_dir / "site.CT2",
                                   std::filesystem::copy_options::overwrite_existing);

        // Loading keeps the levels the elevations gave and says why.
        SetDefaultContourLevels(236.4, 300.2);
        ClearRecordedMessages();
        RestoreContourFilesFor(doc.string());
        EXPECT_EQ(g_drawingContoursLoaded, -1);
        EXPECT_EQ(g_contourMinZ, 238);
        EXPECT_EQ(g_contourMaxZ, 300);
        EXPECT_EQ(g_contourInterval, 2);
        EXPECT_EQ(g_indexContourInterval, 10);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages()[0].text.substr(0, RecordedMessages()[0].text.find('\n')),
                  "等高線パラメータが正しくないため読み込みませんでした。");
        // The index work file agrees with the lines and with the levels in use.
        const std::vector<ContourIndexEntry> index = ReadIndex();
        ASSERT_EQ(index.size(), 5u);
        EXPECT_EQ(index[0].level, 238);
        EXPECT_EQ(index[2].level, 2);
        EXPECT_EQ(index[4].level, 20);
        EXPECT_EQ(index[4].offset, 0);
    }
}

TEST_F(ContourFixture, SmoothedLinesKeepTheirEndConditions) {
    // Polylines written straight into the trace: an open zigzag and a closed square.
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> vertices;
    };
    const std::vector<Case> cases = {
        {"open", {{0, 0}, {10, 5}, {20, 0}, {30, 5}}},
        {"closed", {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}},
    };
    g_pointCapacity = std::max(g_pointCapacity, 100);
    for (const Case& t : cases) {
        for (int32_t method : {0, 1, 2}) {
            SCOPED_TRACE(std::string(t.name) + " method " + std::to_string(method));
            ContourWorkspace ws;
            ASSERT_TRUE(ws.Allocate());
            ws.traceCount = 0;
            for (auto [x, y] : t.vertices) {
                ++ws.traceCount;
                ws.traceX[ws.traceCount] = x;
                ws.traceY[ws.traceCount] = y;
                ws.tracePen[ws.traceCount] = ws.traceCount == 1 ? 3 : 2;
            }
            ContourFileWriter out;
            ASSERT_TRUE(out.Open(true));
            WriteContourLevel(ws, 5.0, out, method, 1000.0);  // smoothness longer than the line
            ASSERT_TRUE(out.Close());
            const std::vector<Line> lines = ReadLines();
            ASSERT_EQ(lines.size(), 1u);
            const Line& l = lines[0];
            const int32_t s = static_cast<int32_t>(t.vertices.size()) - 1;
            const bool closed = t.vertices.front() == t.vertices.back();
            EXPECT_EQ(l.code, method == 0 ? 3 : method);
            if (method == 1) {
                EXPECT_EQ(l.x.size(), static_cast<size_t>(2 * s));
            }
            if (closed) {
                EXPECT_NEAR(l.x.front(), l.x.back(), 1e-9);
                EXPECT_NEAR(l.y.front(), l.y.back(), 1e-9);
                if (method == 1) {
                    EXPECT_GT(std::hypot(l.x.front(), l.y.front()), 1.0);
                }
            } else {
                EXPECT_NEAR(l.x.front(), t.vertices.front().first, 1e-9);
                EXPECT_NEAR(l.y.front(), t.vertices.front().second, 1e-9);
                EXPECT_NEAR(l.x.back(), t.vertices.back().first, 1e-9);
                EXPECT_NEAR(l.y.back(), t.vertices.back().second, 1e-9);
            }
            if (method != 1) {
                // Straight and through-the-vertices lines pass every vertex.
                for (auto [x, y] : t.vertices) {
                    double best = 1e9;
                    for (size_t i = 0; i < l.x.size(); ++i)
                        best = std::min(best, std::hypot(l.x[i] - x, l.y[i] - y));
                    EXPECT_LT(best, 1e-9) << x << " " << y;
                }
            }
        }
    }
}

TEST_F(ContourFixture, WorkArraysThatCannotBeHadAreSaidAndTouchNothing) {
    BuildGrid(10, 10.0, [](double x, double y) { return 0.3 * x + 0.2 * y; });
    g_contourMinZ = 0;
    g_contourMaxZ = 50;
    g_contourInterval = 5;
    g_indexContourInterval = 25;
    ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
    const std::string lines = Bytes(g_contourLinesPath), index = Bytes(g_contourIndexPath);
    ASSERT_FALSE(lines.empty());
    // The first, a middle and the last of the trace arrays fail.
    for (int successes : {0, 4, 6}) {
        SCOPED_TRACE(successes);
        ClearRecordedMessages();
        InjectAllocationFailures(successes);
        const ContourCalcResult result = CalcContours(1);
        InjectAllocationFailures(-1, 0);
        EXPECT_EQ(result, ContourCalcResult::kNoMemory);
        ASSERT_FALSE(RecordedMessages().empty());
        EXPECT_EQ(RecordedMessages().back().text.rfind("スプライン計算領域が不足しています。", 0),
                  0u);
        EXPECT_EQ(Bytes(g_contourLinesPath), lines);
        EXPECT_EQ(Bytes(g_contourIndexPath), index);
    }
}

TEST_F(ContourFixture, MissingSmoothingBuffersFallBackToStraightLines) {
    BuildGrid(10, 10.0, [](double x, double y) { return 0.3 * x + 0.2 * y; });
    g_contourMinZ = 0;
    g_contourMaxZ = 50;
    g_contourInterval = 5;
    g_indexContourInterval = 25;
    SetContourThreads(1);
    ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
    const std::string straight = Bytes(g_contourLinesPath), index = Bytes(g_contourIndexPath);
    // The seven trace arrays are had; the first or the second smoothing buffer is not.
    // Asked for either smoothing, the run says so and writes what method 0 writes.
    struct Case {
        int successes;
        int32_t method;
    };
    for (const Case& c : {Case{7, 1}, Case{8, 1}, Case{7, 2}}) {
        SCOPED_TRACE(testing::Message() << c.successes << " " << c.method);
        ClearRecordedMessages();
        InjectAllocationFailures(c.successes);
        const ContourCalcResult result = CalcContours(c.method);
        InjectAllocationFailures(-1, 0);
        EXPECT_EQ(result, ContourCalcResult::kDone);
        ASSERT_GE(RecordedMessages().size(), 2u);
        EXPECT_EQ(
            RecordedMessages().front().text,
            "スプラインバッファ用メモリ確保に失敗しました。\n計算手法を簡易線に切り替えます。");
        EXPECT_EQ(Bytes(g_contourLinesPath), straight);
        EXPECT_EQ(Bytes(g_contourIndexPath), index);
        for (const Line& l : ReadLines()) EXPECT_EQ(l.code, kContourCodeStraight);
    }
    // Straight lines never needed them: no message.
    ClearRecordedMessages();
    InjectAllocationFailures(7);
    EXPECT_EQ(CalcContours(0), ContourCalcResult::kDone);
    InjectAllocationFailures(-1, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages().back().text, "等高線計算終了");
    SetContourThreads(0);
}

TEST_F(ContourFixture, SplineThroughStopsAtTheLineLimitAndSaysSo) {
    BuildGrid(10, 10.0, [](double x, double y) { return 100 - std::hypot(x - 50, y - 50); });
    // Ten smoothed vertices per point: 1210 for this grid.
    g_pointCapacity = g_pointCount;
    g_contourMinZ = 70;
    g_contourMaxZ = 80;
    g_contourInterval = 10;
    g_indexContourInterval = 50;
    g_contourSmoothness = 0.001;  // 200 samples a segment
    ClearRecordedMessages();
    ASSERT_EQ(CalcContours(2), ContourCalcResult::kDone);
    const std::vector<Line> lines = ReadLines();
    ASSERT_EQ(lines.size(), 2u);
    std::vector<std::string> said;
    for (const RecordedMessage& m : RecordedMessages()) said.push_back(m.text);
    const std::string limit =
        "等高線ライン数が制限に達しました。\nなめらかさの数値を大きくして再計算してください。";
    EXPECT_EQ(said, (std::vector<std::string>{limit, limit, "等高線計算終了"}));
    for (const Line& l : lines) {
        EXPECT_EQ(l.code, kContourCodeSplineThrough);
        EXPECT_EQ(l.x.size(), 1210u);
    }
}

TEST_F(ContourFixture, BSplineFollowsTheUniformCubicBasis) {
    g_pointCapacity = std::max(g_pointCapacity, 100);
    ContourWorkspace ws;
    ASSERT_TRUE(ws.Allocate());
    // On the uniform (closed) knots the basis at u = d + t is the textbook one.
    const int32_t n = 6;
    BuildKnotVector(ws, n, true);
    for (double u : {0.0, 0.3, 1.0, 2.5, 4.75, 5.999}) {
        double basis[4];
        const int32_t d = EvalBSplineBasis(ws, u, n, basis);
        EXPECT_EQ(d, static_cast<int32_t>(std::floor(u))) << u;
        const double t = u - d;
        const double expected[4] = {(1 - t) * (1 - t) * (1 - t) / 6,
                                    (3 * t * t * t - 6 * t * t + 4) / 6,
                                    (-3 * t * t * t + 3 * t * t + 3 * t + 1) / 6, t * t * t / 6};
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(basis[k], expected[k], 1e-15) << u << " " << k;
    }
    // The samples, found interval after interval, are the basis sums with the interval
    // searched for each sample afresh.
    std::vector<double> px, py;
    for (int32_t i = 0; i <= 9; ++i) {
        px.push_back(std::cos(i * 0.7) * (10 + i));
        py.push_back(std::sin(i * 0.7) * (10 + i));
    }
    for (bool closed : {false, true}) {
        for (int32_t segments : {2, 3, 9}) {
            for (int32_t m : {2 * segments, 37}) {
                SCOPED_TRACE(testing::Message() << closed << " " << segments << " " << m);
                BuildKnotVector(ws, segments, closed);
                SampleBSpline(ws, px.data(), py.data(), segments, closed, m);
                const double u0 = ws.Knot(0), un = ws.Knot(segments);
                for (int32_t s = 1; s <= m; ++s) {
                    const double u = u0 + (s - 1) * (un - u0) / (m - 1);
                    double basis[4];
                    const int32_t d = EvalBSplineBasis(ws, u, segments, basis);
                    double x = 0, y = 0;
                    for (int32_t k = 0; k < 4; ++k) {
                        int32_t j = d - 1 + k;
                        if (closed)
                            j = j < 0 ? j + segments : j > segments ? j - segments : j;
                        else
                            j = std::clamp(j, 0, segments);
                        x += basis[k] * px[j];
                        y += basis[k] * py[j];
                    }
                    ASSERT_EQ(ws.smoothX[s], x) << s;
                    ASSERT_EQ(ws.smoothY[s], y) << s;
                }
            }
        }
    }
}

TEST_F(ContourFixture, TraceIsCutAtPenUps) {
    // Pens 3, 3, 2, 2: the lone first vertex is dropped; a two-vertex line stays straight;
    // a closed two-vertex line is dropped.
    ContourWorkspace ws;
    ASSERT_TRUE(ws.Allocate());
    const std::vector<std::tuple<double, double, int>> trace = {
        {9, 9, 3}, {0, 0, 3}, {1, 0, 2}, {2, 1, 2}, {5, 5, 3}, {6, 5, 2}, {7, 7, 3}, {7, 7, 2}};
    for (auto [x, y, pen] : trace) {
        ++ws.traceCount;
        ws.traceX[ws.traceCount] = x;
        ws.traceY[ws.traceCount] = y;
        ws.tracePen[ws.traceCount] = pen;
    }
    ContourFileWriter out;
    ASSERT_TRUE(out.Open(true));
    WriteContourLevel(ws, 1.0, out, 1, 1000.0);
    ASSERT_TRUE(out.Close());
    const std::vector<Line> lines = ReadLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].code, kContourCodeBSpline);
    EXPECT_EQ(lines[0].x.front(), 0);
    EXPECT_EQ(lines[0].x.size(), 4u);  // 2 segments sampled 2s times
    EXPECT_EQ(lines[1].code, kContourCodeStraight);
    EXPECT_EQ(lines[1].x, (std::vector<double>{5, 6}));
}
