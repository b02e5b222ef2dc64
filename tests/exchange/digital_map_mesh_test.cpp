// Digital-map mesh import: the small published example exactly, spacings by extension,
// rows without data, the grid TIN over a table of sizes (edge count, triangles tiling the
// outline), projected cell centres against PROJ, the zone dialog's presets, and refusals
// that leave the data as they were.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "contour/contour_dialog.h"
#include "exchange/delimited_text.h"
#include "exchange/digital_map_mesh.h"
#include "import_test_support.h"
#include "model/geodesy.h"
#include "model/record_block.h"
#include "model/zone_dialog.h"
#include "view/display_flags.h"
#include "volume/tin_report.h"

namespace {

using importtest::ImportFixture;
using importtest::RunCommand;

struct Dms {
    int d, m, s;
};

// A header in the published columns; columns 1 to 19 carry a mesh code we do not read.
std::string Header(int datum, int n, int m, Dms swLat, Dms swLon, Dms neLat, Dms neLon, const std::string& flags) {
    char head[80];
    std::snprintf(head, sizeof head, "533945 DEM  KOKUDO %4d%3d%3d%3d%2d%2d%3d%2d%2d%3d%2d%2d%3d%2d%2d", datum, n, m,
                  swLat.d, swLat.m, swLat.s, swLon.d, swLon.m, swLon.s, neLat.d, neLat.m, neLat.s, neLon.d,
                  neLon.m, neLon.s);
    std::string line = head;
    line.resize(225, ' ');
    return line + flags + "\r\n";
}

// A data line: nine columns of row key, then the values in tenths of a metre, "%5d".
std::string Row(const std::vector<int>& values) {
    std::string line = "533945001";
    for (int v : values) {
        char field[16];
        std::snprintf(field, sizeof field, "%5d", v);
        line += field;
    }
    return line + "\r\n";
}

constexpr Dms kSwLat{35, 40, 0}, kSwLon{139, 45, 0}, kNeLat{35, 45, 0}, kNeLon{139, 52, 30};

class DigitalMapMesh : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        SetImportZoneDialog(nullptr);
        g_planeZone = 0;
    }
    void TearDown() override {
        SetImportZoneDialog(nullptr);
        InjectAllocationFailures(-1, 0);
        ImportFixture::TearDown();
    }
    // An n x m file with every row flagged and value 10 r + c.
    std::filesystem::path Grid(int n, int m, const std::string& name = "g.MEM", int datum = 2001) {
        std::string text = Header(datum, n, m, kSwLat, kSwLon, kNeLat, kNeLon, std::string(m, '1'));
        for (int r = 1; r <= m; ++r) {
            std::vector<int> values;
            for (int c = 1; c <= n; ++c) values.push_back(10 * r + c);
            text += Row(values);
        }
        return Write(name, text);
    }
    // Three points, one triangle and an outline: what a failed import must leave alone.
    static void OldData() {
        g_pointCount = 3;
        for (int32_t i = 1; i <= 3; ++i) {
            g_points[i] = RandomPoint{};
            g_points[i].x = i, g_points[i].y = i * i, g_points[i].z = 7;
        }
        SetPointEndMarker();
        g_tinEdgeCount = 1;
        g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
        SetTinEndRecord();
        g_tinPresent = -1;
        g_outline.Reset();
        for (int32_t i = 1; i <= 3; ++i) g_outline.Append(i);
        g_outline.Close();
    }
    static void ExpectOldData() {
        EXPECT_EQ(g_pointCount, 3);
        EXPECT_EQ(g_points[3].y, 9);
        EXPECT_EQ(g_points[4].hidden, kEndMarker);
        EXPECT_EQ(g_tinEdgeCount, 1);
        EXPECT_EQ(g_tinPresent, -1);
        EXPECT_EQ(g_outline[0], 3);
        EXPECT_EQ(g_outline[4], 1);
    }
};

