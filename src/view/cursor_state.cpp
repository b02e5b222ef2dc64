#include "view/cursor_state.h"

#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "view/view_transform.h"
#include "volume/mesh_data.h"

int32_t g_cursorValid = 0;
double g_cursorX = 0;
double g_cursorY = 0;
double g_pressWorldX = 0;
double g_pressWorldY = 0;

bool ViewHasData() {
    return g_pointCount > 0 || g_ipPointCount > 0 || g_stationCount > 0 ||
           g_otherRouteStationCount > 0 || g_dxfElementCount > 0 || g_meshAreaDefined != 0;
}

void TrackCursorAt(int32_t column, int32_t row) {
    if (!ViewHasData()) return;
    ClientToGround(column, row, g_cursorX, g_cursorY);
    g_cursorValid = 1;
}

void TrackPressAt(int32_t column, int32_t row) {
    if (!ViewHasData()) return;
    ClientToGround(column, row, g_pressWorldX, g_pressWorldY);
}
