// Points (and vector elements) from the traced line, and taking the last generation back.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "dxf/dxf_store.h"
#include "dxf/vector_editor.h"
#include "image/raster_trace.h"
#include "image/raster_tracer.h"
#include "model/terrain_data.h"
#include "pointedit/edit_point.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

// More points than this in one generation is a mistyped interval, not a survey.
constexpr double kMaxGeneratedPoints = 5'000'000;

DxfElement* Elements() { return g_dxfElementsBlock.Data(); }

}  // namespace

double CRasterTraceDlg::ElevationAt(double s, double length) const {
    return g_traceLevel + (endLevel - g_traceLevel) * s / length;
}

// Room for `need` more points and, with DXF creation, elements. False when the points
// cannot have it; a store that cannot grow turns DXF creation off (with its message).
bool CRasterTraceDlg::MakeRoom(int32_t need) {
    if (g_pointCapacity - g_pointCount < need + 32) {
        const int32_t old = g_pointCapacity;
        const int64_t wanted = int64_t{old} + need + 10000;
        if (wanted > INT32_MAX || GrowPointBlock(static_cast<int32_t>(wanted)) != 0) {
            g_pointCapacity = old;
            GrowPointBlock(old);
            return false;
        }
        g_pointCapacity = static_cast<int32_t>(wanted);
    }
    if (g_traceCreateDxf == 1 && !EnsureVectorCapacity(need + 32)) {
        // Earlier unsaved elements stay unsaved: the modified flag keeps its value.
        g_traceCreateDxf = 0;
    }
    std::memset(&g_editPoint, 0, sizeof g_editPoint);
    g_editPoint.z = g_traceLevel;
    std::memcpy(g_editPoint.name, pointName, sizeof g_editPoint.name);
    g_editPoint.name[sizeof g_editPoint.name - 1] = '\0';
    g_editPoint.invalid = static_cast<int16_t>(invalidFlag);
    g_editPoint.plotKind = static_cast<int16_t>(plotKind);
    g_editPoint.outside = 0;
    g_editPoint.hidden = 0;
    g_editPoint.flags = 0;
    return true;
}

void CRasterTraceDlg::EmitPoint(double east, double north, double z, bool first) {
    g_editPoint.x = north;
    g_editPoint.y = east;
    g_editPoint.z = z;
    g_points[g_pointCount + 1] = g_editPoint;
    ++g_pointCount;
    SetPointEndMarker();
    ++generatedCount;
    if (g_traceCreateDxf == 1) {
        ++g_dxfElementCount;
        if (g_dxfElementCountAtLoad < g_dxfElementCount) g_dxfElementCountAtLoad = g_dxfElementCount;
        DxfElement& e = Elements()[g_dxfElementCount];
        e = DxfElement{};
        e.pen = first ? DXF_PEN_MOVE : DXF_PEN_DRAW;
        e.x = e.sourceX = north;
        e.y = e.sourceY = east;
        e.z = z;
        e.layer = g_vectorLayer;
        e.colour = g_vectorColour;
        g_dxfModified = 1;
        g_showBackgroundDxf = -1;
    }
}

int32_t CRasterTraceDlg::GeneratePointsAtInterval() {
    const RasterTracer& t = g_rasterTracer;
    const double length = t.PolylineLength(t.vertexCount);
    const double interval = g_tracePointInterval;
    if (!(length > 0.0) || !(interval > 0.0) || length / interval > kMaxGeneratedPoints) return 0;
    if (!MakeRoom(2 * static_cast<int32_t>(length / interval) + 10)) return 0;
    double s = 0.0;
    for (int32_t k = 0; s <= length; s = ++k * interval) {
        double e = 0.0, n = 0.0;
        t.PointAtDistance(s, e, n);
        EmitPoint(e, n, ElevationAt(s, length), k == 0);
    }
    const double endE = t.m_east[t.vertexCount], endN = t.m_north[t.vertexCount];
    const bool closed = std::hypot(endE - t.m_east[0], endN - t.m_north[0]) < interval;
    if (!(closed && generatedCount >= 2)) {
        if ((s - length) / interval > 0.5 && generatedCount > 1) {
            RandomPoint& p = g_points[g_pointCount];
            p.x = endN;
            p.y = endE;
            p.z = endLevel;
            if (g_traceCreateDxf == 1) {
                DxfElement& el = Elements()[g_dxfElementCount];
                el.pen = DXF_PEN_DRAW;
                el.x = el.sourceX = endN;
                el.y = el.sourceY = endE;
                el.z = endLevel;
            }
        } else {
            EmitPoint(endE, endN, endLevel, false);
        }
    }
    pointCountAfterGeneration = g_pointCount;
    g_dataChanged = -1;
    return generatedCount;
}

