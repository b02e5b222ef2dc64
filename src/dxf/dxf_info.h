#pragma once
// The element information tool (背景ＤＸＦ): picking elements and polyline ranges with
// clicks in the plan view, marking where a Shift+clicked polyline crosses the previous
// pick, and deleting the picked elements or those outside the view.
#include <cstdint>
#include <utility>

// First and last element of the polyline that holds element e; end 0 when the walk finds
// no end.
std::pair<int32_t, int32_t> ResolveDxfPolylineRange(int32_t e);

// Element e (a valid number) becomes the pick: a point or text alone, a polyline vertex
// with its whole polyline, or, on the polyline picked before, the part between the two.
void ResolveDxfPick(int32_t e);

// A plain click at (g_dxfPickCursorX, g_dxfPickCursorY).
void PickDxfElement();
// A Shift+click: the crossings of the polyline under the cursor with the previous pick go
// to g_dxfMarkedPoints; the pick is cleared.
void MarkPolylineIntersections();

// A click the view hands to the tool: Shift right after a plain click marks crossings,
// any other click picks. Clears the marked points first and redraws the view after.
// True when the click marked crossings.
bool DxfInfoClick(int32_t column, int32_t row, bool shift);
// The alternation between plain and Shift clicks (clear at start).
extern bool g_dxfClickAlternate;

// 検索要素削除: asks, then removes the picked range. The pick is cleared whatever the answer.
void DeleteSearchedElements();
// 表示範囲外要素削除: asks, then removes the elements farther from the view centre than
// five sixths of the view's mean size; the inside parts of polylines stay polylines.
void DeleteElementsOutsideView();

// Clears every element's selected flag.
void ClearDxfSelection();

#include <functional>
#include <string>

#include "dxf/dxf_points.h"

// The state behind the 背景ＤＸＦ window; the window itself is a thin Qt shell.
class CDxfInfoDlg {
public:
    // Clears the pick and every selected flag; becomes g_dxfInfoDlg.
    CDxfInfoDlg();
    // Clears the selection and the pick, redraws; g_dxfInfoDlg becomes null.
    ~CDxfInfoDlg();
    CDxfInfoDlg(const CDxfInfoDlg&) = delete;
    CDxfInfoDlg& operator=(const CDxfInfoDlg&) = delete;

    // Set by the window: refreshes its controls, and closes it.
    std::function<void()> refreshControls;
    std::function<void()> closeWindow;

    // A release on the view at the press point (key flags of the view's mouse handler).
    void OnViewClick(int32_t flags, int32_t x, int32_t y);

    // The picked position, elevation and text as the window shows them ("" with no pick).
    std::string PickField(int id) const;
    bool DeleteEnabled() const;  // 検索要素削除
    bool UndoEnabled() const;    // 取消

    void OnDeleteSearched();   // 検索要素削除
    void OnDeleteOutside();    // 表示範囲外要素削除
    void OnDoubleByteText();   // 2ﾊﾞｲﾄ文字非表示
    void OnAdd();              // 追加
    void OnUndo();             // 取消
    void OnChangeNear(DxfPointAction action);  // 未使用点, 使用点, 点名変更

    DxfPointSettings m_points;

private:
    void Refresh();
};
extern CDxfInfoDlg* g_dxfInfoDlg;

// The window of the tool (installed by the program); it makes its CDxfInfoDlg.
void SetDxfInfoWindowFactory(std::function<void()> open);
// ＤＸＦ座標情報: closes the window when it is open, else opens it.
void OnDxfCoordinateInfo();
