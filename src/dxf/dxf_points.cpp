#include "dxf/dxf_points.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_store.h"
#include "model/geometry.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/window_state.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "view/view_state.h"

namespace {

const DxfElement* Elements() { return g_dxfElementsBlock.Data(); }

bool ValidElement(int32_t i) {
    return Elements() && i >= 1 && i <= g_dxfElementCount && i <= g_dxfElementsBlock.Size() - 1;
}

// At most 11 bytes of a CP932 text, never half a double-byte character.
void CopyPointName(char (&name)[12], std::string_view text) {
    size_t n = 0;
    while (n < text.size() && n < 11) {
        const size_t step = IsCp932LeadByte(static_cast<unsigned char>(text[n])) ? 2 : 1;
        if (n + step > 11 || n + step > text.size()) break;
        n += step;
    }
    std::memset(name, 0, sizeof name);
    std::memcpy(name, text.data(), n);
}

// The name of points made from element i: its layer's name (without the line end the
// table keeps) when asked for and the element has a layer, else the new-point name.
std::string_view NameFor(const DxfPointSettings& s, int32_t element) {
    if (s.m_nameFromLayer && g_dxfLayerCount >= 1 && ValidElement(element)) {
        const int32_t layer = Elements()[element].layer;
        if (layer >= 1 && layer <= std::min(g_dxfLayerCount, kMaxDxfLayers)) {
            std::string_view name(g_dxfLayers[layer].name,
                                  strnlen(g_dxfLayers[layer].name, sizeof g_dxfLayers[layer].name));
            while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.remove_suffix(1);
            return name;
        }
    }
    return g_newPointName;
}

// Appends the template at (x, y, z) named `name`; its number, or 0 when the array is full.
int32_t AddPoint(double x, double y, double z, std::string_view name) {
    g_editPoint.x = x;
    g_editPoint.y = y;
    g_editPoint.z = z;
    g_editPoint.invalid = static_cast<int16_t>(g_newPointInvalid);
    g_editPoint.outside = 0;
    g_editPoint.plotKind = static_cast<int16_t>(g_newPointPlotMode);
    CopyPointName(g_editPoint.name, name);
    const int32_t i = AppendEditPoint();
    if (i == 0) return 0;
    g_pointCount = i;
    g_pointsPresent = -1;
    return i;
}

int32_t AddAtElement(const DxfPointSettings& s, int32_t element, std::string_view name) {
    const DxfElement& e = Elements()[element];
    return AddPoint(e.x, e.y, s.m_elevation, name);
}

void ApplyAction(const DxfPointSettings& s, DxfPointAction action, RandomPoint& p) {
    switch (action) {
        case DXF_POINTS_UNUSED:
            p.invalid = 1;
            break;
        case DXF_POINTS_USED:
            p.invalid = 0;
            break;
        case DXF_POINTS_RENAME:
            CopyPointName(p.name, s.m_pointName);
            break;
    }
}

bool InBox(const RandomPoint& p, const DxfElement& e, double j) {
    return std::fabs(p.x - e.x) <= j && std::fabs(p.y - e.y) <= j;
}

void Redraw() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

}  // namespace

double ParseLeadingNumber(const std::string& text) { return std::atof(text.c_str()); }

void SetIntervalFromText(DxfPointSettings& s, const std::string& text) {
    const double v = ParseLeadingNumber(text);
    if (v > 0) s.m_interval = v;
}

void SetJudgeDistanceFromText(DxfPointSettings& s, const std::string& text) {
    s.m_judgeDistance = std::fabs(ParseLeadingNumber(text));
}

int32_t AddPointsAlongElements(DxfPointSettings& s, int32_t method, int32_t first, int32_t last,
                               double interval) {
    if (!ValidElement(first) || !ValidElement(last) || first > last) return g_pointCount;
    const DxfElement* el = Elements();
    if (first == last) {
        if (method == DXF_ADD_BOTH) AddAtElement(s, first, NameFor(s, first));
        return g_pointCount;
    }
    double total = 0;
    for (int32_t i = first; i < last; ++i) total += std::hypot(el[i + 1].x - el[i].x, el[i + 1].y - el[i].y);
    if (total < interval) {
        AddAtElement(s, first, NameFor(s, first));
        AddAtElement(s, last, NameFor(s, last));
        return g_pointCount;
    }
    double toNext = interval, fromStart = interval, walked = 0;
    std::string name(NameFor(s, first));
    for (int32_t k = first; k < last; ++k) {
        if (k == first || method == DXF_ADD_BOTH) {
            name = std::string(NameFor(s, k));
            AddAtElement(s, k, name);
        }
        if (interval > 0.001) {
            const double dx = el[k + 1].x - el[k].x, dy = el[k + 1].y - el[k].y;
            const double len = std::hypot(dx, dy);
            if (len < 0.001) continue;
            while (toNext < len) {
                if (std::fabs(toNext) >= 0.001 && std::fabs(len - toNext) >= 0.001)
                    AddPoint(el[k].x + dx * toNext / len, el[k].y + dy * toNext / len, s.m_elevation, name);
                toNext += interval;
                fromStart += interval;
            }
            walked += len;
            toNext = fromStart - walked;
        }
        if (k + 1 == last) AddAtElement(s, last, NameFor(s, last));
    }
    return g_pointCount;
}

