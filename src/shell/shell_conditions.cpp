#include "shell/shell_conditions.h"

#include "contour/slice_store.h"
#include "dxf/dxf_store.h"
#include "image/image_slot.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "section/section_calc.h"
#include "section/section_records.h"
#include "shell/status_bar.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

ShellConditions CurrentShellConditions() {
    ShellConditions c;
    c.points = g_pointsPresent != 0;
    c.pointCount = g_pointCount;
    c.tin = g_tinPresent != 0;
    c.outlineVertices = g_outline.Count();
    c.contours = g_drawingContoursLoaded != 0;

    c.sliceLines = !g_sliceStore.Empty() && g_sliceLineCount > 0;
    c.ipCount = g_ipPointCount;
    c.stationCount = g_stationCount;
    c.meshArea = g_meshAreaDefined != 0;
    c.meshElevations = g_meshElevationsDone != 0;
    c.dxfCount = g_dxfElementCount;
    c.birdsEyeOn = g_birdsEyeOn != 0;
    c.latLongDisplay = g_latLongDisplay != 0;

    c.colorBandOn = g_colorBandOn != 0;
    c.showBackgroundImage = g_showBackgroundImage != 0;
    c.showBackgroundDxf = g_showBackgroundDxf != 0;
    c.sections = g_hasSections != 0;
    c.simpleSectionCount = g_simpleSectionCount;
    c.image = g_bgImage.loaded != 0 && !g_bgImageHandle.Empty();

    c.toolMode = g_toolMode;
    c.pointEditState = g_pointEditState;
    c.outlineEditState = g_outlineEditState;
    c.toolSubState = g_toolSubState;
    c.areaInfoState = g_areaInfoState;

    for (size_t i = 0; i < kToolWindowCount; ++i)
        c.openWindows.set(i, IsToolWindowOpen(static_cast<ToolWindow>(i)));
    return c;
}
