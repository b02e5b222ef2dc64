#pragma once
// The mouse tool mode of the view and its sub-states. The frame's tool commands set
// them; the view's mouse handlers dispatch clicks by them.
#include <cstdint>

extern int32_t g_toolMode;
extern int32_t g_pointEditState;    // sub-state of MODE_POINT_EDIT
extern int32_t g_outlineEditState;  // sub-state of MODE_OUTLINE_EDIT
extern int32_t g_toolSubState;   // sub-state of MODE_IP_POINT and of the mesh, section, flag modes
extern int32_t g_areaInfoState;  // sub-state of MODE_AREA_INFO
extern int32_t g_dragState;      // the view's drag state; every switch clears it
extern int32_t g_linePickState;  // progress of a two-click line pick (simple section, sag curve)
// Further picks of the outline, hole and point tools (0 none).
extern int32_t g_pickAux1;
extern int32_t g_pickAux2;
extern int32_t g_pickAux3;
// How the point-edit panel takes input: 0 typed values, 1 by mouse, 2 modify with DXF
// snapping.
extern int32_t g_pointInputKind;
extern int32_t g_draggedMeshVertex;  // vertex of the mesh calculation range being dragged

// Tool modes. 522488 and 1044976 are not single bits: compare the word as a whole.
constexpr int32_t MODE_NONE = 0;
constexpr int32_t MODE_POINT_EDIT = 2;
constexpr int32_t MODE_OUTLINE_EDIT = 4;
constexpr int32_t MODE_AREA_INFO = 8;
constexpr int32_t MODE_IP_POINT = 16;
constexpr int32_t MODE_SIMPLE_SECTION = 32;
constexpr int32_t MODE_ARBITRARY_SECTION = 64;
constexpr int32_t MODE_BG_IMAGE_POSITION = 128;  // and 256
constexpr int32_t MODE_BG_DXF_POSITION = 512;    // and 1024
constexpr int32_t MODE_MESH_AREA_REGISTER = 2047;
constexpr int32_t MODE_MESH_AREA_DRAG = 4096;  // sub-state: the handle code
constexpr int32_t MODE_MESH_AREA_EDIT = 8192;
constexpr int32_t MODE_MESH_ELEVATION_EDIT = 16384;
constexpr int32_t MODE_RASTER_TRACE = 2048;   // to 2051
constexpr int32_t MODE_RASTER_TRACE_START = 0x800;
constexpr int32_t MODE_RASTER_TRACE_DIRECTION = 0x801;
constexpr int32_t MODE_RASTER_TRACE_CUT = 0x802;
constexpr int32_t MODE_RASTER_TRACE_ADD = 0x803;
constexpr int32_t MODE_CUT_POSITION = 32768;  // centre; 65536 left, 131072 right stake
constexpr int32_t MODE_TEXT_FLAG = 262144;
constexpr int32_t MODE_CUT_POSITION_DELETE = 522488;
constexpr int32_t MODE_VECTOR_CREATE = 1044976;
constexpr int32_t MODE_SAG_CURVE = 1048576;

// Sub-states of MODE_POINT_EDIT.
constexpr int32_t POINT_EDIT_MODIFY = 0;
constexpr int32_t POINT_EDIT_ADD = 1;
constexpr int32_t POINT_EDIT_BETWEEN = 2;
constexpr int32_t POINT_EDIT_OFFSET = 3;
constexpr int32_t POINT_EDIT_FOUR_POINT = 4;
constexpr int32_t POINT_EDIT_VALID_INVALID = 5;
constexpr int32_t POINT_EDIT_PLOTTER_BASE = 6;
constexpr int32_t POINT_EDIT_PARALLEL = 7;
constexpr int32_t POINT_EDIT_BATCH = 8;  // 8 rectangle, 9 polygon, 10 lasso
constexpr int32_t POINT_EDIT_TIN_INTERSECTION = 11;

// Sub-states of MODE_OUTLINE_EDIT.
constexpr int32_t OUTLINE_EDIT_SPECIFY = 1;
constexpr int32_t OUTLINE_EDIT_PARTIAL_ERASE = 2;
constexpr int32_t OUTLINE_EDIT_TIN_EDGE = 5;
constexpr int32_t OUTLINE_EDIT_WATERSHED = 6;
constexpr int32_t OUTLINE_EDIT_FLOW_PATH = 7;
constexpr int32_t OUTLINE_EDIT_PARTIAL_CHANGE = 33;  // 34 is its second step
constexpr int32_t OUTLINE_EDIT_HOLE_REGISTER = 53;
constexpr int32_t OUTLINE_EDIT_HOLE_DELETE = 54;
constexpr int32_t OUTLINE_EDIT_PARTIAL_TIN = 55;

// Sub-states of MODE_IP_POINT.
constexpr int32_t IP_POINT_INPUT = 1;
constexpr int32_t IP_POINT_CHANGE = 2;
constexpr int32_t IP_POINT_DELETE = 3;
constexpr int32_t IP_POINT_INSERT = 4;

// Sub-states of MODE_AREA_INFO.
constexpr int32_t AREA_INFO_VALID_INVALID = 2;
constexpr int32_t AREA_INFO_PICK = 4;

// The frame's "reset the mode": drag state, mode and the point and outline sub-states.
void ResetToolMode();
// "Clear the picks": the four picked points.
void ClearPickedPoints();
