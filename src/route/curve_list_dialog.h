#pragma once
// The dialog "曲線要素リスト" without its window: one IP's curve report at a time, stepped
// with 次 and 前; the IP shown is g_currentIp, which the view marks.
#include <functional>
#include <string>

constexpr int kCurveListReport = 1021;
constexpr int kCurveListNext = 1024;
constexpr int kCurveListPrevious = 1025;
constexpr int kCurveListTextOutput = 1136;
constexpr int kCurveListClose = 1133;

// Opening: the first IP after BP, the view's overlays repainted. The report of it goes to
// `text` when there is one (else `text` stays as it was).
void OpenCurveElementList(std::string& text);
// 次 / 前: one IP on or back, the report rebuilt and the overlays repainted; nothing at
// either end. True when the IP changed.
bool CurveElementListNext(std::string& text);
bool CurveElementListPrevious(std::string& text);
// Closing or the window destroyed: no IP shown any more.
void CloseCurveElementList();

// The frame command: the mouse tool off, then the dialog.
void OnCurveElementListCommand(const std::function<void()>& runDialog);
