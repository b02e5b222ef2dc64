// Batch edit: the settings applied to the points a lasso, a rectangle or a polygon
// encloses (outline vertices stay valid in all three), the elevation edit's wheel step,
// the name's cut, and the file of the points no TIN edge uses.
#include "pointedit/batch_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "../view/view_fixture.h"
#include "model/geodesy.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "pointedit/area_selection.h"
#include "pointedit/point_array.h"
#include "shell/tool_mode.h"
#include "view/projection.h"
#include "view/view_input.h"

namespace fs = std::filesystem;

namespace {

class BatchEdit : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        ResetBatchSettings();
        g_newPointZ = 0;
        g_newPointName.clear();
        g_newPointPlotMode = 0;
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
    }
    void TearDown() override {
        SetBatchEditDialogRunner(nullptr);
        SetBatchEditLassoRunner(nullptr);
        g_toolMode = MODE_NONE;
        g_pointEditState = 0;
        g_dragState = 0;
        std::error_code ignored;
        fs::remove_all(TempFolder(), ignored);
        ViewTest::TearDown();
    }
    // A 5 x 5 grid 20 m apart round the view centre: point 5r + c + 1 at north 20(r - 2),
    // east 20(c - 2); the border points are the outline.
    void Grid() {
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c) {
                const int32_t i = AddPoint(20.0 * (r - 2), 20.0 * (c - 2), 50.0 + r + c);
                if (r == 0 || r == 4 || c == 0 || c == 4)
                    g_points[i].flags |= POINT_FLAG_OUTLINE_VERTEX;
            }
        ProjectAllData(0);
    }
    static int32_t At(int r, int c) { return 5 * r + c + 1; }
    struct ClientPoint {
        int32_t x, y;
    };
    static ClientPoint Client(int32_t i) {
        return {PointClientColumn(g_points[i]), PointClientRow(g_points[i])};
    }
    static fs::path TempFolder() {
        return fs::temp_directory_path() / ("batch_edit_test_" + std::to_string(::getpid()));
    }
    std::string Temp(const char* name) {
        fs::create_directories(TempFolder());
        return (TempFolder() / name).string();
    }
};

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::vector<std::string> lines;
    const std::string all = s.str();
    size_t start = 0;
    while (start < all.size()) {
        const size_t end = all.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(all.substr(start));
            break;
        }
        lines.push_back(all.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST_F(BatchEdit, HeightDifferenceRaisesEveryMarkedPointGivenElevationSetsThemAlike) {
    Grid();
    std::vector<double> before;
    for (int32_t i = 1; i <= g_pointCount; ++i) before.push_back(g_points[i].z);
    const int32_t marked[] = {7, 8, 13, 19};
    for (int32_t i : marked)
        g_points[i].flags |= POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION;
    g_batchSetElevation = 1;
    g_batchUseHeightDiff = 1;
    g_batchHeightDiff = 0.5;
    ApplyBatchEdit(1);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const bool isMarked =
            std::find(std::begin(marked), std::end(marked), i) != std::end(marked);
        EXPECT_DOUBLE_EQ(g_points[i].z, before[i - 1] + (isMarked ? 0.5 : 0.0)) << i;
        EXPECT_EQ(g_points[i].flags & (POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION), 0)
            << i;
    }
    EXPECT_EQ(g_dataChanged, -1);

    for (int32_t i : marked) g_points[i].flags |= POINT_FLAG_NEW_SELECTION;
    g_batchUseHeightDiff = 0;
    g_newPointZ = 42.125;
    ApplyBatchEdit(1);
    for (int32_t i : marked) EXPECT_DOUBLE_EQ(g_points[i].z, 42.125);

    // 中止: the marks go, nothing else changes.
    for (int32_t i : marked) g_points[i].flags |= POINT_FLAG_AREA_SELECTED;
    g_dataChanged = 0;
    g_newPointZ = 1.0;
    ApplyBatchEdit(0);
    for (int32_t i : marked) {
        EXPECT_DOUBLE_EQ(g_points[i].z, 42.125);
        EXPECT_EQ(g_points[i].flags & POINT_FLAG_AREA_SELECTED, 0);
    }
    EXPECT_EQ(g_dataChanged, 0);
}