TEST_F(DigitalMapMesh, SmallMeshOnTheLocalGridExactly) {
    const auto path = Write("a.MEM", Header(2001, 2, 2, kSwLat, kSwLon, kNeLat, kNeLon, "11") + Row({100, 200}) +
                                         Row({300, -9999}));
    QueueMessageAnswer(msg::kIdNo);
    g_simpleContourInterval = 1;
    g_simpleContourIndexInterval = 5;
    ASSERT_EQ(ImportDigitalMapMesh(path), 0);
    ASSERT_EQ(g_pointCount, 4);
    struct P {
        double x, y, z;
    };
    const P want[4] = {{50, 0, 10}, {50, 50, 20}, {0, 0, 30}, {0, 50, 0}};
    for (int32_t i = 1; i <= 4; ++i) {
        EXPECT_DOUBLE_EQ(g_points[i].x, want[i - 1].x) << i;
        EXPECT_DOUBLE_EQ(g_points[i].y, want[i - 1].y) << i;
        EXPECT_DOUBLE_EQ(g_points[i].z, want[i - 1].z) << i;
        EXPECT_EQ(g_points[i].flags, kPointFlagOutline) << i;
        EXPECT_EQ(g_points[i].plotKind, 3);
        EXPECT_EQ(g_points[i].invalid, 0);
        EXPECT_STREQ(g_points[i].name, "");
    }
    EXPECT_EQ(g_points[5].hidden, kEndMarker);
    const TinEdge edges[5] = {{1, 3, kNoApex, 4, 0}, {3, 4, kNoApex, 1, 0}, {4, 2, kNoApex, 1, 0},
                              {2, 1, kNoApex, 4, 0}, {4, 1, 2, 3, 0}};
    ASSERT_EQ(g_tinEdgeCount, 5);
    for (int32_t i = 1; i <= 5; ++i) {
        const TinEdge& e = g_tinEdges[i];
        EXPECT_EQ(e.a, edges[i - 1].a) << i;
        EXPECT_EQ(e.b, edges[i - 1].b) << i;
        EXPECT_EQ(e.apexBack, edges[i - 1].apexBack) << i;
        EXPECT_EQ(e.apexSearch, edges[i - 1].apexSearch) << i;
    }
    EXPECT_EQ(g_tinEdges[6].a, -1);
    EXPECT_EQ(g_tinEdges[6].apexSearch, -1);
    EXPECT_EQ(g_tinPresent, -1);
    const int32_t outline[6] = {4, 1, 3, 4, 2, 1};
    for (int32_t k = 0; k < 6; ++k) EXPECT_EQ(g_outline[k], outline[k]) << k;
    EXPECT_EQ(g_simpleContourInterval, 20.0);
    EXPECT_EQ(g_simpleContourIndexInterval, 100.0);
    EXPECT_EQ(g_dataChanged, -1);
}

TEST_F(DigitalMapMesh, SpacingByExtension) {
    struct Case {
        const char* name;
        double size;
    };
    for (const Case& c : {Case{"a.MEM", 50}, Case{"a.mem", 50}, Case{"a.SEM", 250}, Case{"a.LEM", 1000}, Case{"a.KEM", 1000}}) {
        InitDataModel();
        QueueMessageAnswer(msg::kIdNo);
        ASSERT_EQ(ImportDigitalMapMesh(Grid(3, 2, c.name)), 0) << c.name;
        EXPECT_DOUBLE_EQ(g_points[1].x, c.size) << c.name;  // north-west
        EXPECT_DOUBLE_EQ(g_points[3].y, 2 * c.size) << c.name;
        EXPECT_DOUBLE_EQ(g_points[4].x, 0) << c.name;
    }
}

