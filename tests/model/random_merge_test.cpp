#include "model/random_merge.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <filesystem>
#include <string>
#include <vector>

#include "file_test_support.h"
#include "model/geodesy.h"
#include "model/merge_input.h"
#include "model/le_bytes.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/record_block.h"
#include "model/rnd_file.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/view_painter.h"

namespace fs = std::filesystem;

namespace {

// The loaded data: 3 x 3 points 10 m apart from X 12345.6789, Y 500 in the square outline
// of the corners 1, 3, 9, 7; point 2 invalid, point 4 plotted with both texts, point 5
// with a name of ten characters. With `outsider`, a tenth point far outside.
void MakeCurrentData(bool outsider = false) {
    const int32_t n = outsider ? 10 : 9;
    EnsurePointCapacity(n);
    for (int32_t i = 1; i <= 9; ++i) {
        RandomPoint& p = g_points[i];
        p = RandomPoint{};
        p.x = 12345.6789 + 10.0 * ((i - 1) / 3);
        p.y = 500.0 + 10.0 * ((i - 1) % 3);
        p.z = 10.0 + 0.5 * i;
        std::snprintf(p.name, sizeof p.name, "C%d", i);
    }
    g_points[2].invalid = 1;
    g_points[4].plotKind = 3;
    std::strcpy(g_points[5].name, "CURRENT012");
    if (outsider) {
        g_points[10] = RandomPoint{};
        g_points[10].x = 12400.0;
        g_points[10].y = 600.0;
        std::strcpy(g_points[10].name, "FAR");
    }
    g_pointCount = n;
    SetPointEndMarker();
    g_pointsPresent = -1;
    for (int32_t v : {1, 3, 9, 7}) {
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
}

// The other survey: 5 x 5 points 10 m apart around the loaded ones, as the document writer
// lays them out, names of ten characters, a zone line of its own. Point 1 is invalid.
std::vector<std::string> OtherLines() {
    std::vector<std::string> lines;
    for (int32_t k = 0; k < 25; ++k) {
        const double x = 12335.6789 + 10.0 * (k / 5);
        const double y = 490.0 + 10.0 * (k % 5);
        lines.push_back(FormatString("OTHER%05d%14.4f  %14.4f  %10.3f  %d  0  %d", k + 1, x, y,
                                     20.0 + k, k == 0 ? 1 : 0, k % 4));
    }
    return lines;
}
bool OtherOnRing(int32_t k) { return k / 5 == 0 || k / 5 == 4 || k % 5 == 0 || k % 5 == 4; }

std::string OtherFile() {
    std::string text = "BL 5\r\n";
    for (int i = 0; i < 4; ++i) text += "********************\r\n";
    for (const std::string& line : OtherLines()) text += line + "\r\n";
    return text;
}

std::string TriBytes(const std::vector<std::array<int32_t, 4>>& records, int32_t count = -1) {
    std::string out;
    PutLeI32(out, 0);
    PutLeI32(out, 0);
    PutLeI32(out, count >= 0 ? count : static_cast<int32_t>(records.size()));
    PutLeI32(out, 1);
    for (const auto& r : records)
        for (int32_t v : r) PutLeI32(out, v);
    return out;
}

class RandomMergeTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        ClearRecordedFileDialogs();
        g_planeZone = 9;
    }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        g_planeZone = 0;
        FileTest::TearDown();
    }
    // Runs the command with the dialog's answers; the file dialogs take `paths`.
    int RunCommand(int32_t choice, double width, const std::vector<std::string>& paths,
                   int autoOutlineAnswer = msg::kIdNo) {
        for (const std::string& p : paths) QueueFileDialogAnswer(p);
        QueueMessageAnswer(msg::kIdOk);
        if (choice == kMergeNewFile) QueueMessageAnswer(msg::kIdOk);
        QueueMessageAnswer(autoOutlineAnswer);
        int autoOutlineRuns = 0;
        OnRandomDataMerge(
            [&](RandomMergeValues& v) {
                v.choice = choice;
                v.widthText = FormatString("%g", width);
                RandomMergeWidthEdited(v);
            },
            [&] { ++autoOutlineRuns; });
        return autoOutlineRuns;
    }
};

