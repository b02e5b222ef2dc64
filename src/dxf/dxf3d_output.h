#pragma once
// "３Ｄ-ＤＸＦ出力": the drawing contours, the TIN and the outline written into one DXF file,
// with the layer and colour of each kind of line and surface. The options live for the
// program run; the layer and colour numbers are kept in "QUARVEL.DXP" in the settings
// folder (read once per run, written after each output).
#include <cstdint>
#include <string>

extern int32_t g_dxf3dContours;
extern int32_t g_dxf3dTin;
extern int32_t g_dxf3dTinKind;  // 0 LINE per edge, 1 3DFACE per triangle
extern int32_t g_dxf3dMainContourLayer, g_dxf3dMainContourColour;
extern int32_t g_dxf3dIndexContourLayer, g_dxf3dIndexContourColour;
extern int32_t g_dxf3dExistingLayer, g_dxf3dExistingColour;
extern int32_t g_dxf3dPlanLayer, g_dxf3dPlanColour;
extern int32_t g_dxf3dSlopeLayer, g_dxf3dSlopeColour;
extern int32_t g_dxf3dWaterLayer, g_dxf3dWaterColour;
extern int32_t g_dxf3dBuildingLayer, g_dxf3dBuildingColour;
extern int32_t g_dxf3dOutline;
extern int32_t g_dxf3dOutlineLayer, g_dxf3dOutlineColour;
extern int32_t g_dxf3dContourKind;    // 0 LINE per segment, 1 POLYLINE, 2 LWPOLYLINE
extern int32_t g_dxf3dDrawingCoords;  // 1: shifted to the drawing origin
extern int32_t g_dxf3d2d;             // 1: every elevation written as 0
extern int32_t g_dxf3dLayerPerElevation;
extern int32_t g_dxf3dElevationUnitMm;
extern std::string g_dxf3dOutputPath;
extern int32_t g_dxpFileRead;
extern int32_t g_dxf3dBusy;  // -1 while a file is written

// The options back to their start values (a new program run); tests call it.
void ResetDxf3dOptions();

// "QUARVEL.DXP" in the settings folder.
std::string DxpFilePath();
// 1 when the file was read, 0 when it cannot be opened. A missing line leaves its value
// as it was; so does a line that holds no whole number (the file is then reported once).
int32_t ReadDxpFile();
// 1, or 0 when the file cannot be written (the previous file is kept).
int32_t WriteDxpFile();

// Results of Write3dDxf.
constexpr int32_t k3dDxfDone = 0;
constexpr int32_t k3dDxfNothing = -1;      // nothing chosen, or the file cannot be created
constexpr int32_t k3dDxfWriteFailed = -2;  // a write or the close failed: the file is incomplete
constexpr int32_t k3dDxfPartial = -3;      // a complete file that lacks some of what was asked for

// What the last Write3dDxf left out.
struct Dxf3dReport {
    bool contourFileMissing = false;
    bool contourFileCorrupt = false;   // a bad header or a line cut short: contours stop there
    int32_t contoursWritten = 0;
    int32_t contoursTooShort = 0;      // lines of fewer than two vertices (never written)
    int32_t entitiesRefused = 0;       // coordinates that are not finite numbers
    int32_t trianglesWritten = 0;      // 3DFACEs, or LINEs of the TIN
};
extern Dxf3dReport g_dxf3dReport;

// Writes the file (TIN, then contours, then outline). All flags and numbers as the options.
int32_t Write3dDxf(const std::string& path, int32_t contours, int32_t tin, int32_t contourKind, int32_t tinKind,
                   int32_t drawingCoords, int32_t mainLayer, int32_t mainColour, int32_t indexLayer,
                   int32_t indexColour, int32_t existingLayer, int32_t existingColour, int32_t planLayer,
                   int32_t planColour, int32_t slopeLayer, int32_t slopeColour, int32_t waterLayer,
                   int32_t waterColour, int32_t buildingLayer, int32_t buildingColour, int32_t twoD,
                   int32_t outline, int32_t outlineLayer, int32_t outlineColour, int32_t layerPerElevation,
                   int32_t unitMm);

// The contour layer for an elevation with the layer-per-elevation option: whole metres
// toward zero, or millimetres rounded half away from zero; clamped to the int32 range.
int32_t ElevationLayer(double elevation, int32_t unitMm);
// Whether an elevation lies on the index interval (within 1e-6 of a whole multiple).
bool IsIndexContour(double elevation, double indexInterval);
