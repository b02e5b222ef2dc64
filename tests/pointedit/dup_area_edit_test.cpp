// The duplicate-point area edit: vertical and tilted-axis checks, the temporary flags,
// the two-stage clear, the angle edits and the turned state that never stays behind.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "pointedit/area_selection.h"
#include "pointedit/dup_area_edit.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_state.h"

namespace {

int32_t Add(double x, double y, double z, int32_t column = 500, int32_t row = 500) {
    EnsurePointCapacity(g_pointCount + 1);
    const int32_t i = ++g_pointCount;
    g_points[i] = RandomPoint{};
    g_points[i].x = x;
    g_points[i].y = y;
    g_points[i].z = z;
    g_points[i].screenX = column;
    g_points[i].screenY = -row;
    SetPointEndMarker();
    g_pointsPresent = -1;
    return i;
}

void Fresh() {
    InitDataModel();
    g_viewportCenterX = 0;
    g_viewportCenterY = 0;
    g_bufferMaxX = 600;
    g_bufferMaxY = 400;
    g_birdsEyeOn = 0;
    g_viewScale = 1.0;
}

// Clusters of close points plus scattered ones, all selected.
void MakeClusters(uint64_t seed) {
    Fresh();
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 100.0), jitter(-0.04, 0.04), z(0.0, 20.0);
    for (int c = 0; c < 40; ++c) {
        const double x = u(rng), y = u(rng);
        for (int k = 0; k < 3; ++k) Add(x + jitter(rng), y + jitter(rng), z(rng));
    }
    for (int k = 0; k < 60; ++k) Add(u(rng), u(rng), z(rng));
}

std::vector<int16_t> Flags() {
    std::vector<int16_t> f;
    for (int32_t i = 1; i <= g_pointCount; ++i) f.push_back(g_points[i].invalid);
    return f;
}

void SelectAll() {
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].flags |= POINT_FLAG_AREA_SELECTED;
}

TEST(DupAreaEdit, TiltZeroArbitraryAxisGroupsEqualTheVerticalOnes) {
    MakeClusters(5);
    std::vector<double> before;
    for (int32_t i = 1; i <= g_pointCount; ++i) before.push_back(g_points[i].x + g_points[i].y);
    CDupPointAreaEditDlg dlg;
    SelectAll();
    dlg.OnDuplicateCheck(false);
    const std::vector<int16_t> vertical = Flags();
    int dropped = 0;
    for (int16_t f : vertical) dropped += f == 3;
    EXPECT_EQ(dropped, 80) << "two of every cluster of three";

    MakeClusters(5);
    SelectAll();
    dlg.OnDuplicateCheck(true);
    EXPECT_EQ(Flags(), vertical);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        EXPECT_EQ(g_points[i].x + g_points[i].y, before[i - 1]) << "coordinates back";
        EXPECT_EQ(g_points[i].flags & (POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION), 0);
    }
}

TEST(DupAreaEdit, TiltedAxisFindsPointsInLineWithIt) {
    Fresh();
    const int32_t a = Add(0, 0, 10);
    const int32_t b = Add(5, 0, 10.0);  // 5 m north: on one line with a along a north axis
    CDupPointAreaEditDlg dlg;
    SelectAll();
    dlg.OnDuplicateCheck(false);
    EXPECT_EQ(g_points[a].invalid + g_points[b].invalid, 0);
    dlg.TiltLeft(90.0);
    dlg.DirLeft(0.0);
    SelectAll();
    dlg.OnDuplicateCheck(true);
    EXPECT_EQ(g_points[a].invalid + g_points[b].invalid, 3);
    EXPECT_EQ(g_points[b].x, 5.0);
}

TEST(DupAreaEdit, NoTemporaryFlagRemainsAndFewCandidatesChangeNothing) {
    for (int selected : {0, 1, 5}) {
        Fresh();
        for (int k = 0; k < 10; ++k) Add(0.01 * k, 0, k);
        g_points[7].invalid = 1;
        for (int k = 1; k <= selected; ++k) g_points[k].flags |= POINT_FLAG_AREA_SELECTED;
        CDupPointAreaEditDlg dlg;
        dlg.OnDuplicateCheck(false);
        int invalid = 0;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            EXPECT_NE(g_points[i].invalid, 99);
            invalid += g_points[i].invalid != 0;
            EXPECT_EQ(g_points[i].flags & POINT_FLAG_NEW_SELECTION, 0);
        }
        EXPECT_EQ(g_points[7].invalid, 1);
        EXPECT_EQ(invalid, selected < 2 ? 1 : 1 + selected - 1) << selected;
    }
}

