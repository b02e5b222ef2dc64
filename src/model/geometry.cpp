#include "model/geometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kTiny = 1e-6;
constexpr double kSideLineMinLength = 1e-4;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kHalfPi = 1.5707963267948966;

double Distance(double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy);
}

// Containment of a point known to lie on the segment's line: by the segment's dominant
// axis, an end within the tolerance counting as inside.
bool OnSegmentPart(double x1, double y1, double x2, double y2, double px, double py,
                   double tolerance) {
    if (PointsCoincide(px, py, x1, y1, tolerance) || PointsCoincide(px, py, x2, y2, tolerance))
        return true;
    if (std::fabs(x2 - x1) >= std::fabs(y2 - y1)) return px >= MinOf(x1, x2) && px <= MaxOf(x1, x2);
    return py >= MinOf(y1, y2) && py <= MaxOf(y1, y2);
}

}  // namespace

int IntersectLines(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                   double y4, double* x, double* y) {
    const double dx12 = x2 - x1;
    const double dy12 = y2 - y1;
    const double dx34 = x4 - x3;
    const double dy34 = y4 - y3;
    const double det = dx12 * dy34 - dx34 * dy12;
    if (std::fabs(det) < kTiny) return kGeomDegenerate;
    const double o = dx12 * dy34;
    const double u = dx34 * dy12;
    *x = (dx12 * dx34 * (y1 - y3) - u * x1 + o * x3) / det;
    *y = (((x3 - x1) * dy12 + dx12 * y1) * dy34 - u * y3) / det;
    return kGeomOk;
}

int IntersectSegments(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                      double y4, int unbounded, double tolerance, double axisTolerance, double* x,
                      double* y, int* pointClass) {
    *x = x3;
    *y = y3;
    *pointClass = 1;
    if (PointsCoincide(x1, y1, x2, y2, tolerance) || PointsCoincide(x3, y3, x4, y4, tolerance))
        return kGeomDegenerate;
    if (!unbounded) {
        if (MaxOf(x1, x2) + tolerance < MinOf(x3, x4) - tolerance ||
            MaxOf(x3, x4) + tolerance < MinOf(x1, x2) - tolerance ||
            MaxOf(y1, y2) + tolerance < MinOf(y3, y4) - tolerance ||
            MaxOf(y3, y4) + tolerance < MinOf(y1, y2) - tolerance)
            return kGeomOk;
    }
    const double dx1 = std::fabs(x2 - x1);
    const double dy1 = std::fabs(y2 - y1);
    const double dx2 = std::fabs(x4 - x3);
    const double dy2 = std::fabs(y4 - y3);
    const double e = axisTolerance;
    if ((dx1 <= e && dx2 <= e) || (dy1 <= e && dy2 <= e)) return kGeomOk;
    double px;
    double py;
    if (dx1 <= e && dy2 <= e) {
        px = x1;
        py = y3;
    } else if (dy1 <= e && dx2 <= e) {
        px = x3;
        py = y1;
    } else if (IntersectLines(x1, y1, x2, y2, x3, y3, x4, y4, &px, &py) != kGeomOk) {
        return kGeomInnerFailed;
    }
    *x = px;
    *y = py;
    *pointClass = 0;
    if (unbounded) return kGeomOk;
    if (!OnSegmentPart(x1, y1, x2, y2, px, py, tolerance) ||
        !OnSegmentPart(x3, y3, x4, y4, px, py, tolerance))
        *pointClass = 1;
    return kGeomOk;
}

