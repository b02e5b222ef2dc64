#include "volume/mesh_section_command.h"

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
constexpr const char* kAskReplaceRoute = "現在の路線データは破棄されますがよろしいですか";
}  // namespace

MeshSectionValues InitialMeshSectionValues() {
    MeshSectionValues v;
    v.tinEnabled = g_tinPresent != 0;
    v.contoursEnabled = g_drawingContoursLoaded != 0;
    v.source = v.tinEnabled ? kMeshSectionsFromTin : kMeshSectionsFromContours;
    v.nodeOptionsEnabled = g_meshElevationsDone != 0;
    v.nodeOption = v.nodeOptionsEnabled ? 1 : 0;
    v.direction = g_meshSectionDirection;
    return v;
}

bool ConfirmRouteReplacement() {
    if (g_ipPointCount <= 0 && g_stationCount <= 0) return true;
    return ShowMessage(kAskReplaceRoute, "", msg::kOkCancel | msg::kIconQuestion) == msg::kIdOk;
}

void OnMeshSectionCalc(const std::function<bool(MeshSectionValues&)>& runDialog,
                       const std::function<void()>& saveRouteDocument) {
    MeshSectionValues values = InitialMeshSectionValues();
    if (runDialog && runDialog(values) && ConfirmRouteReplacement()) {
        g_meshSectionDirection = values.direction;
        if (CalcMeshSections(values.source, values.nodeOption, values.direction) == msg::kIdYes &&
            saveRouteDocument)
            saveRouteDocument();
    }
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
