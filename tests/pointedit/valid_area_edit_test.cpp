// The valid/invalid area edit: sphere and cone selections, the apply actions and the
// change lock that lasts only while the dialog is open.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/terrain_data.h"
#include "pointedit/area_selection.h"
#include "pointedit/valid_area_edit.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_state.h"

namespace {

// Point i at ground (x, y, z) drawn at client pixel (column, row).
int32_t Add(double x, double y, double z, int32_t column, int32_t row) {
    EnsurePointCapacity(g_pointCount + 1);
    const int32_t i = ++g_pointCount;
    g_points[i] = RandomPoint{};
    g_points[i].x = x;
    g_points[i].y = y;
    g_points[i].z = z;
    g_points[i].screenX = column;
    g_points[i].screenY = -row;
    std::snprintf(g_points[i].name, sizeof g_points[i].name, "V%d", i % 1000);
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
}

void Click(CValidAreaEditDlg& dlg, int32_t x, int32_t y) {
    dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, x, y);
    dlg.OnViewMouse(kViewLButtonUp, 0, x, y);
}

bool Selected(int32_t i) { return (g_points[i].flags & POINT_FLAG_AREA_SELECTED) != 0; }

TEST(ValidAreaEdit, SphereIsInclusiveAtTheRadius) {
    Fresh();
    const int32_t centre = Add(0, 0, 10, 100, 100);
    const int32_t atR = Add(0, 2.0, 10, 400, 300);       // exactly R = 2 east
    const int32_t beyond = Add(0, 0, 12.000001, 400, 300);
    const int32_t diagonal = Add(1.2, 0, 8.4, 400, 300);  // 1.2² + 1.6² = 4
    CValidAreaEditDlg dlg;
    dlg.RadiusLeft(2.0);
    dlg.RadiusLeft(0.0);  // not greater than 0: kept
    EXPECT_EQ(dlg.Radius(), 2.0);
    dlg.SetSphereMode(true);
    Click(dlg, 101, 100);
    EXPECT_TRUE(Selected(centre));
    EXPECT_TRUE(Selected(atR));
    EXPECT_TRUE(Selected(diagonal));
    EXPECT_FALSE(Selected(beyond));
}

TEST(ValidAreaEdit, LowestPointModeWithZeroOffsetExcludesPointsBelow) {
    Fresh();
    const int32_t picked = Add(0, 0, 10, 100, 100);
    const int32_t above = Add(0, 0, 11.5, 400, 300);
    const int32_t below = Add(0, 0, 9.999, 400, 300);
    const int32_t side = Add(0.5, 0, 10.0, 400, 300);  // 1 m from the raised centre, R = 1
    CValidAreaEditDlg dlg;
    dlg.SetSphereMode(true);
    dlg.SetLowestMode(true);
    dlg.LowOffsetLeft(0.0);
    Click(dlg, 100, 100);
    EXPECT_TRUE(Selected(picked)) << "the picked point is the sphere's bottom";
    EXPECT_TRUE(Selected(above));
    EXPECT_FALSE(Selected(below));
    EXPECT_FALSE(Selected(side));
}

TEST(ValidAreaEdit, ConeAngleIsClampedAndSelectsAboveThePick) {
    Fresh();
    CValidAreaEditDlg dlg;
    dlg.ConeAngleLeft(0.0);
    EXPECT_EQ(dlg.ConeAngle(), 0.01);
    dlg.ConeAngleLeft(95.0);
    EXPECT_EQ(dlg.ConeAngle(), 89.0);
    dlg.ConeAngleLeft(45.0);
    const int32_t apex = Add(0, 0, 10, 100, 100);
    const int32_t inside = Add(1, 0, 12, 400, 300);   // 45° cone: r 1 < height 2
    const int32_t outside = Add(3, 0, 12, 400, 300);
    const int32_t under = Add(0, 0, 8, 400, 300);
    dlg.SetConeMode(true);
    Click(dlg, 100, 100);
    EXPECT_TRUE(Selected(inside));
    EXPECT_FALSE(Selected(outside));
    EXPECT_FALSE(Selected(under));
    EXPECT_FALSE(Selected(apex)) << "the apex itself is at height 0";
    // A wider cone re-evaluates the same pick; narrowing it again lets go of what only the
    // wider one held.
    dlg.ConeAngleLeft(80.0);
    EXPECT_TRUE(Selected(outside));
    dlg.ConeAngleLeft(45.0);
    EXPECT_FALSE(Selected(outside));
    EXPECT_TRUE(Selected(inside));
}