TEST_F(DigitalMapMesh, RowWithoutDataLine) {
    // Row 2 is not flagged: its points lie at 0 and the next line belongs to row 3.
    const auto path = Write("r.MEM", Header(2001, 2, 3, kSwLat, kSwLon, kNeLat, kNeLon, "101") + Row({11, 12}) +
                                         Row({31, 32}));
    QueueMessageAnswer(msg::kIdNo);
    ASSERT_EQ(ImportDigitalMapMesh(path), 0);
    const double want[6] = {1.1, 1.2, 0, 0, 3.1, 3.2};
    for (int32_t i = 1; i <= 6; ++i) EXPECT_NEAR(g_points[i].z, want[i - 1], 1e-12) << i;
}

TEST_F(DigitalMapMesh, GridTinOverSizes) {
    struct Case {
        int n, m;
    };
    for (const Case& c : {Case{2, 2}, Case{3, 2}, Case{2, 3}, Case{5, 4}, Case{12, 7}}) {
        InitDataModel();
        QueueMessageAnswer(msg::kIdNo);
        ASSERT_EQ(ImportDigitalMapMesh(Grid(c.n, c.m)), 0);
        const int n = c.n, m = c.m;
        EXPECT_EQ(g_tinEdgeCount, 3 * m * n - 2 * m - 2 * n + 1) << n << "x" << m;
        int border = 0;
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) border += g_tinEdges[i].apexBack == kNoApex;
        EXPECT_EQ(border, 2 * (n - 1) + 2 * (m - 1));
        // The marked triangles are the 2 (n - 1)(m - 1) halves of the cells and tile the
        // outline: their areas add up to the outline's (shoelace), none is flat or turned.
        int triangles = 0;
        double sum = 0;
        ASSERT_TRUE(ForEachTinTriangle(0, [&](const RandomPoint& a, const RandomPoint& b, const RandomPoint& p) {
            const double twice = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
            EXPECT_GT(std::fabs(twice), 1.0);
            sum += std::fabs(twice) / 2;
            ++triangles;
        }));
        EXPECT_EQ(triangles, 2 * (n - 1) * (m - 1));
        ASSERT_EQ(g_outline[0], 2 * (m + n) - 4);
        EXPECT_EQ(g_outline[g_outline[0] + 1], g_outline[1]);
        double shoelace = 0;
        int flagged = 0;
        for (int32_t k = 1; k <= g_outline[0]; ++k) {
            const RandomPoint& p = g_points[g_outline[k]];
            const RandomPoint& q = g_points[g_outline[k + 1]];
            shoelace += p.x * q.y - q.x * p.y;
        }
        for (int32_t i = 1; i <= g_pointCount; ++i) flagged += g_points[i].flags == kPointFlagOutline;
        EXPECT_EQ(flagged, g_outline[0]);
        EXPECT_NEAR(sum, std::fabs(shoelace) / 2, 1e-6);
        EXPECT_NEAR(sum, (n - 1) * 50.0 * (m - 1) * 50.0, 1e-6);
    }
}

