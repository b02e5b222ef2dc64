#pragma once
// The mouse side of the mesh rectangle: its handles on the screen, the drag that moves
// them, the registration of a new area by a dragged line and the default calculation
// range. The view calls these from its mouse handlers.
#include <cstdint>
#include <functional>

#include "view/view_toggles.h"

// Screen offsets (column, row) of the six handles, in the order of MeshCornerPoints; the
// two midpoints are the integer means of their corners' offsets.
extern int32_t g_meshHandleScreen[6][2];

// The modal mesh area dialog "メッシュエリア設定"; installed by the window system.
std::function<void()>& MeshAreaDialogRunner();
void RunMeshAreaDialog();
// The question "メッシュ登録" asked while a mesh area exists; installed likewise.
std::function<MeshRegisterChoice()>& MeshRegisterQuestionRunner();
MeshRegisterChoice AskMeshRegister();

// Applies handle `code`'s drag to the cursor position (0: none) and, with commit 1,
// stores the result; always recomputes the handles' screen positions from it.
void DragMeshArea(int32_t code, int32_t commit);

// The default calculation range, projected for the view.
void InitMeshAreaPolygon();

// The code of the handle a press at window (x, y) takes, 0 for none: the origin within a
// city-block distance below 8 pixels, the others within 8, the nearest (on ties the later
// of 16, 32, 64, 80, 96, 48).
int32_t MeshHandleAt(int32_t x, int32_t y);
// A press without a tool on a handle of the shown rectangle starts its drag: true when it
// did.
bool StartMeshAreaDrag(int32_t x, int32_t y);
// A mouse move of the drag: the rectangle follows the cursor.
void MoveMeshAreaDrag();
// The release that ends the drag.
void EndMeshAreaDrag();

// The release of the registration drag from the press (window) position to (x, y).
void DefineMeshAreaFromDrag(int32_t flags, int32_t x, int32_t y, int32_t pressX, int32_t pressY);
