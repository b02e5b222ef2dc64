#include "dxf/dxf_pick_state.h"

int32_t g_pickedDxfElement = 0;
int32_t g_pickedDxfFirst = 0;
int32_t g_pickedDxfLast = 0;
std::vector<DxfMarkedPoint> g_dxfMarkedPoints;

void ClearDxfPick() {
    g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = 0;
    g_dxfMarkedPoints.clear();
}
