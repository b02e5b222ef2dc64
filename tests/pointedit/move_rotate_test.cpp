// Move, turn and tilt against a matrix the test builds itself with Rodrigues' formula:
// commits, one-step undo, cancel-all, locked points, the edits' 0 and clamp rules, the
// RND save.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "pointedit/area_selection.h"
#include "pointedit/move_rotate.h"
#include "view/back_buffer.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/display_flags.h"
#include "view/view_state.h"

namespace {

using Vec = std::array<double, 3>;  // east, up, north
using Mat = std::array<Vec, 3>;

constexpr double kPi = 3.14159265358979323846;

// R v = v cos θ + (k × v) sin θ + k (k·v)(1 − cos θ), as a matrix.
Mat Rodrigues(Vec k, double degrees) {
    const double t = degrees * kPi / 180.0, c = std::cos(t), s = std::sin(t);
    Mat m{};
    for (int col = 0; col < 3; ++col) {
        Vec e{};
        e[col] = 1;
        const Vec cross{k[1] * e[2] - k[2] * e[1], k[2] * e[0] - k[0] * e[2],
                        k[0] * e[1] - k[1] * e[0]};
        const double dot = k[col];
        for (int r = 0; r < 3; ++r) m[r][col] = e[r] * c + cross[r] * s + k[r] * dot * (1 - c);
    }
    return m;
}
Mat Mul(const Mat& a, const Mat& b) {
    Mat m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) m[r][c] += a[r][k] * b[k][c];
    return m;
}
Mat T(const Mat& a) {
    Mat m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] = a[c][r];
    return m;
}
Vec Apply(const Mat& m, const Vec& v) {
    Vec o{};
    for (int r = 0; r < 3; ++r) o[r] = m[r][0] * v[0] + m[r][1] * v[1] + m[r][2] * v[2];
    return o;
}
// Turn about the vertical (north towards east), then tilt about the horizontal line
// across direction c.
Mat G(double turn, double tilt, double direction) {
    const double c = direction * kPi / 180.0;
    return Mul(Rodrigues({-std::cos(c), 0, std::sin(c)}, tilt), Rodrigues({0, 1, 0}, turn));
}

Vec Eun(int32_t i) { return {g_points[i].y, g_points[i].z, g_points[i].x}; }

void MakePoints(int32_t n, uint64_t seed) {
    InitDataModel();
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(-50.0, 50.0);
    for (int32_t i = 1; i <= n; ++i) {
        EnsurePointCapacity(i);
        g_points[i] = RandomPoint{};
        g_points[i].x = 1000 + u(rng);
        g_points[i].y = 2000 + u(rng);
        g_points[i].z = 100 + u(rng) / 5;
        std::snprintf(g_points[i].name, sizeof g_points[i].name, "M%d", i % 1000);
    }
    g_pointCount = n;
    SetPointEndMarker();
    g_pointsPresent = -1;
}

std::vector<Vec> Snapshot() {
    std::vector<Vec> v(g_pointCount + 1);
    for (int32_t i = 1; i <= g_pointCount; ++i) v[i] = Eun(i);
    return v;
}

void ExpectNear(const std::vector<Vec>& want, double tolerance, const char* what) {
    for (int32_t i = 1; i <= g_pointCount; ++i)
        for (int k = 0; k < 3; ++k)
            ASSERT_NEAR(Eun(i)[k], want[i][k], tolerance) << what << " point " << i << " axis " << k;
}

TEST(MoveRotate, TurnNinetyTakesNorthToEast) {
    MakePoints(2, 1);
    g_points[1].x = 500;
    g_points[1].y = 700;
    g_points[1].z = 30;
    g_points[2].x = 510;  // 10 m north of point 1
    g_points[2].y = 700;
    g_points[2].z = 30;
    CMoveRotateDlg dlg;
    dlg.SetBasePoint(1);
    dlg.EditLeft(kRotationEdit, 90, true, false);
    dlg.OnCommit();
    EXPECT_NEAR(g_points[2].x, 500, 1e-9);
    EXPECT_NEAR(g_points[2].y, 710, 1e-9);
    EXPECT_NEAR(g_points[2].z, 30, 1e-9);
    EXPECT_EQ(dlg.ChangedState(), 3);
}

