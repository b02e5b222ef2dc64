#include "view/view_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "image/image_slot.h"
#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "dxf/dxf_store.h"
#include "model/numeric_text.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/busy.h"
#include "platform/encoding.h"
#include "platform/input.h"
#include "platform/system_text.h"
#include "route/route_data.h"
#include "view/back_buffer.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/text_flags.h"
#include "view/triangle_raster.h"
#include "view/view_helpers.h"
#include "view/view_history.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

int32_t g_viewPainting = 0;
int32_t g_pointsDrawnWithDepth = 0;
int32_t g_overlaysDrawn = 0;
PainterLayers g_painterLayers;

namespace {
// Palette entries of the layers.
constexpr int kBackgroundColor = 10;
constexpr int kPointColor = 20;
constexpr int kInvalidPointColor = 21;
constexpr int kOutlineVertexColor = 22;
constexpr int kPickList2Color = 23;
constexpr int kPickListColor = 24;
constexpr int kOutsidePointColor = 25;
constexpr int kTinColor = 30;
constexpr int kHoleTinColor = 31;
// Watershed marks and flat-point marks: colours the other layers leave to the view.
constexpr int kWatershedTinColor = 41;
constexpr int kFlatPointMarkColor = 46;
constexpr int16_t kFlatPointMarkFlag = 2;
constexpr int kOutlineColor = 40;
constexpr int kIpColor = 42;
constexpr int kMainStationColor = 43;
constexpr int kStationColor = 44;
constexpr int kOtherIpColor = 45;
constexpr int kGridColor = 54;
constexpr int kGridIndexColor = 55;
constexpr int kTextFlagColors[4] = {76, 77, 78, 79};
constexpr int kBusyFlaggedColor = 249;
constexpr int kBusyPointColor = 255;

// Canvas of the double-byte labels.
constexpr int kTextCanvasWidth = 1024;
constexpr int kTextCanvasHeight = 128;

// More grid lines than this in one direction would be finer than the pixels.
constexpr double kMaxGridLines = 20000;

void SetRasterColorIndex(int index) { g_rasterColor = g_colorTable[index]; }
void SetLineColorIndex(int index) { g_lineColor = g_colorTable[index]; }

void Segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    g_lineX0 = x0;
    g_lineY0 = y0;
    g_lineX1 = x1;
    g_lineY1 = y1;
    DrawLine();
}

// Buffer position of a record's offsets.
int32_t BufferX(int32_t column) {
    return static_cast<int32_t>(int64_t{g_viewportCenterX} + column);
}
int32_t BufferY(int32_t row) { return static_cast<int32_t>(int64_t{g_viewportCenterY} + row); }

int32_t Plot(int32_t column, int32_t row) { return PlotPoint(BufferX(column), BufferY(row)); }

// Point records 1..g_pointCount that the block holds.
int32_t LastPointRecord() {
    if (!g_points) return 0;
    return std::max(0, std::min(g_pointCount, g_pointsBlock.Size() - 2));
}

bool ValidPoint(int32_t i) { return i >= 1 && i <= LastPointRecord(); }

bool AnyPoints() { return g_pointsPresent && g_pointCount > 0 && g_points; }

// What a paint can show at all, apart from the background image.
bool AnyDrawableData() {
    return AnyPoints() || g_ipPointCount > 0 || g_stationCount > 0 ||
           g_otherRouteStationCount > 0 || g_otherRouteIpCount > 0 || g_dxfElementCount > 0 ||
           g_meshAreaDefined;
}

bool AnyRecordData() {
    return AnyPoints() || g_ipPointCount > 0 || g_stationCount > 0 ||
           g_otherRouteStationCount > 0 || g_otherRouteIpCount > 0 || g_meshAreaDefined;
}

bool MouseButtonHeld() { return IsKeyDown(key::kMouseLeft) || IsKeyDown(key::kMouseRight); }

// Not an ordinary drawn point: off the screen (1) or hidden behind the depth buffer.
bool Shown(int8_t offScreen) { return offScreen == 0; }

// --- Grid -----------------------------------------------------------------------------

