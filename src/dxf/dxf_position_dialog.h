#pragma once
// The position dialog of the background drawing: the user pairs up to four points of the
// drawing with their survey coordinates, by typing them or by clicking in the plan view,
// and registers the drawing. The state is what the window shows; the functions are the
// dialog's actions, shared by the window and the tests.
#include <cstdint>
#include <string>

struct DxfPositionDialogState {
    bool vertexChecked[4] = {};  // 頂点１ to 頂点４
    bool endPointSnap = false;   // 端点指定
    bool midPointSnap = false;   // 線分中点指定
    bool mouse = false;          // マウス
    bool pointSnap = false;      // 点
    bool projectiveChecked = false;  // 投影変換
    bool registerEnabled = false;    // 登録
    bool projectiveEnabled = false;
    std::string prompt;
    std::string sourceText;  // the picked DXF point of the current vertex
    std::string yText;       // east of the entry
    std::string xText;       // north of the entry
    bool enterPressed = false;
    bool escapePressed = false;
};

// Backs up the registration and starts with no vertex registered.
void OpenDxfPositionDialog(DxfPositionDialogState& s);
void OnDxfVertexButton(DxfPositionDialogState& s, int32_t vertex, bool checked);
void OnDxfEndPointCheck(DxfPositionDialogState& s, bool checked);
void OnDxfMidPointCheck(DxfPositionDialogState& s, bool checked);
void OnDxfMouseCheck(DxfPositionDialogState& s, bool checked);
// An edit lost the focus with `text` in it (1202 east, 1203 north).
void OnDxfKillFocusY(DxfPositionDialogState& s, const std::string& text);
void OnDxfKillFocusX(DxfPositionDialogState& s, const std::string& text);
// 数値入力 with the two edits' texts.
void OnDxfNumericEntry(DxfPositionDialogState& s, const std::string& yText, const std::string& xText);
// A click of the plan view while the dialog picks: the view has stored the click's pixel
// and world point in the registration record. True when the view needs a repaint.
bool OnDxfPositionPick(DxfPositionDialogState& s);
void RefreshDxfPositionDialog(DxfPositionDialogState& s);
// 登録: completes missing pairs, fits, applies to all elements and writes the side file.
// False, with a message and the registration in force kept, when the drawing points
// coincide; the dialog then stays open.
bool OnDxfPositionRegister(DxfPositionDialogState& s);
// キャンセル (and closing by the command again): the registration from before the opening,
// on all elements.
void OnDxfPositionCancel(DxfPositionDialogState& s);
// リセット: every element back on its source coordinates; the dialog stays open.
void OnDxfPositionReset(DxfPositionDialogState& s);
// Every close ends here.
void OnDxfPositionClosed();

// The view's side of the pick: a left-button release at a client pixel in the picking
// modes. Sends the click to the open dialog; false when none is open.
bool DxfPositionViewClick(int32_t column, int32_t row);
// The open dialog's pick receiver (null while closed).
using DxfPositionPickReceiver = void (*)(void* dialog);
void SetDxfPositionPickReceiver(DxfPositionPickReceiver receiver, void* dialog);
bool DxfPositionDialogOpen();
