#include "volume/mesh_area.h"

#include <cmath>

#include "model/geometry.h"
#include "model/numeric_text.h"
#include "platform/text_io.h"
#include "volume/mesh_data.h"

namespace {
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kNearReference = 0.001;

bool Near(double x, double y, double rx, double ry) { return std::hypot(x - rx, y - ry) < kNearReference; }

void SetVertex(int32_t i, double x, double y) {
    g_meshAreaPolygon[i].x = x;
    g_meshAreaPolygon[i].y = y;
}

void Midpoint(int32_t i, int32_t a, int32_t b) {
    SetVertex(i, (g_meshAreaPolygon[a].x + g_meshAreaPolygon[b].x) / 2,
              (g_meshAreaPolygon[a].y + g_meshAreaPolygon[b].y) / 2);
}

}  // namespace

MeshRectangle CurrentMeshRectangle() {
    return MeshRectangle{g_meshOriginX, g_meshOriginY, g_meshLength, g_meshWidth,
                         g_meshRotation / kDegreesPerRadian};
}

MeshRectangle DragMeshHandle(MeshRectangle r, int32_t code, double x, double y) {
    const double c = std::cos(r.rotation), s = std::sin(r.rotation);
    const double dx = x - r.originX, dy = y - r.originY;
    switch (code) {
        case kMeshHandleOrigin:
            r.originX = x;
            r.originY = y;
            break;
        case kMeshHandleWidthCorner:
            if (!Near(x, y, r.originX, r.originY)) r.rotation = std::atan2(dx, dy);
            break;
        case kMeshHandleLengthCorner:
            if (!Near(x, y, r.originX, r.originY)) r.rotation = std::atan2(dx, dy) - M_PI / 2;
            break;
        case kMeshHandleFarCorner:
            if (!Near(x, y, r.originX, r.originY)) {
                r.width = std::fabs(dx * s + dy * c);
                r.length = std::fabs(dx * c - dy * s);
            }
            break;
        case kMeshHandleLengthSide: {
            const double mx = r.originX + c * r.length / 2, my = r.originY - s * r.length / 2;
            if (!Near(x, y, mx, my)) r.width = std::hypot(x - mx, y - my);
            break;
        }
        case kMeshHandleWidthSide: {
            const double mx = r.originX + s * r.width / 2, my = r.originY + c * r.width / 2;
            if (!Near(x, y, mx, my)) r.length = std::hypot(x - mx, y - my);
            break;
        }
        default:
            break;
    }
    return r;
}

MeshHandlePoints MeshCornerPoints(const MeshRectangle& r) {
    const double c = std::cos(r.rotation), s = std::sin(r.rotation);
    MeshHandlePoints p{};
    auto at = [&](int i, double a, double b) {
        p.x[i] = r.originX + a * c + b * s;
        p.y[i] = r.originY - a * s + b * c;
    };
    at(0, 0, 0);
    at(1, 0, r.width);
    at(2, r.length, r.width);
    at(3, r.length, 0);
    at(4, r.length / 2, r.width);
    at(5, r.length, r.width / 2);
    return p;
}

void StoreMeshRectangle(const MeshRectangle& r) {
    g_meshOriginX = r.originX;
    g_meshOriginY = r.originY;
    g_meshLength = r.length;
    g_meshWidth = r.width;
    double t = r.rotation;
    if (t < 0) t += 2 * M_PI;
    g_meshRotation = t * kDegreesPerRadian;
}

void BuildDefaultMeshAreaPolygon() {
    const MeshHandlePoints p = MeshCornerPoints(CurrentMeshRectangle());
    SetVertex(1, p.x[0], p.y[0]);
    SetVertex(5, p.x[1], p.y[1]);
    SetVertex(9, p.x[2], p.y[2]);
    SetVertex(13, p.x[3], p.y[3]);
    SetVertex(17, p.x[0], p.y[0]);
    for (int32_t corner = 1; corner < 17; corner += 4) {
        Midpoint(corner + 2, corner, corner + 4);
        Midpoint(corner + 1, corner, corner + 2);
        Midpoint(corner + 3, corner + 2, corner + 4);
    }
    g_meshAreaPolygonCount = 17;
}

bool DefineMeshAreaFromLine(double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double length = std::hypot(dx, dy);
    if (!(length >= 1)) return false;
    double t = std::atan2(dx, dy) * kDegreesPerRadian;
    if (t < 0) t += 360;
    if (t >= 360) t -= 360;
    g_meshOriginX = x0;
    g_meshOriginY = y0;
    g_meshRotation = t;
    g_meshLength = g_meshWidth = length;
    g_meshPitchLength = g_meshPitchWidth = 20;
    g_meshAreaDefined = 1;
    return true;
}

double MeshDirectionAngle() {
    const double width = g_meshWidth < 0.001 ? 10 : g_meshWidth;
    const double t = g_meshRotation / kDegreesPerRadian;
    double signedAngle = 0, fullAngle = 0;
    AngleAtVertex(g_meshOriginX + 10, g_meshOriginY, g_meshOriginX, g_meshOriginY,
                  g_meshOriginX + width * std::sin(t), g_meshOriginY + width * std::cos(t), 0,
                  &signedAngle, &fullAngle);
    return fullAngle;
}

std::string MeshAreaFieldText(int32_t control) {
    switch (control) {
        case 1032:
            return FormatString("%.3f", g_meshOriginX);
        case 1033:
            return FormatString("%.3f", g_meshOriginY);
        case 1035:
            return FormatString("%.4f", ConvertDegreesDms(g_meshRotation, 1));
        case 1038:
            return FormatString("%.4f", ConvertDegreesDms(MeshDirectionAngle(), 1));
        case 1036:
            return FormatString("%.3f", g_meshLength);
        case 1037:
            return FormatString("%.3f", g_meshWidth);
        case 1039:
            return FormatString("%.3f", g_meshPitchLength);
        case 1040:
            return FormatString("%.3f", g_meshPitchWidth);
        default:
            return {};
    }
}

bool SetMeshAreaField(int32_t control, const std::string& text) {
    double v = 0;
    if (!ParseDialogNumber(text, &v)) return false;
    switch (control) {
        case 1032:
            g_meshOriginX = v;
            return true;
        case 1033:
            g_meshOriginY = v;
            return true;
        case 1035:
            g_meshRotation = ConvertDegreesDms(v, 2);
            return true;
        case 1038: {
            const double g = ConvertDegreesDms(v, 2) / kDegreesPerRadian;
            double t = std::atan2(g_meshWidth * std::cos(g), g_meshWidth * std::sin(g));
            if (t < 0) t += 2 * M_PI;
            g_meshRotation = t * kDegreesPerRadian;
            return true;
        }
        case 1036:
        case 1037:
        case 1039:
        case 1040: {
            if (!(v > 0)) return false;
            double* fields[] = {&g_meshLength, &g_meshWidth, &g_meshPitchLength, &g_meshPitchWidth};
            const int index = control == 1036 ? 0 : control == 1037 ? 1 : control == 1039 ? 2 : 3;
            *fields[index] = v;
            return true;
        }
        default:
            return false;
    }
}