int32_t CRasterTraceDlg::GeneratePointsAtChanges() {
    const RasterTracer& t = g_rasterTracer;
    const double length = t.PolylineLength(t.vertexCount);
    const double interval = g_tracePointInterval;
    if (!(length > 0.0) || !(interval > 0.0) || length / interval > kMaxGeneratedPoints) return 0;
    if (!MakeRoom(static_cast<int32_t>(length / interval) + t.vertexCount + 10)) return 0;
    double prev = 0.0, acc = 0.0;
    for (int32_t i = 0; i <= t.vertexCount; ++i) {
        acc += std::fabs(t.TurnAngleAt(i));
        if (!(acc > judgingAngle || i == 0 || i == t.vertexCount)) continue;
        const double d = t.PolylineLength(i);
        if (d - prev > interval) {
            const int32_t m = static_cast<int32_t>((d - prev) / interval);
            const double step = (d - prev) / (m + 1);
            for (int32_t j = 1; j <= m; ++j) {
                const double s = prev + j * step;
                double e = 0.0, n = 0.0;
                t.PointAtDistance(s, e, n);
                EmitPoint(e, n, ElevationAt(s, length), false);
            }
        }
        EmitPoint(t.m_east[i], t.m_north[i], ElevationAt(d, length), i == 0);
        acc = 0.0;
        prev = d;
    }
    // A closed line: its end repeats its start as a point, not as a vector vertex.
    const double first = std::hypot(t.m_east[1] - t.m_east[0], t.m_north[1] - t.m_north[0]);
    const double gap = std::hypot(t.m_east[t.vertexCount] - t.m_east[0],
                                  t.m_north[t.vertexCount] - t.m_north[0]);
    if (generatedCount > 2 && gap < 0.2 * first) {
        --g_pointCount;
        --generatedCount;
        SetPointEndMarker();
    }
    pointCountAfterGeneration = g_pointCount;
    g_dataChanged = -1;
    return generatedCount;
}

void CRasterTraceDlg::OnGeneratePoints() {
    generatedCount = 0;
    g_toolMode = MODE_NONE;
    g_dragState = 0;
    controls.startDown = controls.addDown = controls.cutDown = false;
    switch (elevationMode) {
    case 1:
        endLevel = g_traceLevel + g_traceEndValue;
        break;
    case 2:
        endLevel = g_traceEndValue;
        break;
    default:
        endLevel = g_traceLevel;
        break;
    }
    RasterTracer& t = g_rasterTracer;
    if (t.vertexCount > 0) {
        elementCountBefore = g_dxfElementCount;
        elementCountAfterGeneration = -1;
        if (changePoints)
            GeneratePointsAtChanges();
        else
            GeneratePointsAtInterval();
        if (generatedCount > 0) {
            elementCountAfterGeneration = g_dxfElementCount;
            g_redrawMask = -1;
            savedVertexCount = t.vertexCount;
            t.vertexCount = 0;
            FullRepaintView();
        }
    }
    UpdateControls();
    g_pointsPresent = g_pointCount > 0 ? -1 : 0;
}

void CRasterTraceDlg::OnUndoPoints() {
    controls.startDown = controls.addDown = controls.cutDown = false;
    controls.status.clear();
    g_toolMode = MODE_NONE;
    g_dragState = 0;
    if (generatedCount != 0 && g_pointCount == pointCountAfterGeneration) {
        RasterTracer& t = g_rasterTracer;
        if (savedVertexCount > 0) t.vertexCount = savedVertexCount;
        g_pointCount = std::max(g_pointCount - generatedCount, 0);
        if (g_pointCount < 1) g_pointsPresent = 0;
        SetPointEndMarker();
        t.direction = -1;
        // The elements of the generation go only while nobody added or removed any since;
        // whatever count that generation left behind is what is compared.
        if (elementCountAfterGeneration >= 0 && g_dxfElementCount == elementCountAfterGeneration &&
            elementCountBefore <= g_dxfElementCount) {
            g_dxfElementCount = std::max(elementCountBefore, 0);
            g_dxfElementCountAtLoad = std::min(g_dxfElementCountAtLoad, g_dxfElementCount);
        }
        g_dataChanged = -1;
        g_redrawMask = -1;
        FullRepaintView();
        pointCountAfterGeneration = 0;
        generatedCount = 0;
        elementCountAfterGeneration = -1;
    }
    savedVertexCount = 0;
    UpdateControls();
}
