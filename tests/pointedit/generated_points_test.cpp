// The TIN crossings after the rectangle: refused when too many, dropped on cancel, added
// to the points or written to an RND file that reads back, and an unwritable file told.
#include "pointedit/generated_points.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_intersection.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "pointedit/point_array.h"
#include "pointedit/point_gen_dialogs.h"
#include "shell/tool_mode.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

namespace {
class GeneratedPoints : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
        for (int32_t i = 0; i < 4; ++i) {
            ASSERT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
            g_points[++g_pointCount] = RandomPoint{};
            g_points[g_pointCount].x = i;
        }
        SetPointEndMarker();
        g_pointsPresent = -1;
        g_intersectionResults.clear();
        for (int32_t k = 0; k < 3; ++k) {
            RandomPoint p{};
            p.x = 100.5 + k;
            p.y = -20.25 * k;
            p.z = 7.125 + k;
            g_intersectionResults.push_back(p);
        }
        g_toolMode = MODE_POINT_EDIT;
        g_pointEditState = POINT_EDIT_TIN_INTERSECTION;
        g_newPointPlotMode = 2;
        folder = fs::temp_directory_path() / ("generated_points_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        PointGenDialogHooks() = PointGenDialogs{};
        g_newPointPlotMode = 0;
        fs::remove_all(folder);
        ReleaseDataModel();
    }
    void Answer(int32_t result, std::string name, int32_t choice) {
        PointGenDialogHooks().runGenPointSave = [=](GenPointSaveValues& v) {
            v.name = name;
            v.choice = choice;
            return result;
        };
    }
    fs::path folder;
};

TEST_F(GeneratedPoints, TooManyOrCancelledChangeNothing) {
    Answer(1, "X", 1);
    EXPECT_EQ(GenerateTinCrossingPoints(100001), -1);
    EXPECT_EQ(
        RecordedMessages().back().text,
        "矩形内点数が 100000 点以内になるように選択しなおしてください。 [ 現在点数 100001 点 ]");
    Answer(2, "X", 1);
    EXPECT_EQ(GenerateTinCrossingPoints(3), 0);
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_EQ(g_pointEditState, POINT_EDIT_TIN_INTERSECTION);
}

TEST_F(GeneratedPoints, AppendedWithTheNameCutOnACharacter) {
    // Ten ASCII bytes, then a double-byte character that would straddle byte 11.
    Answer(1, "ABCDEFGHIJ\x82\xA0ZZ", 1);
    EXPECT_EQ(GenerateTinCrossingPoints(3), 3);
    ASSERT_EQ(g_pointCount, 7);
    for (int32_t k = 0; k < 3; ++k) {
        const RandomPoint& p = g_points[5 + k];
        EXPECT_EQ(p.x, g_intersectionResults[k].x);
        EXPECT_EQ(p.z, g_intersectionResults[k].z);
        EXPECT_STREQ(p.name, "ABCDEFGHIJ");
        EXPECT_EQ(p.plotKind, 2);
        EXPECT_EQ(p.invalid, 0);
    }
    EXPECT_EQ(g_points[8].hidden, kEndMarker);
    EXPECT_EQ(g_dataChanged, -1);
    EXPECT_EQ(g_addedPointsInMode, -1);
    EXPECT_EQ(g_toolMode, MODE_NONE);
}

TEST_F(GeneratedPoints, SavedAsAnRndFileThatReadsBack) {
    Answer(1, "TINX", 0);
    g_documentTitle = "site";
    const fs::path path = folder / "crossings.RND";
    QueueFileDialogAnswer(path.string());
    EXPECT_EQ(GenerateTinCrossingPoints(3), 3);
    EXPECT_EQ(g_pointCount, 4) << "the current data stay as they were";
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].fileName, "site.RND");
    EXPECT_EQ(RecordedFileDialogs()[0].title, "ランダムファイルの保存");
    EXPECT_EQ(fs::file_size(path), 5u * 22 + 3u * 63);

    InitDataModel();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_EQ(ReadRndText(f), 0);
    ASSERT_EQ(g_pointCount, 3);
    for (int32_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(g_points[k + 1].x, 100.5 + k, 1e-9);
        EXPECT_NEAR(g_points[k + 1].y, -20.25 * k, 1e-9);
        EXPECT_NEAR(g_points[k + 1].z, 7.125 + k, 5e-4);
        EXPECT_STREQ(g_points[k + 1].name, "TINX");
    }
}

TEST_F(GeneratedPoints, UnwritableFileIsTold) {
    Answer(1, "TINX", 0);
    QueueFileDialogAnswer((folder / "missing" / "x.RND").string());
    EXPECT_EQ(GenerateTinCrossingPoints(3), -1);
    EXPECT_EQ(RecordedMessages().back().text, "ファイルが作成できません。");
    EXPECT_EQ(g_pointCount, 4);
}
}  // namespace

namespace {
// A vertical hole-surface triangle standing through a flat square: its three crossings,
// computed and then added as points.
TEST(GeneratedCrossings, ComputedCrossingsAreAdded) {
    InitDataModel();
    auto add = [](double x, double y, double z) {
        EnsurePointCapacity(g_pointCount + 1);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = x;
        p.y = y;
        p.z = z;
    };
    for (auto [x, y] : {std::pair{0.0, 0.0}, {0.0, 10.0}, {10.0, 10.0}, {10.0, 0.0}}) add(x, y, 0);
    add(2, 5, -5);
    add(5, 5, 5);
    add(8, 5, -5);
    SetPointEndMarker();
    g_pointsPresent = -1;
    EnsureTinEdgeCapacity(12);
    auto triangle = [](int32_t a, int32_t b, int32_t c, int32_t sign) {
        const int32_t v[3] = {a, b, c};
        for (int k = 0; k < 3; ++k)
            g_tinEdges[++g_tinEdgeCount] =
                TinEdge{sign * v[k], v[(k + 1) % 3], kNoApex, v[(k + 2) % 3], 0};
    };
    triangle(1, 2, 3, 1);
    triangle(1, 3, 4, 1);
    triangle(5, 6, 7, -1);
    SetTinEndRecord();
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].flags = kPointFlagRectSelected;
    const int32_t n = CalcTinIntersections();
    ASSERT_EQ(n, 3);
    PointGenDialogHooks().runGenPointSave = [](GenPointSaveValues& v) {
        v.name = "CROSS";
        v.choice = 1;
        return 1;
    };
    EXPECT_EQ(GenerateTinCrossingPoints(n), 3);
    PointGenDialogHooks() = PointGenDialogs{};
    ASSERT_EQ(g_pointCount, 10);
    std::vector<double> norths;
    for (int32_t i = 8; i <= 10; ++i) {
        EXPECT_EQ(g_points[i].y, 5);
        EXPECT_NEAR(g_points[i].z, 0, 1e-12);
        EXPECT_STREQ(g_points[i].name, "CROSS");
        norths.push_back(g_points[i].x);
    }
    std::sort(norths.begin(), norths.end());
    EXPECT_NEAR(norths[0], 3.5, 1e-12);
    EXPECT_NEAR(norths[1], 5, 1e-12);
    EXPECT_NEAR(norths[2], 6.5, 1e-12);
    ReleaseDataModel();
}
}  // namespace