TEST_F(RandomMergeTest, NewFileHoldsLoadedPointsInsideAndOtherLinesOutside) {
    MakeCurrentData();
    const fs::path input = Write("other.rnd", OtherFile());
    const fs::path output = Dir() / "merged";
    std::vector<RandomPoint> before(g_points + 1, g_points + 10);

    RunCommand(kMergeNewFile, 0, {input, output});

    // Checked by hand: the zone line of the loaded data, the loaded points in the merge
    // layout (names cut to 8, X in 16 columns), then the other file's ring unchanged.
    std::string expected =
        "BL 9\r\n"
        "********************\r\n********************\r\n"
        "********************\r\n********************\r\n"
        "C1            12345.6789        500.0000      10.500  0  0  0\r\n"
        "C2            12345.6789        510.0000      11.000  1  0  0\r\n"
        "C3            12345.6789        520.0000      11.500  0  0  0\r\n"
        "C4            12355.6789        500.0000      12.000  0  0  3\r\n"
        "CURRENT0      12355.6789        510.0000      12.500  0  0  0\r\n"
        "C6            12355.6789        520.0000      13.000  0  0  0\r\n"
        "C7            12365.6789        500.0000      13.500  0  0  0\r\n"
        "C8            12365.6789        510.0000      14.000  0  0  0\r\n"
        "C9            12365.6789        520.0000      14.500  0  0  0\r\n";
    const std::vector<std::string> other = OtherLines();
    for (int32_t k = 0; k < 25; ++k)
        if (OtherOnRing(k)) expected += other[k] + "\r\n";
    EXPECT_EQ(Read(Dir() / "merged.RND"), expected);

    // The loaded data keep everything but the outside bytes and the outline's orientation.
    ASSERT_EQ(g_pointCount, 9);
    for (int32_t i = 1; i <= 9; ++i) {
        const RandomPoint& p = g_points[i];
        const RandomPoint& q = before[i - 1];
        EXPECT_EQ(p.x, q.x);
        EXPECT_EQ(p.y, q.y);
        EXPECT_EQ(p.z, q.z);
        EXPECT_STREQ(p.name, q.name);
        EXPECT_EQ(p.invalid, q.invalid);
        EXPECT_EQ(p.plotKind, q.plotKind);
    }
    ASSERT_EQ(g_outline.Count(), 4);
    std::set<int32_t> vertices;
    for (int32_t k = 1; k <= 4; ++k) vertices.insert(g_outline[k]);
    EXPECT_EQ(vertices, (std::set<int32_t>{1, 3, 7, 9}));
    EXPECT_EQ(g_outline[5], g_outline[1]);

    // Another program's reader: the merged file loads as a document with the same values.
    InitDataModel();
    g_currentDataPath = (Dir() / "merged.RND").string();
    ASSERT_EQ(ReadRndDocument(), -1);
    EXPECT_EQ(g_pointCount, 25);
    EXPECT_EQ(g_planeZone, 9);
    EXPECT_STREQ(g_points[5].name, "CURRENT0");
    EXPECT_DOUBLE_EQ(g_points[5].x, 12355.6789);
    EXPECT_STREQ(g_points[10].name, "OTHER00001");
    EXPECT_DOUBLE_EQ(g_points[10].x, 12335.6789);
}

TEST_F(RandomMergeTest, WidenedOutlineTakesTheOtherPointsInAndGivesVerticesBack) {
    MakeCurrentData(true);
    const fs::path input = Write("other.rnd", OtherFile());
    RunCommand(kMergeNewFile, 15, {input, Dir() / "wide.RND"});
    const std::string text = Read(Dir() / "wide.RND");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5 + 9) << text;
    EXPECT_EQ(text.find("OTHER"), std::string::npos);
    EXPECT_EQ(text.find("FAR"), std::string::npos);
    EXPECT_DOUBLE_EQ(g_points[1].x, 12345.6789);
    EXPECT_DOUBLE_EQ(g_points[9].y, 520.0);
    // The corner points are written where they were surveyed, not on the widened outline.
    size_t at = text.find('\n');
    for (int i = 0; i < 4; ++i) at = text.find('\n', at + 1);
    int32_t written = 0;
    for (size_t next; (next = text.find('\n', at + 1)) != std::string::npos; at = next) {
        RandomPoint p{};
        ASSERT_TRUE(ParseRndPointLine(std::string_view(text).substr(at + 1, next - at - 2), p));
        for (int32_t i = 1; i <= 9; ++i)
            // The name as the reader takes it: the start of the loaded one.
            if (std::strncmp(p.name, g_points[i].name, std::strlen(p.name)) == 0) {
                EXPECT_NEAR(p.x, g_points[i].x, 1e-4) << p.name;
                EXPECT_NEAR(p.y, g_points[i].y, 1e-4) << p.name;
                ++written;
            }
    }
    EXPECT_EQ(written, 9) << text;
}