// With Yes and no datum conversion, the north and south rows from column 2 on lie on the
// cell centres as PROJ projects them, on both datums. The west column is interpolated
// along chords, and a parallel bows off its chord: within a metre over these 11 km.
TEST_F(DigitalMapMesh, CellCentresAgainstProj) {
    const int n = 5, m = 4;
    struct Case {
        int datum;
        const char* crs;
    };
    for (const Case& c : {Case{2001, "EPSG:6668 EPSG:6677"}, Case{1997, "EPSG:4301 EPSG:30169"}}) {
        InitDataModel();
        int offeredZone = 0;
        SetImportZoneDialog([&](ZoneSelectValues& v) {
            offeredZone = v.m_zone;
            v.m_convertDatum = 0;
            return true;
        });
        QueueMessageAnswer(msg::kIdYes);
        ASSERT_EQ(ImportDigitalMapMesh(Grid(n, m, "p.MEM", c.datum)), 0);
        EXPECT_EQ(offeredZone, 9);
        EXPECT_EQ(g_planeZone, 9);
        const double swLat = 35 + 40 / 60.0, neLat = 35 + 45 / 60.0;
        const double swLon = 139 + 45 / 60.0, neLon = 139 + 52.5 / 60.0;
        const double cellLat = (neLat - swLat) / m, cellLon = (neLon - swLon) / n;
        std::string input;
        for (int r = 1; r <= m; ++r)
            for (int col = 1; col <= n; ++col) {
                char line[80];
                std::snprintf(line, sizeof line, "%.12f %.12f\n", neLat - (r - 0.5) * cellLat, swLon + (col - 0.5) * cellLon);
                input += line;
            }
        std::istringstream proj(RunCommand("printf '" + input + "' | cs2cs -d 5 " + c.crs));
        for (int r = 1; r <= m; ++r)
            for (int col = 1; col <= n; ++col) {
                double x = 0, y = 0;
                std::string h;
                ASSERT_TRUE(proj >> x >> y >> h);
                const RandomPoint& p = g_points[(r - 1) * n + col];
                const bool exact = (r == 1 || r == m) && col >= 2;
                const bool corner = (r == 1 || r == m) && (col == 1 || col == n);
                if (exact) {
                    EXPECT_NEAR(p.x, x, 0.001) << c.datum << " " << r << "," << col;
                    EXPECT_NEAR(p.y, y, 0.001) << c.datum << " " << r << "," << col;
                } else if (corner) {
                    EXPECT_NEAR(p.x, x, 1.0) << c.datum << " " << r << "," << col;
                    EXPECT_NEAR(p.y, y, 0.01) << c.datum << " " << r << "," << col;
                }
            }
    }
}

// Two meshes mirrored about the zone's central meridian (139-50 in zone 9) give mirrored
// points, the interpolated columns too: the parallels fall in X towards the meridian on
// one side and rise on the other, and the half-cell insets follow them. (The corner points
// of the east column are projected, those of the west column interpolated: not compared.)
TEST_F(DigitalMapMesh, MirroredAboutTheCentralMeridian) {
    const int n = 6, m = 5;
    SetImportZoneDialog([](ZoneSelectValues& v) {
        v.m_convertDatum = 0;
        return true;
    });
    std::vector<RandomPoint> sides[2];
    const Dms from[2] = {{139, 40, 0}, {139, 50, 0}}, to[2] = {{139, 50, 0}, {140, 0, 0}};
    for (int side = 0; side < 2; ++side) {
        InitDataModel();
        std::string text = Header(2001, n, m, kSwLat, from[side], kNeLat, to[side], std::string(m, '1'));
        for (int r = 1; r <= m; ++r) text += Row(std::vector<int>(n, 100));
        QueueMessageAnswer(msg::kIdYes);
        ASSERT_EQ(ImportDigitalMapMesh(Write("side.MEM", text)), 0);
        ASSERT_EQ(g_planeZone, 9);
        sides[side].assign(g_points, g_points + n * m + 1);
    }
    for (int r = 1; r <= m; ++r)
        for (int c = 1; c <= n; ++c) {
            if ((r == 1 || r == m) && (c == 1 || c == n)) continue;
            const RandomPoint& p = sides[0][(r - 1) * n + c];
            const RandomPoint& q = sides[1][(r - 1) * n + (n + 1 - c)];
            EXPECT_NEAR(p.x, q.x, 0.001) << r << "," << c;
            EXPECT_NEAR(p.y, -q.y, 0.001) << r << "," << c;
        }
}

