#pragma once
// New points around a base point picked with the offset tool: one point at a direction
// and distance, or a circle or a square of points (optionally with a second, larger or
// smaller ring of bottom or top points), each group with its own elevation rule.
#include <cstdint>
#include <string>

// What the offset dialog exchanges; one instance lives for the whole run of the program.
struct OffsetPointValues {
    int32_t registration = 0;  // 0 one point, 1 polygon
    double direction = 0;      // from north, D.MMSS
    double distance = 0;
    int32_t elevationMethod = 0;  // 0 height difference, 1 gradient %, 2 given, 3 TIN
    double elevationValue = 0;
    int32_t polygonKind = 0;  // 0 circle, 1 square
    int32_t circleDivisions = 0;
    int32_t squareDivisions = 0;  // points per side
    double size = 0;              // diameter or width
    int32_t bottomTop = 0;        // 1 creates the bottom/top ring
    double move = 0;              // radial offset of that ring
    int32_t bottomMethod = 0;
    double bottomValue = 0;
    int32_t retireBase = 0;            // 1 makes the base point invalid after a polygon
    bool bottomTopSwitchedOn = false;  // the first opening has switched the ring on
};
extern OffsetPointValues g_offsetPointDlg;
// The name of the new points (CP932, the first 11 bytes count).
extern std::string g_offsetDlgName;

// What an opening starts from: the ring on at the first opening, out-of-range members
// reset, the name from the new-point settings.
void InitOffsetPointDialog(OffsetPointValues& v);

enum OffsetPointResult : int32_t {
    kOffsetStayOpen = 0,      // a value is missing or the memory ran out: told, nothing kept
    kOffsetClosed = 1,        // the polygon was answered, or nothing could be reserved
    kOffsetEditNewPoint = 2,  // one point reserved: the point edit dialog decides on it
};
// 座標計算 on the base point g_editPoint.
int32_t ComputeOffsetPoints(OffsetPointValues& v);

// The elevation of a new point by a rule (0 height difference, 1 gradient %, 2 given, 3 TIN
// with 0 off it), r being its distance from the base at elevation baseZ.
double OffsetElevation(int32_t method, double value, double r, double baseZ, double x, double y);

// The offset tool's release: base point g_pickedPoint (picked at the press); dragged: the
// release lay more than 9 pixels away, giving direction and distance.
void OnClickOffsetMode(int32_t flags, int32_t x, int32_t y, int32_t dragged);
