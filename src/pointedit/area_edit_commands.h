#pragma once
// The area dialogs in the program: their menu commands, and what the view hands them
// (mouse, keys, the preview into the back buffer and the overlays after the blit).
#include <cstdint>
#include <functional>
#include <vector>

#include "pointedit/area_selection.h"

class FrameCommandTarget;

// How the windows of the three dialogs are made (installed by the program). Each creates
// its window, which sets its tool-window slot.
struct AreaEditWindows {
    std::function<void()> openValidAreaEdit;  // 有効無効 領域編集
    std::function<void()> openDupAreaEdit;    // 重複点削除 領域編集
};
AreaEditWindows& AreaEditWindowFactory();

void OnAreaValidInvalidEdit();  // 33012
void OnAreaDuplicateDelete();   // 33013
void OnMoveRotate();            // 33074 (and 32847 with Shift)

// Registers 33012, 33013 and 33074 with the frame (the table's rules enable them).
void RegisterAreaEditCommands(FrameCommandTarget& commands);

// ---- the view ----

// message: kViewLButtonDown / kViewMouseMove / kViewLButtonUp, to every open area dialog.
void AreaDialogsViewMouse(int32_t message, int32_t flags, int32_t x, int32_t y);
// A key on the view; true when the duplicate-area dialog took it.
bool AreaDialogsViewKey(int32_t key);
// Into the locked back buffer after the layers, before the blit.
void AreaDialogsDrawPreview();
// What the open dialogs draw over the window after the blit, the lasso being drawn last.
std::vector<AreaOverlay> AreaDialogsOverlays();
