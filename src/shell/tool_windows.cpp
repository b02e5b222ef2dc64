#include "shell/tool_windows.h"

#include <array>

namespace {
std::array<ToolWindowHandle*, kToolWindowCount> g_toolWindows{};

ToolWindowHandle*& Slot(ToolWindow slot) { return g_toolWindows[static_cast<size_t>(slot)]; }
}  // namespace

void SetToolWindow(ToolWindow slot, ToolWindowHandle* window) {
    if (slot == ToolWindow::kCount) return;
    Slot(slot) = window;
}

void ClearToolWindow(ToolWindow slot, const ToolWindowHandle* window) {
    if (slot == ToolWindow::kCount) return;
    if (window == nullptr || Slot(slot) == window) Slot(slot) = nullptr;
}

ToolWindowHandle* GetToolWindow(ToolWindow slot) {
    if (slot == ToolWindow::kCount) return nullptr;
    return Slot(slot);
}

void CloseToolWindow(ToolWindow slot) {
    ToolWindowHandle* window = GetToolWindow(slot);
    if (!window) return;
    Slot(slot) = nullptr;
    window->CloseToolWindow();
}

void CloseToolWindows() {
    static constexpr ToolWindow kClosedHere[] = {
        ToolWindow::kPointEditPanel1, ToolWindow::kPointEditPanel2, ToolWindow::kPointEditPanel3,
        ToolWindow::kContourCalc,     ToolWindow::kSetting,         ToolWindow::kImport,
        ToolWindow::kPointList,       ToolWindow::kDxfOutput,       ToolWindow::kSimaOut,
        ToolWindow::kVolume,          ToolWindow::kSunmapOut,       ToolWindow::kColor,
        ToolWindow::kSection,         ToolWindow::kLongSection,
    };
    for (ToolWindow slot : kClosedHere) CloseToolWindow(slot);
    // These objects clear their own slots when their windows go.
    static constexpr ToolWindow kAskedToClose[] = {ToolWindow::kColorBand, ToolWindow::kMoveRotate,
                                                   ToolWindow::kHoleType, ToolWindow::kVecCreate};
    for (ToolWindow slot : kAskedToClose)
        if (ToolWindowHandle* window = GetToolWindow(slot)) window->CloseToolWindow();
}
