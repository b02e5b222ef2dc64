// SIMA output: the records byte for byte on small data, names through iconv, and the
// Jacksboro grid's TIN written in both forms and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../support/jacksboro_grid.h"
#include "contour/contour_files.h"
#include "exchange/import_request.h"
#include "exchange/point_file_reader.h"
#include "exchange/sima_out.h"
#include "import_test_support.h"
#include "model/document_services.h"
#include "model/progress.h"
#include "model/tin_query.h"
#include "platform/encoding.h"
#include "platform/text_io.h"

namespace {

using importtest::ImportFixture;
using importtest::RunCommand;
using Triangle = std::array<int32_t, 3>;

class SimaOut : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        m_keptContours = g_contourLinesPath;
        g_contourLinesPath = (m_dir / "lines.$$$").string();
        g_drawingContoursLoaded = 0;
        ResetSimaOutChoices();
    }
    void TearDown() override {
        g_contourLinesPath = m_keptContours;
        g_drawingContoursLoaded = 0;
        ImportFixture::TearDown();
    }
    // Four points of a square and the TIN's two triangles, as the records hold them.
    static void Square() {
        const double xyz[4][3] = {{0, 0, 1}, {10, 0, 2}, {10, 10, 3}, {0, 10, 4}};
        ASSERT_EQ(EnsurePointCapacity(10), 0);
        for (int i = 0; i < 4; ++i) {
            RandomPoint& p = g_points[i + 1];
            p = RandomPoint{};
            p.x = xyz[i][0], p.y = xyz[i][1], p.z = xyz[i][2];
            std::snprintf(p.name, sizeof p.name, "P%d", i + 1);
        }
        g_pointCount = 4;
        SetPointEndMarker();
        // The TIN as the builder makes it inside the square.
        g_outline.Reset();
        for (int32_t v : {1, 2, 3, 4}) {
            g_outline.Append(v);
            g_points[v].flags |= kPointFlagOutline;
        }
        g_outline.Close();
        g_tinEdgeCapacity = 100;
        ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
        OrientPolygonClockwise(g_outline);
        g_tinEdgeCount = 0;
        MarkPointsOutsideOutline(g_outline);
        BuildTinGrid();
        ASSERT_GT(g_tinEdgeCount, 0);
        g_tinPresent = -1;
    }
    void Contours(const std::vector<std::vector<std::array<double, 2>>>& lines, double level0) {
        std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        double level = level0;
        for (const auto& line : lines) {
            ASSERT_TRUE(WriteContourRecord(f, {kContourCodeStraight, level, static_cast<double>(line.size())}));
            for (const auto& v : line) ASSERT_TRUE(WriteContourRecord(f, {0, v[0], v[1]}));
            level += 1;
        }
        std::fclose(f);
        g_drawingContoursLoaded = -1;
    }
    std::string Output(int32_t contours, int32_t tin, int32_t form) {
        const auto path = m_dir / "out.SIM";
        EXPECT_EQ(WriteSimaFile(path, contours, tin, form), 0);
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        return bytes;
    }
    // The triangles BuildTinAdjacency marks, corners as stored.
    static std::vector<Triangle> MarkedTriangles() {
        std::vector<uint8_t> marks;
        EXPECT_NE(BuildTinAdjacency(nullptr, nullptr, &marks), 0);
        std::vector<Triangle> t;
        for (int32_t k = 1; k <= g_tinEdgeCount; ++k)
            if (marks[k]) t.push_back({std::abs(g_tinEdges[k].a), std::abs(g_tinEdges[k].b), std::abs(g_tinEdges[k].apexSearch)});
        return t;
    }
    std::string m_keptContours;
};

std::string Lines(std::initializer_list<const char*> lines) {
    std::string s;
    for (const char* l : lines) s += std::string(l) + "\r\n";
    return s;
}

