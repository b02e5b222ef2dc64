#include "analysis/elevations_from_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/jacksboro_grid.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"

namespace fs = std::filesystem;

namespace {
double Plane(double x, double y) { return 0.3 * x - 0.2 * y + 50; }

// A 5 x 5 grid 10 m apart from (90, 190) on the plane above, its ring as the outline.
void PlaneGridTin() {
    InitDataModel();
    g_pointCapacity = 1000;
    ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
    auto node = [](int r, int c) { return r * 5 + c + 1; };
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) {
            RandomPoint p{};
            p.x = 90 + 10 * r;
            p.y = 190 + 10 * c;
            p.z = Plane(p.x, p.y);
            g_points[++g_pointCount] = p;
        }
    SetPointEndMarker();
    g_pointsPresent = -1;
    g_outline.Reset();
    for (int c = 0; c < 5; ++c) g_outline.Append(node(0, c));
    for (int r = 1; r < 5; ++r) g_outline.Append(node(r, 4));
    for (int c = 3; c >= 0; --c) g_outline.Append(node(4, c));
    for (int r = 3; r >= 1; --r) g_outline.Append(node(r, 0));
    for (int32_t k = 1; k <= g_outline.Count(); ++k) g_points[g_outline[k]].flags |= kPointFlagOutline;
    g_outline.Close();
    g_tinEdgeCapacity = 400;
    ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ASSERT_GT(g_tinEdgeCount, 0);
}

std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteAll(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

class ElevationsFromFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("elev_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        PlaneGridTin();
        g_editPoint = RandomPoint{};
    }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
        fs::remove_all(dir);
    }
    ArbitraryElevationSettings Settings(const std::string& in, const std::string& out) {
        ArbitraryElevationSettings s;
        s.inputPath = (dir / in).string();
        s.outputPath = (dir / out).string();
        s.inputChosen = s.outputChosen = true;
        return s;
    }
    fs::path dir;
};
}  // namespace

TEST_F(ElevationsFromFile, CsvLinesGetTheTinElevation) {
    WriteAll(dir / "in.csv", "100.5,200.25,P-1\r\n\"A 1\",x\n120,210,\"A 1\"\n500,500,FAR\n");
    ArbitraryElevationSettings s = Settings("in.csv", "out.csv");
    ASSERT_TRUE(ArbitraryElevationCalculate(s));
    char z[32];
    std::snprintf(z, sizeof z, "%.3f", Plane(100.5, 200.25));
    EXPECT_EQ(std::string(z), "40.100");
    // The damaged second line reads as 0, 0 (outside) and the far point is skipped.
    EXPECT_EQ(ReadAll(dir / "out.csv"), "100.500,200.250,40.100,P-1       \r\n"
                                        "120.000,210.000,44.000,A1        \r\n");
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "標高計算終了");
    EXPECT_EQ(g_pointCount, 25);  // nothing appended
}

TEST_F(ElevationsFromFile, AppendsOnlyComputedPoints) {
    WriteAll(dir / "in.csv", "100,200,IN\n500,500,FAR\n");
    ArbitraryElevationSettings s = Settings("in.csv", "out.rnd");
    s.outputFormat = 1;
    s.append = 1;
    s.outputAll = 1;
    ASSERT_EQ(CalcElevationsFromFile(s), 1);
    EXPECT_EQ(ReadAll(dir / "out.rnd"),
              "********************\r\n********************\r\n********************\r\n"
                  "********************\r\n********************\r\n"
                  "IN              100.0000        200.0000      40.000  0  0  0\r\n"
                  "FAR             500.0000        500.0000       0.000  0  0  0\r\n");
    ASSERT_EQ(g_pointCount, 26);
    EXPECT_STREQ(g_points[26].name, "IN");
    EXPECT_DOUBLE_EQ(g_points[26].z, 40);
    EXPECT_EQ(g_points[27].hidden, kEndMarker);
    EXPECT_EQ(g_dataChanged, -1);
}

TEST_F(ElevationsFromFile, RefusedBeforeAnyFileIsOpened) {
    WriteAll(dir / "in.csv", "100,200,IN\n");
    fs::create_directories(dir / "sub");
    struct Case {
        ArbitraryElevationSettings s;
        const char* message;
    } cases[] = {
        {ArbitraryElevationSettings{}, "座標ファイルを選択してください。"},
        {[&] { auto s = Settings("in.csv", "x"); s.outputChosen = false; return s; }(), "出力ファイル名を指定してください。"},
        {Settings("in.csv", "in.csv"), "座標ファイルと出力ファイルが同じです。"},
        {Settings("in.csv", "sub/../in.csv"), "座標ファイルと出力ファイルが同じです。"},
        {Settings("in.csv", "./in.csv"), "座標ファイルと出力ファイルが同じです。"},
        {Settings("missing.csv", "out.csv"), "標高計算できませんでした。"},
    };
    for (const Case& c : cases) {
        ClearRecordedMessages();
        EXPECT_FALSE(ArbitraryElevationCalculate(c.s));
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages()[0].text, c.message);
        EXPECT_EQ(ReadAll(dir / "in.csv"), "100,200,IN\n");
    }
}

