#include "pointedit/point_tools.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "model/geometry.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_intersection.h"
#include "model/tin_query.h"
#include "platform/encoding.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/area_selection.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "pointedit/point_edit.h"
#include "pointedit/point_input_settings.h"
#include "pointedit/point_list.h"
#include "pointedit/batch_edit.h"
#include "shell/status_text.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {
constexpr const char* kAskDelete = "削除してよろしいですか？";
constexpr const char* kNoCoordinate = "座標値を決定できません";
constexpr const char* kNewPointCaption = "新規ランダム点登録";
constexpr const char* kOutlineStaysValid = "外周の点は無効にできません。";
constexpr const char* kAskToggle = "選択範囲の有効・無効を切替えます";
constexpr const char* kConfirm = "確認";
constexpr double kLineTolerance = 0.001;
constexpr double kInsideTolerance = 0.00001;

bool Held(int32_t flags, int32_t flag) { return (flags & flag) != 0; }
constexpr int32_t kShift = 0x04;
constexpr int32_t kControl = 0x08;

// Clicks wait while a long operation runs and leave the tools alone with Alt held.
bool ClickRefused() { return IsProgressWindowOpen() || IsKeyDown(key::kAlt); }

bool ValidPoint(int32_t p) { return p > 0 && p <= g_pointCount; }

bool IsOutlineVertex(int32_t p) {
    const int32_t n = std::clamp(g_outline.Count(), 0, kIndexListMaxVertices);
    for (int32_t k = 1; k <= n; ++k)
        if (g_outline[k] == p) return true;
    return false;
}

bool IsTinEndPoint(int32_t p) {
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e)
        if (std::abs(g_tinEdges[e].a) == p || std::abs(g_tinEdges[e].b) == p) return true;
    return false;
}

void SetNewPointAttributes() {
    CopyPointName(g_editPoint.name, g_newPointName);
    g_editPoint.invalid = static_cast<int16_t>(g_newPointInvalid);
    g_editPoint.plotKind = static_cast<int16_t>(g_newPointPlotMode);
    g_editPoint.outside = 0;
}

void RedrawAll() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// The point edit dialog on the point in g_pickedPoint; without a dialog a new point that
// nobody registered is dropped again.
void RunPointEditDialog() {
    if (PointToolWindowHooks().runPointEditDialog)
        PointToolWindowHooks().runPointEditDialog();
    else
        PointEditSession::Close();
}

void ClearFourPicks() { g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint4 = 0; }

// The triangle crossing of the four-point tool: the template from `crossing`, appended as
// a new point, then the edit dialog on it with the triangle shown.
void AddTriangleCrossing(const RandomPoint& crossing, int32_t a, int32_t b, int32_t c) {
    g_editPoint = crossing;
    g_pickedPoint4 = g_pickedPoint2;
    g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint;
    std::memset(g_editPoint.name, 0, sizeof g_editPoint.name);
    SetNewPointAttributes();
    const int32_t n = AppendEditPoint();
    if (n == 0) {
        ClearFourPicks();
        return;
    }
    g_pickedPoint = n;
    if (!PointEditDialogOpen()) {
        g_pickList2.Reset();
        for (int32_t v : {a, b, c, a}) g_pickList2.Append(v);
        RedrawAll();
        RunPointEditDialog();
        ClearPicks();
        ClearFourPicks();
        RedrawAll();
    }
    ClearFourPicks();
}

// A TIN record's search-side triangle, or false when one of its numbers is no point.
bool TriangleOf(int32_t e, int32_t& a, int32_t& b, int32_t& c) {
    const TinEdge& t = g_tinEdges[e];
    if (t.apexSearch == kNoApex) return false;
    a = std::abs(t.a);
    b = std::abs(t.b);
    c = std::abs(t.apexSearch);
    return ValidPoint(a) && ValidPoint(b) && ValidPoint(c);
}
}  // namespace

PointToolWindows& PointToolWindowHooks() {
    static PointToolWindows windows;
    return windows;
}

bool PointEditDialogOpen() { return IsToolWindowOpen(ToolWindow::kPointEditDialog); }

bool SnapToDxf(int32_t, int32_t, double&, double&) {
    // The DXF layer's end-point, on-line and crossing finders are not part of the program
    // yet; until they are, every snap finds nothing.
    return false;
}

// ---- Modify ----