TEST_F(RandomMergeTest, AppendJoinsPointsAndTin) {
    MakeCurrentData(true);
    EnsureTinEdgeCapacity(2);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 4, 7};
    g_tinEdges[2] = TinEdge{2, 5, -4, 3, 7};
    g_tinEdgeCount = 2;
    SetTinEndRecord();
    g_tinPresent = -1;
    const fs::path input = Write("other.rnd", OtherFile());
    Write("other.TRI", TriBytes({{1, 2, kNoApex, 6},
                                 {-2, 3, -7, 8},
                                 {0, 1, kNoApex, 2},     // 0 is no point of the file
                                 {1, 26, kNoApex, 2},    // beyond the file's 25 points
                                 {24, 25, 30, 20},       // apex beyond them too
                                 {24, 25, 19, 20}}));

    const int autoOutlineRuns = RunCommand(kMergeAppend, 0, {input}, msg::kIdYes);
    EXPECT_EQ(autoOutlineRuns, 1);

    const int32_t F = 10;
    ASSERT_EQ(g_pointCount, F + 25);
    EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
    EXPECT_EQ(g_points[10].invalid, 1);  // loaded, outside the outline
    for (int32_t i = 1; i <= 9; ++i) EXPECT_EQ(g_points[i].invalid, i == 2 ? 1 : 0) << i;
    const std::vector<std::string> lines = OtherLines();
    for (int32_t k = 0; k < 25; ++k) {
        const RandomPoint& p = g_points[F + 1 + k];
        EXPECT_STREQ(p.name, FormatString("OTHER%04d", (k + 1) / 10).c_str()) << k;
        EXPECT_DOUBLE_EQ(p.x, 12335.6789 + 10.0 * (k / 5));
        EXPECT_EQ(p.plotKind, k % 4);
        // Inside (on the outline counts): invalid; outside: the flag as read.
        EXPECT_EQ(p.invalid, OtherOnRing(k) ? (k == 0 ? 1 : 0) : 1) << k;
    }
    // The outline is released, so no point is marked outside any more.
    EXPECT_EQ(g_outline.Count(), 0);
    EXPECT_EQ(g_points[10].outside, 0);

    ASSERT_EQ(g_tinEdgeCount, 5);
    const TinEdge expected[] = {{-1, -2, kNoApex, -4, 7},
                                {-2, -5, -4, -3, 7},
                                {F + 1, F + 2, kNoApex, F + 6, 0},
                                {F + 2, F + 3, F + 7, F + 8, 0},
                                {F + 24, F + 25, F + 19, F + 20, 0}};
    for (int32_t i = 1; i <= 5; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const TinEdge& x = expected[i - 1];
        EXPECT_EQ(std::vector<int32_t>({e.a, e.b, e.apexBack, e.apexSearch, e.state}),
                  std::vector<int32_t>({x.a, x.b, x.apexBack, x.apexSearch, x.state}))
            << i;
    }
    EXPECT_EQ(g_tinEdges[6].a, -1);
    EXPECT_EQ(g_tinEdges[6].apexSearch, -1);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_dataChanged, -1);
    EXPECT_FALSE(IsProgressWindowOpen());
}

TEST_F(RandomMergeTest, OpenOutlineStopsBeforeAnything) {
    MakeCurrentData();
    g_outline[5] = 0;  // not closed
    RunCommand(kMergeAppend, 0, {(Dir() / "x.rnd").string()});
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages()[0].text, "外周を囲み閉じた状態にした後で実行してください");
    EXPECT_TRUE(RecordedFileDialogs().empty());
    EXPECT_EQ(g_pointCount, 9);
}

TEST_F(RandomMergeTest, UnreadableOtherFileKeepsTheOutline) {
    MakeCurrentData();
    std::string damaged = OtherFile();
    damaged.insert(damaged.find("OTHER00002"), "garbage\r\n");
    const fs::path input = Write("damaged.rnd", damaged);
    const int autoOutlineRuns = RunCommand(kMergeAppend, 0, {input}, msg::kIdYes);
    EXPECT_EQ(autoOutlineRuns, 0);
    EXPECT_EQ(g_pointCount, 9);
    EXPECT_EQ(g_outline.Count(), 4);
    EXPECT_EQ(g_viewPainting, 0);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_NE(RecordedMessages().back().text.find("点データとして読めない行"), std::string::npos);
}

