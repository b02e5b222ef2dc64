// The mesh as text: the grid import with its TIN, the clipboard tables and the RND/.TRI
// output of the nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "../support/survey_data.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/tin_grid_builder.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "model/tri_file.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "volume/mesh_data.h"
#include "volume/mesh_text.h"
#include "volume/tin_to_tin.h"
#include "mesh_test_support.h"
#include "volume_test_support.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string TabsToCommas(std::string s) {
    for (char& ch : s)
        if (ch == '\t') ch = ',';
    return s;
}

// Every TIN record's search-side triangle is counter-clockwise on the map, and border
// records carry "none" in the back slot only.
void ExpectBuilderConvention() {
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& t = g_tinEdges[e];
        ASSERT_NE(t.apexSearch, kNoApex) << e;
        EXPECT_GT(voltest::MapCross(t.a, t.b, t.apexSearch), 0) << e;
        if (t.apexBack != kNoApex) {
            EXPECT_LT(voltest::MapCross(t.a, t.b, t.apexBack), 0) << e;
        }
    }
}

class MeshTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        m_folder = voltest::FreshFolder("mesh_text");
    }
    void TearDown() override { ReleaseDataModel(); }
    fs::path m_folder;
};

TEST(MeshTextField, MarksNamesAndValidity) {
    struct Case {
        const char* field;
        double z;
        bool invalid;
        const char* name;
    };
    const Case cases[] = {
        {"", 0, true, ""},          {"  ", 0, true, ""},        {"12.5", 12.5, false, ""},
        {"12.5C", 12.5, false, "_C"}, {"12.5*", 12.5, true, ""},  {"9999", 0, false, "_W"},
        {"9999.0004", 0, false, "_W"}, {"9999.01", 9999.01, false, ""}, {"7f", 7, false, "_F"},
        {"*3n", 0, true, "_N"},     {"4cH", 4, false, "_H"},    {"-2.25w*", -2.25, true, "_W"},
        {"1e2", 100, false, ""},
    };
    for (const Case& c : cases) {
        const MeshTextField f = ParseMeshTextField(c.field);
        EXPECT_DOUBLE_EQ(f.z, c.z) << c.field;
        EXPECT_EQ(f.invalid, c.invalid) << c.field;
        EXPECT_EQ(f.name, c.name) << c.field;
    }
}

TEST_F(MeshTextTest, KeyedHeaderPlacesTheGrid) {
    const fs::path path = m_folder / "keyed.csv";
    WriteText(path,
              "Ox=10,Oy=20,Rotate=0,l_len=40,w_len=20,l_pich=20,w_pich=10\r\n"
              "1,2,3\r\n4,5,6\r\n7,8,9\r\n");
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextLowest, 0), 0);
    ASSERT_EQ(g_pointCount, 9);
    struct Case {
        int32_t number;
        double x, y, z;
    };
    const Case cases[] = {{1, 10, 20, 1}, {3, 50, 20, 3}, {7, 10, 40, 7}, {5, 30, 30, 5}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(g_points[c.number].x, c.x) << c.number;
        EXPECT_DOUBLE_EQ(g_points[c.number].y, c.y) << c.number;
        EXPECT_DOUBLE_EQ(g_points[c.number].z, c.z) << c.number;
    }
    EXPECT_EQ(g_points[10].hidden, kEndMarker);
    EXPECT_NE(g_pointsPresent, 0);
    EXPECT_NE(g_tinPresent, 0);
    EXPECT_EQ(CheckBadTriangles(0), 0);
}

TEST_F(MeshTextTest, MissingValuesTakeTheRuleAndStayInvalid) {
    const fs::path path = m_folder / "missing.csv";
    // Row 2 is short, row 3 is missing from the file; 12.5* is an invalid value.
    WriteText(path, "0,0,0,20,20,10,10\n1,2,3\n4,,12.5*\n");
    struct Case {
        int32_t rule;
        double given;
        double want;
    };
    const Case cases[] = {{kMeshTextLowest, 0, 1}, {kMeshTextHighest, 0, 4}, {kMeshTextGiven, 7.5, 7.5}};
    for (const Case& c : cases) {
        ASSERT_EQ(ImportMeshText(path.string(), c.rule, c.given), 0) << c.rule;
        ASSERT_EQ(g_pointCount, 9);
        for (int32_t k : {5, 6, 7, 8, 9}) {
            EXPECT_EQ(g_points[k].invalid, 1) << k;
            EXPECT_DOUBLE_EQ(g_points[k].z, c.want) << c.rule << " point " << k;
        }
        EXPECT_EQ(g_points[4].invalid, 0);
        EXPECT_DOUBLE_EQ(g_points[4].z, 4);
    }
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(MeshTextTest, NoValidElevationGivesZeroAndSaysSo) {
    const fs::path path = m_folder / "empty.csv";
    WriteText(path, "0,0,0,10,10,10,10\r\n,\r\n*5,3*\r\n");
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextHighest, 0), 0);
    for (int32_t k = 1; k <= 4; ++k) {
        EXPECT_EQ(g_points[k].invalid, 1);
        EXPECT_EQ(g_points[k].z, 0) << k;
    }
    ASSERT_EQ(RecordedMessages().size(), 1u);
}