TEST_F(BatchEdit, NamePlotAndValidityTogether) {
    Grid();
    g_points[13].flags |= POINT_FLAG_NEW_SELECTION;
    g_batchSetName = g_batchSetPlot = g_batchSetValid = 1;
    g_batchInvalid = 1;
    g_newPointName = "#ff0000";
    g_newPointPlotMode = 3;
    ApplyBatchEdit(1);
    EXPECT_STREQ(g_points[13].name, "#ff0000");
    EXPECT_EQ(g_points[13].plotKind, 3);
    EXPECT_EQ(g_points[13].invalid, 1);
    EXPECT_EQ(g_points[12].invalid, 0);
}

// Every shape of the tool, driven through the view: 無効 leaves the outline vertices that
// the shape encloses valid.
TEST_F(BatchEdit, EveryShapeKeepsOutlineVerticesValid) {
    enum Shape { kRectangle, kPolygon, kLasso };
    for (Shape shape : {kRectangle, kPolygon, kLasso}) {
        if (shape != kRectangle) {
            TearDown();
            SetUp();
        }
        Grid();
        int32_t dialogs = 0;
        SetBatchEditDialogRunner([&] {
            ++dialogs;
            return 1;
        });
        SetBatchEditLassoRunner(RunBatchEditOnLasso);
        g_batchSetValid = 1;
        g_batchInvalid = 1;
        g_toolMode = MODE_POINT_EDIT;
        // The lower-left 3 x 3 block: rows 0..2, columns 0..2 (five of them on the outline).
        const auto corner = [&](int r, int c) { return Client(At(r, c)); };
        const int32_t left = corner(0, 0).x - 5, right = corner(0, 2).x + 5;
        const int32_t top = corner(2, 0).y - 5, bottom = corner(0, 0).y + 5;
        if (shape == kRectangle) {
            g_pointEditState = POINT_EDIT_BATCH;
            OnViewLButtonDown(kMouseFlagLeft, left, top, false);
            OnViewMouseMove(kMouseFlagLeft, (left + right) / 2, (top + bottom) / 2);
            OnViewMouseMove(kMouseFlagLeft, right, bottom);
            OnViewLButtonUp(0, right, bottom, false);
        } else if (shape == kPolygon) {
            g_pointEditState = POINT_EDIT_BATCH + 1;
            for (auto [r, c] : {std::pair{0, 0}, {0, 2}, {2, 2}, {2, 0}, {0, 0}}) {
                const auto p = corner(r, c);
                OnViewLButtonDown(kMouseFlagLeft, p.x, p.y, false);
                OnViewLButtonUp(0, p.x, p.y, false);
            }
        } else {
            g_pointEditState = POINT_EDIT_BATCH + 2;
            OnViewLButtonDown(kMouseFlagLeft, left, top, false);
            OnViewMouseMove(kMouseFlagLeft, right, top);
            OnViewMouseMove(kMouseFlagLeft, right, bottom);
            OnViewMouseMove(kMouseFlagLeft, left, bottom);
            OnViewMouseMove(kMouseFlagLeft, left, top + 1);  // the release adds no vertex
            OnViewLButtonUp(0, left, top, false);
        }
        EXPECT_EQ(dialogs, 1) << shape;
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c) {
                const RandomPoint& p = g_points[At(r, c)];
                const bool inside = r <= 2 && c <= 2;
                const bool outline = p.flags & POINT_FLAG_OUTLINE_VERTEX;
                EXPECT_EQ(p.invalid, inside && !outline ? 1 : 0) << shape << " r" << r << " c" << c;
                EXPECT_EQ(p.flags & (POINT_FLAG_NEW_SELECTION | POINT_FLAG_AREA_SELECTED |
                                     POINT_FLAG_PICKED),
                          0)
                    << shape;
            }
        EXPECT_EQ(g_pickList.Count(), 0) << shape;
    }
}

