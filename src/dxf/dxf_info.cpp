#include "dxf/dxf_info.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_picking.h"
#include "dxf/dxf_store.h"
#include "dxf/vector_editor.h"
#include "model/geometry.h"
#include "platform/message_box.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

bool g_dxfClickAlternate = false;

namespace {

DxfElement* Elements() { return g_dxfElementsBlock.Data(); }

int32_t Count() {
    if (!Elements()) return 0;
    return std::max(0, std::min(g_dxfElementCount, g_dxfElementsBlock.Size() - 1));
}

bool IsPolylinePen(uint8_t pen) { return pen == DXF_PEN_MOVE || pen == DXF_PEN_DRAW; }

void ClearPick() { g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = 0; }

}  // namespace

void ResolveDxfPick(int32_t e) {
    if (!IsPolylinePen(Elements()[e].pen)) {
        g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = e;
        return;
    }
    const auto [start, end] = ResolveDxfPolylineRange(e);
    if (g_pickedDxfElement == 0 || g_pickedDxfFirst != start) {
        g_pickedDxfElement = e;
        g_pickedDxfFirst = start;
        g_pickedDxfLast = end;
    } else {
        g_pickedDxfFirst = std::min(e, g_pickedDxfElement);
        g_pickedDxfLast = std::max(e, g_pickedDxfElement);
    }
}

namespace {

void Redraw() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

}  // namespace

void ClearDxfSelection() {
    DxfElement* el = Elements();
    for (int32_t i = 1, n = Count(); i <= n; ++i) el[i].selected = 0;
}

std::pair<int32_t, int32_t> ResolveDxfPolylineRange(int32_t e) {
    const DxfElement* el = Elements();
    const int32_t count = Count();
    int32_t start = 0;
    for (int32_t i = 1; i <= count; ++i) {
        if (el[i].pen == DXF_PEN_MOVE && i <= e) {
            start = i;
            continue;
        }
        if (start != 0 && el[i].pen != DXF_PEN_DRAW && i >= e) return {start, i - 1};
        if (i == count && el[i].pen == DXF_PEN_DRAW) return {start, i};
    }
    return {start, 0};
}

void PickDxfElement() {
    g_dxfPickText[0] = '\0';
    int32_t e = 0;
    int32_t c, r;
    if (g_dxfSearchOnLine == 1) {
        e = FindNearestDxfLinePoint(g_dxfPickCursorX, g_dxfPickCursorY, g_dxfPickX, g_dxfPickY,
                                    g_dxfPickZ, c, r);
    } else {
        e = FindNearestDxfVertex(g_dxfPickCursorX, g_dxfPickCursorY, 4800, g_dxfPickX, g_dxfPickY, c, r);
        if (e >= 1 && e <= Count()) {
            const DxfElement& el = Elements()[e];
            std::memcpy(g_dxfPickText, el.text, sizeof g_dxfPickText);
            g_dxfPickText[sizeof g_dxfPickText - 1] = '\0';
            g_dxfPickZ = el.z;
        }
    }
    if (!Elements()) return;
    ClearDxfSelection();
    if (e < 1 || e > Count()) return;
    ResolveDxfPick(e);
    g_dxfPrevPickFirst = g_pickedDxfFirst;
    g_dxfPrevPickLast = g_pickedDxfLast;
}

void MarkPolylineIntersections() {
    g_dxfMarkedPoints.clear();
    if (g_dxfPrevPickFirst == 0 || g_dxfPrevPickLast == 0) return;
    double x, y, z;
    int32_t c, r;
    const int32_t e = FindNearestDxfLinePoint(g_dxfPickCursorX, g_dxfPickCursorY, x, y, z, c, r);
    const int32_t count = Count();
    if (e < 1 || e > count) return;
    ClearDxfSelection();
    ResolveDxfPick(e);
    if (g_pickedDxfFirst == 0 || g_pickedDxfLast == 0) return;
    DxfElement* el = Elements();
    // The previous range may lie beyond a store that shrank since.
    const int32_t prevLast = std::min(g_dxfPrevPickLast, count);
    const int32_t last = std::min(g_pickedDxfLast, count);
    for (int32_t d = g_pickedDxfFirst; d < last; ++d) {
        el[d].selected = el[d + 1].selected = 1;
        for (int32_t i = std::max(g_dxfPrevPickFirst, 1); i < prevLast; ++i) {
            if (i == d) continue;
            el[i].selected = el[i + 1].selected = 1;
            double cx, cy;
            int cls = 1;
            if (IntersectSegments(el[d].x, el[d].y, el[d + 1].x, el[d + 1].y, el[i].x, el[i].y,
                                  el[i + 1].x, el[i + 1].y, 0, 0.00001, 0.00001, &cx, &cy, &cls) == kGeomOk &&
                cls == 0)
                g_dxfMarkedPoints.push_back({cx, cy, 0.0});
        }
    }
    ClearPick();
}

bool DxfInfoClick(int32_t column, int32_t row, bool shift) {
    g_dxfPickCursorX = column;
    g_dxfPickCursorY = row;
    const bool mark = shift && g_dxfClickAlternate;
    g_dxfClickAlternate = !mark;
    g_dxfMarkedPoints.clear();
    if (mark)
        MarkPolylineIntersections();
    else
        PickDxfElement();
    Redraw();
    return mark;
}

