#pragma once
// The state each route test starts from: a fresh data model with the route and section
// defaults, no single-curve stakes or auxiliary stations, a 1 cm tolerance and no
// recorded messages.
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "section/section_defaults.h"

inline void ResetRouteTestState() {
    InitRouteSectionDefaults();
    InitDataModel();
    g_outputSingleCurveSp = 0;
    g_makeAuxStations = 0;
    g_routeTolerance = 0.01;
    ClearRecordedMessages();
}