void DrawGridLines(double low, double high, bool horizontal) {
    const double g = g_gridInterval;
    const double g5 = 5 * g;
    if (!(g > 0) || !(high >= low) || (high - low) / g > kMaxGridLines) return;
    const double s = g_viewScale;
    for (double v = g5 * std::trunc(low / g5) - g5; v <= high; v += g) {
        const double ratio = v / g5;
        const double frac = ratio - std::floor(ratio);
        SetLineColorIndex(frac < 1e-6 || frac > 1 - 1e-6 ? kGridIndexColor : kGridColor);
        if (horizontal) {
            const int32_t row =
                TruncToRaster(g_viewportCenterY + std::floor((v - g_viewCenterX) * s));
            Segment(0, row, g_bufferMaxX, row);
        } else {
            const int32_t col =
                TruncToRaster(g_viewportCenterX + std::floor((v - g_viewCenterY) * s));
            Segment(col, 0, col, g_bufferMaxY);
        }
    }
}

void DrawGrid() {
    const double s = g_viewScale;
    if (!(s > 0)) return;
    const double xMin = g_viewCenterX - g_viewportCenterY / s;
    const double xMax = g_viewCenterX + (g_bufferMaxY - g_viewportCenterY) / s;
    const double yMin = g_viewCenterY - g_viewportCenterX / s;
    const double yMax = g_viewCenterY + (g_bufferMaxX - g_viewportCenterX) / s;
    DrawGridLines(xMin, xMax, true);
    DrawGridLines(yMin, yMax, false);
}

// --- TIN and polylines -----------------------------------------------------------------

void DrawTinLines() {
    if (!g_tinEdges || !g_points) return;
    const int32_t last = std::min(g_tinEdgeCount, g_tinEdgesBlock.Size() - 2);
    for (int32_t i = 1; i <= last; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const int32_t a = std::abs(e.a), b = std::abs(e.b);
        if (!ValidPoint(a) || !ValidPoint(b)) continue;
        const RandomPoint& pa = g_points[a];
        const RandomPoint& pb = g_points[b];
        if (pa.hidden != 0 || pb.hidden != 0) continue;
        g_lineColor = g_colorTable[TinEdgeColorIndex(e)];
        Segment(BufferX(pa.screenX), BufferY(pa.screenY), BufferX(pb.screenX), BufferY(pb.screenY));
    }
}

// A segment end that the depth pass of the bird's-eye view drew (2) or tested (4).
bool DepthResult(int8_t offScreen) { return offScreen == 2 || offScreen == 4; }

void DrawIndexPolyline(const IndexList& list, int colorIndex) {
    if (list.Count() < 2) return;
    SetRasterColorIndex(colorIndex);
    SetLineColorIndex(colorIndex);
    for (int32_t k = 1; k + 1 < kIndexListEntries; ++k) {
        const int32_t i = list[k];
        if (i == 0 || !ValidPoint(i)) break;
        const RandomPoint& p = g_points[i];
        if (p.hidden == 0) Plot(p.screenX, p.screenY);
        const int32_t j = list[k + 1];
        if (j == 0 || !ValidPoint(j)) break;
        const RandomPoint& q = g_points[j];
        if ((p.hidden == 0 && q.hidden == 0) || DepthResult(p.hidden) || DepthResult(q.hidden))
            Segment(BufferX(p.screenX), BufferY(p.screenY), BufferX(q.screenX), BufferY(q.screenY));
    }
}

void DrawPolylines() {
    if (!g_points) return;
    if (g_showPoints) DrawIndexPolyline(g_outline, kOutlineColor);
    DrawIndexPolyline(g_pickList2, kPickList2Color);
    DrawIndexPolyline(g_pickList, kPickListColor);
}

// --- Points and labels -----------------------------------------------------------------

}  // namespace

int TinEdgeColorIndex(const TinEdge& e) {
    if (e.a >= 0) return kTinColor;
    // Watershed marks keep a positive search apex; hole records have it negative.
    return e.apexSearch > 0 ? kWatershedTinColor : kHoleTinColor;
}

bool ChoosePointColor(const RandomPoint& p) {
    if (!(g_pointColorPrefix == '#' && PointColorFromName(p.name)))
        SetRasterColorIndex(p.outside ? kOutsidePointColor : kPointColor);
    if (p.invalid == kFlatPointMarkFlag) {
        // Marked by the flat-point dialog: shown until the marks are taken back or committed.
        SetRasterColorIndex(kFlatPointMarkColor);
    } else if (p.invalid != 0) {
        if (g_hideInvalidPoints) return false;
        SetRasterColorIndex(kInvalidPointColor);
    }
    if (p.flags & kPointFlagPickList2)
        SetRasterColorIndex(kPickList2Color);
    else if (p.flags & kPointFlagPickList)
        SetRasterColorIndex(kOutsidePointColor);
    else if (p.flags & kPointFlagOutline)
        SetRasterColorIndex(kOutlineVertexColor);
    return true;
}

