#include "image/image_placement_dialog.h"

#include <algorithm>
#include <cmath>

#include "dxf/dxf_store.h"
#include "image/image_mapping.h"
#include "image/image_position.h"
#include "model/numeric_text.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

ImageSlot g_bgImageBeforeEdit{};

namespace {
constexpr int32_t kImagePick = MODE_BG_IMAGE_POSITION;
constexpr int32_t kGroundPick = MODE_BG_IMAGE_POSITION * 2;

ImagePlacementPickReceiver g_pickReceiver = nullptr;
void* g_pickDialog = nullptr;
ImagePlacementDialogState* g_openState = nullptr;

ImageSlot& I() { return g_bgImage; }
bool Registered(int32_t k) { return I().pairSet[k - 1] != 0; }
bool ValidVertex(int32_t k) { return k >= 1 && k <= 4; }

void UncheckVertices(ImagePlacementDialogState& s) {
    std::fill(std::begin(s.vertexChecked), std::end(s.vertexChecked), false);
}

std::string Entry(double v) { return FormatString("%10.3f", v); }

// An edit's text as a number; anything else keeps the stored value.
void TakeNumber(const std::string& text, double& stored) {
    double v;
    if (ParseDialogNumber(text.substr(0, 59), &v) && std::isfinite(v)) stored = v;
}

void RedrawView() { InvalidateAndUpdateView(); }

// The image under its current placement as MapImageToGround reads it: the corners stand
// in the pair ground points.
ImageSlot PlacedImage(const ImageSlot& base, const ImageSlot& current) {
    ImageSlot m = base;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 2; ++j) m.pairGround[i][j] = current.corners[i][j];
    m.mapping.projectiveKind = current.mapping.projectiveKind;
    return m;
}
}  // namespace

void OpenImagePlacementDialog(ImagePlacementDialogState& s) {
    s = ImagePlacementDialogState{};
    g_bgImageBeforeEdit = I();
    ImageSlot& im = I();
    im.enteredPoint[0] = im.enteredPoint[1] = 0;
    im.currentVertex = 0;
    const double west = im.viewWindow[0], north = im.viewWindow[1], east = im.viewWindow[2],
                 south = im.viewWindow[3];
    const double ground[4][2] = {{west, north}, {east, north}, {west, south}, {east, south}};
    const double w = im.width - 1, h = im.height - 1;
    const double image[4][2] = {{0, h}, {w, h}, {0, 0}, {w, 0}};
    for (int k = 0; k < 4; ++k) {
        im.pairGround[k][0] = ground[k][0];
        im.pairGround[k][1] = ground[k][1];
        im.pairImage[k][0] = image[k][0];
        im.pairImage[k][1] = image[k][1];
        im.pairSet[k] = 0;
    }
    // Until image point 1 is picked, a one-pair move starts from where the default image
    // point 1 lies now.
    if (im.positionKnown != 0 && im.width > 0 && im.height > 0) {
        const ImageSlot placed = PlacedImage(im, im);
        double e = 0, n = 0;
        MapImageToGround(placed, im.pairImage[0][0] / im.width, im.pairImage[0][1] / im.height, e, n);
        s.movePickGround[0] = e;
        s.movePickGround[1] = n;
    }
    RefreshImagePlacementDialog(s);
    s.eastText.clear();
    s.northText.clear();
}

void RefreshImagePlacementDialog(ImagePlacementDialogState& s) {
    const ImageSlot& im = I();
    s.eastText = Entry(im.enteredPoint[0]);
    s.northText = Entry(im.enteredPoint[1]);
    s.sizeText = FormatString("%d × %d", im.width, im.height);
    const int32_t k = im.currentVertex;
    s.imageText = g_toolMode == kImagePick && ValidVertex(k)
                      ? FormatString("(%d , %d)", static_cast<int>(im.pairImage[k - 1][0]),
                                     static_cast<int>(im.pairImage[k - 1][1]))
                      : std::string();
    static const char* const kImagePrompts[4] = {"背景画像上の１点目を指定", "背景画像上の２点目を指定",
                                                 "背景画像上の３点目を指定", "背景画像上の４点目を指定"};
    static const char* const kGroundPrompts[4] = {"１点目の公共座標を指定", "２点目の公共座標を指定",
                                                  "３点目の公共座標を指定", "４点目の公共座標を指定"};
    if (g_toolMode == kImagePick && ValidVertex(k))
        s.hint = kImagePrompts[k - 1];
    else if (g_toolMode == kGroundPick && ValidVertex(k))
        s.hint = kGroundPrompts[k - 1];
    else
        s.hint = "画像上の点と対応する公共座標を２点以上指定してください";
    s.registerEnabled = Registered(1);
    s.leastSquaresEnabled = Registered(4);
    s.registerEntryVisible = s.tab == 0 && s.pickState != 0;
    s.groundPickVisible = s.tab == 1 && s.pickState != 0;
}

