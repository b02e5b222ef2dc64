#include "section/section_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "route/route_data.h"
#include "section/section_records.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/line_3d.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {

constexpr int kSectionLineColor = 46;
constexpr int kSectionLabelColor = 58;

std::string_view FieldText(const char* field) { return {field, strnlen(field, kSectionNameBytes)}; }

// Arbitrary sections (stations of kind -1) stand each on its own: no centre line joins
// them.
bool StationsFormOneRoute() {
    if (g_stations == nullptr) return true;
    const int32_t n = std::min(g_stationCount, std::max(g_stationsBlock.Size() - 1, 0));
    for (int32_t i = 1; i <= n; ++i)
        if (g_stations[i].kind == -1) return false;
    return true;
}

// One side as a polyline out from the centre (or, for an estimated centre, from the first
// point: that centre is no ground).
void DrawSide(const CrossSection& s, bool right, int32_t count) {
    double x = s.centreX, y = s.centreY, z = s.height;
    int32_t j = 1;
    if (s.centreEstimated != 0 && count > 0) {
        const SectionPoint& p = s.points[1];
        x = right ? p.rightX : p.leftX, y = right ? p.rightY : p.leftY, z = right ? p.rightHeight : p.leftHeight;
        j = 2;
    }
    for (; j <= count; ++j) {
        const SectionPoint& p = s.points[j];
        const double nx = right ? p.rightX : p.leftX, ny = right ? p.rightY : p.leftY;
        const double nz = right ? p.rightHeight : p.leftHeight;
        DrawLine3D(x, y, z, nx, ny, nz);
        x = nx, y = ny, z = nz;
    }
}

}  // namespace

void DrawCrossSections3D() {
    if (!g_birdsEyeOn || g_crossSections.empty()) return;
    const bool join = StationsFormOneRoute();
    bool havePrevious = false;
    double px = 0, py = 0, pz = 0;
    for (int32_t n = 1; n <= g_crossSectionCount; ++n) {
        const CrossSection* s = GetCrossSection(n);
        if (s == nullptr) break;
        const int32_t entries = static_cast<int32_t>(s->points.size()) - 1;
        const int32_t left = std::clamp(s->leftCount, 0, std::max(entries, 0));
        const int32_t right = std::clamp(s->rightCount, 0, std::max(entries, 0));
        if (left == 0 && right == 0 && !(std::fabs(s->height) >= 0.001)) continue;
        g_lineColor = g_colorTable[kSectionLineColor];
        DrawSide(*s, false, left);
        DrawSide(*s, true, right);
        if (join && havePrevious) DrawLine3D(px, py, pz, s->centreX, s->centreY, s->height);
        px = s->centreX, py = s->centreY, pz = s->height, havePrevious = true;
        if (!g_showIpNames) continue;
        g_lineColor = g_colorTable[kSectionLabelColor];
        DrawLabel3D(s->centreX, s->centreY, s->height, FieldText(s->name));
        for (int32_t j = 1; j <= std::max(left, right); ++j) {
            const SectionPoint& p = s->points[j];
            if (j <= left && p.leftNamed == 1) DrawLabel3D(p.leftX, p.leftY, p.leftHeight, FieldText(p.leftName));
            if (j <= right && p.rightNamed == 1)
                DrawLabel3D(p.rightX, p.rightY, p.rightHeight, FieldText(p.rightName));
        }
    }
}

void InstallCrossSectionLayer() { g_painterLayers.crossSections3D = DrawCrossSections3D; }
