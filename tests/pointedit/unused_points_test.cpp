// Deleting unused points: which points go for each answer, the renumbered TIN and outline,
// the report and the block's shrinking; on the Jacksboro grid with its TIN, invalid points
// added by clicks go and nothing else changes, also after saving and reading back.
#include "pointedit/unused_points.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../support/jacksboro_grid.h"
#include "../support/tin_edge_ends.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "shell/quiet_mode.h"
#include "shell/status_text.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

struct Spot {
    const char* name;
    double x, y;
    int16_t invalid;
    int8_t outside;
};

// Corners 1..4 of a 10 m square are the outline and the TIN's vertices (two triangles, one
// of them a hole); the others are loose, inside or outside the square.
const Spot kSpots[] = {
    {"IN_INV", 5, 5, 1, 0},   {"C1", 0, 0, 0, 0},       {"IN_OK", 4, 6, 0, 0},
    {"C2", 0, 10, 1, 0},      {"OUT_OK", 20, 20, 0, 1}, {"C3", 10, 10, 0, 0},
    {"OUT_INV", -5, 3, 1, 1}, {"C4", 10, 0, 0, 0},      {"OUT_MARK", 3, 3, 0, 1},
};

int32_t Find(const char* name) {
    for (int32_t i = 1; i <= g_pointCount; ++i)
        if (std::strcmp(g_points[i].name, name) == 0) return i;
    return 0;
}

void LoadSpots(bool outline, bool closed) {
    InitDataModel();
    for (const Spot& s : kSpots) {
        ASSERT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = s.x;
        p.y = s.y;
        p.z = s.x + s.y;
        p.invalid = s.invalid;
        p.outside = s.outside;
        std::snprintf(p.name, sizeof p.name, "%s", s.name);
    }
    SetPointEndMarker();
    g_pointsPresent = -1;
    const int32_t c1 = Find("C1"), c2 = Find("C2"), c3 = Find("C3"), c4 = Find("C4");
    g_tinEdgeCount = 5;
    ASSERT_EQ(EnsureTinEdgeCapacity(6), 0);
    g_tinEdges[1] = {c1, c2, kNoApex, c3, 0};
    g_tinEdges[2] = {c2, c3, kNoApex, c1, 0};
    g_tinEdges[3] = {c3, c1, c4, c2, 0};
    g_tinEdges[4] = {-c3, -c4, kNoApex, -c1, 0};  // the hole triangle
    g_tinEdges[5] = {-c4, -c1, kNoApex, -c3, 0};
    SetTinEndRecord();
    g_outline.Reset();
    if (outline) {
        for (int32_t v : {c1, c2, c3, c4}) g_outline.Append(v);
        if (closed) g_outline.Close();
    }
}

std::set<std::string> Names() {
    std::set<std::string> names;
    for (int32_t i = 1; i <= g_pointCount; ++i) names.insert(g_points[i].name);
    return names;
}

class UnusedPoints : public ::testing::Test {
protected:
    void SetUp() override { ClearRecordedMessages(); }
    void TearDown() override {
        g_quietMode = 0;
        ReleaseDataModel();
    }
};