TEST_F(SimaOut, SquareInBothForms) {
    Square();
    const std::vector<Triangle> marked = MarkedTriangles();
    ASSERT_EQ(marked.size(), 2u);
    const std::string head = Lines({"G00,01,-,", "A00,", "A01,1,P1,0.000,0.000,1.000,", "A01,2,P2,10.000,0.000,2.000,",
                                    "A01,3,P3,10.000,10.000,3.000,", "A01,4,P4,0.000,10.000,4.000,", "A99,"});
    std::string parcels;
    for (size_t k = 0; k < marked.size(); ++k) {
        parcels += FormatString("D00,%zu,,1,\r\n", k + 1);
        for (int32_t n : marked[k]) parcels += FormatString("B01,%d,,\r\n", n);
        parcels += "D99,\r\n";
    }
    EXPECT_EQ(Output(0, 1, kSimaFormComponents), head + parcels);
    std::string triangles = Lines({"D00,1,,1,", "E00,"});
    for (const Triangle& t : marked) triangles += FormatString("E01,%d,,%d,,%d,,\r\n", t[0], t[1], t[2]);
    triangles += Lines({"E99,", "D99,"});
    EXPECT_EQ(Output(0, 1, kSimaFormTriangles), head + triangles);
    // The two triangles cover the square once: six corners, four points, the diagonal twice.
    std::map<int32_t, int> uses;
    for (const Triangle& t : marked)
        for (int32_t n : t) ++uses[n];
    EXPECT_EQ(uses.size(), 4u);
}

TEST_F(SimaOut, ContoursAloneAndAfterTheTin) {
    Contours({{{1, 2}, {3, 4}, {5, 6}}, {{7, 8}, {9, 10}}}, 20);
    EXPECT_EQ(Output(1, 0, kSimaFormComponents),
              Lines({"G00,01,-,", "A00,", "A01,1,,1.000,2.000,20.000,", "A01,2,,3.000,4.000,20.000,",
                     "A01,3,,5.000,6.000,20.000,", "A01,4,,7.000,8.000,21.000,", "A01,5,,9.000,10.000,21.000,",
                     "A99,", "D00,1,,2,", "B01,1,,", "B01,2,,", "B01,3,,", "D99,", "D00,2,,2,", "B01,4,,",
                     "B01,5,,", "D99,"}));
    // With the TIN in triangle form the contour parcels count from 2, their points from 5.
    Square();
    const std::string both = Output(1, 1, kSimaFormTriangles);
    EXPECT_NE(both.find("A01,5,,1.000,2.000,20.000,\r\n"), std::string::npos);
    EXPECT_NE(both.find("E99,\r\nD99,\r\nD00,2,,2,\r\nB01,5,,\r\nB01,6,,\r\nB01,7,,\r\nD99,\r\nD00,3,,2,\r\n"),
              std::string::npos);
    // Read back as SIMA points: the four points, then the contour vertices (non-zero levels).
    InitDataModel();
    std::FILE* f = std::fopen((m_dir / "out.SIM").c_str(), "rb");
    ASSERT_EQ(ReadImportPointFile(f, kImportKindSima, 0, 3, 0, 5), 0);
    std::fclose(f);
    ASSERT_EQ(g_pointCount, 9);
    EXPECT_STREQ(g_points[4].name, "P4");
    EXPECT_EQ(g_points[9].y, 10.0);
    EXPECT_EQ(g_points[9].z, 21.0);
}

// Hole triangles carry negated point numbers; SIMA gets them as the points they are.
TEST_F(SimaOut, HoleTrianglesWithPositiveNumbers) {
    Square();
    for (int k = 3; k <= 5; ++k) {
        TinEdge& e = g_tinEdges[k];
        e.a = -e.a, e.b = -e.b, e.apexSearch = -e.apexSearch;
    }
    const std::string text = Output(0, 1, kSimaFormTriangles);
    const size_t triangles = text.find("E00,");
    ASSERT_NE(triangles, std::string::npos);
    EXPECT_EQ(text.find('-', triangles), std::string::npos);
    const std::vector<Triangle> marked = MarkedTriangles();
    size_t e01 = 0;
    for (size_t at = text.find("E01,"); at != std::string::npos; at = text.find("E01,", at + 1)) ++e01;
    EXPECT_EQ(e01, marked.size());
}

TEST_F(SimaOut, Cp932NamesReadByIconv) {
    Square();
    const std::string name = Utf8ToCp932("基準点");
    std::memcpy(g_points[1].name, name.c_str(), name.size() + 1);
    Output(0, 1, kSimaFormComponents);
    const std::string utf8 = RunCommand("iconv -f CP932 -t UTF-8 '" + (m_dir / "out.SIM").string() + "'");
    EXPECT_NE(utf8.find("A01,1,基準点,0.000,0.000,1.000,\r\n"), std::string::npos);
    InitDataModel();
    ASSERT_EQ(ImportSimaPoints(m_dir / "out.SIM", false), SimaImport::kRead);
    EXPECT_EQ(Cp932ToUtf8(g_points[1].name), "基準点");
}