int32_t OnClickModifyPoint(int32_t flags, int32_t x, int32_t y, int32_t snapped) {
    if (ClickRefused() || Held(flags, kShift | kControl)) return 0;
    int32_t p = 0;
    if (g_pickedPoint == 0 || g_birdsEyeOn || !ValidPoint(g_pickedPoint)) {
        p = FindPointAtCursor(x, y, kPointPickRadius2);
        if (!ValidPoint(p)) {
            g_pickedPoint = 0;
            return 0;
        }
        g_editPoint = g_points[p];
    } else {
        // Picked at the press: the point follows the drag, subject to the dialog.
        p = g_pickedPoint;
        g_editPoint = g_points[p];
        g_editPoint.screenX = x - g_viewportCenterX;
        g_editPoint.screenY = g_viewportCenterY - y;
        if (snapped) {
            g_editPoint.x = g_pickedPointRecord.x;
            g_editPoint.y = g_pickedPointRecord.y;
        } else {
            ClientToGround(x, y, g_editPoint.x, g_editPoint.y);
        }
    }
    if (PointEditDialogOpen()) {
        if (PointToolWindowHooks().repaintPointEditDialog)
            PointToolWindowHooks().repaintPointEditDialog();
    } else {
        g_pickedPoint = p;
        RunPointEditDialog();
    }
    if (IsToolWindowOpen(ToolWindow::kPointList)) SendPointToList(p);
    InvalidateAndUpdateView();
    g_pickedPoint = 0;
    return p;
}

// ---- Add ----