void DeleteSearchedElements() {
    const int32_t count = Count();
    if (g_pickedDxfElement < 1 || g_pickedDxfElement > count) {
        ShowMessage("選択要素番号が不正です。", "", msg::kOk | msg::kIconError);
        return;
    }
    if (g_pickedDxfFirst == 0 || g_pickedDxfLast == 0) {
        ShowMessage("選択要素の検索に失敗しました。", "", msg::kOk | msg::kIconError);
        return;
    }
    if (ShowMessage("よろしいですか。", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
        DxfElement* el = Elements();
        const int32_t first = std::max(g_pickedDxfFirst, 1);
        const int32_t last = std::min(g_pickedDxfLast, count);
        if (first <= last) {
            // Without its first vertex the rest of the polyline would hang on to whatever
            // came before it.
            const bool fromStart = el[first].pen == DXF_PEN_MOVE;
            std::memmove(&el[first], &el[last + 1], sizeof(DxfElement) * static_cast<size_t>(count - last));
            g_dxfElementCount = count - (last - first + 1);
            if (fromStart && first <= g_dxfElementCount && el[first].pen == DXF_PEN_DRAW)
                el[first].pen = DXF_PEN_MOVE;
            NoteDxfStoreCompacted();
        }
    }
    ClearPick();
    Redraw();
}

void DeleteElementsOutsideView() {
    if (ShowMessage("現在の表示範囲外にある背景ＤＸＦデータを削除します。\nよろしいですか。", "",
                    msg::kYesNo | msg::kIconQuestion) != msg::kIdYes)
        return;
    DxfElement* el = Elements();
    const int32_t count = Count();
    if (el) {
        const double s = g_viewScale;
        const double radius = 0.8333333333333334 * std::sqrt((g_bufferMaxX / s) * (g_bufferMaxY / s));
        constexpr int32_t kOutside = 999;
        for (int32_t i = 1; i <= count; ++i) {
            DxfElement& e = el[i];
            e.projectionWord = 0;
            const bool outside = std::hypot(e.x - g_viewCenterX, e.y - g_viewCenterY) > radius;
            if (outside)
                e.projectionWord = kOutside;
            else if (e.pen == DXF_PEN_DRAW && i > 1 && el[i - 1].projectionWord == kOutside)
                e.pen = DXF_PEN_MOVE;
        }
        int32_t kept = 0;
        for (int32_t i = 1; i <= count; ++i)
            if (el[i].projectionWord != kOutside) el[++kept] = el[i];
        g_dxfElementCount = kept;
        NoteDxfStoreCompacted();
    }
    ClearPick();
    Redraw();
}

// ---- the window's state ----

CDxfInfoDlg* g_dxfInfoDlg = nullptr;

namespace {
std::function<void()> g_dxfInfoWindowFactory;
constexpr int32_t kShiftFlag = 0x04;
}  // namespace

CDxfInfoDlg::CDxfInfoDlg() {
    g_dxfInfoDlg = this;
    ClearPick();
    ClearDxfSelection();
    m_points.m_interval = 5.0;
    m_points.m_judgeDistance = 0.1;
}

CDxfInfoDlg::~CDxfInfoDlg() {
    ClearDxfSelection();
    ClearPick();
    g_dxfMarkedPoints.clear();
    g_dxfInfoDlg = nullptr;
    Redraw();
}

void CDxfInfoDlg::Refresh() {
    if (refreshControls) refreshControls();
}

void CDxfInfoDlg::OnViewClick(int32_t flags, int32_t x, int32_t y) {
    if (DxfInfoClick(x, y, (flags & kShiftFlag) != 0)) m_points.m_addedPoints.clear();
    Refresh();
}

std::string CDxfInfoDlg::PickField(int id) const {
    if (g_pickedDxfElement == 0) return "";
    char text[64];
    switch (id) {
        case 1227:
            std::snprintf(text, sizeof text, "%.4f", g_dxfPickX);
            return text;
        case 1228:
            std::snprintf(text, sizeof text, "%.4f", g_dxfPickY);
            return text;
        case 1229:
            std::snprintf(text, sizeof text, "%.4f", g_dxfPickZ);
            return text;
        case 1131:
            return std::string(g_dxfPickText, strnlen(g_dxfPickText, sizeof g_dxfPickText));
        default:
            return "";
    }
}

bool CDxfInfoDlg::DeleteEnabled() const { return g_pickedDxfElement != 0; }
bool CDxfInfoDlg::UndoEnabled() const { return CanUndoAddedPoints(m_points); }

void CDxfInfoDlg::OnDeleteSearched() {
    DeleteSearchedElements();
    Refresh();
}

void CDxfInfoDlg::OnDeleteOutside() {
    DeleteElementsOutsideView();
    Refresh();
}

void CDxfInfoDlg::OnDoubleByteText() {
    g_hideDoubleByteText = g_hideDoubleByteText == 0 ? -1 : 0;
    Redraw();
    Refresh();
}

void CDxfInfoDlg::OnAdd() {
    AddPointsFromDxf(m_points);
    Refresh();
}

void CDxfInfoDlg::OnUndo() {
    UndoAddedPoints(m_points);
    Refresh();
}

void CDxfInfoDlg::OnChangeNear(DxfPointAction action) {
    SetPointsNearPick(m_points, action);
    Refresh();
}

void SetDxfInfoWindowFactory(std::function<void()> open) { g_dxfInfoWindowFactory = std::move(open); }

void OnDxfCoordinateInfo() {
    if (g_dxfInfoDlg) {
        if (g_dxfInfoDlg->closeWindow)
            g_dxfInfoDlg->closeWindow();
        else
            delete g_dxfInfoDlg;
        return;
    }
    if (g_dxfInfoWindowFactory)
        g_dxfInfoWindowFactory();
    else
        new CDxfInfoDlg();  // headless: the state alone
}
