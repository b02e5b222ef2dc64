#include "model/outline_hole_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "hole_test_support.h"
#include "tin_cgal_support.h"
#include "model/hole_commands.h"
#include "model/holes.h"
#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

using namespace holetest;
namespace fs = std::filesystem;

namespace {

class OutlineHoleFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
        SetLongLoopPollInterval(0);
        m_dir = fs::temp_directory_path() /
                ("nostrel_holefiles_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        SetLongLoopPollInterval(100);
        SetHoleKindChooser(nullptr);
        ClearRecordedMessages();
        ReleaseDataModel();
        fs::remove_all(m_dir);
    }
    fs::path File(const std::string& name) const { return m_dir / name; }
    fs::path m_dir;
};

std::string Bytes(const fs::path& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
    return bytes;
}

void Write(const fs::path& path, const std::string& bytes) { ASSERT_TRUE(WriteFileBytes(path, bytes)); }

std::vector<int32_t> OutlineVertices() {
    std::vector<int32_t> v;
    for (int32_t k = 1; k <= g_outline.Count(); ++k) v.push_back(g_outline[k]);
    return v;
}

// Five points with awkward coordinates, the outline through four of them.
std::vector<int32_t> FivePoints() {
    const int32_t a = AddPoint(10.0, 20.0, 5.5), b = AddPoint(-35.1234, 1000.0, -2.0005),
                  c = AddPoint(1000.0, 1000.0, 0.0), d = AddPoint(987654.3216, 20.0, 123.456),
                  e = AddPoint(500.0, 500.0, 1.0);
    (void)e;
    return {a, b, c, d};
}

}  // namespace

TEST_F(OutlineHoleFilesTest, OutlineWrittenReadAndWrittenAgainIsTheSame) {
    const std::vector<int32_t> ring = FivePoints();
    SetOutline(ring);
    ASSERT_TRUE(SaveOutlineFile(File("a.BN2")));
    // No closing copy, three decimals, CR LF.
    EXPECT_EQ(Bytes(File("a.BN2")),
              "10.000,20.000,5.500\r\n-35.123,1000.000,-2.001\r\n1000.000,1000.000,0.000\r\n"
              "987654.322,20.000,123.456\r\n");
    ClearOutline();
    ASSERT_TRUE(LoadOutlineFile(File("a.BN2")));
    EXPECT_EQ(g_pointCount, 5);
    EXPECT_EQ(OutlineVertices(), ring);
    EXPECT_TRUE(g_outline.IsClosed());
    for (int32_t p : ring) EXPECT_EQ(g_points[p].flags, kPointFlagOutline);
    ASSERT_TRUE(SaveOutlineFile(File("b.BN2")));
    EXPECT_EQ(Bytes(File("b.BN2")), Bytes(File("a.BN2")));

    // An empty outline gives an empty file.
    ClearOutline();
    ASSERT_TRUE(SaveOutlineFile(File("empty.BN2")));
    EXPECT_EQ(Bytes(File("empty.BN2")), "");
}

TEST_F(OutlineHoleFilesTest, OutlineVertexMatchesAPointWithinAMillimetre) {
    const std::vector<int32_t> ring = FivePoints();
    g_points[ring[2]].invalid = 1;
    g_points[ring[2]].outside = 1;
    struct Case {
        const char* line;
        int32_t want;  // the point matched, or 0 for a new one
    };
    const Case cases[] = {
        {"10.001,20.000,9", ring[0]},          // 0.000999... m north
        {"10.0015,20.000,9", 0},               // 1.5 mm away: a new point
        {"10.000,20.0015,9", 0},
        {"1000.001,1000.000,9", ring[2]},      // also made valid and inside again
        {"10.0007,20.0007,9", ring[0]},        // 0.99 mm diagonally
        {"10.0008,20.0008,9", 0},              // 1.13 mm diagonally
        {"987654.3216,20,1", ring[3]},
        {"  500.0000,   500.0000,   1.0000", 5},  // .BN5 blanks
    };
    for (const Case& c : cases) {
        const int32_t before = g_pointCount;
        ClearOutline();
        Write(File("m.BN2"), std::string(c.line) + "\r\n");
        ASSERT_TRUE(LoadOutlineFile(File("m.BN2"))) << c.line;
        ASSERT_EQ(g_outline.Count(), 1) << c.line;
        const int32_t got = g_outline[1];
        if (c.want != 0) {
            EXPECT_EQ(got, c.want) << c.line;
            EXPECT_EQ(g_pointCount, before) << c.line;
            EXPECT_EQ(g_points[got].invalid, 0);
            EXPECT_EQ(g_points[got].outside, 0);
            EXPECT_NE(g_points[got].z, 9.0) << "the elevation stays";
        } else {
            EXPECT_EQ(got, before + 1) << c.line;
            EXPECT_EQ(g_pointCount, before + 1);
            const RandomPoint& p = g_points[got];
            EXPECT_EQ(p.z, 9.0);
            EXPECT_STREQ(p.name, "");
            EXPECT_EQ(p.invalid, 0);
            EXPECT_EQ(p.plotKind, 0);
            EXPECT_EQ(p.flags, kPointFlagOutline);
            EXPECT_EQ(g_points[got + 1].hidden, kEndMarker);
        }
        EXPECT_EQ(g_outline[2], g_outline[1]) << "closed";
    }
}