void OnImageVertexButton(ImagePlacementDialogState& s, int32_t vertex, bool checked) {
    if (!ValidVertex(vertex)) return;
    s.pickState = 0;
    if (vertex >= 2 && !Registered(vertex - 1)) checked = false;
    UncheckVertices(s);
    s.vertexChecked[vertex - 1] = checked;
    ImageSlot& im = I();
    if (checked) {
        s.groundPickChecked = false;
        im.enteredPoint[0] = im.pairGround[vertex - 1][0];
        im.enteredPoint[1] = im.pairGround[vertex - 1][1];
        im.currentVertex = vertex;
        g_toolMode = kImagePick;
        g_dragState = 0;
    } else {
        im.currentVertex = 0;
        g_toolMode = MODE_NONE;
    }
    RefreshImagePlacementDialog(s);
    RedrawView();
}

void OnImageTabChange(ImagePlacementDialogState& s, int32_t tab) {
    s.tab = tab == 1 ? 1 : 0;
    RefreshImagePlacementDialog(s);
}

void OnImageGroundPickCheck(ImagePlacementDialogState& s, bool checked) {
    if (!checked) {
        s.groundPickChecked = false;
        g_toolMode = MODE_NONE;
        RefreshImagePlacementDialog(s);
        return;
    }
    if (!ValidVertex(I().currentVertex)) {
        s.groundPickChecked = false;
        return;
    }
    s.groundPickChecked = true;
    g_toolMode = kGroundPick;
    RefreshImagePlacementDialog(s);
}

namespace {
// The current pair gets `enteredPoint` as its ground point and is registered; picking
// stops.
void RegisterCurrentPair(ImagePlacementDialogState& s) {
    ImageSlot& im = I();
    const int32_t k = im.currentVertex;
    if (ValidVertex(k)) {
        im.pairGround[k - 1][0] = im.enteredPoint[0];
        im.pairGround[k - 1][1] = im.enteredPoint[1];
        im.pairSet[k - 1] = 1;
    }
    im.currentVertex = 0;
    g_toolMode = MODE_NONE;
    UncheckVertices(s);
    s.groundPickChecked = false;
}
}  // namespace

void OnImageRegisterEntry(ImagePlacementDialogState& s, const std::string& eastText, const std::string& northText) {
    ImageSlot& im = I();
    TakeNumber(eastText, im.enteredPoint[0]);
    TakeNumber(northText, im.enteredPoint[1]);
    if (g_toolMode != kImagePick) {
        s.eastText = Entry(im.enteredPoint[0]);
        s.northText = Entry(im.enteredPoint[1]);
        return;
    }
    RegisterCurrentPair(s);
    RefreshImagePlacementDialog(s);
    RedrawView();
}

namespace {
bool KillFocus(ImagePlacementDialogState& s, const std::string& text, int axis) {
    ImageSlot& im = I();
    double& stored = im.enteredPoint[axis];
    if (!s.escapePressed) TakeNumber(text, stored);
    s.escapePressed = false;
    (axis == 0 ? s.eastText : s.northText) = Entry(stored);
    if (!s.enterPressed || g_toolMode != kImagePick) return false;
    const int32_t k = im.currentVertex;
    if (!ValidVertex(k)) return false;
    im.pairGround[k - 1][axis] = stored;
    im.pairSet[k - 1] = 1;
    s.registerEnabled = Registered(1);
    s.leastSquaresEnabled = Registered(4);
    RedrawView();
    return true;
}
}  // namespace

bool OnImageKillFocusEast(ImagePlacementDialogState& s, const std::string& text) { return KillFocus(s, text, 0); }
bool OnImageKillFocusNorth(ImagePlacementDialogState& s, const std::string& text) { return KillFocus(s, text, 1); }

bool OnImagePlacementPick(ImagePlacementDialogState& s) {
    ImageSlot& im = I();
    const int32_t k = im.currentVertex;
    if (!ValidVertex(k)) return false;
    if (g_toolMode == kImagePick) {
        s.pickState = k;
        double u = 0, v = 0;
        MapGroundToImage(im, im.enteredPoint[0], im.enteredPoint[1], u, v);
        im.pairImage[k - 1][0] = u * im.width;
        im.pairImage[k - 1][1] = v * im.height;
        im.pairSet[k - 1] = 0;
        if (k == 1) {
            s.movePickGround[0] = im.enteredPoint[0];
            s.movePickGround[1] = im.enteredPoint[1];
        }
    } else if (g_toolMode == kGroundPick) {
        s.pickState = 0;
        RegisterCurrentPair(s);
    } else {
        return false;
    }
    RefreshImagePlacementDialog(s);
    RedrawView();
    return true;
}

void OnImagePlacementReset(ImagePlacementDialogState& s) {
    ImageSlot& im = I();
    im.positionKnown = 0;
    std::fill(std::begin(im.pairSet), std::end(im.pairSet), 0);
    im.mapping.projectiveKind = 0;
    RefreshImagePlacementDialog(s);
    g_redrawMask = -1;
    RedrawView();
}