int AngleAtVertex(double x1, double y1, double x2, double y2, double x3, double y3,
                  double tolerance, double* signedAngle, double* fullAngle) {
    *signedAngle = 0;
    *fullAngle = 0;
    const double d12sq = (x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2);
    const double d23sq = (x3 - x2) * (x3 - x2) + (y3 - y2) * (y3 - y2);
    const double d13sq = (x3 - x1) * (x3 - x1) + (y3 - y1) * (y3 - y1);
    const double tolSq = tolerance * tolerance;
    if (d23sq <= tolSq || d12sq <= tolSq) return kGeomDegenerate;
    const double d12 = std::sqrt(d12sq);
    const double d23 = std::sqrt(d23sq);
    if (2 * d12 * d23 <= kTiny) return kGeomDegenerate;
    double c = (d12sq + d23sq - d13sq) / (2 * d12 * d23);
    if (c > 1) c = 1;
    if (c < -1) c = -1;
    double theta;
    if (std::fabs(std::fabs(c) - 1) <= kTiny)
        theta = c > 0 ? 0 : 180;
    else
        theta = (kHalfPi - std::atan(c / std::sqrt(1 - c * c))) * kDegreesPerRadian;
    const double s = (y1 * x2 - x1 * y2 + (y2 - y1) * x3 - (x2 - x1) * y3) / d12;
    if (s >= 0) {
        *signedAngle = theta;
        *fullAngle = theta;
    } else {
        *signedAngle = -theta;
        *fullAngle = 360 - theta;
    }
    return kGeomOk;
}

int PerpendicularFoot(double x1, double y1, double x2, double y2, double px, double py,
                      double* distance, double* footX, double* footY) {
    *distance = 0;
    *footX = px;
    *footY = py;
    const double length = Distance(x1, y1, x2, y2);
    if (length <= kTiny) return kGeomDegenerate;
    const double ux = (x2 - x1) / length;
    const double uy = (y2 - y1) / length;
    *distance = std::fabs(ux * (py - y1) - uy * (px - x1));
    const double t = ux * (px - x1) + uy * (py - y1);
    *footX = x1 + t * ux;
    *footY = y1 + t * uy;
    return kGeomOk;
}

int PointSideOfLine(double x1, double y1, double x2, double y2, double px, double py,
                    double tolerance, int* side) {
    *side = 0;
    const bool constantX = std::fabs(x1 - x2) <= kTiny;
    const bool constantY = std::fabs(y1 - y2) <= kTiny;
    // A line through a single point has no sides.
    if (constantX && constantY) return kGeomDegenerate;
    if (constantX) {
        if (y1 < y2) {
            if (px < x1 - tolerance) *side = 1;
            if (px > x1 + tolerance) *side = 2;
        } else {
            if (px > x1 + tolerance) *side = 1;
            if (px < x1 - tolerance) *side = 2;
        }
        return kGeomOk;
    }
    if (constantY) {
        if (x1 < x2) {
            if (py > y1 + tolerance) *side = 1;
            if (py < y1 - tolerance) *side = 2;
        } else {
            if (py < y1 - tolerance) *side = 1;
            if (py > y1 + tolerance) *side = 2;
        }
        return kGeomOk;
    }
    const double length = Distance(x1, y1, x2, y2);
    if (length < kSideLineMinLength) return kGeomDegenerate;
    const double s = ((x2 - x1) * (py - y1) - (y2 - y1) * (px - x1)) / length;
    if (s > tolerance) *side = 1;
    if (s < -tolerance) *side = 2;
    return kGeomOk;
}

int PolygonArea(const double* xs, const double* ys, int count, double* area, int* orientation) {
    *area = 0;
    *orientation = 1;
    if (count < 4) return kGeomDegenerate;
    double sum = 0;
    for (int i = 0; i + 1 < count; ++i) sum += (xs[i + 1] - xs[i]) * (ys[i] + ys[i + 1]) / 2;
    *area = std::fabs(sum);
    *orientation = sum > 0 ? 0 : 1;
    return kGeomOk;
}

int PointsCoincide(double x1, double y1, double x2, double y2, double tolerance) {
    const double dx = std::fabs(x1 - x2);
    const double dy = std::fabs(y1 - y2);
    if (dx > tolerance || dy > tolerance) return kGeomOk;
    if (dx + dy <= tolerance) return kGeomWithinTolerance;
    return dx * dx + dy * dy <= tolerance * tolerance ? kGeomWithinTolerance : kGeomOk;
}

