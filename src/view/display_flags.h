#pragma once
// The view's display switches: -1 shown, 0 hidden (readers test for nonzero). The
// document's and the frame's commands flip them; the painter reads them on every paint.
#include <cstdint>

extern int32_t g_showPoints;
extern int32_t g_showPointNames;
extern int32_t g_showPointElevations;
extern int32_t g_showGrid;
extern int32_t g_showSimpleContours;
// Level step of the simple contours in metres (the index step is g_simpleContourIndexInterval).
extern double g_simpleContourInterval;
extern int32_t g_showSlopeLines;
extern int32_t g_showBackgroundImage;
extern int32_t g_colorBandOn;
// Names and labels leave out their double-byte characters while set.
extern int32_t g_hideDoubleByteText;
// The external 3D viewer follows every change of the view while set.
extern int32_t g_viewer3dAutoUpdate;

// Routes, sections, mesh and the background DXF layer.
extern int32_t g_showRoute;
extern int32_t g_showOtherRoutes;
extern int32_t g_showIpNames;  // names of IP points and stations
extern int32_t g_showRouteCrossSections;
extern int32_t g_showOtherRouteCrossSections;
extern int32_t g_showSections;
extern int32_t g_showMesh;
extern int32_t g_showMeshElevations;
extern int32_t g_showMeshVolumes;
extern int32_t g_showBackgroundDxf;
// Elements of layers that are off are drawn too.
extern int32_t g_showHiddenDxfLayers;

// How points are shown.
// Points whose name starts with '#' take their colour from the name while this is '#'; 27
// (escape, which no name starts with) turns that off.
extern char g_pointColorPrefix;
extern int32_t g_hideInvalidPoints;  // invalid points are left out while set
extern int32_t g_depthOrderPoints;   // bird's-eye points drawn through the depth buffer (0, 1)
extern int32_t g_elevationDecimals;  // decimals of the elevation labels, 0..3
extern double g_gridInterval;        // metres between grid lines, above 0
