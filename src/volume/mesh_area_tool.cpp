#include "volume/mesh_area_tool.h"

#include <cstdlib>
#include <limits>

#include "model/terrain_data.h"
#include "shell/tool_mode.h"
#include "view/cursor_state.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_area.h"
#include "volume/mesh_data.h"

int32_t g_meshHandleScreen[6][2] = {};

namespace {
constexpr int32_t kHandleReach = 8;
constexpr int32_t kRegisterWaiting = 256;
constexpr int32_t kRegisterPressed = 0x200;

void Project(double x, double y, int32_t* screen) {
    RandomPoint p{};
    p.x = x;
    p.y = y;
    ProjectRecord(p);
    screen[0] = p.screenX;
    screen[1] = p.screenY;
}

bool GroundOfPoint(int32_t i, double& x, double& y) {
    if (i < 1 || i > g_pointCount || !g_points) return false;
    x = g_points[i].x;
    y = g_points[i].y;
    return true;
}
}  // namespace

std::function<void()>& MeshAreaDialogRunner() {
    static std::function<void()> runner;
    return runner;
}

std::function<MeshRegisterChoice()>& MeshRegisterQuestionRunner() {
    static std::function<MeshRegisterChoice()> runner;
    return runner;
}

MeshRegisterChoice AskMeshRegister() {
    return MeshRegisterQuestionRunner() ? MeshRegisterQuestionRunner()() : MeshRegisterChoice::kClosed;
}

void RunMeshAreaDialog() {
    if (!MeshAreaDialogRunner()) return;
    MeshAreaDialogRunner()();
    // The rectangle and its handles as the dialog left them.
    DragMeshArea(0, 0);
    ProjectAllData(0);
    FullRepaintView();
}

void DragMeshArea(int32_t code, int32_t commit) {
    MeshRectangle r = CurrentMeshRectangle();
    if (code != 0) r = DragMeshHandle(r, code, g_cursorX, g_cursorY);
    if (commit == 1) StoreMeshRectangle(r);
    const MeshHandlePoints p = MeshCornerPoints(r);
    for (int i = 0; i < 4; ++i) Project(p.x[i], p.y[i], g_meshHandleScreen[i]);
    for (int k = 0; k < 2; ++k) {
        g_meshHandleScreen[4][k] = (g_meshHandleScreen[1][k] + g_meshHandleScreen[2][k]) / 2;
        g_meshHandleScreen[5][k] = (g_meshHandleScreen[2][k] + g_meshHandleScreen[3][k]) / 2;
    }
}

void InitMeshAreaPolygon() {
    BuildDefaultMeshAreaPolygon();
    ProjectAllData(0);
}

int32_t MeshHandleAt(int32_t x, int32_t y) {
    struct Handle {
        int32_t code;
        int index;
    };
    static constexpr Handle kOrder[] = {{kMeshHandleOrigin, 0},     {kMeshHandleWidthCorner, 1},
                                        {kMeshHandleLengthCorner, 3}, {kMeshHandleLengthSide, 4},
                                        {kMeshHandleWidthSide, 5},  {kMeshHandleFarCorner, 2}};
    int64_t best = std::numeric_limits<int64_t>::max();
    int32_t code = 0;
    for (const Handle& h : kOrder) {
        const int64_t d = std::llabs(int64_t{g_viewportCenterX} + g_meshHandleScreen[h.index][0] - x) +
                          std::llabs(int64_t{g_viewportCenterY} - g_meshHandleScreen[h.index][1] - y);
        const bool reached = h.code == kMeshHandleOrigin ? d < kHandleReach : d <= kHandleReach;
        if (reached && d <= best) {
            best = d;
            code = h.code;
        }
    }
    return code;
}

bool StartMeshAreaDrag(int32_t x, int32_t y) {
    if (g_toolMode != MODE_NONE || !g_meshAreaDefined || !g_showMesh || g_birdsEyeOn) return false;
    DragMeshArea(0, 0);
    const int32_t code = MeshHandleAt(x, y);
    if (code == 0) return false;
    g_toolMode = MODE_MESH_AREA_DRAG;
    g_toolSubState = code;
    return true;
}

void MoveMeshAreaDrag() {
    if (g_toolMode != MODE_MESH_AREA_DRAG || !g_cursorValid) return;
    DragMeshArea(g_toolSubState, 1);
    FullRepaintView();
}

void EndMeshAreaDrag() {
    const int32_t code = g_toolSubState;
    g_toolMode = MODE_NONE;
    g_toolSubState = 0;
    g_meshAreaPolygonCount = 0;
    if (code == kMeshHandleOrigin) RunMeshAreaDialog();
    DragMeshArea(0, 0);
    FullRepaintView();
}

void DefineMeshAreaFromDrag(int32_t flags, int32_t x, int32_t y, int32_t pressX, int32_t pressY) {
    // Only a press the registration took (not one refused in the bird's-eye view) starts it.
    if ((g_toolSubState & kRegisterPressed) == 0) return;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!GroundOfPoint(g_pickedPoint, x0, y0)) ClientToGround(pressX, pressY, x0, y0);
    if (!(flags & kMouseFlagShift) || !GroundOfPoint(FindPointAtCursor(x, y, kPickRadius2), x1, y1))
        ClientToGround(x, y, x1, y1);
    g_pickedPoint = 0;
    if (!DefineMeshAreaFromLine(x0, y0, x1, y1)) {
        g_toolSubState = kRegisterWaiting;
        FullRepaintView();
        return;
    }
    g_toolMode = MODE_NONE;
    g_toolSubState = 0;
    g_showMesh = -1;
    g_meshAreaPolygonCount = 0;
    RunMeshAreaDialog();
    DragMeshArea(0, 0);
    FullRepaintView();
}
