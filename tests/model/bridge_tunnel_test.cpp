#include "model/bridge_tunnel.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "file_test_support.h"
#include "model/le_bytes.h"
#include "model/progress.h"
#include "model/record_block.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

namespace fs = std::filesystem;

namespace {

using Record = std::array<int32_t, 4>;
using Edge = std::array<int32_t, 5>;

// An RND file of the named points (X = 10 i, Y = 5 i, Z = i), the zone line first.
std::string RndText(const std::vector<std::string>& names) {
    std::string text = "BL 9\r\n";
    for (int i = 0; i < 4; ++i) text += "********************\r\n";
    for (size_t i = 0; i < names.size(); ++i)
        text += FormatString("%-10s%14.4f  %14.4f  %10.3f  0  0  0\r\n", names[i].c_str(), 10.0 * (i + 1),
                             5.0 * (i + 1), 1.0 * (i + 1));
    return text;
}

std::string TriText(const std::vector<Record>& records, int32_t count = -1) {
    std::string out;
    for (int32_t v : {0, 0, count >= 0 ? count : static_cast<int32_t>(records.size()), 1}) PutLeI32(out, v);
    for (const Record& r : records)
        for (int32_t v : r) PutLeI32(out, v);
    return out;
}

std::vector<Edge> Edges() {
    std::vector<Edge> edges;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        edges.push_back({e.a, e.b, e.apexBack, e.apexSearch, e.state});
    }
    return edges;
}

// A station line of a route file: code in 64-66, X 24-38, Y 39-53, Z 54-63, width 67-76,
// height 77-86.
std::string Station(int code, double x, double y, double z, double width, double height) {
    return FormatString("%-24s%15.4f%15.4f%10.3f%3d%10.3f%10.3f", "NO.1", x, y, z, code, width, height);
}

std::string RouteText(const std::vector<std::string>& stations) {
    std::string text;
    for (int i = 0; i < 5; ++i) text += "HEADER\r\n";
    for (const std::string& s : stations) text += s + "\r\n";
    return text;
}

class BridgeTunnelTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        ClearRecordedFileDialogs();
        MakePoints(3);  // the terrain: points 1..3 and one edge
        EnsureTinEdgeCapacity(1);
        g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 5};
        g_tinEdgeCount = 1;
        SetTinEndRecord();
        g_tinPresent = -1;
    }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        FileTest::TearDown();
    }
};