TEST_F(OutlineHoleFilesTest, TheIndexFindsTheFirstPointAsAScanInOrderWould) {
    // Many points in a few square millimetres, some at the same place, and one far away.
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> d(-0.004, 0.004);
    for (int i = 0; i < 3000; ++i) AddPoint(100.0 + d(rng), -50.0 + d(rng));
    for (int i = 0; i < 50; ++i) AddPoint(100.0, -50.0);
    AddPoint(1e300, 1e300);
    const PointMatchIndex index;
    for (int i = 0; i < 2000; ++i) {
        const double x = 100.0 + d(rng), y = -50.0 + d(rng);
        int32_t byDistance = 0, byBox = 0;
        for (int32_t p = 1; p <= g_pointCount && (!byDistance || !byBox); ++p) {
            const RandomPoint& q = g_points[p];
            if (!byDistance && std::sqrt((y - q.y) * (y - q.y) + (x - q.x) * (x - q.x)) <= 0.001) byDistance = p;
            if (!byBox && std::fabs(x - q.x) < 0.001 && std::fabs(y - q.y) < 0.001) byBox = p;
        }
        ASSERT_EQ(index.FindWithinDistance(x, y, 0.001), byDistance) << i;
        ASSERT_EQ(index.FindWithinBox(x, y, 0.001), byBox) << i;
    }
    EXPECT_EQ(index.FindWithinDistance(1e300, 1e300, 0.001), g_pointCount);
    EXPECT_EQ(index.FindWithinBox(std::nan(""), 0, 0.001), 0);
}

TEST_F(OutlineHoleFilesTest, BadOutlineFilesAreToldAndChangeNothing) {
    const std::vector<int32_t> ring = FivePoints();
    SetOutline(ring);
    const std::string longLine = std::string(100000, '1') + ",2,3";
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"text", "10,20,5\r\nabc,def,ghi\r\n"},
        {"missing Y", "10,20,5\r\n10\r\n"},
        {"NaN", "10,20,5\r\nnan,20,5\r\n"},
        {"infinite", "1e999,20,5\r\n"},
        {"text after a number", "10x,20,5\r\n"},
        {"bad Z", "10,20,zz\r\n"},
        {"100k-character line", "10,20,5\r\n" + longLine + "\r\n"},
    };
    for (const Case& c : cases) {
        ClearRecordedMessages();
        Write(File("bad.BN2"), c.bytes);
        QueueFileDialogAnswer(File("bad.BN2").string());
        OnOutlineLoad();
        EXPECT_EQ(OutlineVertices(), ring) << c.what;
        EXPECT_EQ(g_pointCount, 5) << c.what;
        ASSERT_EQ(RecordedMessages().size(), 2u) << c.what;  // the question, then the error
        EXPECT_NE(RecordedMessages()[1].text.find("ファイルが壊れているため読み込めません。"), std::string::npos);
    }
    // A file that is not there.
    ClearRecordedMessages();
    QueueFileDialogAnswer(File("missing.BN2").string());
    OnOutlineLoad();
    EXPECT_EQ(OutlineVertices(), ring);
    EXPECT_NE(RecordedMessages().back().text.find("ファイルが開けません。"), std::string::npos);
    // A file that cannot be written is told, not taken for saved.
    ClearRecordedMessages();
    EXPECT_FALSE(SaveOutlineFile(m_dir / "no_such_folder" / "x.BN2"));
    EXPECT_NE(RecordedMessages().back().text.find("ファイルが作成できませんでした。"), std::string::npos);
    if (fs::exists("/dev/full")) {
        ClearRecordedMessages();
        EXPECT_FALSE(SaveOutlineFile("/dev/full"));
        EXPECT_NE(RecordedMessages().back().text.find("ファイル書き込みができません。"), std::string::npos);
    }
}

