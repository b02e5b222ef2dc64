#include "shell/tool_mode.h"

#include "model/terrain_data.h"
#include "view/view_state.h"

int32_t g_toolMode = MODE_NONE;
int32_t g_pointEditState = 0;
int32_t g_outlineEditState = 0;
int32_t g_toolSubState = 0;
int32_t g_areaInfoState = 0;
int32_t g_dragState = 0;
int32_t g_linePickState = 0;
int32_t g_pickAux1 = 0;
int32_t g_pickAux2 = 0;
int32_t g_pickAux3 = 0;
int32_t g_pointInputKind = 0;
int32_t g_draggedMeshVertex = 0;

void ResetToolMode() {
    g_dragState = 0;
    g_toolMode = MODE_NONE;
    g_pointEditState = 0;
    g_outlineEditState = 0;
}

void ClearPickedPoints() {
    g_pickedPoint4 = 0;
    g_pickedPoint3 = 0;
    g_pickedPoint2 = 0;
    g_pickedPoint = 0;
}

namespace {
const bool g_registered = [] {
    RegisterDataModelReset([] {
        ResetToolMode();
        g_toolSubState = 0;
        g_areaInfoState = 0;
        g_linePickState = 0;
        g_pickAux1 = g_pickAux2 = g_pickAux3 = 0;
        g_pointInputKind = 0;
        g_draggedMeshVertex = 0;
    });
    return true;
}();
}  // namespace
