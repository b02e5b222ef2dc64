#include "shell/shell_conditions.h"

#include "model/terrain_data.h"
#include "shell/tool_mode.h"

ShellConditions CurrentShellConditions() {
    ShellConditions c;
    c.points = g_pointsPresent != 0;
    c.pointCount = g_pointCount;
    c.tin = g_tinPresent != 0;
    c.outlineVertices = g_outline.Count();
    c.contours = g_drawingContoursLoaded != 0;

    // The data of the subsystems below come with those subsystems; until they are
    // built nothing of theirs can be loaded, so their conditions stay false:
    // slice lines (g_sliceStore, g_sliceLineCount), IP points (g_ipPointCount),
    // stations (g_stationCount), sections (g_hasSections), simple sections,
    // mesh (g_meshDefined, g_meshElevationsDone), background DXF (g_dxfElementCount),
    // background images (slot 1 loaded), the bird's-eye switch (g_birdsEyeOn), and the
    // display switches g_colorBandOn, g_showBackgroundImage, g_showBackgroundDxf and
    // g_latLongDisplay.

    c.toolMode = g_toolMode;
    c.pointEditState = g_pointEditState;
    c.outlineEditState = g_outlineEditState;
    c.toolSubState = g_toolSubState;
    c.areaInfoState = g_areaInfoState;

    for (size_t i = 0; i < kToolWindowCount; ++i)
        c.openWindows.set(i, IsToolWindowOpen(static_cast<ToolWindow>(i)));
    return c;
}