TEST_F(SimaOut, FailuresAreReported) {
    Square();
    EXPECT_EQ(WriteSimaFile(m_dir / "x.SIM", 0, 0, 1), kSimaNothingOrNotCreated);
    EXPECT_EQ(WriteSimaFile(m_dir / "no" / "x.SIM", 0, 1, 1), kSimaNothingOrNotCreated);
    // A full disk: the write fails, nothing is left behind.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(WriteSimaFile("/dev/full", 0, 1, 1), kSimaWriteFailed);
    }
    // The window's road: nothing chosen, a declined replace, a failure told.
    g_simaOutPath = (m_dir / "w.SIM").string();
    g_tinPresent = 0;
    ClearRecordedMessages();
    EXPECT_TRUE(RunSimaOutput(true, true));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "出力するデータがありません。");
    g_tinPresent = -1;
    Write("w.SIM", "old");
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_FALSE(RunSimaOutput(false, true));
    std::string bytes;
    ReadFileBytes(g_simaOutPath, bytes);
    EXPECT_EQ(bytes, "old");
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_TRUE(RunSimaOutput(false, true));
    ReadFileBytes(g_simaOutPath, bytes);
    EXPECT_EQ(bytes.rfind("G00,01,-,\r\n", 0), 0u);
    EXPECT_FALSE(IsProgressWindowOpen());
    g_simaOutPath = (m_dir / "no" / "w.SIM").string();
    ClearRecordedMessages();
    EXPECT_TRUE(RunSimaOutput(false, true));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].caption, "ファイル作成失敗");
}

TEST_F(SimaOut, OpeningTakesTheDataNameAndWhatExists) {
    g_currentDataPath = "/surveys/site/north.RND";
    g_tinPresent = -1;
    g_drawingContoursLoaded = 0;
    OpenSimaOut();
    EXPECT_EQ(g_simaOutPath, "/surveys/site/north.SIM");
    EXPECT_EQ(g_simaOutContours, 0);
    EXPECT_EQ(g_simaOutTin, 1);
}

// The Jacksboro grid's TIN in both forms, read back as SIMA points: every point to the
// millimetre, every marked triangle once.
TEST_F(SimaOut, JacksboroBothFormsReadBack) {
    ASSERT_NO_FATAL_FAILURE(jacksboro_grid::LoadWithTin());
    const int32_t count = g_pointCount;
    ASSERT_EQ(count, 138632);
    std::vector<RandomPoint> points(g_points + 1, g_points + 1 + count);
    std::vector<Triangle> marked = MarkedTriangles();
    std::sort(marked.begin(), marked.end());
    for (int32_t form : {kSimaFormTriangles, kSimaFormComponents}) {
        const auto path = m_dir / (form ? "parcels.SIM" : "triangles.SIM");
        ASSERT_EQ(WriteSimaFile(path, 0, 1, form), 0);
        // The triangles as the file has them.
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(path, bytes));
        std::istringstream in(bytes);
        std::string line;
        std::vector<Triangle> written;
        Triangle t{};
        int corner = 0;
        while (std::getline(in, line)) {
            int a, b, c;
            if (std::sscanf(line.c_str(), "E01,%d,,%d,,%d,,", &a, &b, &c) == 3) written.push_back({a, b, c});
            if (std::sscanf(line.c_str(), "B01,%d,,", &a) == 1) {
                t[corner++] = a;
                if (corner == 3) written.push_back(t), corner = 0;
            }
        }
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, marked) << form;

        InitDataModel();
        std::FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_EQ(ReadImportPointFile(f, kImportKindSima, 1, 3, 0, 5), 0);
        std::fclose(f);
        ASSERT_EQ(g_pointCount, count);
        int32_t off = 0;
        for (int32_t i = 0; i < count; ++i) {
            const RandomPoint& p = g_points[i + 1];
            // Three decimals: half a millimetre at most, and a hair for the binary values.
            const bool same = std::fabs(p.x - points[i].x) <= 0.0005 + 1e-9 &&
                              std::fabs(p.y - points[i].y) <= 0.0005 + 1e-9 &&
                              std::fabs(p.z - points[i].z) <= 0.0005 + 1e-9 &&
                              std::strcmp(p.name, points[i].name) == 0;
            if (!same && off++ == 0)
                ADD_FAILURE() << i + 1 << " " << p.name << " " << p.x - points[i].x << " "
                              << p.y - points[i].y << " " << p.z - points[i].z;
        }
        EXPECT_EQ(off, 0);
        ASSERT_NO_FATAL_FAILURE(jacksboro_grid::LoadWithTin());
    }
}

}  // namespace
