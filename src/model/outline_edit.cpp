#include "model/outline_edit.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_picking.h"
#include "view/view_state.h"

int32_t g_outlineInsertPos = 0;
int32_t g_chainDirection = 0;

namespace {
constexpr const char* kClosedText = "外周が閉じました。";
constexpr const char* kClosedCaption = "外周登録終了";
constexpr const char* kReplaceQuestion = "置き換えを行います";
constexpr const char* kAlreadyClosedText = "外周はすでに閉じていますので\n１点戻りで登録されます。";
constexpr const char* kAlreadyClosedCaption = "外周閉合確認";
constexpr const char* kClearAllQuestion = "現在の外周は解除されます\n よろしいですか";
constexpr const char* kListFullText = "点数が上限の %d 点に達しているため追加できません。";

const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_outlineInsertPos = 0;
        g_chainDirection = 0;
    });
    return true;
}();

bool IsPoint(int32_t i) {
    return g_points && i >= 1 && i <= g_pointCount && i < g_pointsBlock.Size();
}

uint8_t& Flags(int32_t i) { return g_points[i].flags; }
bool IsOutlineVertex(int32_t i) { return IsPoint(i) && (Flags(i) & kPointFlagOutline) != 0; }

// The vertex count, never more than the list can hold.
int32_t CountOf(const IndexList& list) {
    return std::clamp(list.Count(), 0, kIndexListMaxVertices);
}

int32_t FirstPosition(const IndexList& list, int32_t point) {
    const int32_t n = CountOf(list);
    for (int32_t k = 1; k <= n; ++k)
        if (list[k] == point) return k;
    return 0;
}

int32_t LastPosition(const IndexList& list, int32_t point) {
    for (int32_t k = CountOf(list); k >= 1; --k)
        if (list[k] == point) return k;
    return 0;
}

void Reverse(IndexList& list) {
    int32_t* entries = list.Data();
    std::reverse(entries + 1, entries + 1 + CountOf(list));
}

void ReportListFull() {
    ShowMessage(FormatString(kListFullText, kIndexListMaxVertices), "",
                msg::kOk | msg::kIconWarning);
}

void EnsureProjection() {
    if (!g_projectionValid) ProjectAllData(0);
}

int32_t PointAtCursor(int32_t x, int32_t y) {
    const int32_t p = FindPointAtCursor(x, y, kOutlinePickRadius2);
    return IsPoint(p) ? p : 0;
}

// Moves the view centre onto the point when its last screen position lies outside the
// middle of the window.
void BringIntoView(int32_t i) {
    if (!IsPoint(i)) return;
    const RandomPoint& p = g_points[i];
    if (std::abs(int64_t{p.screenX}) > g_bufferMaxX / 2.0 ||
        std::abs(int64_t{p.screenY}) > g_bufferMaxY / 2.0) {
        g_viewCenterX = p.x;
        g_viewCenterY = p.y;
    }
}

// Drops the last entry of a pick list and its member bit; false when the list is empty.
bool DropLastPick(IndexList& list, uint8_t bit) {
    const int32_t n = CountOf(list);
    if (n <= 0) return false;
    const int32_t p = list[n];
    if (IsPoint(p)) Flags(p) &= static_cast<uint8_t>(~bit);
    list.Remove(n);
    return true;
}

// The outline entry's own search: the nearest point on the back buffer that may be added,
// or the first vertex when it may close the outline.
int32_t FindEntryCandidate(int32_t x, int32_t y, int64_t& bestDistance) {
    const int32_t n = CountOf(g_outline);
    const int32_t first = n > 0 ? g_outline[1] : 0;
    const int32_t last = std::min(g_pointCount, g_pointsBlock.Size() - 1);
    int32_t found = 0;
    bestDistance = 10000;
    for (int32_t i = 1; i <= last; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.hidden != 0) continue;
        const int64_t column = int64_t{g_viewportCenterX} + p.screenX;
        const int64_t row = int64_t{g_viewportCenterY} - p.screenY;
        if (column < 0 || column >= g_bufferMaxX || row < 0 || row >= g_bufferMaxY) continue;
        const int64_t d = (column - x) * (column - x) + (row - y) * (row - y);
        const bool free = (p.flags & kPointFlagOutline) == 0;
        const bool closing = i == first && d < kOutlineEntryRadius2 && n > 2;
        if ((free || closing) && d < bestDistance) {
            bestDistance = d;
            found = i;
        }
    }
    return found;
}
}  // namespace