TEST_F(UnusedPoints, WhatGoesForEachAnswer) {
    struct Case {
        int answer;
        bool outline;
        bool quiet;
        std::set<std::string> kept;
    };
    const std::set<std::string> corners = {"C1", "C2", "C3", "C4"};
    auto with = [&](std::initializer_list<const char*> more) {
        std::set<std::string> s = corners;
        for (const char* m : more) s.insert(m);
        return s;
    };
    const Case cases[] = {
        // No: invalid unused points go, valid ones and the invalid TIN vertex C2 stay.
        {msg::kIdNo, true, false, with({"IN_OK", "OUT_OK", "OUT_MARK"})},
        // Yes: the valid unused points outside the outline go too; OUT_MARK lies inside
        // whatever its stale byte said.
        {msg::kIdYes, true, false, with({"IN_OK", "OUT_MARK"})},
        // Yes without an outline: the outside bytes as they stand.
        {msg::kIdYes, false, false, with({"IN_OK"})},
        // Quiet mode answers Yes without asking.
        {msg::kIdCancel, true, true, with({"IN_OK", "OUT_MARK"})},
        // Cancel changes nothing.
        {msg::kIdCancel, true, false, with({"IN_INV", "IN_OK", "OUT_OK", "OUT_INV", "OUT_MARK"})},
    };
    for (const Case& c : cases) {
        LoadSpots(c.outline, true);
        const std::vector<EdgeEnds> before = TinEdgeEnds();
        g_quietMode = c.quiet ? 1 : 0;
        ClearRecordedMessages();
        QueueMessageAnswer(c.answer);
        DeleteUnusedPoints();
        g_quietMode = 0;
        EXPECT_EQ(RecordedMessages().size(), c.quiet ? 0u : 1u);
        EXPECT_EQ(Names(), c.kept) << c.answer << " outline " << c.outline;
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        const std::vector<EdgeEnds> after = TinEdgeEnds();
        for (size_t e = 0; e < after.size(); ++e) {
            EXPECT_EQ(after[e].ax, before[e].ax) << e;
            EXPECT_EQ(after[e].by, before[e].by) << e;
        }
        // Signs of the hole and the no-apex value survive the renumbering.
        EXPECT_LT(g_tinEdges[4].a, 0);
        EXPECT_EQ(g_tinEdges[4].apexSearch, -Find("C1"));
        EXPECT_EQ(g_tinEdges[4].apexBack, kNoApex);
        EXPECT_EQ(g_tinEdges[3].apexBack, Find("C4"));
        if (c.outline) {
            ASSERT_EQ(g_outline.Count(), 4);
            EXPECT_TRUE(g_outline.IsClosed()) << "the closing copy follows the first entry";
            std::set<int32_t> vertices;
            for (int32_t k = 1; k <= 4; ++k) vertices.insert(g_outline[k]);
            EXPECT_EQ(vertices,
                      (std::set<int32_t>{Find("C1"), Find("C2"), Find("C3"), Find("C4")}));
        }
    }
}

TEST_F(UnusedPoints, ReportsWithThousandsAndShrinksTheBlock) {
    struct Case {
        int32_t capacity, kept, deleted;
        int32_t capacityAfter;
    };
    const Case cases[] = {{500000, 150000, 1234, 250000}, {400000, 150000, 1234, 400000}};
    for (const Case& c : cases) {
        InitDataModel();
        g_pointCapacity = c.capacity;
        ASSERT_EQ(GrowPointBlock(c.capacity), 0);
        g_pointCount = c.kept + c.deleted;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            g_points[i] = RandomPoint{};
            g_points[i].z = i;
            g_points[i].invalid = i > c.kept ? 1 : 0;
        }
        SetPointEndMarker();
        g_pointsPresent = -1;
        QueueMessageAnswer(msg::kIdNo);
        DeleteUnusedPoints();
        EXPECT_EQ(g_pointCount, c.kept);
        EXPECT_EQ(StatusText(), "   1,234 点削除しました。");
        EXPECT_EQ(g_pointCapacity, c.capacityAfter);
        EXPECT_EQ(g_points[c.kept + 1].hidden, kEndMarker);
        EXPECT_EQ(g_pointZMin, 1);
        EXPECT_EQ(g_pointZMax, c.kept);
    }
}

TEST_F(UnusedPoints, DeletingEveryPointLeavesAnEmptyArray) {
    InitDataModel();
    for (int32_t i = 0; i < 3; ++i) {
        EnsurePointCapacity(g_pointCount + 1);
        g_points[++g_pointCount] = RandomPoint{};
        g_points[g_pointCount].invalid = 1;
    }
    SetPointEndMarker();
    g_pointsPresent = -1;
    QueueMessageAnswer(msg::kIdNo);
    DeleteUnusedPoints();
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(g_points[1].hidden, kEndMarker);
    EXPECT_EQ(g_pointsPresent, 0);
}

