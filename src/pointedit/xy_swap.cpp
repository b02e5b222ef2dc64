#include "pointedit/xy_swap.h"

#include <algorithm>
#include <utility>

#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "image/image_slot.h"
#include "model/document_services.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "section/section_records.h"
#include "view/band_texture.h"
#include "view/display_flags.h"
#include "view/text_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
bool Chosen(int32_t word) {
    return (word & kXySwapExists) != 0 && (word & kXySwapChosen) != 0;
}

template <typename T>
void SwapPair(T& record) {
    std::swap(record.x, record.y);
}

// Records 1..count of a block, never past its end.
template <typename T>
int32_t Reach(const RecordBlock<T>& block, int32_t count) {
    return std::clamp(count, 0, std::max(block.Size() - 1, 0));
}

// Exchanging the axes mirrors the plan: a clockwise outline would come out
// counter-clockwise, so its order is reversed (the closing copy follows).
void ReverseOutline() {
    const int32_t n = g_outline.Count();
    if (n < 2) return;
    const bool closed = g_outline.IsClosed();
    std::reverse(g_outline.Data() + 1, g_outline.Data() + 1 + n);
    if (closed) g_outline.Close();
}

void SwapRandomData() {
    const int32_t points = g_points ? Reach(g_pointsBlock, g_pointCount) : 0;
    for (int32_t i = 1; i <= points; ++i) SwapPair(g_points[i]);
    // A mirrored triangle keeps its turning sense when its edge runs the other way: the
    // apexes then stay on their own sides, holes' negative marks included.
    const int32_t edges = g_tinEdges ? Reach(g_tinEdgesBlock, g_tinEdgeCount) : 0;
    for (int32_t e = 1; e <= edges; ++e) std::swap(g_tinEdges[e].a, g_tinEdges[e].b);
    ReverseOutline();
    const int32_t flags = std::clamp(g_textFlagCount, 0, kMaxTextFlags);
    for (int32_t i = 1; i <= flags; ++i) SwapPair(g_textFlags[i]);
}

void SwapStations(StationRecord* stations, const RecordBlock<StationRecord>& block, int32_t count) {
    if (!stations) return;
    const int32_t n = Reach(block, count);
    for (int32_t i = 1; i <= n; ++i) {
        StationRecord& s = stations[i];
        std::swap(s.x, s.y);
        std::swap(s.leftX, s.leftY);
        std::swap(s.rightX, s.rightY);
    }
}

void SwapRouteData() {
    for (int32_t i = 1; i <= std::clamp(g_ipPointCount, 0, kMaxIpPoints); ++i) SwapPair(g_ipPoints[i]);
    SwapStations(g_stations, g_stationsBlock, g_stationCount);
    for (int32_t i = 1; i <= std::clamp(g_otherRouteIpCount, 0, kMaxIpPoints); ++i)
        SwapPair(g_otherRouteIps[i]);
    SwapStations(g_otherRouteStations, g_otherRouteStationsBlock, g_otherRouteStationCount);
    SwapSectionAxes();
}

void SwapBackgroundDxf() {
    DxfElement* elements = g_dxfElementsBlock.Data();
    if (!elements) return;
    const int32_t n = Reach(g_dxfElementsBlock, g_dxfElementCount);
    for (int32_t i = 1; i <= n; ++i) SwapPair(elements[i]);
    NoteDxfElementsChanged();
}

void DropBackgroundImage() {
    if (g_bgImage.loaded == 0) return;
    ForgetActiveImage();
    g_bgImage.blendMode = 0;
    g_showBackgroundImage = 0;
    g_colorBandOn = 0;
    g_savedImageSlot.loaded = 0;
    g_savedImageSlot.positionKnown = 0;
    FreeDocumentImages();
}

bool HasDocumentPath() { return g_currentDataPath.size() >= 6; }
}  // namespace

XySwapChoice OpenXySwapChoice() {
    XySwapChoice c;
    if (g_pointCount != 0) c.randomData = kXySwapExists;
    if (g_ipPointCount != 0 || g_stationCount != 0) c.routeData = kXySwapExists;
    if (g_dxfElementCount != 0 || g_dxfBlockElementCount != 0) c.backgroundDxf = kXySwapExists;
    return c;
}

bool AnyXySwapChosen(const XySwapChoice& c) {
    return Chosen(c.randomData) || Chosen(c.routeData) || Chosen(c.backgroundDxf);
}

bool SwapXY(const XySwapChoice& choice) {
    if (!AnyXySwapChosen(choice)) return false;
    // Coordinates turned for viewing would be swapped and stored turned.
    RestoreSurveyFrame();
    if (Chosen(choice.randomData)) SwapRandomData();
    if (Chosen(choice.routeData)) SwapRouteData();
    if (Chosen(choice.backgroundDxf)) SwapBackgroundDxf();

    DropBackgroundImage();
    if (g_drawingContoursLoaded != 0) {
        if (HasDocumentPath()) MarkCompanionsStale({".ct1", ".ct2"});
        DeleteContourWorkFiles();
        g_drawingContoursLoaded = 0;
        g_showDrawingContours = 0;
    }
    if (g_sliceContoursLoaded != 0) {
        if (HasDocumentPath()) MarkCompanionsStale({".ct3", ".hlt"});
        ClearSliceContours();
    }
    if (g_meshAreaDefined != 0) {
        g_meshAreaDefined = 0;
        g_meshElevationsDone = 0;
        g_meshPlanDone = 0;
        g_meshVolumeDone = 0;
    }
    g_dataChanged = -1;
    return true;
}

void OnSwapXY(const std::function<bool(XySwapChoice&)>& runDialog) {
    XySwapChoice choice = OpenXySwapChoice();
    if (!runDialog || !runDialog(choice)) return;
    if (!SwapXY(choice)) return;
    ShowAllKeepSettings();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