void ClearOutline() {
    g_outline.Reset();
    if (!g_points) return;
    const int32_t last = std::min(g_pointCount, g_pointsBlock.Size() - 1);
    for (int32_t i = 1; i <= last; ++i) {
        g_points[i].outside = 0;
        g_points[i].flags = 0;
    }
}

bool TerrainToolClickRefused(int32_t flags) {
    return IsProgressWindowOpen() || (flags & (kMouseFlagShift | kMouseFlagControl)) != 0 ||
           IsKeyDown(key::kAlt);
}

void EnterOutlinePointAtCursor(int32_t flags, int32_t x, int32_t y) {
    if (TerrainToolClickRefused(flags)) return;
    EnsureProjection();
    g_dataChanged = -1;
    if (g_pointCount <= 1 || !g_points) return;
    int64_t d = 0;
    const int32_t p = FindEntryCandidate(x, y, d);
    if (p == 0 || d >= kOutlineEntryRadius2) return;

    IndexList& outline = g_outline;
    const int32_t n = CountOf(outline);
    const bool wasClosed = outline.IsClosed();
    if (n > 0 && p == outline[1]) {
        outline.Close();
        if (n + 2 < kIndexListEntries) outline[n + 2] = 0;
        ShowMessage(kClosedText, kClosedCaption, msg::kOk | msg::kIconInformation);
    } else {
        // After a closed outline the new vertex takes the closing copy's place.
        if (!outline.Append(p)) {
            ReportListFull();
            return;
        }
        Flags(p) = kPointFlagOutline;
    }
    g_redrawMask = wasClosed ? -1 : 1;
}

void EditOutlineVertexAtCursor(int32_t flags, int32_t x, int32_t y) {
    if (TerrainToolClickRefused(flags)) return;
    EnsureProjection();
    g_dataChanged = -1;
    const int32_t p = PointAtCursor(x, y);
    if (p == 0) return;
    IndexList& outline = g_outline;
    const bool closed = outline.IsClosed();

    if (p == g_pickAux3) {
        // The vertex removed last goes back where it was.
        if (g_outlineInsertPos != 0 && !IsOutlineVertex(p)) {
            if (outline.Insert(g_outlineInsertPos, p)) {
                Flags(p) = kPointFlagOutline;
                if (closed && CountOf(outline) > 2) outline.Close();
                g_redrawMask = -1;
            } else if (CountOf(outline) >= kIndexListMaxVertices) {
                ReportListFull();
            }
        }
        g_pickAux3 = 0;
        g_outlineInsertPos = 0;
        return;
    }
    if (!IsOutlineVertex(p)) return;

    Flags(p) = 0;
    const int32_t n = CountOf(outline);
    const int32_t i = FirstPosition(outline, p);
    g_outlineInsertPos = i;
    if (i != 0) {
        outline.Remove(i);
        // A closed outline stays closed while it keeps three vertices.
        if (closed && n > 3) outline.Close();
        if (n == 1) g_outlineInsertPos = 0;
    }
    g_pickAux3 = p;
    g_redrawMask = -1;
}

void PickOutlineChainAtCursor(int32_t flags, int32_t x, int32_t y) {
    if (TerrainToolClickRefused(flags)) return;
    EnsureProjection();
    const int32_t p = PointAtCursor(x, y);
    if (p == 0) return;
    IndexList& chain = g_pickList2;
    const int32_t count = CountOf(chain);
    if (count > 0 && p == chain[count]) {
        UndoLastPick();
        return;
    }
    // Only outline vertices that are not in the chain yet.
    if (Flags(p) != kPointFlagOutline) return;

    int32_t direction = 0;
    if (count > 0) {
        const IndexList& outline = g_outline;
        const int32_t n = CountOf(outline);
        const int32_t i = FirstPosition(outline, chain[count]);
        if (i == 0) return;
        const int32_t before = i == 1 ? outline[n] : outline[i - 1];
        const int32_t after = i == n ? outline[1] : outline[i + 1];
        if (count == 1) {
            if (p == before)
                direction = -1;
            else if (p == after)
                direction = 1;
            else
                return;
        } else {
            direction = g_chainDirection;
            if (!((direction == 1 && p == after) || (direction == -1 && p == before))) return;
        }
    }
    if (!chain.Append(p)) {
        ReportListFull();
        return;
    }
    if (count == 0) g_pickedPoint = p;
    g_chainDirection = direction;
    Flags(p) |= kPointFlagPickList2;
    g_redrawMask = 1;
}