void AddPointsFromDxf(DxfPointSettings& s) {
    s.m_savedPointCount = g_pointCount;
    ShowWaitCursor(true);
    s.m_addedPoints.clear();
    for (const DxfMarkedPoint& m : g_dxfMarkedPoints) {
        const int32_t i = AddPoint(m.x, m.y, s.m_elevation, "");
        if (i != 0) s.m_addedPoints.push_back(i);
    }
    if (ValidElement(g_pickedDxfElement) && ValidElement(g_pickedDxfFirst) &&
        ValidElement(g_pickedDxfLast)) {
        switch (s.m_addMethod) {
            case DXF_ADD_INTERVAL:
            case DXF_ADD_BOTH:
                AddPointsAlongElements(s, s.m_addMethod, g_pickedDxfFirst, g_pickedDxfLast, s.m_interval);
                break;
            case DXF_ADD_VERTICES:
                for (int32_t i = g_pickedDxfFirst; i <= g_pickedDxfLast; ++i)
                    AddAtElement(s, i, NameFor(s, i));
                break;
            case DXF_ADD_TEXT_Z: {
                const DxfElement& e = Elements()[g_pickedDxfElement];
                if (e.pen == DXF_PEN_TEXT) {
                    const std::string text(e.text, strnlen(e.text, sizeof e.text));
                    AddPoint(e.x, e.y, ParseLeadingNumber(text), NameFor(s, g_pickedDxfElement));
                }
                break;
            }
            default:
                break;
        }
    }
    ShowWaitCursor(false);
    if (g_pointCount != s.m_savedPointCount) g_dataChanged = -1;
    s.m_countAfterAdd = g_pointCount;
    s.m_canUndo = true;
    Redraw();
}

bool CanUndoAddedPoints(const DxfPointSettings& s) {
    return s.m_canUndo && g_pointCount == s.m_countAfterAdd;
}

bool UndoAddedPoints(DxfPointSettings& s) {
    // Once points came or went by other means, cutting back to the saved count would
    // drop or keep the wrong points.
    if (!CanUndoAddedPoints(s)) return false;
    g_pointCount = s.m_savedPointCount;
    if (g_pointCount < 1) {
        g_pointCount = 0;
        g_pointsPresent = 0;
    }
    if (g_points) g_points[g_pointCount + 1].hidden = kEndMarker;
    s.m_savedPointCount = 0;
    s.m_canUndo = false;
    s.m_addedPoints.clear();
    Redraw();
    return true;
}

int32_t SetPointsNearRange(const DxfPointSettings& s, DxfPointAction action, int32_t first,
                           int32_t last) {
    if (!ValidElement(first) || !ValidElement(last) || !g_points) return 0;
    const DxfElement* el = Elements();
    const double j = s.m_judgeDistance;
    int32_t result = 0;
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        RandomPoint& pt = g_points[p];
        for (int32_t i = first; i <= last; ++i) {
            bool hit = InBox(pt, el[i], j);
            if (!hit && i < last) {
                double distance, fx, fy;
                int cls = 0;
                const int rc = PointToSegment(el[i].x, el[i].y, el[i + 1].x, el[i + 1].y, pt.x, pt.y, j,
                                              &distance, &fx, &fy, &cls);
                hit = (rc == kGeomOk || rc == kGeomWithinTolerance) && distance <= j && cls != 0;
            }
            if (hit) {
                ApplyAction(s, action, pt);
                result = 1;
            }
        }
    }
    return result;
}

int32_t SetPointsBetweenEnds(const DxfPointSettings& s, DxfPointAction action, int32_t first,
                             int32_t last) {
    if (first == last) return SetPointsNearRange(s, action, first, last);
    if (!ValidElement(first) || !ValidElement(last) || !g_points) return 0;
    const DxfElement* el = Elements();
    auto lowest = [&](const DxfElement& e) {
        for (int32_t p = 1; p <= g_pointCount; ++p)
            if (InBox(g_points[p], e, s.m_judgeDistance)) return p;
        return 0;
    };
    const int32_t p1 = lowest(el[first]), p2 = lowest(el[last]);
    if (p1 == 0 || p2 == 0) return 0;
    for (int32_t p = std::min(p1, p2); p <= std::max(p1, p2); ++p) ApplyAction(s, action, g_points[p]);
    return 1;
}

int32_t SetPointsNearPick(DxfPointSettings& s, DxfPointAction action) {
    ShowWaitCursor(true);
    for (int32_t i : s.m_addedPoints)
        if (g_points && i >= 1 && i <= g_pointCount) ApplyAction(s, action, g_points[i]);
    int32_t result = 0;
    if (ValidElement(g_pickedDxfElement))
        result = s.m_simpleSearch ? SetPointsBetweenEnds(s, action, g_pickedDxfFirst, g_pickedDxfLast)
                                  : SetPointsNearRange(s, action, g_pickedDxfFirst, g_pickedDxfLast);
    ShowWaitCursor(false);
    if (result == 1) g_dataChanged = -1;
    Redraw();
    return result;
}