TEST_F(BridgeTunnelTest, MergesPointsAsInvalidAndEdgesAsHoles) {
    struct Case {
        const char* what;
        std::vector<std::string> names;
        std::vector<Record> records;
        std::vector<Edge> added;  // after the terrain's edge, F = 3
    };
    const Case cases[] = {
        {"an edge beyond the file's points is skipped alone",
         {"A", "B", "C"},
         {{1, 2, kNoApex, 3}, {1, 4, kNoApex, 3}, {0, 2, kNoApex, 3}, {2, 3, 9, 1}, {-2, -3, -1, 1}},
         {{-4, -5, -6, -6, 0}, {-5, -6, -4, -4, 0}}},
        {"between two marked points in both directions, else once",
         {"P1_CB", "P2_FB", "P3"},
         {{1, 2, 3, 3}, {1, 3, 2, 2}},
         {{-4, -5, -6, -6, 0}, {-5, -4, -6, -6, 0}, {-4, -6, -5, -5, 0}}},
        {"a mark in the tail of a ten-character name still counts",
         {"BRIDGE1_CB", "BRIDGE2_FB", "X"},
         {{1, 2, kNoApex, 3}},
         {{-4, -5, -6, -6, 0}, {-5, -4, -6, -6, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const fs::path rnd = Write("bridge.RND", RndText(c.names));
        Write("bridge.TRI", TriText(c.records));
        EXPECT_EQ(MergeBridgeTunnelData(rnd.string()), 1);
        ASSERT_EQ(g_pointCount, 3 + static_cast<int32_t>(c.names.size()));
        for (int32_t i = 4; i <= g_pointCount; ++i) {
            EXPECT_EQ(g_points[i].invalid, 1);
            EXPECT_EQ(g_points[i].plotKind, 0);
            EXPECT_LE(std::strlen(g_points[i].name), 8u);
            EXPECT_DOUBLE_EQ(g_points[i].x, 10.0 * (i - 3));  // never the name's tail
        }
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        std::vector<Edge> expected{{1, 2, kNoApex, 3, 5}};
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(Edges(), expected);
        EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
        EXPECT_FALSE(IsProgressWindowOpen());
        TearDown();
    }
}

TEST_F(BridgeTunnelTest, ThreeFilesFromTheDialogEachShiftedByTheCountBefore) {
    // One answer holding the three paths, as the multi-select dialog gives them.
    std::string joined;
    const std::vector<int> sizes = {2, 3, 2};
    for (int k = 0; k < 3; ++k) {
        std::vector<std::string> names;
        for (int i = 0; i < sizes[k]; ++i) names.push_back(FormatString("F%dP%d", k, i));
        const fs::path rnd = Write(FormatString("part%d.RND", k), RndText(names));
        Write(FormatString("part%d.TRI", k), TriText({{1, 2, kNoApex, 2}}));
        joined += (joined.empty() ? "" : "\n") + rnd.string();
    }
    QueueFileDialogAnswer(joined);
    OnBridgeTunnelMerge();
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_TRUE(RecordedFileDialogs().back().multiple);
    EXPECT_EQ(RecordedFileDialogs().back().title, "橋梁、トンネルランダムデータ読み込み");
    EXPECT_EQ(g_pointCount, 3 + 2 + 3 + 2);
    const std::vector<Edge> expected = {{1, 2, kNoApex, 3, 5},
                                        {-4, -5, -5, -5, 0},
                                        {-6, -7, -7, -7, 0},
                                        {-9, -10, -10, -10, 0}};
    EXPECT_EQ(Edges(), expected);
    EXPECT_EQ(g_dataChanged, -1);
}

TEST_F(BridgeTunnelTest, BadInputIsToldAndCountsStayConsistent) {
    struct Case {
        const char* what;
        std::string rnd;
        std::string tri;
        int32_t result;
        int32_t points;  // after the terrain's 3
        const char* message;
    };
    std::string textInNumber = RndText({"A", "B", "C"});
    textInNumber.replace(textInNumber.find("20.0000"), 7, "2O.0000");
    const Case cases[] = {
        {"no file", "", "", 0, 0, "ファイルが開けません"},
        {"text in a number", textInNumber, TriText({{1, 2, kNoApex, 3}}), 0, 0, "点データとして読めない行"},
        {"short line", RndText({"A"}) + "B      1.0\r\n" + RndText({"C"}).substr(6 + 22 * 4), "", 0, 0,
         "点データとして読めない行"},
        {"no .TRI", RndText({"A", "B"}), "", 0, 2, "がないため"},
        {"count above 1e8", RndText({"A", "B"}), TriText({{1, 2, kNoApex, 2}}, 100000001), 0, 2, "壊れている"},
        {"count beyond the file", RndText({"A", "B"}), TriText({{1, 2, kNoApex, 2}}, 2), 0, 2, "壊れている"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const fs::path rnd = Dir() / "in.RND";
        if (!c.rnd.empty()) Write("in.RND", c.rnd);
        if (!c.tri.empty()) Write("in.TRI", c.tri);
        EXPECT_EQ(MergeBridgeTunnelData(rnd.string()), c.result);
        EXPECT_EQ(g_pointCount, 3 + c.points);
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        EXPECT_EQ(g_tinEdgeCount, 1);
        EXPECT_FALSE(IsProgressWindowOpen());
        ASSERT_FALSE(RecordedMessages().empty());
        EXPECT_NE(RecordedMessages().back().text.find(c.message), std::string::npos) << RecordedMessages().back().text;
        TearDown();
    }
}

TEST_F(BridgeTunnelTest, PointBlockFailureKeepsThePointsSoFar) {
    std::vector<std::string> names;
    for (int i = 0; i < 80; ++i) names.push_back(FormatString("B%d", i));
    const fs::path rnd = Write("big.RND", RndText(names));
    Write("big.TRI", TriText({{1, 2, kNoApex, 3}}));
    g_pointCapacity = 60;
    ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
    InjectAllocationFailures(0);
    EXPECT_EQ(MergeBridgeTunnelData(rnd.string()), 0);
    EXPECT_EQ(g_pointCapacity, 60);
    EXPECT_GT(g_pointCount, 3);
    EXPECT_LT(g_pointCount, 83);
    EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
    EXPECT_EQ(g_tinEdgeCount, 1);
    EXPECT_EQ(RecordedMessages().back().text, "ランダムデータのメモリ確保に失敗しました");
    EXPECT_FALSE(IsProgressWindowOpen());
}

struct Portal {
    double x, y, z;
};

std::vector<Portal> AddedPoints(int32_t from) {
    std::vector<Portal> points;
    for (int32_t i = from; i <= g_pointCount; ++i) {
        EXPECT_STREQ(g_points[i].name, "T");
        EXPECT_EQ(g_points[i].invalid, 0);
        points.push_back({g_points[i].x, g_points[i].y, g_points[i].z});
    }
    return points;
}

TEST_F(BridgeTunnelTest, PortalOpeningsAcrossTheRoute) {
    // A route running north (X) along Y = 0 at elevation 100, 10 m between stations.
    auto run = [&](const std::vector<int>& codes, double width, double height) {
        SetUp();
        std::vector<std::string> lines;
        for (size_t i = 0; i < codes.size(); ++i)
            lines.push_back(Station(codes[i], 10.0 * i, 0.0, 100.0, width, height));
        const fs::path rut = Write("route.RUT", RouteText(lines));
        EXPECT_EQ(GetTunnelPortalsFromRoute(rut.string()), 1);
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        return AddedPoints(4);
    };

    // Entry at the first station: from the left side over the crown to the right side.
    std::vector<Portal> arch = run({2, -2}, 8, 6);
    ASSERT_EQ(arch.size(), 9u);
    const Portal expected[] = {{0.5, -4, 101}, {0.5, 0, 106}, {0.5, 4, 101}};
    for (int k : {0, 4, 8}) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(arch[k].x, expected[k / 4].x, 1e-9);
        EXPECT_NEAR(arch[k].y, expected[k / 4].y, 1e-9);
        EXPECT_NEAR(arch[k].z, expected[k / 4].z, 1e-9);
    }
    // k = 2: 45 degrees up the arch.
    EXPECT_NEAR(arch[2].y, -4 * std::cos(M_PI / 4), 1e-9);
    EXPECT_NEAR(arch[2].z, 101 + 5 * std::sin(M_PI / 4), 1e-9);
    TearDown();

    // Two portals with tunnel stations between: 0.5 m inside after the first, before the second.
    std::vector<Portal> two = run({0, 2, -2, -2, 2, 0}, 8, 6);
    ASSERT_EQ(two.size(), 18u);
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(two[k].x, 10.5, 1e-9);
    for (int k = 9; k < 18; ++k) EXPECT_NEAR(two[k].x, 39.5, 1e-9);
    EXPECT_NEAR(two[9].y, -4, 1e-9);  // both start on the left of the route's direction
    TearDown();

    // A tunnel of two portal stations: both openings.
    std::vector<Portal> short_ = run({2, 2}, 6, 5);
    ASSERT_EQ(short_.size(), 18u);
    EXPECT_NEAR(short_[0].x, 0.5, 1e-9);
    EXPECT_NEAR(short_[9].x, 9.5, 1e-9);
    TearDown();

    // Height 1: nine points at z + 1 on a line across the route.
    std::vector<Portal> flat = run({2, -2}, 8, 1);
    ASSERT_EQ(flat.size(), 9u);
    for (const Portal& p : flat) {
        EXPECT_NEAR(p.z, 101, 1e-12);
        EXPECT_NEAR(p.x, 0.5, 1e-9);
    }
    TearDown();

    // No tunnel: nothing.
    EXPECT_TRUE(run({0, 0, 1, -1}, 8, 6).empty());
}

TEST_F(BridgeTunnelTest, RouteGarbageIsRefusedBeforeAnyPoint) {
    const std::vector<std::string> cases = {
        RouteText({Station(2, 0, 0, 100, 8, 6), Station(-2, 10, 0, 100, 8, 6), "garbage line"}),
        RouteText({Station(2, 0, 0, 100, 8, 6), Station(-2, 10, 0, 100, 8, 6).replace(30, 3, "x.y")}),
        std::string("\x01\x02\xff\r\n", 5) + std::string(200, '\xfe') + "\r\n\r\n\r\n\r\n" +
            std::string(100, '\x7f') + "\r\n",
    };
    for (const std::string& text : cases) {
        SetUp();
        const fs::path rut = Write("bad.RUT", text);
        EXPECT_EQ(GetTunnelPortalsFromRoute(rut.string()), 0);
        EXPECT_EQ(g_pointCount, 3);
        ASSERT_FALSE(RecordedMessages().empty());
        EXPECT_NE(RecordedMessages().back().text.find("読めない行"), std::string::npos);
        TearDown();
    }
    SetUp();
    EXPECT_EQ(GetTunnelPortalsFromRoute((Dir() / "missing.RUT").string()), 0);
    EXPECT_EQ(g_pointCount, 3);
    // An empty file holds no portal.
    EXPECT_EQ(GetTunnelPortalsFromRoute(Write("empty.RUT", "").string()), 1);
    EXPECT_EQ(g_pointCount, 3);
    // Nor does a route file as the route-file writer lays it out, without the tunnel columns.
    ClearRecordedMessages();
    EXPECT_EQ(GetTunnelPortalsFromRoute(NOSTREL_SOURCE_DIR "/tests/data/route/fixture.RUT"), 1);
    EXPECT_EQ(g_pointCount, 3);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(BridgeTunnelTest, PortalCommandAsksForTheRouteFile) {
    const fs::path rut =
        Write("route.RUT", RouteText({Station(2, 0, 0, 100, 8, 6), Station(-2, 10, 0, 100, 8, 6)}));
    QueueFileDialogAnswer(rut.string());
    OnTunnelPortalFromRoute();
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].title, "トンネル開口部データ登録");
    EXPECT_EQ(g_pointCount, 12);
    EXPECT_EQ(g_dataChanged, -1);
}

}  // namespace