void ExtendOutlineAtCursor(int32_t flags, int32_t x, int32_t y) {
    if (IsProgressWindowOpen()) return;
    EnsureProjection();
    g_dataChanged = -1;
    const int32_t p = PointAtCursor(x, y);
    if (p == 0) return;
    if (p == g_pickedPoint) {
        g_pickedPoint = 0;
        EditOutlineVertexAtCursor(flags & ~kMouseFlagControl, x, y);
        return;
    }
    IndexList& outline = g_outline;
    const int32_t n = CountOf(outline);
    if (IsOutlineVertex(p)) {
        if (n > 0 && g_pickedPoint == outline[n] && p == outline[1]) {
            outline.Close();
            g_pickedPoint = 0;
            g_redrawMask = 1;
        } else {
            g_pickedPoint = p;
        }
        return;
    }
    // A new vertex goes in after the remembered one, which it then replaces.
    if (!IsOutlineVertex(g_pickedPoint)) return;
    const int32_t j = FirstPosition(outline, g_pickedPoint);
    if (j == 0) return;
    const bool closed = outline.IsClosed();
    if (!outline.Insert(j + 1, p)) {
        ReportListFull();
        return;
    }
    Flags(p) = kPointFlagOutline;
    g_pickedPoint = p;
    if (closed) outline.Close();
    g_redrawMask = 1;
}

void ReplaceOutlineAtCursor(int32_t flags, int32_t x, int32_t y) {
    if (TerrainToolClickRefused(flags)) return;
    EnsureProjection();
    g_dataChanged = -1;
    const int32_t p = PointAtCursor(x, y);
    const int32_t chainCount = CountOf(g_pickList2);
    if (p == 0 || chainCount == 0) return;
    if (chainCount == 1) {
        ClearPicks();
        return;
    }
    if (Flags(p) == kPointFlagOutline) return;  // another outline vertex

    IndexList& fresh = g_pickList;
    if (Flags(p) & kPointFlagPickList) {
        const int32_t count = CountOf(fresh);
        if (count > 0 && fresh[count] == p) {
            g_redrawMask = 5;
            UndoLastPick();
        }
        return;
    }
    if (CountOf(fresh) == 0) {
        if (p == g_pickedPoint) return;
        // The new chain starts at the stretch's first end.
        fresh.Append(g_pickList2[1]);
    }
    if (!fresh.Append(p)) {
        ReportListFull();
        return;
    }
    Flags(p) |= kPointFlagPickList;
    g_redrawMask = 1;

    if (p != g_pickedPoint2) return;
    InvalidateAndUpdateView();
    if (ShowMessage(kReplaceQuestion, "", msg::kOkCancel) == msg::kIdOk) ReplaceOutlineStretch();
    ClearPicks();
    ClearPickList();
    g_outlineEditState = OUTLINE_EDIT_PARTIAL_CHANGE;
    g_redrawMask = -1;
}

