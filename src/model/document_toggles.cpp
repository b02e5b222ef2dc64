#include "model/document_toggles.h"

#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "model/document_services.h"
#include "model/terrain_data.h"
#include "platform/busy.h"
#include "route/route_data.h"
#include "shell/shell_conditions.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/text_flags.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
void Flip(int32_t& flag) { flag = flag == 0 ? -1 : 0; }

void Set(CommandUpdate& u, bool enabled, int32_t flag) {
    u.enabled = enabled;
    u.check = flag != 0 ? CheckState::kChecked : CheckState::kUnchecked;
}

void Enable(CommandUpdate& u, bool enabled) {
    u.enabled = enabled;
    u.check = CheckState::kUnchecked;
}
}  // namespace

RepaintTarget OnTogglePointNames(bool shift) {
    if (g_showPointNames != 0 && shift)
        Flip(g_hideDoubleByteText);
    else
        Flip(g_showPointNames);
    return RepaintTarget::kView;
}

RepaintTarget OnTogglePointElevations() {
    Flip(g_showPointElevations);
    return RepaintTarget::kView;
}

RepaintTarget OnToggleDrawingContours() {
    Flip(g_showDrawingContours);
    return RepaintTarget::kMainWindow;
}

RepaintTarget OnToggleContours() {
    Flip(g_showSliceContours);
    return RepaintTarget::kMainWindow;
}

RepaintTarget OnToggleRandomPoints(bool shift) {
    if (g_showPoints != 0 && shift)
        g_penSize = g_penSize >= 0 && g_penSize < 3 ? g_penSize + 1 : 0;
    else
        Flip(g_showPoints);
    return RepaintTarget::kView;
}

RepaintTarget OnToggleTextFlags() {
    Flip(g_showTextFlags);
    return RepaintTarget::kMainWindow;
}

RepaintTarget OnToggleSimpleContours() {
    if (IsBusy()) return RepaintTarget::kNone;
    if (g_showSimpleContours == 0) {
        RunSimpleContourDialog();
        g_showSimpleContours = -1;
    } else {
        g_showSimpleContours = 0;
    }
    return RepaintTarget::kView;
}

RepaintTarget OnToggleSlopeLines() {
    if (IsBusy()) return RepaintTarget::kNone;
    if (g_showSlopeLines == 0)
        RunSlopeLineDialog();
    else
        g_showSlopeLines = 0;
    return RepaintTarget::kView;
}

RepaintTarget OnToggleGrid() {
    if (g_showGrid == 0) {
        RunGridIntervalDialog();
        g_showGrid = -1;
    } else {
        g_showGrid = 0;
    }
    return RepaintTarget::kMainWindow;
}

void OnViewerLink() {
    if (Viewer3dRunning()) {
        StartOrCloseViewer3d();  // closes it: nothing more to tell
        return;
    }
    StartOrCloseViewer3d();
    // The viewer just started has no window to tell yet (telling it would stop the automatic
    // update); it finds the view in the shared block as it comes up.
    if (g_birdsEyeOn != 0) StoreViewForViewer3d();
}

void OnViewerAutoUpdate() {
    if (g_viewer3dAutoUpdate == 0 && g_tinEdgeCount > 2) {
        g_viewer3dAutoUpdate = -1;
        SendViewToViewer3d();
    } else {
        g_viewer3dAutoUpdate = 0;
    }
}

void UpdatePointNames(CommandUpdate& u) { Set(u, g_pointsPresent != 0, g_showPointNames); }
void UpdatePointElevations(CommandUpdate& u) {
    Set(u, g_pointsPresent != 0, g_showPointElevations);
}
void UpdateDrawingContours(CommandUpdate& u) {
    Set(u, g_drawingContoursLoaded != 0, g_showDrawingContours);
}
void UpdateContours(CommandUpdate& u) { Set(u, g_sliceContoursLoaded != 0, g_showSliceContours); }
void UpdateRandomPoints(CommandUpdate& u) { Set(u, g_pointsPresent != 0, g_showPoints); }
void UpdateTextFlags(CommandUpdate& u) { Set(u, g_textFlagCount > 0, g_showTextFlags); }
void UpdateSimpleContours(CommandUpdate& u) { Set(u, g_tinPresent != 0, g_showSimpleContours); }
// Without its settings dialog the switch could never turn the lines on.
void UpdateSlopeLines(CommandUpdate& u) {
    Set(u, g_tinPresent != 0 && (SlopeLineDialogAvailable() || g_showSlopeLines != 0),
        g_showSlopeLines);
}

void UpdateGrid(CommandUpdate& u) {
    const ShellConditions c = CurrentShellConditions();
    const bool data = c.points || c.dxfCount > 0 || BackgroundImagePlaced();
    if (data && !c.birdsEyeOn)
        Set(u, true, g_showGrid);
    else
        Enable(u, false);
}

void UpdateViewerLink(CommandUpdate& u) {
    Enable(u, g_pointCount > 2 && !g_currentDataPath.empty());
}
void UpdateViewerAutoUpdate(CommandUpdate& u) { Set(u, true, g_viewer3dAutoUpdate); }

void UpdateNeedsPoints(CommandUpdate& u) { Enable(u, g_pointsPresent != 0); }
void UpdateNeedsMesh(CommandUpdate& u) { Enable(u, CurrentShellConditions().meshArea); }
void UpdateNeedsRoute(CommandUpdate& u) { Enable(u, g_ipPointCount > 0 || g_stationCount > 0); }
void UpdateNeedsSections(CommandUpdate& u) { Enable(u, CurrentShellConditions().sections); }
void UpdateStationText(CommandUpdate& u) { Enable(u, g_stationCount > 0); }
void UpdateTinLattice(CommandUpdate& u) {
    const ShellConditions c = CurrentShellConditions();
    Enable(u, c.tin && c.meshArea);
}
void UpdateOtherRouteClear(CommandUpdate& u) { Enable(u, g_otherRouteStationCount > 0); }
void UpdateMeshVolumeClipboard(CommandUpdate& u) {
    Set(u, g_meshVolumeDone != 0, g_showMeshVolumes);
}
