// The trace program's command file: a golden file written by hand from the record grammar,
// and the splitting, thinning and failure cases read back by a small parser of our own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "contour/contour_files.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "shell/plotter_file.h"

namespace fs = std::filesystem;

namespace {
struct Vertex {
    double x, y;
};
struct Line {
    int16_t code;
    double level;
    std::vector<Vertex> vertices;
};

// Paper units (0.1 mm at 1/500) back to the ground: one metre is 20 units.
Vertex Ground(double u, double v) { return {1000.0 + u / 20.0, 2000.0 + v / 20.0}; }

class PlotterFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("nostrel-plotter-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        ClearRecordedMessages();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string WriteContours(const std::vector<Line>& lines, size_t cutBytes = 0) {
        const std::string path = (m_dir / "lines.$$$").string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        for (const Line& line : lines) {
            WriteContourRecord(f, {line.code, line.level, static_cast<double>(line.vertices.size())});
            for (const Vertex& v : line.vertices) WriteContourRecord(f, {0, v.x, v.y});
        }
        std::fclose(f);
        if (cutBytes) fs::resize_file(path, fs::file_size(path) - cutBytes);
        return path;
    }
    std::string Output() const { return (m_dir / "out.txt").string(); }
    int Write(const std::string& contours, int paper = 0, double tolerance = 1.0) {
        return WritePlotterCommandFile(contours, Output(), 1000.0, 2000.0, 500, paper, 10.0, tolerance,
                                       {"BP1", 1010.0, 2020.0}, {"No.2", 1000.0, 2000.0});
    }
    std::string Bytes(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The polylines of the written file: each a list of (U, V).
    std::vector<std::vector<Vertex>> Polylines() const {
        std::vector<std::vector<Vertex>> polylines;
        std::istringstream in(Bytes(Output()));
        bool open = false;
        int records = 0;
        for (std::string line; std::getline(in, line);) {
            EXPECT_TRUE(!line.empty() && line.back() == '\r') << line;
            if (++records <= 8) continue;  // paper, title, layer 0, base points
            if (line.rfind("105,0", 0) == 0) {
                polylines.emplace_back();
                open = true;
            } else if (line.rfind("  4,", 0) == 0) {
                EXPECT_TRUE(open);
                int layer = 0;
                Vertex v{};
                std::sscanf(line.c_str(), "  4,%d,%lf,%lf", &layer, &v.x, &v.y);
                polylines.back().push_back(v);
            } else if (line.rfind("  5,", 0) == 0) {
                open = false;
            }
        }
        EXPECT_FALSE(open);
        return polylines;
    }

    fs::path m_dir;
};
}  // namespace

// Written by hand from the grammar: base point 10 m north and 20 m east of the minimum at
// 200.0, 400.0 with its name 2.0 above; a straight run A..E kept as A, C, E; a straight
// line (code 3) as three-vertex pieces, its too short segment left out; turns of under
// half a degree to either side removed, one of two degrees kept; levels 10, 20, -20 on the
// index layer, 25 and 15 on the normal one; a line with nothing to draw still names its
// layer. Shift-JIS, CR LF.
TEST_F(PlotterFile, MatchesTheHandWrittenFile) {
    const std::vector<Line> lines = {
        {1, 10.0, {Ground(0, 0), Ground(20, 0), Ground(40, 0), Ground(60, 0), Ground(80, 0)}},
        {3, 20.0, {Ground(0, 0), Ground(20, 0), Ground(20.02, 0)}},
        {1, 25.0, {Ground(0, 0), Ground(100, 0), Ground(200, 0.8)}},
        {2, -20.0, {Ground(0, 0), Ground(100, 0), Ground(200, -0.8)}},
        {1, 15.0, {Ground(0, 0), Ground(100, 0), Ground(200, 3.5)}},
        {1, 17.0, {Ground(0, 0), Ground(0.05, 0.05)}},
    };
    ASSERT_EQ(Write(WriteContours(lines), 3), 0);
    EXPECT_EQ(Bytes(Output()), Bytes(NOSTREL_SOURCE_DIR "/tests/data/plotter/trace_command.txt"));
}

