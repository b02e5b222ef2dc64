#include "model/numeric_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "model/geometry.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"

void IntersectLines2(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                     double y4, int* found, int* parallel, double* x, double* y) {
    *found = 0;
    *parallel = 0;
    const double r = (x4 - x3) * (y2 - y1) - (x2 - x1) * (y4 - y3);
    if (std::fabs(r) < 1e-6) {
        *parallel = 1;
        return;
    }
    const double s = ((x4 - x3) * (y3 - y1) - (y4 - y3) * (x3 - x1)) / r;
    const double t = ((x2 - x1) * (y3 - y1) - (y2 - y1) * (x3 - x1)) / r;
    if (s < -0.001 || s > 1.001 || t < -0.001 || t > 1.001) return;
    *x = x1 + (x2 - x1) * s;
    *y = y1 + (y2 - y1) * s;
    *found = 1;
}

double RoundToDecimals(double value, int n) {
    const double sign = value < 0 ? -1 : 1;
    const double scale = std::pow(10.0, n);
    return sign * std::floor(std::fabs(value) * scale + 0.500000001) / scale;
}

int PolygonAreaTrapezoid(const double* xs, const double* ys, int count, double* area,
                         int* orientation) {
    return PolygonArea(xs + 1, ys + 1, count, area, orientation);
}

namespace {
// The delimiter found by the last call, or nullptr when that call reached the end.
char* g_tokenPosition = nullptr;
}  // namespace

char* TokenizeText(char* text, const char* delimiter) {
    char* start;
    if (text != nullptr) {
        start = text;
    } else {
        if (g_tokenPosition == nullptr) return nullptr;
        start = g_tokenPosition + 1;
    }
    const char delim = delimiter != nullptr ? delimiter[0] : '\0';
    char* p = start;
    while (*p != '\0' && *p != delim) {
        // A lead byte cut off by the end of the text must not carry the scan past it.
        if (IsCp932LeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ++p;
        ++p;
    }
    g_tokenPosition = *p != '\0' ? p : nullptr;
    *p = '\0';
    return start;
}

void MarkHoleVertices() {
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].scratch = 0;
    for (int32_t k = 1; k <= g_tinEdgeCount; ++k) {
        TinEdge& e = g_tinEdges[k];
        e.state = 0;
        // An end outside the point range (damaged data) marks nothing.
        for (const int32_t end : {e.a, e.b})
            if (end < 0 && end >= -g_pointCount) g_points[-end].scratch = 1;
    }
}

bool ParseDialogNumber(const std::string& text, double* value) {
    const char* s = text.c_str();
    while (*s == ' ' || *s == '\t') ++s;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s, &end);
    if (end == s || errno == ERANGE || !std::isfinite(v)) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return false;
    *value = v;
    return true;
}