TEST_F(MeshTextTest, BadHeaderIsRefusedAndTheLoadedDataKept) {
    voltest::MakeGridTin(2, 2, 10, [](double, double) { return 5.0; });
    const int32_t points = g_pointCount, edges = g_tinEdgeCount;
    const char* headers[] = {"0,0,0,0,20,10,10", "0,0,0,20,20,-1,10", "0,0,0,20", "",
                             "0,0,0,nan,20,10,10", "0,0,0,1e12,1e12,0.001,0.001"};
    for (const char* header : headers) {
        ClearRecordedMessages();
        const fs::path path = m_folder / "bad.csv";
        WriteText(path, std::string(header) + "\r\n1,2,3\r\n");
        EXPECT_EQ(ImportMeshText(path.string(), kMeshTextLowest, 0), -1) << header;
        EXPECT_EQ(RecordedMessages().size(), 1u) << header;
        EXPECT_EQ(g_pointCount, points);
        EXPECT_EQ(g_tinEdgeCount, edges);
    }
    EXPECT_EQ(ImportMeshText((m_folder / "no such file.csv").string(), 1, 0), -1);
}

TEST_F(MeshTextTest, ShortRowsAreEmptyUnlessTheyHoldANumber) {
    // One column (l_len below the pitch) of four rows: "7" without a line break at the end.
    const fs::path path = m_folder / "short.csv";
    WriteText(path, "0,0,0,5,30,10,10\r\n5\r\n\r\n,\n7");
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextGiven, -1), 0);
    ASSERT_EQ(g_pointCount, 4);
    const double z[] = {0, 5, -1, -1, 7};
    const int16_t invalid[] = {0, 0, 1, 1, 0};
    for (int32_t k = 1; k <= 4; ++k) {
        EXPECT_EQ(g_points[k].z, z[k]) << k;
        EXPECT_EQ(g_points[k].invalid, invalid[k]) << k;
    }
}

TEST_F(MeshTextTest, LongRowsAreReadWhole) {
    // Rows far longer than 20 characters per field must not spill into the next row.
    const std::string pad(200, ' ');
    std::string text = "0,0,0,20,10,10,10\r\n";
    text += pad + "1," + pad + "2," + pad + "3\r\n";
    text += "4,5,6\r\n";
    const fs::path path = m_folder / "long.csv";
    WriteText(path, text);
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextLowest, 0), 0);
    const double want[] = {0, 1, 2, 3, 4, 5, 6};
    for (int32_t k = 1; k <= 6; ++k) {
        EXPECT_EQ(g_points[k].invalid, 0) << k;
        EXPECT_DOUBLE_EQ(g_points[k].z, want[k]) << k;
    }
}

// Each cell triangle of the imported TIN carries the plane through its three nodes; the
// rotated grid keeps the builder's orientation and the TIN check finds nothing bad.
TEST_F(MeshTextTest, ImportedTinGivesThePlaneOfEachCellTriangle) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> height(100, 140);
    const int32_t columns = 5, rows = 4;
    std::vector<double> z(columns * rows + 1);
    std::ostringstream text;
    text << "Ox=1000,Oy=2000,Rotate=33.5,l_len=40,w_len=45,l_pich=10,w_pich=15\r\n";
    for (int32_t i = 1; i <= rows; ++i) {
        for (int32_t j = 1; j <= columns; ++j) {
            z[(i - 1) * columns + j] = std::round(height(random) * 1000) / 1000;
            text << FormatString("%.3f", z[(i - 1) * columns + j]) << (j < columns ? "," : "\r\n");
        }
    }
    const fs::path path = m_folder / "plane.csv";
    WriteText(path, text.str());
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextLowest, 0), 0);
    ASSERT_EQ(g_pointCount, columns * rows);
    // Edges of a grid split by diagonals: 3 per cell plus the two far borders.
    EXPECT_EQ(g_tinEdgeCount, 3 * (columns - 1) * (rows - 1) + (columns - 1) + (rows - 1));
    ExpectBuilderConvention();
    EXPECT_EQ(CheckBadTriangles(0), 0);

    auto id = [columns](int32_t j, int32_t i) { return (i - 1) * columns + j; };
    for (int32_t i = 1; i < rows; ++i)
        for (int32_t j = 1; j < columns; ++j) {
            const int32_t cells[2][3] = {{id(j, i), id(j + 1, i), id(j + 1, i + 1)},
                                         {id(j, i), id(j + 1, i + 1), id(j, i + 1)}};
            for (const auto& tri : cells) {
                double x = 0, y = 0, want = 0;
                for (int32_t v : tri) {
                    x += g_points[v].x / 3;
                    y += g_points[v].y / 3;
                    want += z[v] / 3;  // the plane at the centroid is the mean of the corners
                }
                double got = 0;
                ASSERT_NE(LocateTinTriangle(x, y, &got), 0) << j << "," << i;
                EXPECT_NEAR(got, want, 1e-9) << j << "," << i;
            }
        }
}