TEST(MoveRotate, RandomCommitsFollowTheMatrixAndUndoAndCancelRestore) {
    MakePoints(200, 7);
    // A few points locked: they never move.
    for (int32_t i : {3, 50, 77}) g_points[i].flags |= kPointChangeLock;
    const std::vector<Vec> original = Snapshot();
    CMoveRotateDlg dlg;
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> angle(-170.0, 170.0), shift(-20.0, 20.0);
    std::uniform_int_distribution<int32_t> pick(1, 200);
    double accumulated = 0, committedTilt = 0, committedDirection = 0;
    for (int step = 0; step < 6; ++step) {
        dlg.SetBasePoint(pick(rng));
        const Vec b{dlg.Base().y, dlg.Base().z, dlg.Base().x};
        const double r = angle(rng), t = angle(rng) / 2, c = std::fabs(angle(rng)) * 2;
        const double mn = shift(rng), me = shift(rng), mu = shift(rng);
        dlg.SetPending(mn, me, mu, r, t, c);
        const std::vector<Vec> before = Snapshot();
        dlg.OnCommit();
        const Mat g = Mul(G(accumulated + r, t, c), T(G(accumulated, committedTilt, committedDirection)));
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            Vec want = before[i];
            if (!(g_points[i].flags & POINT_FLAG_LOCK)) {
                const Vec d{before[i][0] - b[0], before[i][1] - b[1], before[i][2] - b[2]};
                const Vec gd = Apply(g, d);
                want = {b[0] + gd[0] + me, b[1] + gd[1] + mu, b[2] + gd[2] + mn};
            }
            for (int k = 0; k < 3; ++k)
                ASSERT_NEAR(Eun(i)[k], want[k], 1e-9) << "step " << step << " point " << i;
        }
        accumulated += r;
        if (accumulated > 180) accumulated -= 360;
        committedTilt = t;
        committedDirection = c;
        if (step == 0) {
            dlg.OnUndo();
            ExpectNear(original, 1e-9, "undo after one commit");
            accumulated = committedTilt = committedDirection = 0;
            dlg.SetPending(0, 0, 0, 0, 0, 0);
        }
    }
    for (int32_t i : {3, 50, 77})
        for (int k = 0; k < 3; ++k) EXPECT_EQ(Eun(i)[k], original[i][k]);
    dlg.OnCancelAll();
    ExpectNear(original, 1e-9, "cancel all");
    EXPECT_EQ(dlg.ChangedState(), 0);
}

TEST(MoveRotate, EmptyCommitChangesNothing) {
    MakePoints(5, 3);
    CMoveRotateDlg dlg;
    dlg.SetBasePoint(1);
    dlg.EditLeft(kMoveXEdit, 2.5, true, false);
    dlg.OnCommit();
    EXPECT_EQ(dlg.ChangedState(), 1);
    const std::vector<Vec> before = Snapshot();
    dlg.OnCommit();
    ExpectNear(before, 0.0, "empty commit");
    EXPECT_EQ(dlg.ChangedState(), 1);
}

TEST(MoveRotate, EditRules) {
    MakePoints(3, 5);
    CMoveRotateDlg dlg;
    dlg.EditLeft(kMoveYEdit, 4.0, false, false);
    EXPECT_EQ(dlg.Move(1), 4.0);
    dlg.EditLeft(kMoveYEdit, 0.0, false, false);
    EXPECT_EQ(dlg.Move(1), 4.0) << "a 0 left by a click is ignored";
    dlg.EditLeft(kMoveYEdit, 0.0, true, false);
    EXPECT_EQ(dlg.Move(1), 0.0) << "a 0 left by Enter is taken";
    dlg.EditLeft(kMoveYEdit, 9.0, true, true);
    EXPECT_EQ(dlg.Move(1), 0.0) << "Esc takes nothing";
    dlg.EditLeft(kTiltEdit, 250.0, true, false);
    EXPECT_EQ(dlg.Tilt(), 180.0);
    dlg.EditLeft(kTiltEdit, -999.0, true, false);
    EXPECT_EQ(dlg.Tilt(), -180.0);
    dlg.EditLeft(kRotationEdit, -90.0, true, false);
    EXPECT_EQ(dlg.Rotation(), 270.0);
    dlg.EditLeft(kTiltDirectionEdit, 725.0, true, false);
    EXPECT_NEAR(dlg.TiltDirection(), 5.0, 1e-12);
    // Absolute mode needs a base point and shows base + move.
    dlg.SetAbsoluteMode(true);
    EXPECT_FALSE(dlg.AbsoluteMode());
    dlg.SetBasePoint(2);
    dlg.SetAbsoluteMode(true);
    dlg.EditLeft(kMoveXEdit, g_points[2].x + 1.5, true, false);
    EXPECT_NEAR(dlg.Move(0), 1.5, 1e-12);
    EXPECT_NEAR(dlg.ShownValue(kMoveXEdit), g_points[2].x + 1.5, 1e-12);
    EXPECT_EQ(dlg.BaseLabel(), "2");
}