TEST_F(BatchEdit, PolygonVerticesAddDropAndCloseOnlyWithThree) {
    Grid();
    int32_t dialogs = 0;
    SetBatchEditDialogRunner([&] {
        ++dialogs;
        return 0;
    });
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_BATCH + 1;
    auto click = [&](int32_t i, int32_t flags = 0) {
        const auto p = Client(i);
        return PickSelectionPolygonPoint(flags, p.x, p.y);
    };
    EXPECT_EQ(click(At(1, 1)), At(1, 1));
    EXPECT_EQ(click(At(1, 3)), At(1, 3));
    EXPECT_EQ(g_pickedPoint, At(1, 1));
    EXPECT_EQ(g_pickedPoint3, At(1, 3));
    // Two vertices: the first one is no way to close.
    click(At(1, 1));
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(g_pickList.Count(), 2);
    // The last vertex clicked again goes; the one before becomes the last.
    click(At(1, 3));
    EXPECT_EQ(g_pickList.Count(), 1);
    EXPECT_EQ(g_pickedPoint3, At(1, 1));
    EXPECT_EQ(g_points[At(1, 3)].flags & POINT_FLAG_PICKED, 0);
    EXPECT_EQ(click(At(3, 3), kMouseFlagShift), 0) << "Shift is not for this tool";
    click(At(1, 3));
    click(At(3, 3));
    EXPECT_EQ(g_pickList.Count(), 3);
    // 中止 leaves every point as it was and ends the polygon.
    g_batchSetValid = 1;
    g_batchInvalid = 1;
    click(At(1, 1));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(g_pickList.Count(), 0);
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(g_pickedPoint3, 0);
    for (int32_t i = 1; i <= g_pointCount; ++i) EXPECT_EQ(g_points[i].invalid, 0);
}

// A point on the polygon's side counts as inside.
TEST_F(BatchEdit, PolygonEditsPointsOnItsSides) {
    Grid();
    SetBatchEditDialogRunner([] { return 1; });
    g_batchSetElevation = 1;
    g_newPointZ = 7.0;
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_BATCH + 1;
    for (int32_t i : {At(1, 1), At(1, 3), At(3, 3), At(3, 1), At(1, 1)}) {
        const auto p = Client(i);
        PickSelectionPolygonPoint(0, p.x, p.y);
    }
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) {
            const bool in = r >= 1 && r <= 3 && c >= 1 && c <= 3;
            EXPECT_EQ(g_points[At(r, c)].z == 7.0, in) << r << " " << c;
        }
}

TEST_F(BatchEdit, WheelStepSnapsOnlyWholeSteps) {
    struct Case {
        const char* stepText;
        double start;
        int32_t delta;
        double want;
    };
    const Case cases[] = {
        {"s0.25", 12.7, 120, 12.95}, {"s0.25", 12.7, -120, 12.45}, {"s1", 12.7, 120, 13.0},
        {"S1", 12.7, -120, 11.0},    {"s2", 12.7, 120, 14.0},      {"s1", -2.3, 120, -1.0},
        {"s-3", 12.7, 120, 12.701},  {"s0", 12.7, 120, 12.701},
    };
    for (const Case& c : cases) {
        g_newPointZ = c.start;
        BatchEditElevationLeft(c.stepText);
        EXPECT_DOUBLE_EQ(g_newPointZ, c.start) << "a step leaves the elevation";
        BatchEditWheel(c.delta);
        EXPECT_NEAR(g_newPointZ, c.want, 1e-9) << c.stepText << " " << c.start << " " << c.delta;
    }
    EXPECT_EQ(BatchEditElevationLeft(" 101.5"), "101.500");
    EXPECT_EQ(BatchEditElevationLeft("abc"), "101.500") << "a text that is no number is not taken";
    EXPECT_EQ(BatchEditHeightDiffLeft("-0.25"), "-0.250");
}

TEST_F(BatchEdit, NameIsCutToElevenBytesOnCharacterBoundaries) {
    EXPECT_EQ(BatchEditNameLeft("ABCDEFGHIJKLMN"), "ABCDEFGHIJK");
    EXPECT_EQ(g_newPointName, "ABCDEFGHIJK");
    // Six double-byte characters are 12 bytes: five fit.
    EXPECT_EQ(BatchEditNameLeft("あいうえおか"), "あいうえお");
    EXPECT_EQ(g_newPointName.size(), 10u);
    EXPECT_EQ(BatchEditNameLeft("A"
                                "あいうえおか"),
              "Aあいうえお");
}

TEST_F(BatchEdit, InsertAndDeleteSetTheValidityAndApply) {
    EXPECT_FALSE(BatchEditValidityKey(false, false));
    EXPECT_EQ(g_batchSetValid, 0);
    EXPECT_TRUE(BatchEditValidityKey(false, true));
    EXPECT_EQ(g_batchSetValid, 1);
    EXPECT_EQ(g_batchInvalid, 1);
    EXPECT_TRUE(BatchEditValidityKey(true, false));
    EXPECT_EQ(g_batchInvalid, 0);
}

