#pragma once
// The flow-path tool (流水経路): its window's work (流水設定, 229), the mouse on the view,
// the paths drawn into the back buffer and the area frame over the window.
#include <cstdint>
#include <functional>
#include <string>

#include "analysis/flow_paths.h"

class OverlayCanvas;

// 0 idle, 1 moving the area, 2 the end corner, 3 the far-end corner, 4 the far-origin
// corner, -1 a press on other ground (a start point or a new area).
extern int32_t g_flowDragState;

class CFlowDlg {
public:
    // Paths off; the settings backed up. Becomes g_flowDlg.
    CFlowDlg();
    // Paths off; the flow sub-state ends.
    ~CFlowDlg();
    CFlowDlg(const CFlowDlg&) = delete;
    CFlowDlg& operator=(const CFlowDlg&) = delete;

    // Set by the window.
    std::function<void()> repaintWindow;
    std::function<void()> closeWindow;  // may run later: it is also asked for during a paint

    int32_t m_page = 0;

    // An edit left; the view is redrawn when the value changed enough.
    void EditLeft(int control, const std::string& text);
    void OnRedraw();                       // 再描画
    void OnClear();                        // クリア
    void SetKeepOld(bool checked);         // 旧データを残す
    void SetColor(bool line, uint32_t colorRef);
    void OnOK();                           // 閉じる: the paths go, then the window
};
extern CFlowDlg* g_flowDlg;

void SetFlowWindowFactory(std::function<void()> open);
// 流水経路: toggles the window together with the tool mode.
void OnFlowPath();

// The view's paint step, before the blit: the paths into the locked back buffer.
void DrawFlowPaths();
// After the blit: the start area's frame and corners.
void DrawFlowArea(OverlayCanvas& canvas);
// The view's press (0x201), move (0x200) and release (0x202).
int32_t OnFlowMouse(int32_t message, int32_t flags, int32_t x, int32_t y);
// New data: the defaults again and the window closed.
void ResetFlowSettings();