TEST(DupAreaEdit, EscapeTwice) {
    Fresh();
    const int32_t a = Add(0, 0, 0, 10, 10);
    const int32_t b = Add(0, 1, 0, 100, 100);
    CDupPointAreaEditDlg dlg;
    auto click = [&](int32_t x, int32_t y) {
        dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, x, y);
        dlg.OnViewMouse(kViewLButtonUp, 0, x, y);
    };
    click(10, 10);
    // A rectangle round b.
    dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, 90, 90);
    dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, 100, 100);
    dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, 110, 110);
    dlg.OnViewMouse(kViewLButtonUp, 0, 110, 110);
    EXPECT_TRUE(g_points[a].flags & POINT_FLAG_AREA_SELECTED);
    EXPECT_TRUE(g_points[b].flags & POINT_FLAG_AREA_SELECTED);
    dlg.OnViewMouse(kViewKeyDown, 0, 0x1B, 0);
    EXPECT_TRUE(g_points[a].flags & POINT_FLAG_AREA_SELECTED);
    EXPECT_FALSE(g_points[b].flags & POINT_FLAG_AREA_SELECTED);
    EXPECT_EQ(dlg.SelectedCount(), 1);
    dlg.OnViewMouse(kViewKeyDown, 0, 0x1B, 0);
    EXPECT_FALSE(g_points[a].flags & POINT_FLAG_AREA_SELECTED);
    EXPECT_EQ(dlg.SelectedCount(), 0);
    // Delete invalidates the selection; locked and outline points stay.
    click(10, 10);
    dlg.OnViewMouse(kViewKeyDown, 0, 0x2E, 0);
    EXPECT_EQ(g_points[a].invalid, 1);
}

TEST(DupAreaEdit, AngleEdits) {
    Fresh();
    CDupPointAreaEditDlg dlg;
    dlg.TiltLeft(200.0);
    EXPECT_EQ(dlg.TiltDegrees(), 200.0);
    dlg.WheelOnAngle(true, 120);
    EXPECT_EQ(dlg.TiltDegrees(), 179.0);
    dlg.DirLeft(-30.0);
    EXPECT_EQ(dlg.DirDegrees(), 330.0);
    dlg.WheelOnAngle(false, 120);
    dlg.WheelOnAngle(false, 120);
    dlg.WheelOnAngle(false, 120);
    dlg.DirLeft(359.5);
    dlg.WheelOnAngle(false, 120);
    EXPECT_NEAR(dlg.DirDegrees(), 0.5, 1e-12);
    dlg.JudgeDistanceLeft(0.0);
    EXPECT_EQ(dlg.JudgeDistance(), 0.1);
    dlg.JudgeDistanceLeft(1e-7);
    EXPECT_EQ(dlg.JudgeDistance(), 0.1);
    dlg.JudgeDistanceLeft(0.25);
    EXPECT_EQ(dlg.JudgeDistance(), 0.25);
}