TEST(MoveRotate, SaveWritesTheRndAndReportsFailure) {
    MakePoints(3, 11);
    CMoveRotateDlg dlg;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "nostrel_move_save";
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "moved.RND";
    ASSERT_TRUE(dlg.SaveRnd(file.string()));
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    EXPECT_EQ(s.substr(0, 22), "********************\r\n");
    EXPECT_NE(s.find("M2        "), std::string::npos);
    ClearRecordedMessages();
    EXPECT_FALSE(dlg.SaveRnd((dir / "no_such_folder" / "x.RND").string()));
    ASSERT_FALSE(RecordedMessages().empty()) << "a file that cannot be created is reported";
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

// A structure merged into locked terrain, previewed as its hole triangles with the points
// hidden: after the commit the terrain points under its new place are invalid, the
// structure's own points valid, and the save writes the structure only.
TEST(MoveRotate, TinKindCommitInvalidatesTheTerrainUnderTheStructure) {
    InitDataModel();
    auto add = [](double x, double y, bool locked) {
        EnsurePointCapacity(g_pointCount + 1);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = x;
        p.y = y;
        p.z = 10;
        std::snprintf(p.name, sizeof p.name, "T%d", g_pointCount % 10000);
        if (locked) p.flags = kPointChangeLock;
        SetPointEndMarker();
        g_pointsPresent = -1;
        return g_pointCount;
    };
    for (int r = 0; r <= 20; ++r)
        for (int c = 0; c <= 20; ++c) add(5.0 * r + 2.5, 5.0 * c + 2.5, true);
    const int32_t s1 = add(20, 20, false), s2 = add(20, 30, false), s3 = add(30, 30, false),
                  s4 = add(30, 20, false);
    auto edge = [](int32_t a, int32_t b, int32_t back, int32_t search) {
        EnsureTinEdgeCapacity(g_tinEdgeCount + 1);
        g_tinEdges[++g_tinEdgeCount] = TinEdge{a, b, back, search, 0};
        SetTinEndRecord();
    };
    edge(-s1, -s2, kNoApex, -s3);
    edge(-s3, -s4, kNoApex, -s1);
    edge(-s1, -s3, -s4, -s2);
    g_tinPresent = -1;
    g_extentCenterX = g_extentCenterY = 50.0;
    g_extentSize = 120.0;
    g_viewCenterX = g_viewCenterY = 50.0;
    g_viewScale = 4.0;
    g_showPoints = 0;
    g_showTin = -1;
    AllocateBackBuffer(640, 480);
    ASSERT_NE(LockBackBuffer(), 0);

    CMoveRotateDlg dlg;
    dlg.SetBasePoint(s1);
    dlg.EditLeft(kMoveXEdit, 40.0, true, false);
    dlg.DrawPreview();
    EXPECT_EQ(dlg.PreviewKind(), 1);
    dlg.OnCommit();
    UnlockBackBuffer();
    EXPECT_EQ(dlg.PreviewKind(), 2);
    EXPECT_EQ(g_points[s1].x, 60.0);
    for (int32_t i = 1; i < s1; ++i) {
        const RandomPoint& p = g_points[i];
        const bool under = p.x > 60.5 && p.x < 69.5 && p.y > 20.5 && p.y < 29.5;
        const bool clear = p.x < 59.5 || p.x > 70.5 || p.y < 19.5 || p.y > 30.5;
        if (under) {
            EXPECT_EQ(p.invalid, 1) << p.x << " " << p.y;
        }
        if (clear) {
            EXPECT_EQ(p.invalid, 0) << p.x << " " << p.y;
        }
    }
    for (int32_t s : {s1, s2, s3, s4}) EXPECT_EQ(g_points[s].invalid, 0);

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "nostrel_structure_moved.RND";
    ASSERT_TRUE(dlg.SaveRnd(file.string()));
    EXPECT_EQ(std::filesystem::file_size(file), 5u * 22 + 4u * 63) << "the structure only";
    std::filesystem::remove(file);
    g_showPoints = -1;
}

}  // namespace

