#pragma once
// 背景画像位置設定: the user places the main image on the ground from up to four pairs, each
// an image point picked on the picture in the view and the ground coordinate that belongs
// to it (typed or picked). One pair moves the image; two to four solve its corners. The
// state is what the window shows; the functions are its actions, shared by the window and
// the tests. Everything acts on the active image g_bgImage.
#include <cstdint>
#include <string>

#include "image/image_slot.h"

class OverlayCanvas;

// The active image as it was when the dialog opened (キャンセル puts it back).
extern ImageSlot g_bgImageBeforeEdit;

struct ImagePlacementDialogState {
    bool vertexChecked[4] = {};     // 頂点１ .. 頂点４
    bool groundPickChecked = false;  // 設定開始
    bool leastSquares = false;       // 最小２乗法
    bool leastSquaresEnabled = false;
    bool registerEnabled = false;    // 登録
    int32_t tab = 0;                 // 0 数値入力, 1 マウス指定
    int32_t pickState = 0;           // the pair whose image point was just picked, or 0
    bool enterPressed = false;
    bool escapePressed = false;
    // Ground position at which image point 1 was picked: the one-pair move takes the image
    // from there to pair 1's ground point. Kept apart from the pairs, so that picking image
    // point 1 again never touches a registered pair 2.
    double movePickGround[2] = {};  // east, north
    std::string hint;        // 1082
    std::string sizeText;    // 1217
    std::string imageText;   // 1218
    std::string eastText;    // 1202 and 1227
    std::string northText;   // 1203 and 1228
    // What the window shows of the entry controls.
    bool registerEntryVisible = false;  // 座標登録 (1204)
    bool groundPickVisible = false;     // 設定開始 (1131)
};

void OpenImagePlacementDialog(ImagePlacementDialogState& s);
void RefreshImagePlacementDialog(ImagePlacementDialogState& s);
void OnImageVertexButton(ImagePlacementDialogState& s, int32_t vertex, bool checked);
void OnImageTabChange(ImagePlacementDialogState& s, int32_t tab);
void OnImageGroundPickCheck(ImagePlacementDialogState& s, bool checked);
// 座標登録 with the two edits' texts (east, north).
void OnImageRegisterEntry(ImagePlacementDialogState& s, const std::string& eastText, const std::string& northText);
// An edit lost the focus with `text` in it (1202 east, 1203 north). True when a pair was
// registered by Enter.
bool OnImageKillFocusEast(ImagePlacementDialogState& s, const std::string& text);
bool OnImageKillFocusNorth(ImagePlacementDialogState& s, const std::string& text);
// A click of the plan view while the dialog picks: g_bgImage.enteredPoint holds the ground
// point under it. True when the view needs a repaint.
bool OnImagePlacementPick(ImagePlacementDialogState& s);
// リセット: the image loses its placement and every pair; the dialog stays open.
void OnImagePlacementReset(ImagePlacementDialogState& s);
// 登録: moves the image or solves its corners, centres the view on it when there is no
// other data and writes its placement files. False (with the message shown and the image
// as it was) when the pairs fix no placement; the dialog then stays open.
bool OnImagePlacementRegister(ImagePlacementDialogState& s);
// キャンセル: the image exactly as it was when the dialog opened.
void OnImagePlacementCancel(ImagePlacementDialogState& s);
// Every close ends here.
void OnImagePlacementClosed();

// The view's side: a left-button release at a client pixel in the two picking modes. Sends
// the click to the open dialog; false when none is open.
bool ImagePlacementViewClick(int32_t column, int32_t row);
using ImagePlacementPickReceiver = void (*)(void* dialog);
void SetImagePlacementPickReceiver(ImagePlacementPickReceiver receiver, void* dialog, ImagePlacementDialogState* state);
bool ImagePlacementDialogOpen();

// The marks of the pairs over the blitted view while the dialog is open: the entered point
// after an image pick, and for each registered pair its image point joined to its ground
// point.
void DrawImageCornerMarks(OverlayCanvas& canvas);