namespace {

size_t NameLength(const char* name, size_t size) { return strnlen(name, size); }

bool HasLeadByte(std::string_view text) {
    for (unsigned char c : text)
        if (IsCp932LeadByte(c)) return true;
    return false;
}

// Band colour of an elevation label: the band of the elevation among the 20 bands around
// the centre elevation.
uint32_t BandLabelColor(double z) {
    const ColorBandParams& b = g_colorBandParams;
    const double dz = z - b.centre;
    double band;
    if (dz < 0) {
        const double range = b.centre - b.lowest;
        const double factor = range != 0 ? 10 / range : 0;
        band = std::max(std::trunc(dz * factor) + 9, 0.0);
    } else {
        const double range = b.highest - b.centre;
        const double factor = range != 0 ? 10 / range : 0;
        band = std::min(std::trunc(dz * factor) + 10, 19.0);
    }
    if (!(band >= 0)) band = 0;  // not a number
    const int32_t c = b.stripeColours[static_cast<int>(band)];
    return static_cast<uint32_t>(c) & 0x00FFFFFFu;
}

void DrawPointLabels(SystemTextCanvas* canvas, const RandomPoint& p, uint32_t labelColor) {
    const int32_t m = p.multiUse;
    if (m < 4) return;
    const int32_t w = m * 3 / 4;
    if (g_showPointNames) {
        const size_t length = NameLength(p.name, sizeof p.name);
        if (length > 0) {
            const std::string_view name(p.name, length);
            const int32_t col = p.screenX - 4 * static_cast<int32_t>(length);
            const int32_t row = p.screenY + 3;
            g_lineColor = labelColor;
            g_rasterColor = labelColor;
            if (HasLeadByte(name))
                DrawGdiTextScaled(canvas, name, col, row, m);
            else
                DrawTextRotatedPixels(name, col, row, m, w, 0, 0);
        }
    }
    if (g_showPointElevations) {
        char text[64];
        const int32_t length = FormatFixed(p.z, g_elevationDecimals, text, sizeof text);
        g_lineColor = g_colorBandParams.textColourChange ? BandLabelColor(p.z) : labelColor;
        DrawStrokeText(std::string_view(text, static_cast<size_t>(length)), p.screenX - 4 * length,
                       p.screenY - 9, m, w);
    }
}

void DrawPointsWithLabels(SystemTextCanvas* canvas) {
    const int32_t last = LastPointRecord();
    for (int32_t i = 1; i <= last; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.hidden != 0) continue;
        if (!ChoosePointColor(p)) continue;
        const uint32_t pointColor = g_rasterColor;
        const int32_t result =
            g_showPoints && !g_pointsDrawnWithDepth ? Plot(p.screenX, p.screenY) : p.hidden;
        uint32_t labelColor = pointColor;
        if (p.flags != 0)
            labelColor = g_colorTable[kPointColor];
        else if (p.name[0] == '_')
            labelColor = g_colorTable[kPickList2Color];
        if (result == 0) DrawPointLabels(canvas, p, labelColor);
    }
}

void DrawPointsAlone() {
    const int32_t last = LastPointRecord();
    for (int32_t i = 1; i <= last; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.hidden != 0) continue;
        if (g_pointsDrawnWithDepth && p.flags == 0) continue;
        if (!ChoosePointColor(p)) continue;
        Plot(p.screenX, p.screenY);
    }
}