namespace {

// The direction handle follows the cursor's compass bearing from the base point; a
// Shift-drag in the plan turns by the angle swept about the base, clockwise positive.
TEST(MoveRotate, HandleAndShiftDragInThePlan) {
    MakePoints(3, 21);
    g_birdsEyeOn = 0;
    g_viewportCenterX = 300;
    g_viewportCenterY = 200;
    g_bufferMaxX = 600;
    g_bufferMaxY = 400;
    g_viewScale = 2.0;
    g_viewCenterX = g_points[1].x;
    g_viewCenterY = g_points[1].y;
    CMoveRotateDlg dlg;
    dlg.SetBasePoint(1);
    const AreaOverlay overlay = dlg.HandleOverlay();
    ASSERT_FALSE(overlay.handles.empty());
    const LassoPointXY h = overlay.handles[0];
    dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, h.x, h.y);
    dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, 300 + 80, 200);  // due east of the base
    EXPECT_NEAR(dlg.TiltDirection(), 90.0, 1.0);
    dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, 300, 200 + 80);  // due south
    EXPECT_NEAR(dlg.TiltDirection(), 180.0, 1.0);
    dlg.OnViewMouse(kViewLButtonUp, 0, 300, 280);
    EXPECT_EQ(dlg.Rotation(), 0.0) << "a handle drag turns nothing";

    // From north of the base round to west: a turn of -90 (270).
    dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft | kMouseFlagShift, 300, 100);
    dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft | kMouseFlagShift, 230, 130);
    dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft | kMouseFlagShift, 200, 200);
    dlg.OnViewMouse(kViewLButtonUp, kMouseFlagShift, 200, 200);
    EXPECT_NEAR(dlg.Rotation(), -90.0, 1e-9);
    EXPECT_NEAR(dlg.ShownValue(kRotationEdit), 270.0, 1e-9);
}

}  // namespace

namespace {

// The preview is drawn into the back buffer: when it changes or ends the layers are drawn
// again, so no earlier preview stays on the screen.
TEST(MoveRotate, ChangedPreviewRepaintsTheLayers) {
    MakePoints(20, 31);
    g_viewCenterX = 1000;
    g_viewCenterY = 2000;
    g_viewScale = 2.0;
    g_showPoints = -1;
    AllocateBackBuffer(320, 240);
    ASSERT_NE(LockBackBuffer(), 0);
    CMoveRotateDlg dlg;
    dlg.SetBasePoint(1);
    dlg.EditLeft(kMoveXEdit, 3.0, true, false);
    dlg.DrawPreview();
    g_redrawMask = 0;
    dlg.EditLeft(kMoveXEdit, 5.0, true, false);
    EXPECT_EQ(g_redrawMask, -1) << "a changed preview";
    dlg.DrawPreview();
    g_redrawMask = 0;
    dlg.EditLeft(kMoveXEdit, 0.0, true, false);
    EXPECT_EQ(g_redrawMask, -1) << "an ended preview";
    dlg.DrawPreview();
    g_redrawMask = 0;
    dlg.EditLeft(kMoveYEdit, 0.0, true, false);
    EXPECT_EQ(g_redrawMask, 0) << "no preview before or after";
    UnlockBackBuffer();
}

}  // namespace