TEST_F(MeshTextTest, ElevationTableImportsBack) {
    meshtest::LayMesh(-120.25, 340.5, 17.25, 60, 40, 20, 10, [](int32_t c, int32_t r) { return 50 + c * 1.25 - r * 0.5; });
    meshtest::NodeAt(3, 2).valid = 0;
    meshtest::NodeAt(4, 5).valid = 0;
    const std::string table = MeshElevationTable(MeshClipboardValues{});
    EXPECT_EQ(table.rfind("Ox=-120.250\tOy=340.500\tRotate=17.2500000\tl_len=60.000\tw_len=40.000\t"
                          "l_pich=20.000\tw_pich=10.000\t\r\n",
                          0),
              0u);
    const fs::path path = m_folder / "table.csv";
    WriteText(path, TabsToCommas(table));
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextGiven, -3), 0);
    ASSERT_EQ(g_pointCount, g_meshNodeCount);
    for (int32_t k = 1; k <= g_meshNodeCount; ++k) {
        const MeshNode& n = g_meshNodes.Data()[k];
        EXPECT_NEAR(g_points[k].x, n.x, 1e-3) << k;  // the header carries three decimals
        EXPECT_NEAR(g_points[k].y, n.y, 1e-3) << k;
        EXPECT_EQ(g_points[k].invalid, n.valid ? 0 : 1) << k;
        EXPECT_DOUBLE_EQ(g_points[k].z, n.valid ? std::round(n.z * 1000) / 1000 : -3) << k;
    }

    // The other order lists columns from the far end; missing nodes may be written.
    const std::string other = MeshElevationTable(MeshClipboardValues{true, 1});
    std::istringstream lines(other);
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_EQ(line, FormatString("%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t\r", meshtest::NodeAt(4, 1).z, meshtest::NodeAt(4, 2).z,
                                 meshtest::NodeAt(4, 3).z, meshtest::NodeAt(4, 4).z, meshtest::NodeAt(4, 5).z));
}

TEST_F(MeshTextTest, VolumeTableListsTheCellsOnly) {
    meshtest::LayMesh(0, 0, 0, 20, 10, 10, 10, [](int32_t c, int32_t) { return c; });
    meshtest::NodeAt(2, 1).cut = 12.3456;
    meshtest::NodeAt(2, 1).fill = 0.5;
    const std::string table = MeshVolumeTable();
    const std::string header =
        "縦番号\t横番号\tＸ座標\tＹ座標\t現況標高\t計画標高\t現況平均標高\t計画平均標高\t切土量\t盛土量\r\n";
    EXPECT_EQ(table, header + "1\t1\t0.000\t0.000\t1.000\t0.000\t0.000\t0.000\t0.000\t0.000\r\n" +
                         "2\t1\t10.000\t0.000\t2.000\t0.000\t0.000\t0.000\t12.346\t0.500\r\n");
}

