#include "view/dxf_layer_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "platform/encoding.h"
#include "platform/system_text.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {
constexpr int kHighlightColor = 31;
constexpr int kFirstDxfColor = 60;
constexpr double kRadToDeg = 180.0 / 3.14159265358979323846;

uint32_t LayerColor(int32_t colour) {
    const int32_t k = std::abs(colour);
    return g_colorTable[k <= 15 ? kFirstDxfColor + k : kFirstDxfColor];
}

int32_t BufferX(int32_t column) { return static_cast<int32_t>(int64_t{g_viewportCenterX} + column); }
int32_t BufferY(int32_t row) { return static_cast<int32_t>(int64_t{g_viewportCenterY} + row); }

bool HasLeadByte(std::string_view text) {
    for (char c : text)
        if (IsCp932LeadByte(static_cast<unsigned char>(c))) return true;
    return false;
}

void DrawText(SystemTextCanvas* canvas, const DxfElement& e) {
    const std::string_view text(e.text, strnlen(e.text, sizeof e.text));
    if (text.empty()) return;
    double angle = e.textAngle;
    if (g_dxfRegistration.transformActive == 1) angle -= g_dxfRegistration.rotation;
    const bool gdi = HasLeadByte(text) && !g_hideDoubleByteText;
    if (g_birdsEyeOn) {
        float factor;
        std::memcpy(&factor, &e.projectionWord, sizeof factor);
        if (!(factor > 0)) return;
        const double h = factor * e.textHeight;
        if (!(h < 1e6)) return;
        const int32_t height = static_cast<int32_t>(h);
        angle -= g_birdsEyeAzimuth * kRadToDeg;
        if (gdi)
            DrawGdiTextRotatedPixels(canvas, text, e.screenX, e.screenY, height, angle);
        else
            DrawTextRotatedPixels(text, e.screenX, e.screenY, height, static_cast<int32_t>(0.7 * height), 0, angle);
    } else {
        const double height = e.textHeight * g_dxfRegistration.scale;
        if (gdi)
            DrawGdiTextRotated(canvas, text, e.y, e.x, height, angle);
        else
            DrawTextRotated(text, e.y, e.x, height, 0.7 * height, 0, angle);
    }
    PlotPoint(BufferX(e.screenX), BufferY(e.screenY));
}
}  // namespace

void DrawDxfElements() {
    const DxfElement* elements = g_dxfElementsBlock.Data();
    if (!elements) return;
    const int32_t last = std::min(g_dxfElementCount, g_dxfElementsBlock.Size() - 1);
    std::unique_ptr<SystemTextCanvas> canvas;
    int32_t startX = 0, startY = 0;
    bool startOn = false;
    for (int32_t i = 1; i <= last; ++i) {
        const DxfElement& e = elements[i];
        const bool hidden = e.colour < 0 && !g_showHiddenDxfLayers;
        // The picked range of the element tools, the picked point or text, the selection.
        const bool inRange = i > g_pickedDxfFirst && i <= g_pickedDxfLast;
        const bool picked = e.selected || (e.pen == DXF_PEN_DRAW ? inRange : i == g_pickedDxfElement);
        const uint32_t color = picked ? g_colorTable[kHighlightColor] : LayerColor(e.colour);
        switch (e.pen) {
            case DXF_PEN_MOVE:
                break;
            case DXF_PEN_DRAW:
                if (!hidden && startOn && e.offScreen == 0) {
                    g_lineColor = color;
                    g_lineX0 = startX;
                    g_lineY0 = startY;
                    g_lineX1 = BufferX(e.screenX);
                    g_lineY1 = BufferY(e.screenY);
                    DrawLine();
                }
                if (!hidden && inRange && e.offScreen == 0) {
                    g_rasterColor = color;
                    PlotPoint(BufferX(e.screenX), BufferY(e.screenY));
                }
                break;
            case DXF_PEN_POINT:
                if (!hidden && e.offScreen == 0) {
                    g_rasterColor = color;
                    PlotPoint(BufferX(e.screenX), BufferY(e.screenY));
                }
                break;
            case DXF_PEN_TEXT:
                if (!hidden && e.offScreen == 0) {
                    if (!canvas) {
                        // White text on black, as the double-byte texts are traced from it.
                        canvas = CreateSystemTextCanvas(256, 64);
                    }
                    g_lineColor = color;
                    g_rasterColor = color;
                    DrawText(canvas.get(), e);
                }
                break;
            default:
                continue;
        }
        if (e.pen == DXF_PEN_MOVE || e.pen == DXF_PEN_DRAW) {
            startX = BufferX(e.screenX);
            startY = BufferY(e.screenY);
            startOn = e.offScreen == 0;
        }
    }
    if (g_pickedDxfElement >= 1 && g_pickedDxfElement <= last && elements[g_pickedDxfElement].offScreen == 0) {
        const DxfElement& e = elements[g_pickedDxfElement];
        const int32_t x = BufferX(e.screenX), y = BufferY(e.screenY);
        g_lineColor = g_colorTable[kHighlightColor];
        g_lineX0 = x - 8;
        g_lineY0 = g_lineY1 = y;
        g_lineX1 = x + 8;
        DrawLine();
        g_lineX0 = g_lineX1 = x;
        g_lineY0 = y - 8;
        g_lineY1 = y + 8;
        DrawLine();
    }
    // The crossings a Shift+click marked, placed in plan in either display form.
    g_rasterColor = 0x00FFFF;
    for (const DxfMarkedPoint& m : g_dxfMarkedPoints) {
        const double column = std::trunc((m.y - g_viewCenterY) * g_viewScale);
        const double row = std::trunc((m.x - g_viewCenterX) * g_viewScale);
        if (!(std::fabs(column) < 1e8 && std::fabs(row) < 1e8)) continue;
        PlotPoint(BufferX(static_cast<int32_t>(column)), BufferY(static_cast<int32_t>(row)));
    }
}

void InstallDxfLayer() { g_painterLayers.dxfLayer = DrawDxfElements; }