void DrawTextFlags(SystemTextCanvas* canvas) {
    const int32_t savedPen = g_penSize;
    g_penSize = 0;
    const int32_t count = std::min(g_textFlagCount, kMaxTextFlags);
    for (int32_t sizeClass = 1; sizeClass <= 3; ++sizeClass) {
        const int32_t height = g_textFlagSizes[sizeClass - 1];
        if (canvas) canvas->SelectFont({height, 300, true});
        const int32_t w = height * 3 / 4;
        for (int32_t i = 1; i <= count; ++i) {
            const TextFlag& f = g_textFlags[i];
            if (f.sizeClass != sizeClass || f.offScreen != 0) continue;
            const int colorClass = f.colour >= 1 && f.colour <= 4 ? f.colour : 1;
            const int index =
                i == g_selectedTextFlag ? kOutlineColor : kTextFlagColors[colorClass - 1];
            SetRasterColorIndex(index);
            SetLineColorIndex(index);
            const int32_t drawn = g_pointsDrawnWithDepth ? f.offScreen : Plot(f.screenX, f.screenY);
            const size_t length = NameLength(f.text, sizeof f.text);
            if (drawn != 0 || length == 0) continue;
            int32_t row = f.screenY + 3;
            if (g_birdsEyeOn) {
                row += f.lineLength;
                Segment(BufferX(f.screenX), BufferY(f.screenY), BufferX(f.screenX),
                        BufferY(f.screenY + f.lineLength));
            }
            DrawGdiTextScaled(canvas, std::string_view(f.text, length),
                              f.screenX - static_cast<int32_t>(length) * w / 3, row, height);
        }
    }
    g_penSize = savedPen;
}

void TextPass() {
    std::unique_ptr<SystemTextCanvas> canvas =
        CreateSystemTextCanvas(kTextCanvasWidth, kTextCanvasHeight);
    if (AnyPoints()) DrawPointsWithLabels(canvas.get());
    if (g_showTextFlags) DrawTextFlags(canvas.get());
}

// --- Routes ----------------------------------------------------------------------------

void DrawRecordName(const char* text, int32_t column, int32_t row, int32_t markerSize) {
    const int32_t length = static_cast<int32_t>(std::strlen(text));
    if (length == 0) return;
    DrawTextRotatedPixels(text, column - 4 * length, row, markerSize, markerSize * 3 / 4, 0, 0);
}

template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

std::string IpLabel(const IpPoint& ip) {
    std::string text = FieldText(ip.name);
    if (ip.number != 0) text += std::to_string(ip.number);
    return text;
}

// The cut line: centre to the left and to the right stake, when all three are shown.
void StationCutLines(const StationRecord& s) {
    if (!Shown(s.offScreen) || !Shown(s.leftOffScreen) || !Shown(s.rightOffScreen)) return;
    Segment(BufferX(s.screenX), BufferY(s.screenY), BufferX(s.leftScreenX), BufferY(s.leftScreenY));
    Segment(BufferX(s.screenX), BufferY(s.screenY), BufferX(s.rightScreenX),
            BufferY(s.rightScreenY));
}

int StationColor(int32_t kind) {
    switch (kind) {
        case 0:
        case 2:
        case 4:
        case 6:
        case 9:
        case 22:
            return kMainStationColor;
        case 40:
            return kOtherIpColor;
        default:
            return kStationColor;
    }
}

void DrawStations(const StationRecord* stations, const RecordBlock<StationRecord>& block,
                  int32_t count, bool other, bool names, bool cutLines) {
    if (!stations) return;
    const int32_t last = std::min(count, block.Size() - 1);
    for (int32_t i = 1; i <= last; ++i) {
        const StationRecord& s = stations[i];
        if (other && s.kind == kRouteSeparator) continue;
        const int color = other ? kStationColor : StationColor(s.kind);
        SetRasterColorIndex(color);
        SetLineColorIndex(color);
        const int32_t plotted = Shown(s.offScreen) ? Plot(s.screenX, s.screenY) : -1;
        if (names && plotted == 0 && s.markerSize > 3)
            DrawRecordName(FieldText(s.name).c_str(), s.screenX, s.screenY + 3, s.markerSize);
        if (cutLines) StationCutLines(s);
        if (i == 1) continue;
        const StationRecord& prev = stations[i - 1];
        if (other ? prev.kind == kRouteSeparator : s.kind == -1) continue;
        if (!other) SetLineColorIndex(kMainStationColor);
        if (Shown(prev.offScreen) && Shown(s.offScreen))
            Segment(BufferX(prev.screenX), BufferY(prev.screenY), BufferX(s.screenX),
                    BufferY(s.screenY));
    }
}

void DrawIps(const IpPoint* ips, int32_t count, int color, bool other, bool names) {
    const int32_t last = std::min(count, kMaxIpPoints);
    SetRasterColorIndex(color);
    SetLineColorIndex(color);
    for (int32_t i = 1; i <= last; ++i) {
        const IpPoint& ip = ips[i];
        if (other && ip.number == kRouteSeparator) continue;
        const int32_t plotted = Shown(ip.offScreen) ? Plot(ip.screenX, ip.screenY) : -1;
        if (names && plotted == 0 && ip.markerSize > 3)
            DrawRecordName(IpLabel(ip).c_str(), ip.screenX, ip.screenY - 11, ip.markerSize);
        if (i == 1) continue;
        const IpPoint& prev = ips[i - 1];
        if (other && prev.number == kRouteSeparator) continue;
        if (Shown(prev.offScreen) && Shown(ip.offScreen))
            Segment(BufferX(prev.screenX), BufferY(prev.screenY), BufferX(ip.screenX),
                    BufferY(ip.screenY));
    }
}