// Damaged input: a message, and the loaded data stay consistent.
TEST_F(RandomMergeTest, BadInputIsToldAndLeavesConsistentData) {
    struct Case {
        const char* what;
        std::string rnd;             // empty: no such file
        std::string tri;             // empty: no .TRI
        int32_t addedPoints;         // -1: nothing merged
        const char* message;         // part of the message
    };
    const std::string good = OtherFile();
    std::string shortLine = good;
    shortLine.insert(shortLine.find("OTHER00003"), "OTHER 12\r\n");
    std::string textInNumber = good;
    textInNumber.replace(textInNumber.find("12345.6789"), 10, "12345.67x9");
    const std::string edge = TriBytes({{1, 2, kNoApex, 6}});
    const Case cases[] = {
        {"missing file", "", "", -1, "ファイルが開けません"},
        {"short line", shortLine, edge, -1, "点データとして読めない行"},
        {"text in a number", textInNumber, edge, -1, "点データとして読めない行"},
        {"empty file", "", "", -1, "ファイルが開けません"},
        {"header only", "BL 5\r\n", "", 0, "三角網ファイル (.TRI) がない"},
        {"no .TRI", good, "", 25, "三角網ファイル (.TRI) がない"},
        {"truncated .TRI", good, edge.substr(0, edge.size() - 4), 25, "壊れている"},
        {"count above 1e8", good, TriBytes({{1, 2, kNoApex, 6}}, 100000001), 25, "壊れている"},
        {"count 0", good, TriBytes({}, 0), 25, "壊れている"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        ClearRecordedMessages();
        MakeCurrentData();
        EnsureTinEdgeCapacity(1);
        g_tinEdges[1] = TinEdge{1, 2, kNoApex, 4, 0};
        g_tinEdgeCount = 1;
        SetTinEndRecord();
        g_tinPresent = -1;
        const fs::path input = Dir() / "in.rnd";
        fs::remove(input);
        fs::remove(Dir() / "in.TRI");
        if (!c.rnd.empty() || std::string(c.what) == "empty file") Write("in.rnd", c.rnd);
        if (std::string(c.what) == "empty file") fs::remove(input);  // an empty path reads as absent
        if (!c.tri.empty()) Write("in.TRI", c.tri);

        MarkPointsInPolygonRaster(g_outline, 0);
        MergeRandomData(g_outline, input.string());
        EXPECT_EQ(g_pointCount, 9 + std::max(c.addedPoints, 0));
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        EXPECT_EQ(g_tinEdgeCount, 1);
        EXPECT_EQ(g_tinEdges[1].a, 1);  // TIN as it was
        EXPECT_FALSE(IsProgressWindowOpen());
        bool told = false;
        for (const RecordedMessage& m : RecordedMessages()) told |= m.text.find(c.message) != std::string::npos;
        EXPECT_TRUE(told);
    }
}

TEST_F(RandomMergeTest, EmptyFileMergesNothing) {
    MakeCurrentData();
    const fs::path input = Write("empty.rnd", "");
    MarkPointsInPolygonRaster(g_outline, 0);
    MergeRandomData(g_outline, input.string());
    EXPECT_EQ(g_pointCount, 9);
    EXPECT_EQ(g_points[10].hidden, kEndMarker);
}

TEST_F(RandomMergeTest, PointBlockFailureKeepsThePointsSoFar) {
    MakeCurrentData();
    const fs::path input = Write("other.rnd", OtherFile());
    Write("other.TRI", TriBytes({{1, 2, kNoApex, 6}}));
    // Room for the loaded points and a few more: the block must grow during the append.
    g_pointCapacity = 64;
    ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
    InjectAllocationFailures(0);
    MarkPointsInPolygonRaster(g_outline, 0);
    MergeRandomData(g_outline, input.string());
    InjectAllocationFailures(-1, 0);

    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "ランダムデータのメモリ確保に失敗しました");
    EXPECT_EQ(g_pointCapacity, 64);
    EXPECT_GT(g_pointCount, 9);
    EXPECT_LT(g_pointCount, 9 + 25);
    EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
    EXPECT_STREQ(g_points[10].name, "OTHER0000");
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_FALSE(IsProgressWindowOpen());
}

