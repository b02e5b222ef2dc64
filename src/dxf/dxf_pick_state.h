#pragma once
// What the element information tool has picked on the background layer and the crossings
// its Shift+click marked; read by the painter's highlight and the point commands.
#include <cstdint>
#include <vector>

struct DxfMarkedPoint {
    double x;  // north
    double y;  // east
    double z;
};

extern int32_t g_pickedDxfElement;  // 0 none
extern int32_t g_pickedDxfFirst;    // the picked range, both 0 when there is none
extern int32_t g_pickedDxfLast;
extern std::vector<DxfMarkedPoint> g_dxfMarkedPoints;

// No pick, no marked points.
void ClearDxfPick();

// The last pick as the tool windows show it.
extern double g_dxfPickX;  // north
extern double g_dxfPickY;  // east
extern double g_dxfPickZ;
extern char g_dxfPickText[32];
// More of the picked element: the vector editor shows and copies them.
extern double g_dxfPickTextHeight;
extern uint8_t g_dxfPickPen;
extern int32_t g_dxfPickLayer;
extern int32_t g_dxfPickColour;
// Client position of the last click the view handed to a tool window.
extern int32_t g_dxfPickCursorX;
extern int32_t g_dxfPickCursorY;
// Search of the information window: 0 nearest vertex (端点), 1 point on a line (線上点).
extern int32_t g_dxfSearchOnLine;
// The range after the last plain click, for the crossings of a Shift+click.
extern int32_t g_dxfPrevPickFirst;
extern int32_t g_dxfPrevPickLast;