TEST(DupAreaEdit, TurnedPointsNeverStayTurned) {
    MakeClusters(9);
    std::vector<RandomPoint> original(g_points + 1, g_points + g_pointCount + 1);
    auto same = [&] {
        for (int32_t i = 1; i <= static_cast<int32_t>(original.size()); ++i) {
            ASSERT_NEAR(g_points[i].x, original[i - 1].x, 1e-9) << i;
            ASSERT_NEAR(g_points[i].y, original[i - 1].y, 1e-9) << i;
            ASSERT_NEAR(g_points[i].z, original[i - 1].z, 1e-9) << i;
        }
    };
    {
        CDupPointAreaEditDlg dlg;
        dlg.TiltLeft(35.0);
        dlg.DirLeft(120.0);
        dlg.OnRotateRestore();
        ASSERT_TRUE(dlg.Rotated());
        EXPECT_GT(std::fabs(g_points[1].z - original[0].z) + std::fabs(g_points[1].x - original[0].x), 1e-3);
        // Deleting while turned is refused and changes nothing.
        g_points[4].invalid = 1;
        ClearRecordedMessages();
        const int32_t count = g_pointCount;
        dlg.OnDeleteInvalid();
        EXPECT_EQ(g_pointCount, count);
        ASSERT_FALSE(RecordedMessages().empty());
        EXPECT_EQ(RecordedMessages().back().text, "回転状態です\n復元処理を行ってください");
        g_points[4].invalid = 0;
        // A save (or a deletion by another window) takes the survey frame back first.
        RestoreSurveyFrame();
        EXPECT_FALSE(dlg.Rotated());
        same();
        // Turned again, a point is added in the turned frame; closing turns everything back.
        dlg.OnRotateRestore();
        ASSERT_TRUE(dlg.Rotated());
        Add(g_points[1].x, g_points[1].y, g_points[1].z);
    }
    same();
    EXPECT_NEAR(g_points[g_pointCount].x, original[0].x, 1e-9) << "the added point follows";
    EXPECT_NEAR(g_points[g_pointCount].z, original[0].z, 1e-9);
}

}  // namespace

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/document.h"

namespace {

// Saving the document while the points are turned for viewing writes the survey
// coordinates, and the dialog is no longer turned afterwards.
TEST(DupAreaEdit, SavingWhileTurnedWritesSurveyCoordinates) {
    Fresh();
    Add(1000.0, 2000.0, 50.0);
    Add(1010.0, 2000.0, 51.0);
    Add(1000.0, 2010.0, 52.0);
    CDupPointAreaEditDlg dlg;
    dlg.TiltLeft(60.0);
    dlg.DirLeft(45.0);
    dlg.OnRotateRestore();
    ASSERT_TRUE(dlg.Rotated());
    ASSERT_NE(g_points[2].x, 1010.0);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "nostrel_turned_save";
    std::filesystem::create_directories(dir);
    CPelmo_3DDoc doc;
    ASSERT_TRUE(doc.OnSaveDocument(dir / "turned.RND"));
    EXPECT_FALSE(dlg.Rotated());
    std::ifstream in(dir / "turned.RND", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("     1010.0000       2000.0000      51.000"), std::string::npos)
        << text.str();
    std::filesystem::remove_all(dir);
}

}  // namespace

#include "pointedit/point_deletion.h"

namespace {

// Another window's deletion of invalid points takes the survey frame back first, so the
// saved coordinates are never put on renumbered points.
TEST(DupAreaEdit, DeletionElsewhereRestoresFirst) {
    Fresh();
    for (int k = 0; k < 6; ++k) Add(1000.0 + k, 2000.0 + 2 * k, 50.0 + k);
    g_points[2].invalid = 1;
    CDupPointAreaEditDlg dlg;
    dlg.TiltLeft(30.0);
    dlg.OnRotateRestore();
    ASSERT_TRUE(dlg.Rotated());
    DeleteInvalidPoints();
    EXPECT_FALSE(dlg.Rotated());
    ASSERT_EQ(g_pointCount, 5);
    for (int32_t i = 1; i <= 5; ++i) {
        const int k = i == 1 ? 0 : i;  // old point 2 (k = 1) is gone
        EXPECT_NEAR(g_points[i].x, 1000.0 + k, 1e-9) << i;
        EXPECT_NEAR(g_points[i].y, 2000.0 + 2 * k, 1e-9) << i;
        EXPECT_NEAR(g_points[i].z, 50.0 + k, 1e-9) << i;
    }
}

}  // namespace

#include "pointedit/point_array.h"