TEST_F(RandomMergeTest, TinBlockFailureWritesNoEdge) {
    MakeCurrentData();
    EnsureTinEdgeCapacity(1);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 4, 0};
    g_tinEdgeCount = 1;
    SetTinEndRecord();
    g_tinEdgeCapacity = 2;
    const fs::path input = Write("other.rnd", OtherFile());
    Write("other.TRI", TriBytes({{1, 2, kNoApex, 6}, {2, 3, kNoApex, 7}}));
    MarkPointsInPolygonRaster(g_outline, 0);
    // Every allocation from here fails, the point block's too: it has room already.
    EnsurePointCapacity(40);
    InjectAllocationFailures(0, 1000);
    MergeRandomData(g_outline, input.string());
    InjectAllocationFailures(-1, 0);
    EXPECT_EQ(g_pointCount, 34);
    EXPECT_EQ(g_tinEdgeCount, 1);
    EXPECT_EQ(g_tinEdges[1].a, 1);  // not turned into a hole either
    EXPECT_EQ(g_tinEdgeCapacity, 2);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_NE(RecordedMessages().back().text.find("三角網のメモリ確保に失敗"), std::string::npos);
}

TEST_F(RandomMergeTest, UnwritableOutputIsTold) {
    MakeCurrentData();
    const fs::path input = Write("other.rnd", OtherFile());
    MarkPointsInPolygonRaster(g_outline, 0);
    EXPECT_FALSE(WriteMergedRandomData(g_outline, input.string(), (Dir() / "no/such/dir.RND").string()));
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_NE(RecordedMessages().back().text.find("no/such/dir.RND"), std::string::npos);
}

TEST(RandomMergeDialogTest, WidthTextRules) {
    struct Case {
        const char* text;
        bool accepted;
        double width;
    };
    const Case cases[] = {
        {"1.5", true, 1.5}, {"0", true, 0.0},   {"12", true, 12.0},
        {"1,5", false, 1.0}, {"-1", false, 1.0}, {"１", false, 0.0}, {"1e3", false, 1000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ClearRecordedMessages();
        RandomMergeValues v;
        v.widthText = c.text;
        RandomMergeWidthEdited(v);
        EXPECT_DOUBLE_EQ(v.width, c.width);
        EXPECT_EQ(RandomMergeTextAccepted(v), c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(RecordedMessages().empty());
        } else {
            ASSERT_EQ(RecordedMessages().size(), 1u);
            EXPECT_EQ(RecordedMessages()[0].text, "入力できる文字は半角で[0～9][.]です。");
        }
    }
}

TEST(RandomMergeDialogTest, WheelStepsByOneNeverBelowZero) {
    RandomMergeValues v;
    v.widthText = "1.5";
    RandomMergeWidthEdited(v);
    RandomMergeWheel(120, v);
    EXPECT_EQ(v.widthText, "2");
    EXPECT_DOUBLE_EQ(v.width, 2.0);
    for (int i = 0; i < 3; ++i) RandomMergeWheel(-120, v);
    EXPECT_EQ(v.widthText, "0");
    EXPECT_DOUBLE_EQ(v.width, 0.0);
}

}  // namespace

// A real survey merged into another: the grid survey written outside the automatic outline
// of the scattered one. CGAL's exact side test is the witness for every kept point.
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_2_algorithms.h>

#include "model/auto_outline.h"

namespace {
using CgalKernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using CgalPoint = CgalKernel::Point_2;

double DistanceToOutline(const std::vector<CgalPoint>& ring, double x, double y) {
    double best = 1e300;
    for (size_t k = 0; k < ring.size(); ++k) {
        const CgalPoint& a = ring[k];
        const CgalPoint& b = ring[(k + 1) % ring.size()];
        const double ax = a.x(), ay = a.y(), bx = b.x(), by = b.y();
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, std::hypot(x - (ax + t * dx), y - (ay + t * dy)));
    }
    return best;
}