TEST_F(ElevationsFromFile, CounterShownAfterTheEleventhPoint) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += std::to_string(100 + i) + ",200,P\n";
    WriteAll(dir / "in.csv", text);
    ASSERT_EQ(CalcElevationsFromFile(Settings("in.csv", "out.csv")), 1);
    EXPECT_EQ(g_progressCounter, "計算座標数[    11]");
}

TEST_F(ElevationsFromFile, RndInputSkipsItsHeadersAndReadsFieldsByColumn) {
    // Short and damaged lines read as far as they reach.
    WriteAll(dir / "in.rnd", "100,200,H1\n100,200,H2\n100,200,H3\n100,200,H4\n100,200,H5\n"
                             "R1            100.0000        200.0000      12.000  0  0  0\n"
                             "R2            110.0000\n"
                             "R3\n");
    ArbitraryElevationSettings s = Settings("in.rnd", "out.csv");
    s.inputFormat = 2;
    s.outputAll = 1;
    ASSERT_EQ(CalcElevationsFromFile(s), 1);
    EXPECT_EQ(ReadAll(dir / "out.csv"), "100.000,200.000,40.000,R1        \r\n"
                                        "110.000,0.000,0.000,R2        \r\n"
                                        "0.000,0.000,0.000,R3        \r\n");
}

TEST(ElevationsFromJacksboro, RndLinesOfTheGridReturnTheirOwnCoordinates) {
    jacksboro_grid::LoadWithTin();
    const fs::path dir = fs::temp_directory_path() / ("elevj_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ifstream grid(SurveyFile("jacksboro_grid.RND"), std::ios::binary);
    std::string line, input;
    for (int i = 0; i < 5 && std::getline(grid, line); ++i) input += line + "\n";
    std::vector<std::string> picked;
    for (int n = 1; std::getline(grid, line) && picked.size() < 1000; ++n) {
        const int r = (n - 1) / jacksboro_grid::kColumns, c = (n - 1) % jacksboro_grid::kColumns;
        if (r == 0 || c == 0 || c == jacksboro_grid::kColumns - 1 || n % 97 != 0) continue;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        picked.push_back(line);
        input += line + "\n";
    }
    ASSERT_EQ(picked.size(), 1000u);
    WriteAll(dir / "in.RND", input);
    ArbitraryElevationSettings s;
    s.inputFormat = 2;
    s.outputFormat = 1;
    s.inputPath = (dir / "in.RND").string();
    s.outputPath = (dir / "out.RND").string();
    s.inputChosen = s.outputChosen = true;
    ASSERT_EQ(CalcElevationsFromFile(s), 1);
    std::istringstream out(ReadAll(dir / "out.RND"));
    for (int i = 0; i < 5; ++i) std::getline(out, line);
    for (const std::string& in : picked) {
        ASSERT_TRUE(std::getline(out, line));
        // Name, X, Y and Z columns as the grid has them.
        EXPECT_EQ(line.substr(0, 52), in.substr(0, 52));
    }
    EXPECT_FALSE(std::getline(out, line));
    fs::remove_all(dir);
    ReleaseDataModel();
}

TEST(CoordinateLines, FieldsReadAsFarAsTheyReach) {
    struct Case {
        const char* line;
        double x, y;
        const char* name;
    } cases[] = {
        {"100.5,200.25,P-1", 100.5, 200.25, "P-1"},
        {"1,2,\"A 1\",extra", 1, 2, "A1"},
        {"7", 7, 0, ""},
        {"abc,12x,", 0, 12, ""},
        {"", 0, 0, ""},
        {"1,2,ABCDEFGHIJKLMN", 1, 2, "ABCDEFGHIJK"},
        {"1,2,ABCDEFGHIJ\x82\xa0", 1, 2, "ABCDEFGHIJ"},  // no half character
        {"1,2,ABCDEFGHI\x82\xa0", 1, 2, "ABCDEFGHI\x82\xa0"},
    };
    for (const Case& c : cases) {
        RandomPoint p{};
        p.z = 9;
        ParseCoordinateCsvLine(c.line, &p);
        EXPECT_EQ(p.x, c.x) << c.line;
        EXPECT_EQ(p.y, c.y) << c.line;
        EXPECT_EQ(p.z, 0) << c.line;
        EXPECT_STREQ(p.name, c.name) << c.line;
    }
}
