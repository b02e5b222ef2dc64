#pragma once
// Plane and solid geometry on survey coordinates (X north, Y east).
//
// Every routine takes its inputs by value, writes its outputs through pointers and
// returns a result code. Outputs with a start value are set to it before any test, so a
// failing call leaves that value. Nothing here keeps state or allocates.
#include <array>

// Result codes.
constexpr int kGeomOk = 0;
constexpr int kGeomWithinTolerance = 4;  // also: too few polygon entries
constexpr int kGeomBadMode = 5;
constexpr int kGeomDegenerate = 8;
constexpr int kGeomParallelToPlane = 9;
constexpr int kGeomInnerFailed = 12;
constexpr int kGeomNormalNotUnit = 103;
// CircleThrough3Points only.
constexpr int kCircleCoincidentPoints = 1;
constexpr int kCircleCollinear = 2;
constexpr int kCircleNoSolution = 3;

// Classes of ClassifyPointInPolygon.
constexpr int kPolygonOutside = 1;
constexpr int kPolygonInside = 2;
constexpr int kPolygonOnEdge = 3;
constexpr int kPolygonOnVertex = 4;

// 1-based: [1], [2], [3] are X, Y, Z; [0] is unused.
using Point3D = std::array<double, 4>;
// a, b, c, d of a*X + b*Y + c*Z + d = 0 in [1]..[4], (a, b, c) a unit normal; [0] unused.
using PlaneCoefficients = std::array<double, 5>;
// [coordinate 1..3][point 1..3]; row 0 and column 0 unused.
using PointTriple3D = std::array<std::array<double, 4>, 4>;

// Intersection of the infinite lines P1-P2 and P3-P4. 8 when the (unnormalised)
// determinant is below 1e-6; X, Y are then not written.
int IntersectLines(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                   double y4, double* x, double* y);

// Intersection of the segments P1-P2 and P3-P4 (of the lines when unbounded != 0).
// X, Y start as P3, class as 1; class 0 when they meet. 8 for a degenerate segment,
// 12 for parallel lines. axisTolerance decides when a segment counts as axis-parallel.
int IntersectSegments(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                      double y4, int unbounded, double tolerance, double axisTolerance, double* x,
                      double* y, int* pointClass);

// Angle at P2 from ray P2->P1 to ray P2->P3, turning +X into +Y (clockwise on the map):
// full angle in [0, 360), signed angle in (-180, 180]. Both start at 0.
int AngleAtVertex(double x1, double y1, double x2, double y2, double x3, double y3,
                  double tolerance, double* signedAngle, double* fullAngle);

// Unsigned distance from P to the line P1-P2 and the foot of the perpendicular.
// Distance starts at 0, the foot at P.
int PerpendicularFoot(double x1, double y1, double x2, double y2, double px, double py,
                      double* distance, double* footX, double* footY);

// Side of P against the directed line P1->P2: 1 right (east of a line running north),
// 2 left, 0 within the tolerance. Starts at 0.
int PointSideOfLine(double x1, double y1, double x2, double y2, double px, double py,
                    double tolerance, int* side);

// Trapezoid area of a closed polygon given as count entries (0..count-1, the last
// repeating the first). Orientation 0 when the sum is positive (counterclockwise on the
// map), else 1. Area starts at 0, orientation at 1; 8 when count < 4.
int PolygonArea(const double* xs, const double* ys, int count, double* area, int* orientation);

// 4 when P1 and P2 lie within the tolerance of each other, else 0.
int PointsCoincide(double x1, double y1, double x2, double y2, double tolerance);

// Circle through three points; centre and radius start at 0. 1 when two points coincide,
// 2 when the points are collinear, 3 when there is no real circle.
int CircleThrough3Points(double x1, double y1, double x2, double y2, double x3, double y3,
                         double tolerance, double* centerX, double* centerY, double* radius);

// (B - A) / |B - A|; unit vector and length start at 0. 8 when shorter than the tolerance.
int UnitVector3D(const Point3D& a, const Point3D& b, double tolerance, Point3D* unit,
                 double* length);

// Plane through three points with a unit normal; not written on failure (8).
int PlaneFrom3Points(const PointTriple3D& points, double lengthTolerance, double collinearTolerance,
                     PlaneCoefficients* plane);

// Intersection of the line A-B with the plane; starts at (0, 0, 0). 103 when the normal
// is longer than unit, 8 for a degenerate line, 9 when the line is parallel to the plane.
int IntersectLinePlane(const Point3D& a, const Point3D& b, const PlaneCoefficients& plane,
                       double lengthTolerance, double parallelTolerance, Point3D* point);

// The larger / smaller value; the second one when they are equal.
double MaxOf(double a, double b);
double MinOf(double a, double b);

// Type 1: decimal degrees to D.MMSS (whole seconds). Type 2: D.MMSS to decimal degrees.
// The sign is kept. Another type returns the value unchanged.
double ConvertDegreesDms(double value, int type);

// Distance from P to the segment and the foot of the perpendicular. Class 2 when the
// foot lies on the segment, 1 at an end, 0 beyond it. Distance starts at 0, the foot at
// P, the class at 0. 4 when P lies on the line within the tolerance (distance 0, foot P).
int PointToSegment(double x1, double y1, double x2, double y2, double px, double py,
                   double tolerance, double* distance, double* footX, double* footY,
                   int* pointClass);

// Moves the segment sideways by d; positive d to the left of P1->P2 on the map (west
// of a segment running north). The outputs start as the inputs.
int OffsetSegment(double x1, double y1, double x2, double y2, double d, double tolerance,
                  double* newX1, double* newY1, double* newX2, double* newY2);

// Class of P against a closed polygon of count entries (last = first): kPolygonOutside,
// kPolygonInside, kPolygonOnEdge or kPolygonOnVertex; starts at 0. Result 4 when count < 4,
// 5 for a mode other than 0 or 1 (both modes behave alike), 12 when an edge is degenerate.
int ClassifyPointInPolygon(int mode, const double* xs, const double* ys, int count, double px,
                           double py, double tolerance, int* pointClass);

// Area of the triangle with base P1-P2 and apex P; starts at 0. 8 when degenerate.
int TriangleArea(double x1, double y1, double x2, double y2, double px, double py, double tolerance,
                 double* area);