TEST_F(RandomMergeTest, RealSurveysAgreeWithCgal) {
    g_currentDataPath = Data("jacksboro_scatter20k.RND").string();
    ASSERT_EQ(ReadRndDocument(), -1);
    ASSERT_EQ(BuildAutoOutline(0), kAutoOutlineDone);
    ASSERT_TRUE(g_outline.IsClosed());
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    // CGAL points (X, Y) as stored; the side test does not depend on the orientation.
    std::vector<CgalPoint> ring;
    for (int32_t k = 1; k <= g_outline.Count(); ++k)
        ring.emplace_back(g_points[g_outline[k]].x, g_points[g_outline[k]].y);
    auto side = [&](double x, double y) {
        return CGAL::bounded_side_2(ring.begin(), ring.end(), CgalPoint(x, y), CgalKernel());
    };

    const fs::path output = Dir() / "merged.RND";
    ASSERT_TRUE(WriteMergedRandomData(g_outline, Data("jacksboro_grid.RND").string(), output.string()));
    int32_t keptCurrent = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) keptCurrent += g_points[i].outside == 0;

    MergeInputFile merged, grid;
    ASSERT_TRUE(ReadMergeInputFile(output, merged));
    ASSERT_TRUE(ReadMergeInputFile(Data("jacksboro_grid.RND"), grid));
    ASSERT_GT(merged.points.size(), static_cast<size_t>(keptCurrent));
    for (int32_t k = 0; k < keptCurrent; ++k) {
        const RandomPoint& p = merged.points[k];
        if (DistanceToOutline(ring, p.x, p.y) <= 1e-6) continue;
        EXPECT_EQ(side(p.x, p.y), CGAL::ON_BOUNDED_SIDE) << k;
    }
    int32_t gridOutside = 0;
    for (const RandomPoint& p : grid.points) {
        if (DistanceToOutline(ring, p.x, p.y) <= 1e-6) continue;
        gridOutside += side(p.x, p.y) == CGAL::ON_UNBOUNDED_SIDE;
    }
    int32_t keptOther = 0;
    for (size_t k = keptCurrent; k < merged.points.size(); ++k) {
        const RandomPoint& p = merged.points[k];
        if (DistanceToOutline(ring, p.x, p.y) <= 1e-6) continue;
        ++keptOther;
        EXPECT_EQ(side(p.x, p.y), CGAL::ON_UNBOUNDED_SIDE) << k;
    }
    EXPECT_EQ(keptOther, gridOutside);
    EXPECT_GT(keptOther, 0);
}
}  // namespace

namespace {
// The cells answer exactly as the polygon test: a star with sides long and short, slanted
// and axis-parallel, against points everywhere, on its vertices and sides, and just off them.
TEST_F(RandomMergeTest, OutlineCellsAnswerAsThePolygonTest) {
    const int32_t corners = 40;
    EnsurePointCapacity(corners + 1);
    for (int32_t k = 0; k < corners; ++k) {
        const double angle = 2 * M_PI * k / corners;
        const double radius = k % 2 ? 30.0 : (k % 4 ? 100.0 : 70.0);
        g_points[k + 1] = RandomPoint{};
        g_points[k + 1].x = 5000.0 + radius * std::cos(angle);
        g_points[k + 1].y = -300.0 + radius * std::sin(angle);
        if (k == 10) g_points[k + 1].x = g_points[k].x;  // an axis-parallel side
    }
    g_pointCount = corners;
    SetPointEndMarker();
    for (int32_t k = 1; k <= corners; ++k) g_outline.Append(k);
    g_outline.Close();
    const MergeOutlinePolygon polygon(g_outline);

    std::vector<std::pair<double, double>> probes;
    uint64_t seed = 12345;
    auto next = [&] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(seed >> 11) / 9007199254740992.0;
    };
    for (int i = 0; i < 20000; ++i) probes.emplace_back(4890 + 220 * next(), -410 + 220 * next());
    for (int32_t k = 1; k <= corners; ++k) {
        const RandomPoint& a = g_points[k];
        const RandomPoint& b = g_points[k % corners + 1];
        for (double t : {0.0, 0.25, 0.5, 1.0})
            for (double off : {0.0, 5e-7, -5e-7, 2e-6, -2e-6})
                probes.emplace_back(a.x + t * (b.x - a.x) + off, a.y + t * (b.y - a.y) - off);
    }
    int32_t outside = 0;
    for (const auto& [x, y] : probes) {
        ASSERT_EQ(polygon.Outside(x, y), polygon.OutsideByPolygonTest(x, y)) << x << " " << y;
        outside += polygon.Outside(x, y);
    }
    EXPECT_GT(outside, 1000);
    EXPECT_LT(outside, static_cast<int32_t>(probes.size()) - 1000);
}
}  // namespace
