#pragma once
// The mesh: a rectangular grid of nodes in its own rotated frame, with the current and
// plan elevations, cell cut and fill, the outline crossings and the calculation range.
// Records are numbered from 1; record 0 is never used.
#include <cstdint>
#include <string>

#include "model/record_block.h"

struct MeshNode {
    double x;
    double y;
    double centreX;  // centre of the node's cell
    double centreY;
    double z;      // current elevation
    double planZ;  // plan elevation; equals z where no plan surface covers the node
    double averageZ;
    double planAverageZ;
    double cut;
    double fill;
    int32_t screenColumn;  // written by the view's projection
    int32_t screenRow;
    int32_t centreScreenColumn;
    int32_t centreScreenRow;
    int32_t column;
    int32_t row;
    int32_t valid;       // 1 computed from the data, 0 missing
    int32_t planSource;  // 0 none, else the plan line that gave planZ
    int32_t markerSize;
    int32_t centreMarkerSize;
    int8_t offScreen;
    int8_t centreOffScreen;
};

// A vertex of an outline or a point where an outline segment crosses a grid line.
struct OutlineCrossing {
    double x;
    double y;
    double z;
    double planZ;
    double distance;  // along the outline segment from its start vertex
    int32_t column;   // grid keys
    int32_t row;
    int32_t vertexClass;  // 0 crossing; vertex: 1 outside, 2 inside, 3 or 4 on the boundary
    int32_t screenColumn;
    int32_t screenRow;
    int32_t markerSize;
    int8_t offScreen;
};

struct PlanLine {
    std::string path;  // mesh file that supplied it
    int32_t first = 0;
    int32_t last = 0;  // 0 when it has no outline
    int32_t number = 0;
};

struct MeshAreaVertex {
    double x;
    double y;
    int32_t screenColumn;
    int32_t screenRow;
    int32_t offScreen;
};

constexpr int32_t kMaxPlanLines = 1000;
constexpr int32_t kMeshAreaPolygonEntries = 33;

// Mesh parameters.
extern double g_meshOriginX;
extern double g_meshOriginY;
extern double g_meshRotation;  // degrees
extern double g_meshLength;
extern double g_meshWidth;
extern double g_meshPitchLength;
extern double g_meshPitchWidth;
extern double g_meshVolumeZeroLimit;
extern int32_t g_meshColumns;
extern int32_t g_meshRows;
extern int32_t g_meshAreaDefined;
extern int32_t g_meshElevationsDone;
extern int32_t g_meshPlanDone;
extern int32_t g_meshVolumeDone;
extern int32_t g_meshSectionDirection;
extern int32_t g_meshAverageDigits;
extern int32_t g_meshVolumeDigits;
extern int32_t g_meshStationNameStyleV;
extern int32_t g_meshStationNameStyleH;
extern int32_t g_meshNodeCount;
extern std::string g_meshFilePath;
extern std::string g_meshVolumeFilePath;

// Node number = (row - 1) x g_meshColumns + column.
extern RecordBlock<MeshNode> g_meshNodes;

// Extra points of plus-stake stations prepared by the mesh sections (planZ carries the
// distance from the previous numbered station); exists only during that command.
extern RecordBlock<MeshNode> g_meshSectionBlock;
extern int32_t g_meshSectionPointCount;

extern RecordBlock<OutlineCrossing> g_outlineCrossings;
extern int32_t g_outlineCrossingCount;
extern int32_t g_outlineCrossingCapacity;
extern RecordBlock<OutlineCrossing> g_planCrossings;
extern int32_t g_planCrossingCount;
extern int32_t g_planCrossingCapacity;

extern PlanLine g_planLines[kMaxPlanLines + 1];
extern int32_t g_planLineCount;

// Calculation range; the last entry repeats the first.
extern MeshAreaVertex g_meshAreaPolygon[kMeshAreaPolygonEntries + 1];
extern int32_t g_meshAreaPolygonCount;