TEST_F(UnusedPoints, CommandAndKeyEmptyThePickListsFirst) {
    for (bool key : {false, true}) {
        LoadSpots(true, true);
        g_pickList.Reset();
        g_pickList.Append(Find("OUT_INV"));
        g_pickList2.Reset();
        g_pickList2.Append(Find("IN_INV"));
        g_pickedPoint = Find("IN_INV");
        QueueMessageAnswer(msg::kIdNo);
        if (key)
            OnViewKey('D');
        else
            OnDeleteUnusedPoints();
        EXPECT_EQ(g_pickList.Count(), 0) << key;
        EXPECT_EQ(g_pickList2.Count(), 0) << key;
        EXPECT_EQ(g_pickedPoint, 0) << key;
        EXPECT_EQ(g_pointCount, 7) << key;
        EXPECT_EQ(g_dataChanged, 1) << key;
    }
}

// ---- the Jacksboro grid ----

using namespace jacksboro_grid;

TEST_F(UnusedPoints, JacksboroInvalidClicksGoAndTheRestStays) {
    LoadWithTin();
    const int32_t gridCount = g_pointCount;
    std::vector<RandomPoint> grid(g_points + 1, g_points + 1 + gridCount);
    const std::vector<EdgeEnds> before = TinEdgeEnds();
    // Twenty points added by clicks with 無効 set, between the grid's nodes.
    g_birdsEyeOn = 0;
    g_viewScale = 0.5;
    g_viewportCenterX = 500;
    g_viewportCenterY = 400;
    g_viewCenterX = g_points[Node(kRows / 2, kColumns / 2)].x;
    g_viewCenterY = g_points[Node(kRows / 2, kColumns / 2)].y;
    g_newPointInvalid = 1;
    g_newPointName = "ADD";
    for (int32_t k = 0; k < 20; ++k) {
        g_editPoint = RandomPoint{};
        CopyPointName(g_editPoint.name, g_newPointName);
        g_editPoint.invalid = static_cast<int16_t>(g_newPointInvalid);
        const int32_t b = AppendPointAtCursor(437 + 13 * k, 311 + 7 * k);
        ASSERT_EQ(b, g_pointCount + 1);
        g_pointCount = b;
    }
    g_newPointInvalid = 0;
    g_newPointName.clear();
    ASSERT_EQ(g_pointCount, gridCount + 20);
    g_pickList2.Append(gridCount + 3);

    QueueMessageAnswer(msg::kIdNo);
    OnViewKey('D');
    ASSERT_EQ(g_pointCount, gridCount);
    for (int32_t i = 1; i <= gridCount; ++i)
        ASSERT_EQ(std::memcmp(&g_points[i], &grid[i - 1], sizeof(RandomPoint)), 0) << i;
    const std::vector<EdgeEnds> after = TinEdgeEnds();
    ASSERT_NO_FATAL_FAILURE(AssertSameEdgeEnds(before, after));

    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("unused_points_" + std::to_string(::getpid()) + ".RND");
    {
        TextFileWriter file(path);
        ASSERT_EQ(WriteRndText(file), kRndWritten);
        ASSERT_TRUE(file.Close());
    }
    const std::vector<RandomPoint> saved(g_points + 1, g_points + 1 + gridCount);
    g_pointCount = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_EQ(ReadRndText(f), 0);
    std::filesystem::remove(path);
    ASSERT_EQ(g_pointCount, gridCount);
    for (int32_t i = 1; i <= gridCount; ++i) {
        ASSERT_EQ(g_points[i].x, saved[i - 1].x) << i;
        ASSERT_EQ(g_points[i].y, saved[i - 1].y) << i;
        ASSERT_EQ(g_points[i].z, saved[i - 1].z) << i;
        ASSERT_STREQ(g_points[i].name, saved[i - 1].name) << i;
        ASSERT_EQ(g_points[i].invalid, saved[i - 1].invalid) << i;
    }
}
}  // namespace