// Reads an RND and its .TRI back with the program's readers.
void ReadBack(const fs::path& rnd) {
    InitDataModel();
    std::FILE* f = std::fopen(rnd.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    g_pointCapacity = 1000;
    ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
    ASSERT_EQ(ReadRndText(f), 0);
    g_pointsPresent = -1;
}

TEST_F(MeshTextTest, TwoByTwoMeshGivesFourPointsAndFiveEdges) {
    meshtest::LayMesh(100, 200, 0, 10, 10, 10, 10, [](int32_t c, int32_t r) { return c * 10 + r; });
    const fs::path rnd = m_folder / "two.RND";
    QueueMessageAnswer(msg::kIdYes);
    ASSERT_EQ(WriteMeshAsRandom(rnd.string()), 0);
    std::string text;
    ASSERT_TRUE(ReadFileBytes(rnd, text));
    EXPECT_NE(text.find("  1-  1         100.0000        200.0000      11.000  0  0  3\r\n"), std::string::npos);
    ReadBack(rnd);
    ASSERT_EQ(g_pointCount, 4);
    EXPECT_STREQ(g_points[2].name, "  2-  1");
    EXPECT_EQ(g_points[4].z, 22);
    std::FILE* tri = std::fopen(WithExtension(rnd, ".TRI").c_str(), "rb");
    ASSERT_NE(tri, nullptr);
    ASSERT_EQ(ReadTriFile(tri), 0);
    std::fclose(tri);
    EXPECT_EQ(g_tinEdgeCount, 5);
    ExpectBuilderConvention();
    EXPECT_EQ(CheckBadTriangles(0), 0);
}

TEST_F(MeshTextTest, TriOfALargerRotatedMeshFollowsTheBuilder) {
    meshtest::LayMesh(5000, -300, 241.5, 70, 50, 10, 10, [](int32_t c, int32_t r) { return c - 0.5 * r; });
    const fs::path rnd = m_folder / "rot.RND";
    ASSERT_EQ(WriteMeshNodesAsRandom(rnd.string(), true), 0);
    ReadBack(rnd);
    std::FILE* tri = std::fopen(WithExtension(rnd, ".TRI").c_str(), "rb");
    ASSERT_NE(tri, nullptr);
    ASSERT_EQ(ReadTriFile(tri), 0);
    std::fclose(tri);
    ExpectBuilderConvention();
    EXPECT_EQ(CheckBadTriangles(0), 0);
    // Every cell's two triangles are there: the TIN covers each cell's centre.
    for (double a = 5; a < 70; a += 10)
        for (double b = 5; b < 50; b += 10) {
            const double t = 241.5 * M_PI / 180;
            EXPECT_NE(LocateTinTriangle(5000 + a * std::cos(t) + b * std::sin(t),
                                        -300 - a * std::sin(t) + b * std::cos(t), nullptr),
                      0);
        }
}

TEST_F(MeshTextTest, NoTriWithoutMissingNodesOrOnALattice) {
    const fs::path rnd = m_folder / "lattice.RND";
    WriteText(WithExtension(rnd, ".TRI"), "old");
    // An equilateral lattice: the first cell's diagonals differ.
    meshtest::LayMesh(0, 0, 0, 20, 20, 10, 10, [](int32_t, int32_t) { return 1.0; });
    for (int32_t r = 1; r <= g_meshRows; ++r)
        for (int32_t c = 1; c <= g_meshColumns; ++c) {
            meshtest::NodeAt(c, r).x = (c - 1) * 10 + (r % 2 ? 0 : 5);
            meshtest::NodeAt(c, r).y = (r - 1) * 10 * std::sqrt(3.0) / 2;
        }
    ASSERT_EQ(WriteMeshNodesAsRandom(rnd.string(), true), 0);
    EXPECT_FALSE(fs::exists(WithExtension(rnd, ".TRI")));

    meshtest::LayMesh(0, 0, 0, 20, 20, 10, 10, [](int32_t, int32_t) { return 1.0; });
    meshtest::NodeAt(2, 2).valid = 0;
    ASSERT_EQ(WriteMeshNodesAsRandom(rnd.string(), false), 0);
    EXPECT_FALSE(fs::exists(WithExtension(rnd, ".TRI")));
    ReadBack(rnd);
    EXPECT_EQ(g_pointCount, 8);
}

// The jacksboro grid's elevations as a mesh text on a 92.5 x 74.5 m lattice (both exact in
// binary and in RND text): mesh columns run north (the length axis), mesh rows east.
constexpr int32_t kJacksboroRows = 344, kJacksboroColumns = 403;  // of the survey grid
bool WriteJacksboroMeshText(const fs::path& path, std::vector<double>* elevations) {
    InitDataModel();
    std::FILE* f = std::fopen(SurveyFile("jacksboro_grid.RND").c_str(), "rb");
    if (!f) return false;
    g_pointCapacity = 200000;
    if (GrowPointBlock(g_pointCapacity) != 0 || ReadRndText(f) != 0) return false;
    if (g_pointCount != kJacksboroRows * kJacksboroColumns) return false;
    // Survey rows run from the north edge; (north, east) counted from the south-west corner.
    auto z = [](int32_t north, int32_t east) {
        return g_points[(kJacksboroRows - 1 - north) * kJacksboroColumns + east + 1].z;
    };
    std::string text = FormatString("0,0,0,%.1f,%.1f,92.5,74.5\r\n", (kJacksboroRows - 1) * 92.5,
                                    (kJacksboroColumns - 1) * 74.5);
    elevations->assign(1, 0);
    for (int32_t e = 0; e < kJacksboroColumns; ++e) {
        for (int32_t n = 0; n < kJacksboroRows; ++n) {
            text += FormatString("%.3f", z(n, e));
            text += n + 1 < kJacksboroRows ? "," : "\r\n";
            elevations->push_back(z(n, e));
        }
    }
    WriteText(path, text);
    InitDataModel();
    return true;
}

// Sum over the TIN's triangles (each once) of plan area x mean elevation.
double PrismSum(double* absoluteSum) {
    std::set<std::array<int32_t, 3>> seen;
    double sum = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        for (int32_t apex : {e.apexSearch, e.apexBack}) {
            if (apex == kNoApex) continue;
            std::array<int32_t, 3> t{std::abs(e.a), std::abs(e.b), std::abs(apex)};
            std::sort(t.begin(), t.end());
            if (!seen.insert(t).second) continue;
            const RandomPoint &p = g_points[t[0]], &q = g_points[t[1]], &r = g_points[t[2]];
            const double area = std::fabs((q.y - p.y) * (r.x - p.x) - (q.x - p.x) * (r.y - p.y)) / 2;
            sum += area * (p.z + q.z + r.z) / 3;
            *absoluteSum += std::fabs(area * (p.z + q.z + r.z) / 3);
        }
    }
    return sum;
}