// Resize a mesh block to n records (plus 8192 spare bytes on first allocation): 0, or -1
// with the old block kept; n = 0 frees.
int32_t GrowMeshNodeBlock(int32_t n);
int32_t GrowOutlineCrossingBlock(int32_t n);
int32_t GrowPlanCrossingBlock(int32_t n);
int32_t GrowMeshSectionBlock(int32_t n);

// The mesh frame: a along the length axis, b along the width axis. At rotation 0 the
// length axis points north (+X) and the width axis east (+Y).
constexpr double kMeshDegreesToRadians = 0.017453292519943295;
struct MeshFrame {
    double originX = 0;
    double originY = 0;
    double cosT = 1;
    double sinT = 0;
    void ToMap(double a, double b, double* x, double* y) const {
        *x = originX + a * cosT + b * sinT;
        *y = originY - a * sinT + b * cosT;
    }
    void ToFrame(double x, double y, double* a, double* b) const {
        *a = (x - originX) * cosT - (y - originY) * sinT;
        *b = (x - originX) * sinT + (y - originY) * cosT;
    }
};
// The frame of the current mesh parameters.
MeshFrame CurrentMeshFrame();

// Node lines stop at the last whole pitch: trunc(extent / pitch) + 1 (0 for a pitch that
// is not positive or a count that would not fit).
int32_t MeshNodeLineCount(double extent, double pitch);

inline int32_t MeshNodeNumber(int32_t column, int32_t row) { return (row - 1) * g_meshColumns + column; }
// Column and row of a node number; 0 while no grid exists.
inline int32_t MeshNodeColumn(int32_t number) { return g_meshColumns > 0 ? (number - 1) % g_meshColumns + 1 : 0; }
inline int32_t MeshNodeRow(int32_t number) { return g_meshColumns > 0 ? (number - 1) / g_meshColumns + 1 : 0; }
// Map position of node (column, row) of the rectangular grid.
void MeshNodePosition(const MeshFrame& frame, int32_t column, int32_t row, double* x, double* y);

// Sizes the node block for a grid of columns x rows (n + n/2 records, zero-filled) and
// only then stores g_meshColumns, g_meshRows and g_meshNodeCount. -1 when memory runs out
// or the grid is empty or too large: block and counts stay as they were, and the caller
// shows kMeshMemoryMessage.
int32_t PrepareMeshNodeBlock(int32_t columns, int32_t rows);
extern const char* const kMeshMemoryMessage;

// Drops every plan and volume result: plan elevations back to the current ones, plan
// lines and plan crossings emptied, g_meshPlanDone 0.
void ResetMeshResults();

// Centre of every node's cell, half a pitch further along both axes (the last column
// and row get one too, outside the grid).
void CalcMeshCellCentres();

// A crossing of an outline with a grid line, looked up by its keys.
struct CrossingLookup {
    int32_t entry = 0;  // 0: none
    double x = 0;
    double y = 0;
    double z = 0;
    int32_t screenColumn = 0;
    int32_t screenRow = 0;
};
// First crossing (not a vertex) with these keys among entries 1..count; none when the list
// holds at most one entry.
CrossingLookup FindOutlineCrossing(int32_t rowKey, int32_t columnKey);
CrossingLookup FindPlanCrossing(int32_t rowKey, int32_t columnKey);

// The fixed tables have room for kMaxPlanLines plan lines and kMeshAreaPolygonEntries
// range entries. Each returns true when `count` entries fit, else shows a message and
// returns false.
bool PlanLineCountFits(int32_t count);
bool MeshAreaPolygonFits(int32_t entries);
extern const char* const kPlanLineLimitMessage;
extern const char* const kMeshAreaLimitMessage;

// A mesh line's number as its name part: style 0 "%d"; style 1 letters (1..26 A..Z, then
// two letters: 27 AA, 52 AZ, 53 BA).
std::string MeshLineName(int32_t n, int32_t style);