TEST_F(OutlineHoleFilesTest, BlankLinesAreSkippedAndWholeLinesRead) {
    FivePoints();
    // A long line of blanks after the number is one line, and blank lines make no vertex.
    Write(File("blank.BN2"), "\r\n10.000,20.000,5.5" + std::string(300, ' ') + "\r\n\n   \r\n1000,1000,0\n\n");
    QueueFileDialogAnswer(File("blank.BN2").string());
    OnOutlineLoad();
    EXPECT_EQ(OutlineVertices(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(g_pointCount, 5);
    EXPECT_EQ(RecordedFileDialogs().back().title, "外周データ読込");
}

TEST_F(OutlineHoleFilesTest, TwoHoleRegionsAreSavedAsTwoRingsAndReloadedOntoAFreshTin) {
    const auto make = [] {
        const Lattice l = BuildLatticeTin(12, 10.0, 1.5, 21);
        for (const auto& corners : {std::vector<std::pair<int32_t, int32_t>>{{2, 2}, {5, 2}, {5, 5}, {2, 5}},
                                    std::vector<std::pair<int32_t, int32_t>>{{7, 6}, {9, 6}, {9, 9}, {7, 9}}}) {
            ApplyHolePolygon(kHoleAreaVolume, SetPickPolygon(l.Path(corners)));
            ClearPicks();
        }
        return l;
    };
    make();
    const std::vector<TinEdge> holed = RecordsCopy();
    int32_t unclosed = -1;
    ASSERT_EQ(SaveHoleFile(File("h.HOL"), &unclosed), kHoleFileWritten);
    EXPECT_EQ(unclosed, 0);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) EXPECT_EQ(g_tinEdges[i].state, 0);
    EXPECT_EQ(g_pickList2.Count(), 0);

    // Two rings, each closed by "E", with a positive trapezoid sum.
    std::vector<std::vector<Point>> rings(1);
    std::FILE* f = std::fopen(File("h.HOL").c_str(), "rb");
    ASSERT_TRUE(f);
    std::string line;
    int32_t lines = 0;
    while (ReadTextLine(f, line)) {
        ++lines;
        if (line == "E") {
            rings.emplace_back();
            continue;
        }
        double x, y, z;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf", &x, &y, &z), 3) << line;
        EXPECT_EQ(FormatString("%.3f,%.3f,%.3f", x, y, z), line);
        rings.back().emplace_back(y, x);
    }
    std::fclose(f);
    ASSERT_EQ(rings.size(), 3u);
    EXPECT_TRUE(rings.back().empty()) << "the file ends with E";
    rings.pop_back();
    EXPECT_EQ(rings[0].size() + rings[1].size(), 12u + 10u);
    for (const auto& ring : rings) {
        EXPECT_GT(CGAL::polygon_area_2(ring.begin(), ring.end(), Kernel()), 0.0);
        EXPECT_TRUE(CGAL::is_simple_2(ring.begin(), ring.end(), Kernel()));
    }
    EXPECT_NE(Bytes(File("h.HOL")).find("\r\nE\r\n"), std::string::npos);
    // A full disk is a failure.
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(SaveHoleFile("/dev/full"), kHoleFileWriteFailed);
        EXPECT_TRUE(SameBytes(holed));
    }

    // A fresh TIN of the same points takes the same holes from the file.
    InitDataModel();
    BuildLatticeTin(12, 10.0, 1.5, 21);
    int32_t asked = 0;
    SetHoleKindChooser([&asked] {
        ++asked;
        return int32_t{kHoleAreaVolume};
    });
    QueueFileDialogAnswer(File("h.HOL").string());
    OnHoleLoad();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(SameBytes(holed));
    EXPECT_EQ(RecordedFileDialogs().back().title, "中抜データ読込");

    // And writes the file again byte for byte.
    ASSERT_EQ(SaveHoleFile(File("h2.HOL")), kHoleFileWritten);
    EXPECT_EQ(Bytes(File("h2.HOL")), Bytes(File("h.HOL")));
}