int CircleThrough3Points(double x1, double y1, double x2, double y2, double x3, double y3,
                         double tolerance, double* centerX, double* centerY, double* radius) {
    *centerX = 0;
    *centerY = 0;
    *radius = 0;
    if (Distance(x1, y1, x2, y2) <= tolerance || Distance(x2, y2, x3, y3) <= tolerance ||
        Distance(x1, y1, x3, y3) <= tolerance)
        return kCircleCoincidentPoints;
    const double dx12 = x2 - x1;
    const double dx23 = x3 - x2;
    // A chord along the Y axis has no slope; the determinant catches both chords so.
    if (dx12 != 0 && dx23 != 0 && std::fabs((y2 - y1) / dx12 - (y3 - y2) / dx23) <= kTiny)
        return kCircleCollinear;
    const double det = (x1 - x2) * (y2 - y3) - (y1 - y2) * (x2 - x3);
    if (det == 0) return kCircleCollinear;
    const double k = 1 / det;
    const double w = x1 * x1 - x2 * x2 + y1 * y1 - y2 * y2;
    const double t = x2 * x2 - x3 * x3 + y2 * y2 - y3 * y3;
    const double e = k * ((x2 - x3) * w - (x1 - x2) * t);
    const double d = k * ((y1 - y2) * t - (y2 - y3) * w);
    const double f = -(x1 * x1 + y1 * y1 + d * x1 + e * y1);
    const double disc = d * d + e * e - 4 * f;
    // Overflow from nearly collinear points: a circle too large to hold.
    if (!std::isfinite(disc)) return kCircleCollinear;
    if (disc < 0) return kCircleNoSolution;
    *centerX = -d / 2;
    *centerY = -e / 2;
    *radius = std::sqrt(disc) / 2;
    return kGeomOk;
}

int UnitVector3D(const Point3D& a, const Point3D& b, double tolerance, Point3D* unit,
                 double* length) {
    *unit = {0, 0, 0, 0};
    *length = 0;
    const double dx = b[1] - a[1];
    const double dy = b[2] - a[2];
    const double dz = b[3] - a[3];
    const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(len >= tolerance) || len == 0) return kGeomDegenerate;
    *unit = {0, dx / len, dy / len, dz / len};
    *length = len;
    return kGeomOk;
}

int PlaneFrom3Points(const PointTriple3D& points, double lengthTolerance, double collinearTolerance,
                     PlaneCoefficients* plane) {
    const auto& p = points;
    const double vx = p[1][2] - p[1][1], vy = p[2][2] - p[2][1], vz = p[3][2] - p[3][1];
    const double wx = p[1][3] - p[1][1], wy = p[2][3] - p[2][1], wz = p[3][3] - p[3][1];
    const double lv = std::sqrt(vx * vx + vy * vy + vz * vz);
    const double lw = std::sqrt(wx * wx + wy * wy + wz * wz);
    if (lv < lengthTolerance || lw < lengthTolerance) return kGeomDegenerate;
    const double dot = vx * wx + vy * wy + vz * wz;
    if (std::fabs(std::fabs(dot) - lv * lw) < collinearTolerance) return kGeomDegenerate;
    const double nx = vy * wz - vz * wy;
    const double ny = vz * wx - vx * wz;
    const double nz = vx * wy - vy * wx;
    const double ln = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(ln > 0) || !std::isfinite(ln)) return kGeomDegenerate;
    const double a = nx / ln, b = ny / ln, c = nz / ln;
    (*plane)[1] = a;
    (*plane)[2] = b;
    (*plane)[3] = c;
    (*plane)[4] = -(a * p[1][1] + b * p[2][1] + c * p[3][1]);
    return kGeomOk;
}