TEST_F(MeshTextTest, JacksboroGridAsMeshText) {
    std::vector<double> z;
    const fs::path path = m_folder / "jacksboro.csv";
    ASSERT_TRUE(WriteJacksboroMeshText(path, &z));
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextLowest, 0), 0);
    ASSERT_EQ(g_pointCount, kJacksboroRows * kJacksboroColumns);
    for (int32_t e = 0; e < kJacksboroColumns; e += 7)
        for (int32_t n = 0; n < kJacksboroRows; n += 5) {
            const int32_t k = e * kJacksboroRows + n + 1;
            EXPECT_EQ(g_points[k].x, n * 92.5);
            EXPECT_EQ(g_points[k].y, e * 74.5);
            EXPECT_EQ(g_points[k].z, z[k]);
            EXPECT_EQ(g_points[k].invalid, 0);
        }
    EXPECT_EQ(g_tinEdgeCount, 3 * (kJacksboroRows - 1) * (kJacksboroColumns - 1) + (kJacksboroRows - 1) +
                                  (kJacksboroColumns - 1));
    EXPECT_EQ(CheckBadTriangles(0), 0);

#if defined(__SANITIZE_ADDRESS__)
    return;  // the whole survey against a base TIN takes minutes under the sanitizers
#endif
    // Against the grid builder's TIN of the same points as the base: the volumes between
    // them add up to the difference of their prism sums.
    double absolute = 0;
    const double current = PrismSum(&absolute);
    InitDataModel();
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextLowest, 0), 0);
    g_tinEdgeCount = 0;
    g_tinPresent = 0;
    const int32_t columns = kJacksboroRows, rows = kJacksboroColumns;  // of the mesh
    auto node = [columns](int32_t j, int32_t i) { return (i - 1) * columns + j; };
    auto add = [](int32_t p) {
        g_outline.Append(p);
        g_points[p].flags |= kPointFlagOutline;
    };
    for (int32_t j = 1; j <= columns; ++j) add(node(j, 1));
    for (int32_t i = 2; i <= rows; ++i) add(node(columns, i));
    for (int32_t j = columns - 1; j >= 1; --j) add(node(j, rows));
    for (int32_t i = rows - 1; i >= 2; --i) add(node(1, i));
    g_outline.Close();
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ASSERT_GT(g_tinEdgeCount, 0);
    const double base = PrismSum(&absolute);
    const fs::path basePath = voltest::WriteBaseTin(m_folder, "jacksboro_base");

    InitDataModel();
    ASSERT_EQ(ImportMeshText(path.string(), kMeshTextLowest, 0), 0);
    TinVolumeRequest request;
    ASSERT_GT(CalcTinToTinVolume(basePath, &request), 0);
    EXPECT_NEAR(request.plusVolume + request.minusVolume, current - base, 1e-9 * absolute);
}

}  // namespace