TEST_F(PlotterFile, LongLinesSplitIntoPiecesThatShareTheirJoiningVertex) {
    struct Case {
        int kept;
        std::vector<std::pair<int, int>> pieces;  // first and last vertex (1-based)
    };
    const Case kCases[] = {
        {500, {{1, 199}, {199, 397}, {397, 500}}},
        {199, {{1, 199}}},
        // One vertex left after the 199th stays with the piece.
        {200, {{1, 200}}},
        {201, {{1, 199}, {199, 201}}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.kept);
        // A zigzag: every vertex is kept.
        Line line{1, 12.0, {}};
        for (int i = 0; i < c.kept; ++i) line.vertices.push_back(Ground(i, i % 2 ? 10.0 : 0.0));
        ASSERT_EQ(Write(WriteContours({line})), 0);
        const auto polylines = Polylines();
        ASSERT_EQ(polylines.size(), c.pieces.size());
        for (size_t k = 0; k < polylines.size(); ++k) {
            const auto [first, last] = c.pieces[k];
            ASSERT_EQ(static_cast<int>(polylines[k].size()), last - first + 1);
            EXPECT_DOUBLE_EQ(polylines[k].front().x, first - 1);
            EXPECT_DOUBLE_EQ(polylines[k].back().x, last - 1);
        }
    }
}

TEST_F(PlotterFile, StraightLineGivesOneThreeVertexPolylinePerSegment) {
    Line line{3, 12.0, {}};
    for (int i = 0; i < 1000; ++i) line.vertices.push_back(Ground(i * 3.0, 0));
    ASSERT_EQ(Write(WriteContours({line})), 0);
    const auto polylines = Polylines();
    ASSERT_EQ(polylines.size(), 999u);
    for (size_t k = 0; k < polylines.size(); ++k) {
        ASSERT_EQ(polylines[k].size(), 3u);
        EXPECT_DOUBLE_EQ(polylines[k][1].x, k * 3.0 + 1.5);
    }
}