int IntersectLinePlane(const Point3D& a, const Point3D& b, const PlaneCoefficients& plane,
                       double lengthTolerance, double parallelTolerance, Point3D* point) {
    *point = {0, 0, 0, 0};
    const double na = plane[1], nb = plane[2], nc = plane[3], nd = plane[4];
    if (na * na + nb * nb + nc * nc - 1 > kTiny) return kGeomNormalNotUnit;
    Point3D u;
    double length;
    if (UnitVector3D(a, b, lengthTolerance, &u, &length) != kGeomOk) return kGeomDegenerate;
    const double h = u[1] * na + u[2] * nb + u[3] * nc;
    if (!(std::fabs(h) >= parallelTolerance) || h == 0) return kGeomParallelToPlane;
    const double t = -(na * a[1] + nb * a[2] + nc * a[3] + nd) / h;
    *point = {0, a[1] + t * u[1], a[2] + t * u[2], a[3] + t * u[3]};
    return kGeomOk;
}

double MaxOf(double a, double b) { return a > b ? a : b; }

double MinOf(double a, double b) { return a < b ? a : b; }

double ConvertDegreesDms(double value, int type) {
    if (!std::isfinite(value) || (type != 1 && type != 2)) return value;
    const double sign = value < 0 ? -1 : 1;
    const double v = std::fabs(value);
    if (type == 1) {
        double d = std::floor(v);
        double m = std::floor((v - d) * 60);
        double s = std::floor((v - d - m / 60) * 3600 + 0.5);
        if (s >= 60) {
            m += 1;
            s -= 60;
        }
        if (m >= 60) {
            d += 1;
            m -= 60;
        }
        return sign * (d + m * 0.01 + s * 0.0001);
    }
    // Minutes and seconds are the first four decimals as printed. The degrees come from
    // the same printed text, so a value that rounds up (35.99999 -> "36.0000") keeps its
    // degrees, and any number of integer digits is read.
    char text[400];
    std::snprintf(text, sizeof text, "%.4f", v);
    char* point = std::strchr(text, '.');
    if (point == nullptr || std::strlen(point) < 5) return value;
    const int minutes = (point[1] - '0') * 10 + (point[2] - '0');
    const int seconds = (point[3] - '0') * 10 + (point[4] - '0');
    *point = '\0';
    const double degrees = std::strtod(text, nullptr);
    return sign * (degrees + minutes / 60.0 + seconds / 3600.0);
}

int PointToSegment(double x1, double y1, double x2, double y2, double px, double py,
                   double tolerance, double* distance, double* footX, double* footY,
                   int* pointClass) {
    *distance = 0;
    *footX = px;
    *footY = py;
    *pointClass = 0;
    if (PointsCoincide(x1, y1, x2, y2, tolerance)) return kGeomDegenerate;
    double dist;
    double fx;
    double fy;
    int cls = 0;
    if (std::fabs(x2 - x1) <= kTiny) {
        dist = std::fabs(px - x1);
        fx = x1;
        fy = py;
        if (MinOf(y1, y2) + tolerance < py && py < MaxOf(y1, y2) - tolerance)
            cls = 2;
        else if (std::fabs(py - y1) <= tolerance || std::fabs(py - y2) <= tolerance)
            cls = 1;
    } else if (std::fabs(y2 - y1) <= kTiny) {
        dist = std::fabs(py - y1);
        fx = px;
        fy = y1;
        if (MinOf(x1, x2) + tolerance < px && px < MaxOf(x1, x2) - tolerance)
            cls = 2;
        else if (std::fabs(px - x1) <= tolerance || std::fabs(px - x2) <= tolerance)
            cls = 1;
    } else {
        if (PerpendicularFoot(x1, y1, x2, y2, px, py, &dist, &fx, &fy) != kGeomOk)
            return kGeomInnerFailed;
        if (PointsCoincide(fx, fy, x1, y1, tolerance) || PointsCoincide(fx, fy, x2, y2, tolerance))
            cls = 1;
        else if (std::fabs(x2 - x1) >= std::fabs(y2 - y1)
                     ? fx >= MinOf(x1, x2) && fx <= MaxOf(x1, x2)
                     : fy >= MinOf(y1, y2) && fy <= MaxOf(y1, y2))
            cls = 2;
    }
    *pointClass = cls;
    if (dist <= tolerance) return kGeomWithinTolerance;
    *distance = dist;
    *footX = fx;
    *footY = fy;
    return kGeomOk;
}

