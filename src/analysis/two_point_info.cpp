#include "analysis/two_point_info.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/geometry.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {
std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string Name(const RandomPoint& p) {
    return std::string(p.name, strnlen(p.name, sizeof p.name));
}
}  // namespace

double TwoPointAzimuth(const RandomPoint& s, const RandomPoint& e) {
    if (std::hypot(e.x - s.x, e.y - s.y) < 0.01) return 0;
    double signedAngle = 0, fullAngle = 0;
    AngleAtVertex(s.x + 10, s.y, s.x, s.y, e.x, e.y, 0.001, &signedAngle, &fullAngle);
    return fullAngle;
}

TwoPointInfoTexts FormatTwoPointInfo(const RandomPoint& s, const RandomPoint& e) {
    TwoPointInfoTexts t;
    t.startX = Format("%8.4f", s.x);
    t.startY = Format("%8.4f", s.y);
    t.startZ = Format("%8.3f", s.z);
    t.startName = Name(s);
    t.endX = Format("%8.4f", e.x);
    t.endY = Format("%8.4f", e.y);
    t.endZ = Format("%8.3f", e.z);
    t.endName = Name(e);
    const double dx = e.x - s.x, dy = e.y - s.y, dz = e.z - s.z;
    const double d = std::sqrt(dx * dx + dy * dy);
    t.planeDistance = Format("平面距離（%.3f）m", d);
    t.slantDistance = Format("斜距離　（%.3f）m", std::sqrt(dx * dx + dy * dy + dz * dz));
    t.heightDifference = Format("比高差　（%.3f）m", dz);
    // One point above the other has no slope to give.
    t.slope = d > 0 ? Format("勾配　　（%.2f）%%", dz / d * 100) : std::string("勾配　　（---）%");
    t.azimuth = Format("方位角　（%.4f）", ConvertDegreesDms(TwoPointAzimuth(s, e), 1));
    return t;
}

TwoPointInfoPlace TwoPointInfoReference(int cursorX, int cursorY) {
    const int32_t a = g_pickedPoint, b = g_pickedPoint2;
    if (a < 1 || b < 1 || a > g_pointCount || b > g_pointCount || g_points[a].hidden != 0 ||
        g_points[b].hidden != 0)
        return {cursorX, cursorY, 1};
    int ax = g_viewportCenterX + g_points[a].screenX, ay = g_viewportCenterY - g_points[a].screenY;
    int bx = g_viewportCenterX + g_points[b].screenX, by = g_viewportCenterY - g_points[b].screenY;
    auto outside = [](int v, int limit) { return v < 0 || v > limit; };
    if (outside(ax, g_bufferMaxX)) ax = bx;
    if (outside(bx, g_bufferMaxX)) bx = ax;
    if (outside(ay, g_bufferMaxY)) ay = by;
    if (outside(by, g_bufferMaxY)) by = ay;
    return {(ax + bx) / 2, (ay + by) / 2, std::abs(ax - bx) / 2};
}

void TwoPointInfoOk() {
    g_pickedPoint = g_pickedPoint2 = 0;
    for (PickList* list : {&g_pickList, &g_pickList2}) {
        (*list)[0] = 0;
        (*list)[1] = 0;
    }
    g_dataChanged = 0;
    FullRepaintView();
}