namespace {

// Turned with TILT 90 and DIR 0 the north axis stands vertical: two points 5 m apart
// northwards come to lie one above the other.
TEST(DupAreaEdit, TurningStandsTheAxisUpright) {
    Fresh();
    const int32_t a = Add(1000.0, 2000.0, 50.0);
    const int32_t b = Add(1005.0, 2000.0, 50.0);
    CDupPointAreaEditDlg dlg;
    dlg.TiltLeft(90.0);
    dlg.DirLeft(0.0);
    dlg.OnRotateRestore();
    ASSERT_TRUE(dlg.Rotated());
    EXPECT_NEAR(g_points[a].x, g_points[b].x, 1e-9);
    EXPECT_NEAR(g_points[a].y, g_points[b].y, 1e-9);
    EXPECT_NEAR(std::fabs(g_points[a].z - g_points[b].z), 5.0, 1e-9);
    dlg.OnRotateRestore();
    EXPECT_EQ(g_points[b].x, 1005.0);
}

// Points deleted, added and edited while turned: every point ends in the survey frame,
// the untouched ones exactly as they were, none with another point's coordinates.
TEST(DupAreaEdit, RestoreAfterDeletionAdditionAndEditWhileTurned) {
    Fresh();
    for (int k = 0; k < 8; ++k) Add(1000.0 + 3 * k, 2000.0 - k, 50.0 + 0.5 * k);
    std::vector<RandomPoint> original(g_points + 1, g_points + g_pointCount + 1);
    CDupPointAreaEditDlg dlg;
    dlg.TiltLeft(40.0);
    dlg.DirLeft(75.0);
    dlg.OnRotateRestore();
    ASSERT_TRUE(dlg.Rotated());
    // Point 3 goes, a copy of turned point 1 is added (the count is as before), and point
    // 6 is raised by 2 m along the turned vertical.
    DeletePointRecord(3);
    const RandomPoint turnedFirst = g_points[1];
    Add(turnedFirst.x, turnedFirst.y, turnedFirst.z);
    ASSERT_EQ(g_pointCount, 8);
    g_points[5].z += 2.0;  // old 6, now 5
    ClearRecordedMessages();
    dlg.OnRotateRestore();
    EXPECT_FALSE(dlg.Rotated());
    const int32_t oldOf[] = {0, 1, 2, 4, 5, 6, 7, 8};
    for (int32_t i = 1; i <= 7; ++i) {
        const RandomPoint& want = original[oldOf[i] - 1];
        const double tolerance = i == 1 || i == 2 ? 0.0 : 1e-9;
        if (i == 5) continue;
        EXPECT_NEAR(g_points[i].x, want.x, tolerance) << i;
        EXPECT_NEAR(g_points[i].y, want.y, tolerance) << i;
        EXPECT_NEAR(g_points[i].z, want.z, tolerance) << i;
    }
    EXPECT_NEAR(g_points[8].x, original[0].x, 1e-9) << "the copy lands on point 1";
    EXPECT_NEAR(g_points[8].z, original[0].z, 1e-9);
    // The raised point moved 2 m along the turned vertical: 2 m from where it was.
    const RandomPoint& six = original[5];
    const double d = std::hypot(g_points[5].x - six.x, g_points[5].y - six.y, g_points[5].z - six.z);
    EXPECT_NEAR(d, 2.0, 1e-9);
    EXPECT_GT(std::fabs(g_points[5].z - six.z), 1e-3);
}

}  // namespace

#include "model/backup_file.h"
#include "pointedit/move_rotate.h"

namespace {

// The move window's RND save and the backup snapshot, written while the points are turned
// for viewing, hold the survey coordinates.
TEST(DupAreaEdit, OtherWritersStoreSurveyCoordinates) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "nostrel_turned_writers";
    std::filesystem::create_directories(dir);
    auto turned = [](CDupPointAreaEditDlg& dlg) {
        dlg.TiltLeft(60.0);
        dlg.DirLeft(45.0);
        dlg.OnRotateRestore();
        ASSERT_TRUE(dlg.Rotated());
        ASSERT_NE(g_points[2].x, 1010.0);
    };
    Fresh();
    Add(1000.0, 2000.0, 50.0);
    Add(1010.0, 2000.0, 51.0);
    Add(1000.0, 2010.0, 52.0);
    {
        CDupPointAreaEditDlg dlg;
        turned(dlg);
        CMoveRotateDlg move;
        ASSERT_TRUE(move.SaveRnd((dir / "moved.RND").string()));
        EXPECT_FALSE(dlg.Rotated());
        std::ifstream in(dir / "moved.RND", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_NE(text.str().find("     1010.0000       2000.0000      51.000"), std::string::npos)
            << text.str();

        turned(dlg);
        ASSERT_EQ(WriteBackupFile(dir / "snapshot.$BK"), 0);
        EXPECT_FALSE(dlg.Rotated());
    }
    InitDataModel();
    ASSERT_EQ(ReadBackupFile(dir / "snapshot.$BK"), 0);
    ASSERT_EQ(g_pointCount, 3);
    EXPECT_EQ(g_points[2].x, 1010.0);
    EXPECT_EQ(g_points[2].y, 2000.0);
    EXPECT_EQ(g_points[2].z, 51.0);
    std::filesystem::remove_all(dir);
}

}  // namespace

