#pragma once
// The mesh rectangle as the user edits it: the six drag handles, the default calculation
// range and the fields of the mesh area dialog.
#include <cstdint>
#include <string>

// Origin, length, width and rotation (radians) of the mesh rectangle. A point at a along
// the length axis and b along the width axis lies at X = X0 + a cos t + b sin t,
// Y = Y0 - a sin t + b cos t (X north).
struct MeshRectangle {
    double originX = 0;
    double originY = 0;
    double length = 0;
    double width = 0;
    double rotation = 0;
};
MeshRectangle CurrentMeshRectangle();

// Handle codes of the rectangle drag.
constexpr int32_t kMeshHandleOrigin = 16;
constexpr int32_t kMeshHandleWidthCorner = 32;
constexpr int32_t kMeshHandleFarCorner = 48;
constexpr int32_t kMeshHandleLengthCorner = 64;
constexpr int32_t kMeshHandleLengthSide = 80;  // midpoint of the far length side
constexpr int32_t kMeshHandleWidthSide = 96;   // midpoint of the far width side

// The rectangle after dragging handle `code` to (x, y); 0 or an unknown code changes
// nothing, nor does a cursor within 0.001 m of the handle's reference point.
MeshRectangle DragMeshHandle(MeshRectangle r, int32_t code, double x, double y);

// The six handle points in the order origin, width corner, far corner, length corner,
// midpoint of the far length side, midpoint of the far width side (ground X, Y).
struct MeshHandlePoints {
    double x[6];
    double y[6];
};
MeshHandlePoints MeshCornerPoints(const MeshRectangle& r);

// Stores origin, length, width and the rotation (in degrees, in [0, 360)).
void StoreMeshRectangle(const MeshRectangle& r);

// The default calculation range: 17 vertices round the whole rectangle, each side in
// quarters, the last repeating the first. Does not project.
void BuildDefaultMeshAreaPolygon();

// The mesh area from a dragged line: origin at its start, the width axis along it, length
// and width the drag length, pitches 20. False (nothing changed) below 1 m.
bool DefineMeshAreaFromLine(double x0, double y0, double x1, double y1);

// The fields of "メッシュエリア設定" by control id (1032 origin X, 1033 origin Y, 1035
// rotation, 1038 direction angle, 1036 length, 1037 width, 1039 and 1040 the pitches).
std::string MeshAreaFieldText(int32_t control);
// Takes what the user typed into a field; false when it is refused (the value stays).
bool SetMeshAreaField(int32_t control, const std::string& text);
// Azimuth of the width axis, clockwise from north, in degrees in [0, 360).
double MeshDirectionAngle();
