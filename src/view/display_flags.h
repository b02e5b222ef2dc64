#pragma once
// The view's display switches: -1 shown, 0 hidden (readers test for nonzero). The
// document's and the frame's commands flip them; the painter reads them on every paint.
#include <cstdint>

extern int32_t g_showPoints;
extern int32_t g_showPointNames;
extern int32_t g_showPointElevations;
extern int32_t g_showGrid;
extern int32_t g_showSimpleContours;
extern int32_t g_showSlopeLines;
extern int32_t g_showBackgroundImage;
extern int32_t g_colorBandOn;
// Names and labels leave out their double-byte characters while set.
extern int32_t g_hideDoubleByteText;
// The external 3D viewer follows every change of the view while set.
extern int32_t g_viewer3dAutoUpdate;