#include "pointedit/area_edit_commands.h"
#include "shell/tool_mode.h"

namespace {

// Insert, Delete and Esc on the view belong to the open dialog unless a tool is active:
// then the tool keeps them and the dialog changes nothing.
TEST(DupAreaEdit, ViewKeysGoToTheDialogOnlyWithoutATool) {
    Fresh();
    const int32_t a = Add(0, 0, 0, 10, 10);
    CDupPointAreaEditDlg dlg;
    g_dupPointAreaEditDlg = &dlg;
    g_points[a].flags |= POINT_FLAG_AREA_SELECTED;
    g_toolMode = MODE_OUTLINE_EDIT;
    EXPECT_FALSE(AreaDialogsViewKey(0x2E));
    EXPECT_EQ(g_points[a].invalid, 0);
    g_toolMode = MODE_NONE;
    EXPECT_TRUE(AreaDialogsViewKey(0x2E));
    EXPECT_EQ(g_points[a].invalid, 1);
    EXPECT_FALSE(AreaDialogsViewKey('A'));
}

}  // namespace

namespace {

// A lasso leaves outline vertices out, as the rectangle and the click do: the duplicate
// check that follows never makes an outline vertex invalid.
TEST(DupAreaEdit, LassoLeavesOutlineVerticesOut) {
    Fresh();
    // (The gizmo's handle sits on the view centre, client (0, 0): the lasso starts away
    // from it.)
    const int32_t vertex = Add(10.0, 10.0, 12.0, 150, 150);
    g_points[vertex].flags |= POINT_FLAG_OUTLINE_VERTEX;
    const int32_t low = Add(10.01, 10.0, 11.0, 151, 150);
    const int32_t other = Add(10.0, 10.01, 11.5, 150, 185);  // near the last stretch
    CDupPointAreaEditDlg dlg;
    dlg.SetSelectionMethod(CDupPointAreaEditDlg::kLasso);
    dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, 100, 100);
    for (const LassoPoint& p : {LassoPoint{200, 100}, LassoPoint{200, 200}, LassoPoint{100, 200}})
        dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, p.x, p.y);
    dlg.OnViewMouse(kViewLButtonUp, 0, 100, 101);
    EXPECT_FALSE(g_points[vertex].flags & POINT_FLAG_AREA_SELECTED);
    EXPECT_TRUE(g_points[low].flags & POINT_FLAG_AREA_SELECTED);
    EXPECT_TRUE(g_points[other].flags & POINT_FLAG_AREA_SELECTED);
    EXPECT_EQ(dlg.SelectedCount(), 2);
    dlg.OnDuplicateCheck(false);
    EXPECT_EQ(g_points[vertex].invalid, 0);
    EXPECT_EQ(g_points[low].invalid, 0);
    EXPECT_EQ(g_points[other].invalid, 3);
}

}  // namespace

namespace {

// Dragging the gizmo's handle tilts the axis by 0.005 rad per pixel; brought back upright
// it reads TILT 0 (an upright axis has no tilt), not 90.
TEST(DupAreaEdit, HandleDragTiltsAndComesBackUpright) {
    Fresh();
    Add(0, 0, 0, 300, 300);
    g_viewCenterX = g_viewCenterY = 0.0;
    CDupPointAreaEditDlg dlg;
    const AreaOverlay overlay = dlg.Overlay();
    ASSERT_FALSE(overlay.handles.empty());
    const LassoPointXY h = overlay.handles[0];
    dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, h.x, h.y);
    dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, h.x, h.y + 20);
    EXPECT_NEAR(dlg.TiltDegrees(), 0.1 * 180.0 / M_PI, 1e-9);
    dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, h.x, h.y);
    EXPECT_NEAR(dlg.TiltDegrees(), 0.0, 1e-9);
    dlg.OnViewMouse(kViewLButtonUp, 0, h.x, h.y);
    EXPECT_EQ(dlg.SelectedCount(), 0) << "the release after a handle drag selects nothing";
}

}  // namespace