TEST_F(OutlineHoleFilesTest, HoleFilePolygonsWithoutFinalEOrWithTheirClosingCopyApply) {
    const Lattice l = BuildLatticeTin(8, 10.0, 1.0, 5);
    const std::vector<int32_t> ring = l.Path({{2, 2}, {4, 2}, {4, 4}, {2, 4}});
    ApplyHolePolygon(kHoleContour, SetPickPolygon(ring));
    ClearPicks();
    const std::vector<TinEdge> want = RecordsCopy();
    ReleaseAllHoleMarks();
    std::string body;
    for (int32_t p : ring) body += FormatString("%.3f,%.3f,%.3f\r\n", g_points[p].x, g_points[p].y, g_points[p].z);
    const std::string closing = FormatString("%.3f,%.3f,0\r\n", g_points[ring[0]].x, g_points[ring[0]].y);
    for (const std::string& bytes : {body, body + closing + "E\r\n", "\r\n" + body + "\r\n\r\nE\r\nE\r\n"}) {
        ReleaseAllHoleMarks();
        Write(File("p.HOL"), bytes);
        EXPECT_EQ(LoadHoleFile(File("p.HOL"), nullptr), 1);
        EXPECT_TRUE(SameBytes(want));
    }
}

TEST_F(OutlineHoleFilesTest, BadHoleFilesAreToldAndApplyNothing) {
    const Lattice l = BuildLatticeTin(8, 10.0, 1.0, 6);
    const std::vector<int32_t> ring = l.Path({{2, 2}, {4, 2}, {4, 4}, {2, 4}});
    std::string good;
    for (int32_t p : ring) good += FormatString("%.3f,%.3f,%.3f\r\n", g_points[p].x, g_points[p].y, g_points[p].z);
    good += "E\r\n";
    const std::vector<TinEdge> before = RecordsCopy();
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    const char* damaged = "ファイルが壊れているため読み込めません。";
    const char* noPoint = "中抜になるランダム点が見つかりません。";
    const Case cases[] = {
        {"text", good + "abc,def\r\n", damaged},
        {"missing Y", good + "1000\r\n", damaged},
        {"NaN", good + "nan,nan,0\r\n", damaged},
        {"100k characters", good + std::string(100000, '7') + ",1,1\r\n", damaged},
        {"100k characters of a number", good + "1000." + std::string(100000, '7') + ",1,1\r\n", noPoint},
        {"no point there", good + "0,0,0\r\n1,1,1\r\n2,2,2\r\n", noPoint},
    };
    for (const Case& c : cases) {
        ClearRecordedMessages();
        Write(File("bad.HOL"), c.bytes);
        int32_t asked = 0;
        EXPECT_EQ(LoadHoleFile(File("bad.HOL"), [&asked] { return ++asked, int32_t{kHoleAreaVolume}; }), 0) << c.what;
        EXPECT_EQ(asked, 0) << c.what;
        EXPECT_TRUE(SameBytes(before)) << c.what << ": the good polygon before is not applied either";
        ASSERT_EQ(RecordedMessages().size(), 1u) << c.what;
        EXPECT_NE(RecordedMessages()[0].text.find(c.message), std::string::npos) << c.what;
    }

    // No TIN: 中抜読込 says so and touches nothing.
    ClearRecordedMessages();
    g_tinEdgeCount = 0;
    g_tinPresent = 0;
    Write(File("good.HOL"), good);
    QueueFileDialogAnswer(File("good.HOL").string());
    OnHoleLoad();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網が計算されていません");
}

TEST_F(OutlineHoleFilesTest, HoleSaveWithoutHolesOrWithAnOpenBoundary) {
    BuildLatticeTin(5, 10.0, 1.0, 8);
    ClearRecordedMessages();
    QueueFileDialogAnswer(File("none.HOL").string());
    OnHoleSave();
    EXPECT_FALSE(fs::exists(File("none.HOL")));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "中抜領域はありません。");
    EXPECT_EQ(RecordedFileDialogs().back().defaultExtension, "HOL");

    // Records whose hole boundary runs 1-2-3 and never comes back: the walk ends, the open
    // chain is left out and counted.
    InitDataModel();
    for (int i = 0; i < 5; ++i) AddPoint(i, i * i);
    g_tinEdgeCount = 2;
    g_tinEdges[1] = TinEdge{-1, -2, kNoApex, -3, 0};
    g_tinEdges[2] = TinEdge{-2, -3, kNoApex, -1, 0};
    SetTinEndRecord();
    g_tinPresent = -1;
    ClearRecordedMessages();
    QueueFileDialogAnswer(File("open.HOL").string());
    OnHoleSave();
    EXPECT_EQ(Bytes(File("open.HOL")), "");
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "閉じていない中抜境界が 1 本あり、保存しませんでした。");

    // A file that cannot be created is told.
    ClearRecordedMessages();
    QueueFileDialogAnswer((m_dir / "no_such_folder" / "x.HOL").string());
    OnHoleSave();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("ファイルが作成できませんでした。"), std::string::npos);
}
