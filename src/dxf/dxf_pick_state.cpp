#include "dxf/dxf_pick_state.h"

int32_t g_pickedDxfElement = 0;
int32_t g_pickedDxfFirst = 0;
int32_t g_pickedDxfLast = 0;
std::vector<DxfMarkedPoint> g_dxfMarkedPoints;

void ClearDxfPick() {
    g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = 0;
    g_dxfMarkedPoints.clear();
}

double g_dxfPickX = 0;
double g_dxfPickY = 0;
double g_dxfPickZ = 0;
char g_dxfPickText[32] = {};
double g_dxfPickTextHeight = 0;
uint8_t g_dxfPickPen = 0;
int32_t g_dxfPickLayer = 0;
int32_t g_dxfPickColour = 0;
int32_t g_dxfPickCursorX = 0;
int32_t g_dxfPickCursorY = 0;
int32_t g_dxfSearchOnLine = 0;
int32_t g_dxfPrevPickFirst = 0;
int32_t g_dxfPrevPickLast = 0;