// The new name is cut on character boundaries of the Shift-JIS bytes it is stored in.
TEST(ValidAreaEdit, NewNameIsCutOnWholeCharacters) {
    Fresh();
    const std::string kanji = "\x91\xaa";  // one double-byte character
    struct Case { std::string typed, stored; };
    const Case cases[] = {
        {"ABCDEFGHIJ  ", "ABCDEFGH"},
        {"AB  ", "AB"},
        {kanji + kanji + kanji + kanji + kanji, kanji + kanji + kanji + kanji},
        {"A" + kanji + kanji + kanji + kanji, "A" + kanji + kanji + kanji},
        {"ABCDEFGHIJKLM      X", "ABCDEFGH"},
    };
    CValidAreaEditDlg dlg;
    for (const Case& c : cases) {
        dlg.NameLeft(c.typed);
        EXPECT_EQ(dlg.NewName(), c.stored) << c.typed;
    }
    // Applied, the name reaches the point whole.
    const int32_t a = Add(0, 0, 0, 10, 10);
    dlg.NameLeft("A" + kanji + kanji + kanji + kanji);
    dlg.SetRename(true);
    dlg.SetValidity(0);
    Click(dlg, 10, 10);
    dlg.OnApply();
    EXPECT_EQ(std::string(g_points[a].name), "A" + kanji + kanji + kanji);
    EXPECT_EQ(g_points[a].invalid, 0);
}

TEST(ValidAreaEdit, ApplyActions) {
    Fresh();
    const int32_t a = Add(0, 0, 0, 10, 10);
    const int32_t b = Add(0, 1, 0, 20, 10);
    const int32_t outline = Add(0, 2, 0, 30, 10);
    g_points[outline].flags |= POINT_FLAG_OUTLINE_VERTEX;
    const int32_t other = Add(0, 3, 0, 300, 300);
    g_points[other].outside = 1;
    auto rectangle = [](CValidAreaEditDlg& dlg) {
        dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, 0, 0);
        dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, 20, 10);
        dlg.OnViewMouse(kViewMouseMove, kMouseFlagLeft, 40, 20);
        dlg.OnViewMouse(kViewLButtonUp, 0, 40, 20);
    };
    {
        CValidAreaEditDlg dlg;
        rectangle(dlg);
        EXPECT_TRUE(Selected(a));
        EXPECT_TRUE(Selected(b));
        EXPECT_FALSE(Selected(outline));
        EXPECT_FALSE(Selected(other));
        // A lock action changes no validity and no name.
        dlg.SetValidity(-1);
        dlg.SetRename(true);
        dlg.NameLeft("ABCDEFGHIJ  ");
        EXPECT_EQ(dlg.NewName(), "ABCDEFGH");
        dlg.SetLockAction(1);
        dlg.OnApply();
        EXPECT_EQ(g_points[a].invalid, 0);
        EXPECT_STREQ(g_points[a].name, "V1");
        EXPECT_TRUE(PointChangeLocked(g_points[a]));
        EXPECT_TRUE(PointChangeLocked(g_points[b]));
        EXPECT_FALSE(Selected(a));
        // Unlocking resets the outside mark of the chosen points only.
        Click(dlg, 10, 10);
        g_points[a].outside = 1;
        dlg.SetLockAction(-1);
        dlg.OnApply();
        EXPECT_FALSE(PointChangeLocked(g_points[a]));
        EXPECT_TRUE(PointChangeLocked(g_points[b]));
        EXPECT_EQ(g_points[a].outside, 0);
        EXPECT_EQ(g_points[other].outside, 1);
        // Invalidate and rename: the locked point keeps its state.
        rectangle(dlg);
        dlg.SetLockAction(0);
        dlg.OnApply();
        EXPECT_EQ(g_points[a].invalid, 1);
        EXPECT_STREQ(g_points[a].name, "ABCDEFGH");
        EXPECT_EQ(g_points[b].invalid, 0);
        EXPECT_STREQ(g_points[b].name, "V2");
    }
    // Closing removes every lock.
    for (int32_t i = 1; i <= g_pointCount; ++i) EXPECT_FALSE(PointChangeLocked(g_points[i])) << i;
}

TEST(ValidAreaEdit, ClearSelectionInTwoStages) {
    Fresh();
    const int32_t a = Add(0, 0, 0, 10, 10);
    const int32_t b = Add(0, 5, 0, 200, 200);
    CValidAreaEditDlg dlg;
    Click(dlg, 10, 10);
    Click(dlg, 200, 200);
    EXPECT_TRUE(Selected(a) && Selected(b));
    dlg.OnClearSelection();
    EXPECT_TRUE(Selected(a));
    EXPECT_FALSE(Selected(b));
    dlg.OnClearSelection();
    EXPECT_FALSE(Selected(a));
}

}  // namespace