namespace {
void DeleteLoosePoint(int32_t p) {
    if ((g_tinEdgeCount > 0 && IsTinEndPoint(p)) || IsOutlineVertex(p)) return;
    g_pickedPoint = p;
    QuickRepaintView();
    if (ShowMessage(kAskDelete, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
        DeletePointKeepingReferences(p);
        g_dataChanged = -1;
    }
    g_pickedPoint = 0;
    RedrawAll();
}

void TakeOverAttributes(int32_t p) {
    const RandomPoint& r = g_points[p];
    g_newPointInvalid = r.invalid;
    g_newPointPlotMode = r.plotKind;
    g_newPointZ = r.z;
    const std::string name(r.name, strnlen(r.name, sizeof r.name));
    g_newPointName = CutPointNameText(name);
    SetStatusText(FormatString("新規点の標高＝ %5.3f ", r.z) + Cp932ToUtf8(g_newPointName));
    if (PointToolWindowHooks().refreshPointInputPanel)
        PointToolWindowHooks().refreshPointInputPanel();
    g_pickedPoint = p;
    QuickRepaintView();
}

void CompleteAddedPoint(int32_t b, bool planView, double pickedZ) {
    g_pickedPoint = b;
    if (g_newPointMethod == 1) {
        if (PointEditDialogOpen()) {
            g_redrawMask = 1;
            return;
        }
        QuickRepaintView();
        RunPointEditDialog();
        return;
    }
    g_dataChanged = -1;
    SetNewPointAttributes();
    if (!planView)
        g_editPoint.z = pickedZ;
    else if (g_newPointMethod == 0)
        g_editPoint.z = g_newPointZ;
    g_points[b] = g_editPoint;
    g_addedPointsInMode = b;
    if (b == g_pointCount + 1) {
        g_pickList2.Append(b);
        ++g_pointCount;
        g_addedPointsInMode = -1;
        SetPointEndMarker();
    }
    g_pointsPresent = 1;
    IncludePointInExtents(b);
    RedrawAll();
}
}  // namespace

void OnClickAddPoint(int32_t flags, int32_t x, int32_t y) {
    if (ClickRefused() || Held(flags, kControl)) return;
    const bool shift = Held(flags, kShift);
    if (g_birdsEyeOn) {
        if (shift) return;
        double px = 0, py = 0, pz = 0;
        int32_t b = 0;
        if (g_pointSnapMode == 0 &&
            PickTinPoint3D(x - g_bufferMaxX / 2, g_bufferMaxY / 2 - y, px, py, pz) != 0) {
            g_editPoint.x = px;
            g_editPoint.y = py;
            g_editPoint.z = pz;
            SetNewPointAttributes();
            b = AppendEditPointIfFree();
        }
        if (b == 0) {
            ShowMessage(kNoCoordinate, kNewPointCaption, msg::kOk | msg::kIconError);
            return;
        }
        CompleteAddedPoint(b, false, pz);
        return;
    }
    const int32_t p = FindPointAtCursor(x, y, kAddToolHitRadius2);
    if (ValidPoint(p)) {
        if (shift)
            TakeOverAttributes(p);
        else
            DeleteLoosePoint(p);
        return;
    }
    if (shift) return;
    SetNewPointAttributes();
    if (g_newPointMethod == 0) g_editPoint.z = g_newPointZ;
    int32_t b = 0;
    if (g_pointSnapMode >= 1 && g_pointSnapMode <= 3) {
        double sx = 0, sy = 0;
        if (!SnapToDxf(x, y, sx, sy)) return;
        g_editPoint.x = sx;
        g_editPoint.y = sy;
        b = AppendEditPointIfFree();
    } else {
        b = AppendPointAtCursor(x, y);
    }
    if (b == 0) return;
    CompleteAddedPoint(b, true, 0);
}

// ---- Four-point intersection ----

void OnClickFourPointIntersection(int32_t flags, int32_t x, int32_t y) {
    if (ClickRefused() || PointEditDialogOpen()) return;
    const bool shift = Held(flags, kShift);
    int32_t p = FindPointAtCursor(x, y, kPointPickRadius2);
    if (!ValidPoint(p)) p = 0;
    if (p != 0 && (p == g_pickedPoint || p == g_pickedPoint2 || p == g_pickedPoint3)) return;
    if (g_pickedPoint == 0) {
        if (p) g_pickedPoint = p;
    } else if (g_pickedPoint2 == 0) {
        g_pickedPoint2 = p;
    } else if (g_pickedPoint3 == 0) {
        if (shift && g_tinEdgeCount > 3) {
            const int32_t e =
                g_birdsEyeOn ? FindTinTriangleAtCursor3D(x, y) : FindTinTriangleAtCursor(x, y);
            int32_t a = 0, b = 0, c = 0;
            if (e == 0 || !TriangleOf(e, a, b, c)) return;
            RandomPoint crossing{};
            if (!IntersectTriangles3D(true, g_points[a], g_points[b], g_points[c],
                                      g_points[g_pickedPoint], g_points[g_pickedPoint2], crossing))
                return;
            AddTriangleCrossing(crossing, a, b, c);
        } else {
            g_pickedPoint3 = p;
        }
    } else if (g_pickedPoint4 != 0) {
        // The triangle third, fourth and this point.
        if (p == 0) return;
        RandomPoint crossing{};
        const int32_t t3 = g_pickedPoint3, t4 = g_pickedPoint4;
        if (!ValidPoint(t4) ||
            !IntersectTriangles3D(true, g_points[t3], g_points[t4], g_points[p],
                                  g_points[g_pickedPoint], g_points[g_pickedPoint2], crossing)) {
            ClearFourPicks();
        } else {
            AddTriangleCrossing(crossing, t3, t4, p);
        }
    } else if (shift) {
        if (p) g_pickedPoint4 = p;
    } else {
        if (p == 0) return;
        const RandomPoint &a = g_points[g_pickedPoint], &b = g_points[g_pickedPoint2];
        const RandomPoint &c = g_points[g_pickedPoint3], &d = g_points[p];
        double ix = 0, iy = 0;
        int pointClass = 0;
        const int r = IntersectSegments(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y, 1, kLineTolerance,
                                        kLineTolerance, &ix, &iy, &pointClass);
        // Parallel lines never meet (class 1); an axis-parallel pair gives no error for it.
        if (r != kGeomOk || pointClass != 0) {
            ClearFourPicks();
            RedrawAll();
            return;
        }
        const int32_t n = AppendPointAtCursor(0, 0);
        if (n == 0) {
            ClearFourPicks();
            RedrawAll();
            return;
        }
        g_editPoint.x = ix;
        g_editPoint.y = iy;
        g_pickedPoint = n;
        SetNewPointAttributes();
        g_editPoint.z = 0;
        GetTinZ(ix, iy);
        g_points[n] = g_editPoint;
        if (!PointEditDialogOpen()) {
            g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint4 = 0;
            RedrawAll();
            RunPointEditDialog();
        }
        g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint4 = 0;
    }
    QuickRepaintView();
}

// ---- Valid and invalid ----

namespace {
// The letter A..Z held: the first (or last) in alphabetical order; 0 for none.
int HeldLetter(bool last) {
    int found = 0;
    for (int k = 'A'; k <= 'Z'; ++k) {
        if (!IsKeyDown(k)) continue;
        found = k;
        if (!last) break;
    }
    return found;
}

bool DigitHeld() {
    for (int k = '0'; k <= '9'; ++k)
        if (IsKeyDown(k)) return true;
    return false;
}

void SetLetterName(RandomPoint& r, int letter) {
    std::memset(r.name, 0, sizeof r.name);
    r.name[0] = '_';
    r.name[1] = static_cast<char>(letter);
}

// Empties a name; the tenth byte goes too, which drops a cached name colour.
void EmptyName(RandomPoint& r) {
    r.name[0] = 0;
    r.name[9] = 0;
}
}  // namespace

void OnClickToggleValid(int32_t flags, int32_t x, int32_t y) {
    if (ClickRefused() || Held(flags, kShift | kControl)) return;
    const int32_t p = FindPointAtCursor(x, y, kPointPickRadius2);
    if (!ValidPoint(p)) return;
    g_pickedPoint = p;
    g_dataChanged = -2;
    g_addedPointsInMode = 0;
    g_redrawMask = -1;
    RandomPoint& r = g_points[p];
    if (IsKeyDown(key::kSpace) || DigitHeld()) {
        EmptyName(r);
    } else if (const int letter = HeldLetter(false)) {
        SetLetterName(r, letter);
    } else if (r.invalid != 0) {
        r.invalid = 0;
    } else if (IsOutlineVertex(p)) {
        ShowMessage(kOutlineStaysValid, "", msg::kOk | msg::kIconInformation);
    } else {
        r.invalid = 1;
    }
    InvalidateAndUpdateView();
}

int32_t ToggleValidInSelection() {
    bool nameMode = false;
    int letter = 0;
    if (IsKeyDown(key::kSpace)) {
        nameMode = true;
    } else if ((letter = HeldLetter(true)) != 0) {
        nameMode = true;
    }
    auto selected = [](const RandomPoint& r) { return (r.flags & POINT_FLAG_NEW_SELECTION) != 0; };
    auto outline = [](const RandomPoint& r) { return (r.flags & POINT_FLAG_OUTLINE_VERTEX) != 0; };
    if (IsKeyDown(vkey::kInsert)) {
        for (int32_t i = 1; i <= g_pointCount; ++i)
            if (selected(g_points[i])) g_points[i].invalid = 0;
    } else if (IsKeyDown(vkey::kDelete)) {
        for (int32_t i = 1; i <= g_pointCount; ++i)
            if (selected(g_points[i]) && !outline(g_points[i])) g_points[i].invalid = 1;
    } else {
        if (!nameMode && ShowMessage(kAskToggle, kConfirm, msg::kYesNo | msg::kIconQuestion) !=
                             msg::kIdYes)
            return 0;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& r = g_points[i];
            if (!selected(r)) continue;
            r.flags &= static_cast<uint8_t>(~POINT_FLAG_NEW_SELECTION);
            if (nameMode) {
                if (letter)
                    SetLetterName(r, letter);
                else
                    EmptyName(r);
            } else if (!outline(r)) {
                r.invalid = r.invalid == 0 ? 1 : 0;
            }
        }
    }
    g_dataChanged = -1;
    return 1;
}