int OffsetSegment(double x1, double y1, double x2, double y2, double d, double tolerance,
                  double* newX1, double* newY1, double* newX2, double* newY2) {
    *newX1 = x1;
    *newY1 = y1;
    *newX2 = x2;
    *newY2 = y2;
    if (PointsCoincide(x1, y1, x2, y2, tolerance)) return kGeomDegenerate;
    if (std::fabs(x1 - x2) <= tolerance) {
        const double x = y1 >= y2 ? x1 - d : x1 + d;
        *newX1 = x;
        *newX2 = x;
    } else if (std::fabs(y1 - y2) <= tolerance) {
        const double y = x1 >= x2 ? y1 + d : y1 - d;
        *newY1 = y;
        *newY2 = y;
    } else {
        const double length = Distance(x1, y1, x2, y2);
        const double ox = d * (y2 - y1) / length;
        const double oy = -d * (x2 - x1) / length;
        *newX1 = x1 + ox;
        *newY1 = y1 + oy;
        *newX2 = x2 + ox;
        *newY2 = y2 + oy;
    }
    return kGeomOk;
}

int ClassifyPointInPolygon(int mode, const double* xs, const double* ys, int count, double px,
                           double py, double tolerance, int* pointClass) {
    *pointClass = 0;
    if (count < 4) return kGeomWithinTolerance;
    if (mode != 0 && mode != 1) return kGeomBadMode;
    double minX = xs[0], maxX = xs[0], minY = ys[0], maxY = ys[0];
    for (int i = 1; i < count; ++i) {
        minX = MinOf(minX, xs[i]);
        maxX = MaxOf(maxX, xs[i]);
        minY = MinOf(minY, ys[i]);
        maxY = MaxOf(maxY, ys[i]);
    }
    if (px < minX - tolerance || px > maxX + tolerance || py < minY - tolerance ||
        py > maxY + tolerance) {
        *pointClass = kPolygonOutside;
        return kGeomOk;
    }
    double sum = 0;
    for (int i = 0; i + 1 < count; ++i) {
        double distance, fx, fy;
        int edgeClass;
        const int rc = PointToSegment(xs[i], ys[i], xs[i + 1], ys[i + 1], px, py, tolerance,
                                      &distance, &fx, &fy, &edgeClass);
        if (rc == kGeomWithinTolerance) {
            if (edgeClass == 1) {
                *pointClass = kPolygonOnVertex;
                return kGeomOk;
            }
            if (edgeClass == 2) {
                *pointClass = kPolygonOnEdge;
                return kGeomOk;
            }
            // On the edge's line beyond its ends: not on the boundary; both vertices lie
            // on one ray from P, so the edge adds an angle of 0 to the sum.
        } else if (rc != kGeomOk) {
            return kGeomInnerFailed;
        }
        double signedAngle, fullAngle;
        if (AngleAtVertex(xs[i], ys[i], px, py, xs[i + 1], ys[i + 1], tolerance, &signedAngle,
                          &fullAngle) != kGeomOk)
            return kGeomInnerFailed;
        sum += signedAngle;
    }
    *pointClass = std::fabs(sum) >= 180 ? kPolygonInside : kPolygonOutside;
    return kGeomOk;
}

int TriangleArea(double x1, double y1, double x2, double y2, double px, double py, double tolerance,
                 double* area) {
    *area = 0;
    const double base = Distance(x1, y1, x2, y2);
    if (base <= tolerance) return kGeomDegenerate;
    double distance, fx, fy;
    int cls;
    if (PointToSegment(x1, y1, x2, y2, px, py, tolerance, &distance, &fx, &fy, &cls) != kGeomOk)
        return kGeomDegenerate;
    *area = distance * base / 2;
    return kGeomOk;
}