void DrawRoutes(bool withNames) {
    const bool names = withNames && g_showIpNames;
    if (g_showOtherRoutes) {
        DrawStations(g_otherRouteStations, g_otherRouteStationsBlock, g_otherRouteStationCount,
                     true, names, g_showOtherRouteCrossSections);
        DrawIps(g_otherRouteIps, g_otherRouteIpCount, kOtherIpColor, true, names);
    }
    if (g_showRoute) {
        DrawStations(g_stations, g_stationsBlock, g_stationCount, false, names,
                     g_showRouteCrossSections);
        DrawIps(g_ipPoints, g_ipPointCount, kIpColor, false, names);
    }
}

// --- Passes ----------------------------------------------------------------------------

void DrawDxfLayer() {
    if (g_showBackgroundDxf && g_dxfElementCount > 0 && g_painterLayers.dxfLayer)
        g_painterLayers.dxfLayer();
}

// Routes, mesh: the layers after the points.
void DrawRoutesAndMesh(bool withNames) {
    if (!(g_birdsEyeOn && g_showSections)) DrawRoutes(withNames);
    if (g_meshAreaDefined && g_painterLayers.meshLayer) g_painterLayers.meshLayer();
}

void DrawContourOverlays(uint8_t* triangleBytes, bool buttonHeld) {
    g_overlaysDrawn = 0;
    if ((g_redrawMask & kRedrawOverlays) && !buttonHeld) {
        g_overlaysDrawn = -1;
        const PainterLayers& l = g_painterLayers;
        if (g_tinPresent && g_showSimpleContours && l.simpleContours)
            l.simpleContours(triangleBytes);
        if (g_showSlopeLines && g_tinPresent && l.slopeLines) l.slopeLines(triangleBytes);
        if (g_showDrawingContours && g_drawingContoursLoaded && l.drawingContours)
            l.drawingContours();
        if (g_showSliceContours && g_sliceContoursLoaded && l.sliceContours) l.sliceContours();
    }
    if (g_birdsEyeOn && g_showSections && g_painterLayers.crossSections3D)
        g_painterLayers.crossSections3D();
    if (g_birdsEyeOn && g_painterLayers.northArrow) g_painterLayers.northArrow();
}

// The triangle marks of the last TIN, with the records and the point count they were found
// for: finding them costs a large TIN more than drawing it, and they depend on nothing else.
struct TriangleMarks {
    std::vector<TinEdge> records;
    int32_t pointCount = -1;
    std::vector<uint8_t> bytes;
    uint64_t generation = 0;
    bool valid = false;
};
TriangleMarks g_triangleMarks;

// The per-triangle bytes of the triangle pass and the slope lines: 1 on the record that
// stands for each triangle. None when the work memory cannot be had.
std::vector<uint8_t> TriangleBytes() {
    // Also sets every record's work word to 0, as the records were when they were kept.
    MarkHoleVertices();
    TriangleMarks& m = g_triangleMarks;
    const size_t count = g_tinEdges && g_tinEdgeCount > 0 ? static_cast<size_t>(g_tinEdgeCount) : 0;
    const bool same =
        m.valid && m.pointCount == g_pointCount && m.records.size() == count &&
        (count == 0 || std::memcmp(m.records.data(), g_tinEdges + 1, count * sizeof(TinEdge)) == 0);
    if (!same) {
        m.valid = false;
        ++m.generation;
        std::vector<uint8_t> bytes;
        if (BuildTinAdjacency(nullptr, nullptr, &bytes) == 0) return {};
        bytes.resize(bytes.size() + 16, 0);
        try {
            m.records.assign(g_tinEdges + 1, g_tinEdges + 1 + count);
            m.bytes = bytes;
        } catch (const std::bad_alloc&) {
            m.records.clear();
            m.bytes.clear();
            return bytes;
        }
        m.pointCount = g_pointCount;
        m.valid = true;
        return bytes;
    }
    return m.bytes;
}