TEST_F(PlotterFile, ALineCutShortEndsTheFileWithWhatWasWritten) {
    const std::vector<Line> lines = {
        {1, 10.0, {Ground(0, 0), Ground(50, 30), Ground(100, 0)}},
        {1, 11.0, {Ground(0, 0), Ground(50, 30), Ground(100, 0)}},
    };
    ASSERT_EQ(Write(WriteContours(lines, 20)), 0);
    const std::string text = Bytes(Output());
    EXPECT_EQ(Polylines().size(), 1u);
    // The second line's layer record is the last one.
    const std::string last = "104,7102,0,\"" + std::string("\x8e\xe5\x8b\xc8\x90\xfc") + "\"\r\n";
    ASSERT_GT(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

TEST_F(PlotterFile, FailuresGiveMinusOneAndLeaveNoPartialFile) {
    EXPECT_EQ(Write((m_dir / "missing.$$$").string()), -1);
    EXPECT_FALSE(fs::exists(Output()));
    const std::string contours = WriteContours({{1, 10.0, {Ground(0, 0), Ground(9, 9)}}});
    EXPECT_EQ(WritePlotterCommandFile(contours, (m_dir / "no folder" / "x.txt").string(), 0, 0, 500, 0, 10, 1,
                                      {}, {}),
              -1);
    // A full disk is not success.
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(WritePlotterCommandFile(contours, "/dev/full", 0, 0, 500, 0, 10, 1, {}, {}), -1);
    }
}

TEST(PlotterFileLevels, IndexContoursByAbsoluteLevel) {
    struct Case {
        double level, interval;
        bool index;
    };
    const Case kCases[] = {{10, 10, true},  {20, 10, true},   {25, 10, false}, {-20, 10, true},
                           {-25, 10, false}, {0, 10, true},   {9.9999999, 10, true}, {12.5, 2.5, true},
                           {12.6, 2.5, false}, {10, 0, false}};
    for (const Case& c : kCases)
        EXPECT_EQ(IsIndexContourLevel(c.level, c.interval), c.index) << c.level << " / " << c.interval;
}

TEST(PlotterFileDialog, EditsKeepTheOldValueForNothingOrLess) {
    EXPECT_EQ(ParsePlotterScale("1000", 500), 1000);
    EXPECT_EQ(ParsePlotterScale("0", 500), 500);
    EXPECT_EQ(ParsePlotterScale("-250", 500), 500);
    EXPECT_EQ(ParsePlotterScale("abc", 500), 500);
    EXPECT_EQ(ParsePlotterScale("99999999999", 500), 500);
    EXPECT_DOUBLE_EQ(ParsePlotterTolerance("2.5", 1.0), 2.5);
    EXPECT_DOUBLE_EQ(ParsePlotterTolerance("0", 1.0), 1.0);
    EXPECT_DOUBLE_EQ(ParsePlotterTolerance("-1", 1.0), 1.0);
    EXPECT_DOUBLE_EQ(ParsePlotterTolerance("nan", 1.0), 1.0);
    EXPECT_EQ(FormatPlotterScale(500), "   500");
    EXPECT_EQ(FormatPlotterTolerance(1.0, true), "    1.000");
    EXPECT_EQ(FormatPlotterTolerance(1.0, false), "   1.000");
    EXPECT_STREQ(PlotterPaperSize(6).name, "AK");
    EXPECT_STREQ(PlotterPaperSize(9).name, "A0");

    g_currentDataPath = "/surveys/site a/day1.RND";
    g_plotterPaper = 4;
    const PlotterFileDialogValues values = OpenPlotterFileDialog();
    EXPECT_EQ(values.path, "/surveys/site a/day1.txt");
    EXPECT_EQ(values.paper, 0);
    g_currentDataPath.clear();
}

TEST_F(PlotterFile, StartAsksBeforeReplacingAndReportsFailure) {
    g_contourLinesPath = WriteContours({{1, 10.0, {Ground(0, 0), Ground(50, 30), Ground(100, 0)}}});
    PlotterFileDialogValues values{500, 1.0, 0, Output()};
    std::ofstream(Output()) << "keep me";
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_FALSE(StartPlotterFileOutput(values, {}, {}));
    EXPECT_EQ(Bytes(Output()), "keep me");
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].caption, "上書き確認");
    EXPECT_TRUE(StartPlotterFileOutput(values, {}, {}));  // default Yes
    EXPECT_NE(Bytes(Output()).find("105,0"), std::string::npos);
    EXPECT_FALSE(IsProgressWindowOpen());

    ClearRecordedMessages();
    values.path = (m_dir / "no folder" / "x.txt").string();
    EXPECT_TRUE(StartPlotterFileOutput(values, {}, {}));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "ファイルが作成できませんでした。");
    EXPECT_EQ(RecordedMessages()[0].caption, "ファイル作成失敗");
    g_contourLinesPath.clear();
}

// The command's two clicks on the plan-grid survey (plan view at 10 pixels a metre).
#include "model/rnd_file.h"
#include "pointedit/point_array.h"
#include "shell/plotter_file_command.h"
#include "shell/tool_mode.h"
#include "view/view_state.h"
#include "view/projection.h"
#include "view/raster_primitives.h"