TEST_F(DigitalMapMesh, ZoneDialogPresetsAndCancel) {
    struct Case {
        int datum;
        int32_t selection, convert;
    };
    for (const Case& c : {Case{1997, 0, 1}, Case{2001, 1, -1}}) {
        InitDataModel();
        OldData();
        ZoneSelectValues seen;
        SetImportZoneDialog([&](ZoneSelectValues& v) {
            seen = v;
            return false;
        });
        QueueMessageAnswer(msg::kIdYes);
        EXPECT_EQ(ImportDigitalMapMesh(Grid(3, 3, "z.MEM", c.datum)), kDigitalMapCancelled);
        EXPECT_EQ(seen.m_zone, 9);
        EXPECT_EQ(seen.m_datumSelection, c.selection) << c.datum;
        EXPECT_EQ(seen.m_convertDatum, c.convert) << c.datum;
        ExpectOldData();
    }
    // Zone 0 from the dialog: told, nothing changed.
    SetImportZoneDialog([](ZoneSelectValues& v) {
        v.m_zone = 0;
        return true;
    });
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(ImportDigitalMapMesh(Grid(3, 3)), kDigitalMapCancelled);
    EXPECT_EQ(RecordedMessages().size(), 2u);
    ExpectOldData();
}

TEST_F(DigitalMapMesh, RefusalsLeaveTheDataAsTheyWere) {
    struct Case {
        const char* what;
        std::string text;
        int32_t result;
    };
    const std::string flags = "1111";
    const Case cases[] = {
        {"one column", Header(2001, 1, 4, kSwLat, kSwLon, kNeLat, kNeLon, flags) + Row({1}), kDigitalMapBadGrid},
        {"one row", Header(2001, 4, 1, kSwLat, kSwLon, kNeLat, kNeLon, "1") + Row({1, 2, 3, 4}), kDigitalMapBadGrid},
        {"negative", Header(2001, -5, 4, kSwLat, kSwLon, kNeLat, kNeLon, flags), kDigitalMapBadGrid},
        {"no header", "", kDigitalMapBadGrid},
        {"short header", "533945 DEM\r\n", kDigitalMapBadGrid},
        {"missing rows", Header(2001, 2, 4, kSwLat, kSwLon, kNeLat, kNeLon, flags) + Row({1, 2}), kDigitalMapDamaged},
    };
    for (const Case& c : cases) {
        InitDataModel();
        OldData();
        ClearRecordedMessages();
        QueueMessageAnswer(msg::kIdNo);
        EXPECT_EQ(ImportDigitalMapMesh(Write("bad.MEM", c.text)), c.result) << c.what;
        EXPECT_FALSE(RecordedMessages().empty()) << c.what;
        ExpectOldData();
    }
    InitDataModel();
    OldData();
    ClearRecordedMessages();
    EXPECT_EQ(ImportDigitalMapMesh(m_dir / "none.MEM"), kDigitalMapCannotOpen);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "ファイルが見つからないか、ファイル名が正しくありません。");
    ExpectOldData();
}

TEST_F(DigitalMapMesh, BlocksThatCannotGrowLeaveTheDataAsTheyWere) {
    // 101 x 100 cells outgrow both start blocks; the point block fails, then the TIN block.
    const auto path = Grid(101, 100, "big.MEM");
    for (int successes : {0, 1}) {
        InitDataModel();
        OldData();
        ClearRecordedMessages();
        QueueMessageAnswer(msg::kIdNo);
        InjectAllocationFailures(successes);
        EXPECT_EQ(ImportDigitalMapMesh(path), kDigitalMapNoMemory) << successes;
        InjectAllocationFailures(-1, 0);
        ASSERT_EQ(RecordedMessages().size(), 2u);
        EXPECT_EQ(RecordedMessages()[1].text, "メモリ不足で取り込めません");
        ExpectOldData();
        EXPECT_GT(g_tinEdgesBlock.Size(), g_tinEdgeCount + 1);
    }
    InitDataModel();
    QueueMessageAnswer(msg::kIdNo);
    ASSERT_EQ(ImportDigitalMapMesh(path), 0);
    EXPECT_EQ(g_pointCount, 10100);
    EXPECT_EQ(g_tinEdgeCount, 3 * 10100 - 200 - 202 + 1);
}

}  // namespace