TEST_F(BatchEdit, UnusedPointsWithoutTinWritesEveryPoint) {
    Grid();
    g_points[2].invalid = 1;
    g_points[3].outside = 1;
    g_points[4].plotKind = 2;
    std::snprintf(g_points[5].name, sizeof g_points[5].name, "%s", "LONGNAME123");
    g_planeZone = 9;  // the document's zone line does not belong in this file
    const std::string path = Temp("free.RND");
    ASSERT_TRUE(WriteUnusedPointsRnd(path));
    const std::vector<std::string> lines = Lines(path);
    ASSERT_EQ(lines.size(), 5u + 25u);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(lines[k], "********************");
    char want[80];
    std::snprintf(want, sizeof want, "%-10s%14.4f  %14.4f  %10.3f  %1d  %1d  %1d", "",
                  g_points[2].x, g_points[2].y, g_points[2].z, 1, 0, 0);
    EXPECT_EQ(lines[6], want);
    EXPECT_EQ(lines[7].substr(57, 1), "1") << "the outside byte";
    EXPECT_EQ(lines[8].substr(60, 1), "2") << "the plot kind";
    EXPECT_EQ(lines[9].substr(0, 10), "LONGNAME12");
    g_planeZone = 0;
}

// A window that shows the points turned gives them back before they are written.
TEST_F(BatchEdit, UnusedPointsAreWrittenInTheSurveyFrame) {
    Grid();
    const double x1 = g_points[1].x;
    g_points[1].x += 1000.0;
    SetSurveyFrameRestorer([x1] {
        g_points[1].x = x1;
        SetSurveyFrameRestorer(nullptr);
    });
    const std::string path = Temp("turned.RND");
    ASSERT_TRUE(WriteUnusedPointsRnd(path));
    char want[32];
    std::snprintf(want, sizeof want, "%14.4f", x1);
    EXPECT_EQ(Lines(path)[5].substr(10, 14), want);
}

TEST_F(BatchEdit, UnusedPointsAgainstTheTin) {
    Grid();
    // Triangles over the left 2 x 2 block of cells use rows 0..2, columns 0..2.
    auto edge = [](int32_t a, int32_t b) {
        EnsureTinEdgeCapacity(g_tinEdgeCount + 1);
        g_tinEdges[++g_tinEdgeCount] = TinEdge{a, b, kNoApex, 0, 0};
        SetTinEndRecord();
        g_tinPresent = -1;
    };
    for (int r = 0; r <= 2; ++r)
        for (int c = 0; c < 2; ++c) edge(At(r, c), -At(r, c + 1));  // a hole sign counts too
    for (int c = 0; c <= 2; ++c) edge(At(0, c), At(2, c));
    const std::string path = Temp("free2.RND");
    ASSERT_TRUE(WriteUnusedPointsRnd(path));
    EXPECT_EQ(Lines(path).size(), 5u + 25u - 9u);

    // Every point used: the message and no file.
    for (int r = 3; r < 5; ++r)
        for (int c = 0; c < 5; ++c) edge(At(r, c), At(r, c));
    for (int c = 3; c < 5; ++c)
        for (int r = 0; r < 3; ++r) edge(At(r, c), At(r, c));
    const std::string none = Temp("none.RND");
    fs::remove(none);
    EXPECT_FALSE(WriteUnusedPointsRnd(none));
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "該当する点がありませんでした。");
    EXPECT_FALSE(fs::exists(none));
}

TEST_F(BatchEdit, UnusedPointsFileThatCannotBeCreatedIsReported) {
    Grid();
    QueueFileDialogAnswer("/nonexistent-folder-for-test/free");
    EXPECT_FALSE(OnWriteUnusedPoints());
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].title, "三角網未使用点ランダムデータ書き込み");
    EXPECT_EQ(RecordedFileDialogs()[0].defaultExtension, "RND");
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_NE(RecordedMessages().back().text.find("ファイル書き込みができません。"),
              std::string::npos);
    EXPECT_NE(RecordedMessages().back().text.find("/nonexistent-folder-for-test/free.RND"),
              std::string::npos);
}

}  // namespace
