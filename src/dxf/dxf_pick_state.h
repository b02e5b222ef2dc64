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
