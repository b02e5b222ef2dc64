#include "view/view_toggles.h"

#include "model/document_toggles.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "shell/shell_conditions.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
constexpr char kColorMarker = '#';
constexpr char kNoColorMarker = 27;  // no point name starts with escape

void Flip(int32_t& flag) { flag = flag == 0 ? -1 : 0; }

bool NameColorsOn() { return g_pointColorPrefix == kColorMarker && g_pointColorMode == 0; }
bool IntensityOn() { return g_pointColorPrefix == kColorMarker && g_pointColorMode == 1; }

void Enable(CommandUpdate& u, bool enabled) {
    u.enabled = enabled;
    u.check = CheckState::kUnchecked;
}

void Check(CommandUpdate& u, bool enabled, bool checked) {
    u.enabled = enabled;
    u.check = checked ? CheckState::kChecked : CheckState::kUnchecked;
}

void StartMeshAreaRegistration() {
    g_dragState = 0;
    g_toolMode = MODE_MESH_AREA_REGISTER;
    g_toolSubState = 256;
}
}  // namespace

void OnShowTin() {
    Flip(g_showTin);
    FullRepaintView();
}

void OnShowIpNames() {
    Flip(g_showIpNames);
    FullRepaintView();
}

void OnShowSections() {
    Flip(g_showSections);
    FullRepaintView();
}

void OnShowMesh() {
    Flip(g_showMesh);
    FullRepaintView();
}

void OnShowMeshElevations() {
    Flip(g_showMeshElevations);
    FullRepaintView();
}

void OnShowMeshVolumes() {
    Flip(g_showMeshVolumes);
    FullRepaintView();
}

void OnShowRoute() {
    Flip(g_showRoute);
    g_showOtherRoutes = g_showRoute;
    FullRepaintView();
}

void OnPointColorDisplay() {
    if (!NameColorsOn()) {
        g_pointColorPrefix = kColorMarker;
        g_pointColorMode = 0;
    } else {
        g_pointColorPrefix = kNoColorMarker;
    }
    FullRepaintView();
}

void OnPointIntensityDisplay() {
    if (IntensityOn()) {
        g_pointColorPrefix = kNoColorMarker;
    } else {
        g_pointColorPrefix = kColorMarker;
        g_pointColorMode = 1;
    }
    FullRepaintView();
}

void OnPointOrderCorrection() {
    g_depthOrderPoints = g_depthOrderPoints == 0 ? 1 : 0;
    FullRepaintView();
}

void UpdateShowTin(CommandUpdate& u) {
    if (g_tinPresent == 0) {
        u.enabled = false;
        u.check = CheckState::kIndeterminate;
        return;
    }
    Check(u, true, g_showTin != 0);
}

void UpdateRouteNames(CommandUpdate& u) {
    Enable(u, g_ipPointCount > 0 || g_stationCount > 0 || g_otherRouteStationCount > 0);
}

void UpdateShowSections(CommandUpdate& u) {
    Enable(u, CurrentShellConditions().sections && g_birdsEyeOn != 0);
}

void UpdateShowMesh(CommandUpdate& u) { Enable(u, g_meshAreaDefined != 0); }
void UpdateShowMeshElevations(CommandUpdate& u) { Enable(u, g_meshElevationsDone != 0); }
void UpdatePointColorDisplay(CommandUpdate& u) { Check(u, true, NameColorsOn()); }
void UpdatePointIntensityDisplay(CommandUpdate& u) { Check(u, true, IntensityOn()); }
void UpdatePointOrderCorrection(CommandUpdate& u) { Enable(u, g_birdsEyeOn != 0); }

void OnMeshAreaRegister(const MeshAreaRegisterDialogs& dialogs) {
    if (g_toolMode == MODE_MESH_AREA_REGISTER) {
        g_toolMode = MODE_NONE;
        g_toolSubState = 0;
        return;
    }
    if (g_meshAreaDefined == 0) {
        StartMeshAreaRegistration();
        g_showMesh = -1;
        return;
    }
    if (!dialogs.askRegister) return;
    if (dialogs.askRegister() == MeshRegisterChoice::kNewRegistration) {
        StartMeshAreaRegistration();
    } else if (dialogs.editArea) {
        dialogs.editArea();
    }
}

void RegisterViewToggles(CommandHandlerMap& commands, const MeshAreaRegisterDialogs& dialogs) {
    struct Toggle {
        int id;
        void (*run)();
        void (*rule)(CommandUpdate&);
    };
    // 32784 takes the document's rule of the mesh volumes.
    static constexpr Toggle kToggles[] = {
        {32771, OnShowTin, UpdateShowTin},
        {32785, OnShowIpNames, UpdateRouteNames},
        {32798, OnShowSections, UpdateShowSections},
        {32876, OnShowMesh, UpdateShowMesh},
        {32783, OnShowMeshElevations, UpdateShowMeshElevations},
        {32784, OnShowMeshVolumes, UpdateMeshVolumeClipboard},
        {32824, OnShowRoute, UpdateRouteNames},
        {33002, OnPointColorDisplay, UpdatePointColorDisplay},
        {33003, OnPointIntensityDisplay, UpdatePointIntensityDisplay},
        {33004, OnPointOrderCorrection, UpdatePointOrderCorrection},
    };
    for (const Toggle& t : kToggles) {
        commands.SetHandler(t.id, t.run);
        if (t.rule) commands.SetUpdateRule(t.id, t.rule);
    }
    commands.SetHandler(32869, [dialogs] { OnMeshAreaRegister(dialogs); });
    // Offered once the drag that defines the area is part of the program.
    commands.SetUpdateRule(32869, [](CommandUpdate& u) { u.enabled = ToolCommandBuilt(32869); });
}