void FullRepaint(bool buttonHeld, bool pointsForced, int32_t trianglePassWanted) {
    PushViewHistory();
    ProjectAllData(0);
    SetRasterColorIndex(kBackgroundColor);
    ClearViewport();
    g_pointsDrawnWithDepth = 0;
    g_lightingOn = g_colorBandParams.shading;

    if (!g_birdsEyeOn && g_showBackgroundImage && g_painterLayers.backgroundImages)
        g_painterLayers.backgroundImages();

    std::vector<uint8_t> triangleBytes;
    if (trianglePassWanted != 0) triangleBytes = TriangleBytes();
    uint8_t* bytes = triangleBytes.empty() ? nullptr : triangleBytes.data();

    ColorBandParams& bands = g_colorBandParams;
    // The vertex colours (bit 1; bit 0 is the user's option) are parsed again.
    if (bands.mode != 2 || !g_colorBandOn || g_dataChanged) bands.useVertexColours &= ~2;

    bool tinLinesDrawn = false;
    if ((trianglePassWanted == 1 || (g_birdsEyeOn && g_depthOrderPoints)) &&
        g_painterLayers.trianglePass) {
        if (g_painterLayers.trianglePass(bytes, tinLinesDrawn) != 0) {
            DrawDxfLayer();
            return;
        }
    }

    if (!g_birdsEyeOn && g_showGrid) DrawGrid();

    if (IsBusy() && g_points) {
        const int32_t last = LastPointRecord();
        for (int32_t i = 1; i <= last && g_points[i].hidden >= 0; ++i) {
            const RandomPoint& p = g_points[i];
            SetRasterColorIndex(p.flags != 0 ? kBusyFlaggedColor : kBusyPointColor);
            PlotPixel(BufferX(p.screenX), BufferY(p.screenY));
        }
    }

    if ((g_redrawMask & kRedrawTin) && g_tinPresent && g_showTin && !tinLinesDrawn) DrawTinLines();

    if (!AnyRecordData()) {
        DrawDxfLayer();
        return;
    }

    if (g_redrawMask & kRedrawPolylines) DrawPolylines();

    const bool textPass = (g_redrawMask & kRedrawTexts) && g_fontLoaded == 1 && !buttonHeld;
    if (textPass)
        TextPass();
    else if ((g_showPoints || pointsForced) && !IsBusy() && AnyPoints())
        DrawPointsAlone();

    DrawRoutesAndMesh(textPass);
    DrawContourOverlays(bytes, buttonHeld);
    DrawDxfLayer();
}

// Mask 8: texts, routes, mesh and the DXF layer over the previous frame.
void TextRepaint() {
    PushViewHistory();
    ProjectAllData(0);
    const bool textPass = g_fontLoaded == 1;
    if (textPass) TextPass();
    DrawRoutesAndMesh(textPass);
    DrawDxfLayer();
}
}  // namespace

uint64_t TriangleMarksGeneration() { return g_triangleMarks.generation; }

int32_t PaintView(const ViewClient* client) {
    const bool buttonHeld = MouseButtonHeld();

    int32_t trianglePassWanted = 0;
    if (g_tinPresent) {
        // One record per triangle for the layers that cut triangles: without the marks each
        // triangle would be cut once per record that holds it.
        if (g_showSlopeLines || g_showSimpleContours) trianglePassWanted = -1;
        // The background image is draped over the terrain in the bird's-eye view.
        if (g_bgImage.loaded && g_bgImage.blendMode && g_birdsEyeOn) trianglePassWanted = 1;
        if (!buttonHeld && g_colorBandOn) trianglePassWanted = 1;
    }
    const bool pointsForced = buttonHeld && !g_showTin && !g_showPoints && !g_showMesh &&
                              !g_showSections && !(!g_birdsEyeOn && g_showBackgroundImage);

    if (client) SetViewport(0, 0, client->width, client->height - 1);
    if (!AnyDrawableData()) return 0;

    if (!g_projectionValid) g_redrawMask = -1;
    switch (g_redrawMask) {
        case 0:
            DrawDxfLayer();
            break;
        case kRedrawPolylines:
            DrawPolylines();
            DrawDxfLayer();
            break;
        case kRedrawTexts:
            TextRepaint();
            break;
        default:
            FullRepaint(buttonHeld, pointsForced, trianglePassWanted);
            break;
    }
    return 1;
}