bool OnImagePlacementRegister(ImagePlacementDialogState& s) {
    ImageSlot& im = I();
    bool placed = false;
    if (Registered(2)) {
        std::string message;
        const bool solved = RegisterImagePairs(im, s.leastSquares, message);
        if (!message.empty()) ShowMessage(message, "", msg::kOk);
        if (!solved) {
            RefreshImagePlacementDialog(s);
            return false;
        }
        std::fill(std::begin(im.pairSet), std::end(im.pairSet), 0);
        g_dataChanged = 1;
        placed = true;
    } else if (Registered(1) && im.positionKnown != 0) {
        const double dE = im.pairGround[0][0] - s.movePickGround[0];
        const double dN = im.pairGround[0][1] - s.movePickGround[1];
        for (auto& c : im.corners) {
            c[0] += dE;
            c[1] += dN;
        }
        SetupImageMapping(im);
        placed = true;
    }
    if (placed) {
        g_redrawMask = -1;
        if (g_pointCount == 0 && g_dxfElementCount == 0) {
            const auto& c = im.corners;
            g_viewCenterX = g_extentCenterX = (c[0][1] + c[3][1]) / 2;
            g_viewCenterY = g_extentCenterY = (c[0][0] + c[3][0]) / 2;
            g_viewScale = 1.0;
            g_extentSize = 1.2 * std::hypot(c[0][0] - c[2][0], c[0][1] - c[2][1]);
            ShowAllKeepSettings();
        }
        RedrawView();
    }
    if (im.positionKnown != 0 && g_bgImagePath.size() >= 5) WriteImagePositionFiles();
    im.currentVertex = 0;
    return true;
}

void OnImagePlacementCancel(ImagePlacementDialogState&) {
    // A picture that changed under the open dialog (its block replaced) keeps its own
    // record: the copy would point at pixels that are gone.
    if (g_bgImage.pixels != g_bgImageBeforeEdit.pixels || g_bgImage.width != g_bgImageBeforeEdit.width ||
        g_bgImage.height != g_bgImageBeforeEdit.height) {
        g_bgImage.currentVertex = 0;
        return;
    }
    g_bgImage = g_bgImageBeforeEdit;
    g_bgImage.currentVertex = 0;
    g_redrawMask = -1;
    RedrawView();
}

void OnImagePlacementClosed() {
    g_toolMode = MODE_NONE;
    g_pickReceiver = nullptr;
    g_pickDialog = nullptr;
    g_openState = nullptr;
}

void SetImagePlacementPickReceiver(ImagePlacementPickReceiver receiver, void* dialog,
                                   ImagePlacementDialogState* state) {
    g_pickReceiver = receiver;
    g_pickDialog = dialog;
    g_openState = state;
}

bool ImagePlacementDialogOpen() { return g_pickReceiver != nullptr; }

bool ImagePlacementViewClick(int32_t column, int32_t row) {
    if (!g_pickReceiver) return false;
    if (g_viewScale <= 0) return false;
    I().enteredPoint[0] = g_viewCenterY + (column - g_viewportCenterX) / g_viewScale;
    I().enteredPoint[1] = g_viewCenterX + (g_viewportCenterY - row) / g_viewScale;
    g_pickReceiver(g_pickDialog);
    return true;
}

namespace {
struct Screen {
    int32_t x = 0, y = 0;
    bool inside = false;
};

Screen ToScreen(double east, double north) {
    RandomPoint r{};
    r.x = north;
    r.y = east;
    r.z = g_pointZMin;
    ProjectRecord(r);
    Screen s;
    s.x = g_viewportCenterX + r.screenX;
    s.y = g_viewportCenterY - r.screenY;
    s.inside = r.hidden == 0 && s.x >= 0 && s.x <= g_bufferMaxX && s.y >= 0 && s.y <= g_bufferMaxY;
    return s;
}

void Circle(OverlayCanvas& c, Screen p, int32_t r) { c.Ellipse(p.x - r, p.y - r, p.x + r + 1, p.y + r + 1); }
}  // namespace

void DrawImageCornerMarks(OverlayCanvas& canvas) {
    if (!ImagePlacementDialogOpen()) return;
    const ImageSlot& im = I();
    if (im.width <= 0 || im.height <= 0) return;
    const ImageSlot placed = PlacedImage(g_bgImageBeforeEdit, im);
    canvas.SetPen(0xFFFF80);    // (128, 255, 255)
    canvas.SetBrush(0xFF00FF);  // (255, 0, 255)
    if (g_openState && g_openState->pickState > 0) {
        const Screen p = ToScreen(im.enteredPoint[0], im.enteredPoint[1]);
        if (p.inside) Circle(canvas, p, 4);
    }
    for (int k = 0; k < 4; ++k) {
        if (!im.pairSet[k]) continue;
        double e = 0, n = 0;
        MapImageToGround(placed, im.pairImage[k][0] / im.width, im.pairImage[k][1] / im.height, e, n);
        const Screen a = ToScreen(e, n);
        const Screen b = ToScreen(im.pairGround[k][0], im.pairGround[k][1]);
        if (a.inside || b.inside) {
            canvas.MoveTo(a.x, a.y);
            canvas.LineTo(b.x, b.y);
        }
        if (a.inside) Circle(canvas, a, 2);
    }
}