void ReplaceOutlineStretch() {
    if (IsProgressWindowOpen() || g_pickedPoint == 0 || g_pickedPoint2 == 0) return;
    if (CountOf(g_pickList) == 0 || CountOf(g_pickList2) == 0) return;
    IndexList& outline = g_outline;
    const int32_t n = CountOf(outline);
    if (n == 0) return;
    const bool closed = outline.IsClosed();

    const int32_t i = FirstPosition(outline, g_pickList2[1]);
    if (i == 0) return;
    // A stretch picked against the outline's order is turned round first.
    const int32_t before = i == 1 ? outline[n] : outline[i - 1];
    if (CountOf(g_pickList2) >= 2 && before == g_pickList2[2]) {
        Reverse(g_pickList2);
        Reverse(g_pickList);
        std::swap(g_pickedPoint, g_pickedPoint2);
    }
    int32_t g = LastPosition(outline, g_pickedPoint);
    int32_t c = LastPosition(outline, g_pickedPoint2);
    if (g == 0 || c == 0) return;

    const int32_t* entries = outline.Data();
    std::vector<int32_t> vertices(entries + 1, entries + 1 + n);
    if (closed && g >= c) {
        // The stretch runs over the start: rotate so that it ends with the last vertex.
        std::rotate(vertices.begin(), vertices.begin() + c, vertices.end());
        g -= c;
        c = n;
    }
    // An open outline has no stretch from its last vertex round to its first.
    if (g < 1 || g > c) return;

    const int32_t m = CountOf(g_pickList);
    std::vector<int32_t> result(vertices.begin(), vertices.begin() + (g - 1));
    result.insert(result.end(), g_pickList.Data() + 1, g_pickList.Data() + 1 + m);
    result.insert(result.end(), vertices.begin() + c, vertices.end());
    const int32_t count = static_cast<int32_t>(result.size());
    if (count > kIndexListMaxVertices) {
        ReportListFull();
        return;
    }

    int32_t* out = outline.Data();
    std::copy(result.begin(), result.end(), out + 1);
    out[0] = count;
    // Nothing of the longer old outline stays behind the new end.
    const int32_t clearTo = std::min(std::max(n + 1, count + 3), kIndexListEntries - 1);
    std::fill(out + count + 1, out + clearTo + 1, 0);
    if (closed && count > 2) outline.Close();

    const int32_t last = std::min(g_pointCount, g_pointsBlock.Size() - 1);
    for (int32_t k = 1; k <= last; ++k) g_points[k].flags = 0;
    for (int32_t k = 1; k <= count; ++k)
        if (IsPoint(out[k])) Flags(out[k]) = kPointFlagOutline;
}

void UndoLastPick() {
    const int32_t state = g_outlineEditState;
    if (state == OUTLINE_EDIT_SPECIFY) {
        IndexList& outline = g_outline;
        const int32_t n = CountOf(outline);
        if (n > 0) {
            if (outline[n + 1] != 0) {
                outline[n + 1] = 0;  // open again
            } else {
                const int32_t p = outline[n];
                if (IsPoint(p)) Flags(p) = 0;
                outline.Remove(n);
                if (n > 1) BringIntoView(outline[n - 1]);
            }
        }
    }
    if (state == OUTLINE_EDIT_PARTIAL_CHANGE || state == OUTLINE_EDIT_HOLE_REGISTER ||
        state == OUTLINE_EDIT_HOLE_DELETE || state == OUTLINE_EDIT_PARTIAL_TIN) {
        if (DropLastPick(g_pickList2, kPointFlagPickList2)) {
            const int32_t count = CountOf(g_pickList2);
            if (count == 0)
                g_pickedPoint = 0;
            else
                BringIntoView(g_pickList2[count]);
        }
    }
    if (state == OUTLINE_EDIT_PARTIAL_CHANGE + 1 || g_pointEditState == POINT_EDIT_PARALLEL ||
        g_pointEditState == POINT_EDIT_BATCH + 1) {
        if (DropLastPick(g_pickList, kPointFlagPickList)) {
            const int32_t count = CountOf(g_pickList);
            if (count > 0) BringIntoView(g_pickList[count]);
        }
    }
    if (g_outlineEditState == 0 && g_pointEditState == 0) return;
    g_redrawMask = 7;
    InvalidateAndUpdateView();
}

void OnOutlineSpecify() {
    if (IsProgressWindowOpen()) return;
    if (g_toolMode == MODE_OUTLINE_EDIT && g_outlineEditState == OUTLINE_EDIT_SPECIFY) {
        ResetToolMode();
        return;
    }
    ResetToolMode();
    CloseToolWindows();
    if (CountOf(g_outline) > 0 && g_outline.IsClosed())
        ShowMessage(kAlreadyClosedText, kAlreadyClosedCaption, msg::kOk | msg::kIconInformation);
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_SPECIFY;
    g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = 0;
    g_pickAux3 = 0;
    ClearPicks();
    ClearPickList();
    g_showPoints = -1;
    g_redrawMask = -1;
    if (ToolServices().focusMainWindow) ToolServices().focusMainWindow();
    InvalidateAndUpdateView();
}

void OnOutlineClearAll() {
    if (IsProgressWindowOpen()) return;
    ResetToolMode();
    CloseToolWindows();
    if (ShowMessage(kClearAllQuestion, "", msg::kOkCancel | msg::kIconQuestion) != msg::kIdOk)
        return;
    ClearOutline();
    ClearPicks();
    ClearPickList();
    g_dataChanged = -1;
    ClearPickedPoints();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