int32_t ApplyPointToolRectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (IsProgressWindowOpen() || g_pointCount <= 0) return 0;
    const int32_t count = MarkPointsInClientRect(left, top, right, bottom);
    int32_t result = 0;
    if (count > 0) {
        if (g_pointEditState == POINT_EDIT_VALID_INVALID)
            result = ToggleValidInSelection();
        else if (g_pointEditState == POINT_EDIT_BATCH)
            result = ApplyBatchEditToSelection();
    }
    ClearPointFlags(POINT_FLAG_NEW_SELECTION);
    return result;
}

// ---- Triangles under the cursor ----

int32_t FindTinTriangleAtCursor(int32_t x, int32_t y) {
    if (g_tinEdgeCount < 5) return 0;
    double wx = 0, wy = 0;
    ClientToGround(x, y, wx, wy);
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        int32_t a = 0, b = 0, c = 0;
        if (!TriangleOf(e, a, b, c)) continue;
        const double xs[4] = {g_points[a].x, g_points[b].x, g_points[c].x, g_points[a].x};
        const double ys[4] = {g_points[a].y, g_points[b].y, g_points[c].y, g_points[a].y};
        int cls = 0;
        if (ClassifyPointInPolygon(0, xs, ys, 4, wx, wy, kInsideTolerance, &cls) == kGeomOk &&
            cls == kPolygonInside)
            return e;
    }
    return 0;
}

int32_t FindTinTriangleAtCursor3D(int32_t x, int32_t y) {
    if (g_tinEdgeCount < 5) return 0;
    const double cx = x - g_viewportCenterX, cy = g_viewportCenterY - y;
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        int32_t a = 0, b = 0, c = 0;
        if (!TriangleOf(e, a, b, c)) continue;
        const RandomPoint &pa = g_points[a], &pb = g_points[b], &pc = g_points[c];
        if (pa.hidden == 1 || pb.hidden == 1 || ((pa.hidden | pb.hidden) & 2) != 0) continue;
        const double xs[4] = {double(pa.screenX), double(pb.screenX), double(pc.screenX),
                              double(pa.screenX)};
        const double ys[4] = {double(pa.screenY), double(pb.screenY), double(pc.screenY),
                              double(pa.screenY)};
        int cls = 0;
        if (ClassifyPointInPolygon(0, xs, ys, 4, cx, cy, kInsideTolerance, &cls) == kGeomOk &&
            cls == kPolygonInside)
            return e;
    }
    return 0;
}