namespace {
class TraceBasePick : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_pointCapacity = 100;
        ASSERT_EQ(GrowPointBlock(100), 0);
        std::FILE* rnd = std::fopen(NOSTREL_SOURCE_DIR "/tests/data/plan_grid.RND", "rb");
        ASSERT_EQ(ReadRndText(rnd), 0);
        g_pointsPresent = -1;
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = 1010;
        g_viewCenterY = 2010;
        g_viewScale = 10;
        g_birdsEyeOn = 0;
        g_heightScale = 1;
        g_projectionValid = 0;
        ClearRecordedMessages();
        SetPlotterFileDialogRunner([this](const PlotterBasePoint& a, const PlotterBasePoint& b) {
            m_calls.push_back({a, b});
            m_modeDuringDialog = g_pointEditState;
        });
    }
    void TearDown() override {
        SetPlotterFileDialogRunner(nullptr);
        ReleaseDataModel();
    }
    static int32_t ColOf(int32_t i) { return static_cast<int32_t>(std::lround(400 + (g_points[i].y - 2010) * 10)); }
    static int32_t RowOf(int32_t i) { return static_cast<int32_t>(std::lround(300 - (g_points[i].x - 1010) * 10)); }

    std::vector<std::pair<PlotterBasePoint, PlotterBasePoint>> m_calls;
    int32_t m_modeDuringDialog = 0;
};
}  // namespace

TEST_F(TraceBasePick, TwoClicksOpenTheDialogOnTheirPoints) {
    OnPlotterFileOutput();
    EXPECT_EQ(g_toolMode, MODE_POINT_EDIT);
    EXPECT_EQ(g_pointEditState, POINT_EDIT_PLOTTER_BASE);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "基準となる２点のランダム点を指定してください");

    PickTraceOutputBasePoints(5, 5, 0);  // nowhere near a point
    EXPECT_EQ(g_pickedPoint, 0);
    PickTraceOutputBasePoints(ColOf(1), RowOf(1), 0x04);  // Shift: ignored
    EXPECT_EQ(g_pickedPoint, 0);
    PickTraceOutputBasePoints(ColOf(1), RowOf(1), 0);
    EXPECT_EQ(g_pickedPoint, 1);
    PickTraceOutputBasePoints(ColOf(1), RowOf(1), 0);  // the same point again
    EXPECT_TRUE(m_calls.empty());
    PickTraceOutputBasePoints(ColOf(5), RowOf(5), 0);
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_modeDuringDialog, POINT_EDIT_PLOTTER_BASE);
    EXPECT_EQ(m_calls[0].first.name, std::string(g_points[1].name));
    EXPECT_DOUBLE_EQ(m_calls[0].first.x, g_points[1].x);
    EXPECT_DOUBLE_EQ(m_calls[0].second.y, g_points[5].y);
    // After the dialog: no mode and no pick left marked.
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(g_pickedPoint2, 0);

    // The command given again while picking switches the mode off.
    OnPlotterFileOutput();
    OnPlotterFileOutput();
    EXPECT_EQ(g_toolMode, MODE_NONE);
}

// The fast rounding and text of the coordinates against printf itself: near-ties, binary
// values just beside a tie, signs, negative zero and large values.
TEST(PlotterFileNumbers, TenthsAsPrintfWritesThem) {
    std::vector<double> values = {0.0, -0.0, 0.05, 0.15, 0.25, 0.35, -0.35, 0.45, 1.25, 2.675, -2.675,
                                  -0.04, -0.05, 0.04999999999999999, 12345.65, 99999.95, -99999.95,
                                  1e14 + 0.25, 3e15, -7e16, 123456789.05};
    uint64_t seed = 88172645463325252ull;
    for (int i = 0; i < 40000; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        const double tenths = static_cast<double>(static_cast<int64_t>(seed % 2000000001) - 1000000000) / 10;
        values.push_back(tenths + 0.05);                                  // a tie in decimal
        values.push_back(std::nextafter(tenths + 0.05, 1e300));            // just above it
        values.push_back(std::nextafter(tenths + 0.05, -1e300));           // just below it
        values.push_back(tenths + static_cast<double>(seed % 1000) / 1000);  // anywhere
    }
    for (double v : values) {
        char want[400];
        std::snprintf(want, sizeof want, "%.1lf", v);
        const double rounded = RoundToTenths(v);
        ASSERT_EQ(rounded, std::strtod(want, nullptr)) << want << " from " << v;
        ASSERT_EQ(std::signbit(rounded), want[0] == '-') << want;
        char got[400];
        *AppendTenths(got, rounded) = '\0';
        ASSERT_STREQ(got, want) << v;
    }
}
