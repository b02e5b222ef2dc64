#include "image/dxf_to_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "image/image_slot.h"
#include "platform/message_box.h"
#include "platform/system_text.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/palette.h"
#include "view/stroke_font.h"
#include "view/view_state.h"

int32_t g_dxfImageSizeIndex = 0;
int32_t g_dxfImageThickLines = 0;
uint32_t g_dxfImageBackColour = 0;

namespace {

constexpr uint8_t kBackgroundIndex = 0x50;
constexpr int32_t kDxfColourBaseIndex = 60;
constexpr double kDegToRad = 0.017453292519444445;

int32_t ColourIndex(int32_t colour) {
    const int32_t k = colour < 0 ? -colour : colour;
    return k <= 15 ? kDxfColourBaseIndex + k : kDxfColourBaseIndex;
}

// Far-off elements stay far off without overflowing the integer conversion.
int32_t TruncPixel(double v) {
    if (!(v > -1e9)) return -1000000000;
    if (v > 1e9) return 1000000000;
    return static_cast<int32_t>(v);
}

void SetPixel(DxfRasterCanvas& c, int32_t col, int32_t row, int32_t colour) {
    uint8_t* rowBits = c.bits + static_cast<size_t>(row) * c.stride;
    if (c.mono)
        rowBits[col >> 3] |= static_cast<uint8_t>(0x80 >> (col & 7));
    else
        rowBits[col] = static_cast<uint8_t>(colour & 0xFF);
}

struct Rasterizer {
    DxfRasterCanvas canvas;
    bool thick = false;
    double scale = 1;
    double centre = 0;
    int32_t half = 0;

    void Segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        DrawImageLine(canvas, x0, y0, x1, y1);
        if (!thick) return;
        DrawImageLine(canvas, x0 + 1, y0, x1 + 1, y1);
        DrawImageLine(canvas, x0, y0 + 1, x1, y1 + 1);
        DrawImageLine(canvas, x0 - 1, y0, x1 - 1, y1);
        DrawImageLine(canvas, x0, y0 - 1, x1, y1 - 1);
    }

    void StrokeText(std::string_view text, double east, double north, double height, double width,
                    double spacing, double angle) {
        const double a = angle * kDegToRad, ca = std::cos(a), sa = std::sin(a);
        const double sx = 0.25 * width, sy = 0.25 * height;
        for (size_t i = 0; i < text.size(); ++i) {
            const StrokeGlyph& g = g_strokeFont.glyphs[static_cast<uint8_t>(text[i])];
            const double advance = static_cast<double>(i) * (height + spacing);
            const double oe = east + advance * ca, on = north + advance * sa;
            auto place = [&](int16_t gx, int16_t gy, int32_t& col, int32_t& row) {
                const double px = gx * sx, py = gy * sy;
                const double e = oe + px * ca - py * sa, n = on + px * sa + py * ca;
                col = half + TruncPixel((e - g_extentCenterY) * scale);
                row = half + TruncPixel((n - g_extentCenterX) * scale);
            };
            WalkStrokeGlyph(g, [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
                int32_t c0, r0, c1, r1;
                place(h0, v0, c0, r0);
                place(h1, v1, c1, r1);
                Segment(c0, r0, c1, r1);
            });
        }
    }

    void GdiText(SystemTextCanvas& dc, std::string_view text, double east, double north,
                 double height, double angle) {
        if (!text.empty() && static_cast<uint8_t>(text.back()) < 14) text.remove_suffix(1);
        const SystemTextExtent ext = dc.Extent(text);
        if (ext.width < 4 || ext.height < 4) return;
        dc.DrawText(text);
        const double g = height * scale / ext.height;
        const double a = angle * kDegToRad;
        const double ax = g * std::cos(a), ay = g * std::sin(a);
        const double ux = -g * std::sin(a), uy = g * std::cos(a);
        const double ox = (east - g_extentCenterY) * scale + centre;
        const double oy = (north - g_extentCenterX) * scale + centre;
        for (int32_t row = ext.height - 1; row >= 0; --row) {
            const int32_t up = ext.height - 1 - row;
            for (int32_t col = 0; col <= ext.width - 2; ++col) {
                if (!dc.IsLit(col, row)) continue;
                const double px = ox + col * ax + up * ux, py = oy + col * ay + up * uy;
                const int32_t c0 = TruncPixel(px), r0 = TruncPixel(py);
                const int32_t c1 = TruncPixel(px + ax), r1 = TruncPixel(py + ay);
                const int32_t c2 = TruncPixel(px + ax + ux), r2 = TruncPixel(py + ay + uy);
                const int32_t c3 = TruncPixel(px + ux), r3 = TruncPixel(py + uy);
                DrawImageLine(canvas, c0, r0, c1, r1);
                DrawImageLine(canvas, c1, r1, c2, r2);
                DrawImageLine(canvas, c2, r2, c3, r3);
                DrawImageLine(canvas, c3, r3, c0, r0);
            }
        }
    }
};

bool HasLeadByte(std::string_view text) {
    for (unsigned char b : text)
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) return true;
    return false;
}

}  // namespace

int32_t DxfImageSize(int32_t sizeIndex) {
    static constexpr int32_t kSizes[5] = {2000, 4000, 8000, 16000, 24000};
    return sizeIndex >= 0 && sizeIndex < 5 ? kSizes[sizeIndex] : kSizes[0];
}

bool DxfImageIsMono(int32_t sizeIndex) { return DxfImageSize(sizeIndex) >= 16000; }

void DrawImageLine(DxfRasterCanvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int64_t lo = 0, hi = c.size - 2;
    int64_t ax = x0, ay = y0, bx = x1, by = y1;
    if (ax < bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    if (ax < lo || bx > hi) return;
    if (std::min(ay, by) > hi || std::max(ay, by) < lo) return;
    if (ax > hi) {
        ay += (by - ay) * (ax - hi) / (ax - bx);
        ax = hi;
    }
    if (bx < lo) {
        by += (ay - by) * (lo - bx) / (ax - bx);
        bx = lo;
    }
    if (std::min(ay, by) > hi || std::max(ay, by) < lo) return;
    auto cutRow = [&](int64_t& px, int64_t& py, int64_t qx, int64_t qy, int64_t border) {
        px += (qx - px) * (py - border) / (py - qy);
        py = border;
    };
    if (ay > hi) cutRow(ax, ay, bx, by, hi);
    if (ay < lo) cutRow(ax, ay, bx, by, lo);
    if (by > hi) cutRow(bx, by, ax, ay, hi);
    if (by < lo) cutRow(bx, by, ax, ay, lo);

    int32_t cx = static_cast<int32_t>(ax), cy = static_cast<int32_t>(ay);
    const int32_t ex = static_cast<int32_t>(bx), ey = static_cast<int32_t>(by);
    const int32_t dx = std::abs(ex - cx), dy = std::abs(ey - cy);
    const int32_t sx = ex >= cx ? 1 : -1, sy = ey >= cy ? 1 : -1;
    const bool xMajor = dx >= dy;
    const int32_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    int32_t err = major / 2;
    for (int32_t i = 0; i <= major; ++i) {
        SetPixel(c, cx, cy, c.lineColour);
        err -= minor;
        if (err < 0) {
            err += major;
            if (xMajor) cy += sy; else cx += sx;
        }
        if (xMajor) cx += sx; else cy += sy;
    }
}

void PlotImageDot(DxfRasterCanvas& c, int32_t column, int32_t row) {
    if (column < 1 || column > c.size - 3 || row < 1 || row > c.size - 3) return;
    SetPixel(c, column - 1, row, c.dotColour);
    SetPixel(c, column, row, c.dotColour);
    SetPixel(c, column + 1, row, c.dotColour);
    SetPixel(c, column, row - 1, c.dotColour);
    SetPixel(c, column, row + 1, c.dotColour);
}

DxfToImageResult RasterizeDxfToImage() {
    if (g_dxfElementsBlock.Empty() || g_dxfElementCount <= 0) return DxfToImageResult::kNothing;
    const int32_t s = DxfImageSize(g_dxfImageSizeIndex);
    const bool mono = DxfImageIsMono(g_dxfImageSizeIndex);
    const size_t area = mono ? static_cast<size_t>(s) * s / 8 : static_cast<size_t>(s) * s;
    // The new block first: when it cannot be had, the old picture stays.
    ImageHandle block = AllocImageBlock(area + (mono ? 4096 : 8192));
    if (block.Empty()) return DxfToImageResult::kNoMemory;
    FreeImageBlock(g_bgImageHandle);
    g_bgImage.pixels = nullptr;

    ImageSlot& img = g_bgImage;
    img.width = img.height = s;
    img.blendMode = BLEND_OVERWRITE;
    img.isMono = mono ? 1 : 0;
    img.isIndexed8 = mono ? 0 : 1;
    img.keepIndexed = mono ? 0 : 1;
    img.stride = mono ? s / 8 : s;
    img.loaded = 1;
    img.positionKnown = 1;
    const double h = g_extentSize / 2, e = g_extentCenterY, n = g_extentCenterX;
    const double corners[4][2] = {{e - h, n + h}, {e + h, n + h}, {e - h, n - h}, {e + h, n - h}};
    std::memcpy(img.corners, corners, sizeof corners);
    for (double& len : img.edgeLengths) len = g_extentSize;

    const uint32_t back = g_dxfImageBackColour & 0xFFFFFF;
    std::copy(std::begin(g_colorTable), std::end(g_colorTable), g_bgImagePalette);
    g_bgImagePalette[80] = back;
    if (mono && g_drawBitmapInfo) {
        g_drawBitmapInfo->colors[240] = RgbQuad{static_cast<uint8_t>(back & 0xFF),
                                                static_cast<uint8_t>((back >> 8) & 0xFF),
                                                static_cast<uint8_t>((back >> 16) & 0xFF), 0};
        g_drawBitmapInfo->colors[80] = RgbQuad{128, 128, 128, 0};
        CreateCanvasPalette(*g_drawBitmapInfo);
    }

    SetActiveImageBlock(block);
    Rasterizer r;
    r.canvas.bits = g_bgImage.pixels;
    r.canvas.size = s;
    r.canvas.stride = img.stride;
    r.canvas.mono = mono;
    r.thick = g_dxfImageThickLines == 1;
    r.half = s / 2;
    r.centre = static_cast<double>(s / 2) + 0.5;
    std::memset(r.canvas.bits, mono ? 0 : kBackgroundIndex, area);
    r.scale = g_extentSize > 0 ? s / g_extentSize : 0;

    DxfElement* el = g_dxfElementsBlock.Data();
    for (int32_t i = 1; i <= g_dxfElementCount; ++i) {
        el[i].screenX = TruncPixel((el[i].y - g_extentCenterY) * r.scale + r.centre);
        el[i].screenY = TruncPixel((el[i].x - g_extentCenterX) * r.scale + r.centre);
        el[i].offScreen = 0;
    }

    std::unique_ptr<SystemTextCanvas> dc;
    const DxfRegistration& reg = g_dxfRegistration;
    int32_t penX = 0, penY = 0;
    r.canvas.lineColour = kDxfColourBaseIndex;
    for (int32_t i = 1; i <= g_dxfElementCount; ++i) {
        const DxfElement& d = el[i];
        const bool hidden = d.colour < 0 && !g_showHiddenDxfLayers;
        switch (d.pen) {
        case DXF_PEN_MOVE:
            penX = d.screenX;
            penY = d.screenY;
            break;
        case DXF_PEN_DRAW:
            if (hidden) break;
            r.canvas.lineColour = ColourIndex(d.colour);
            r.Segment(penX, penY, d.screenX, d.screenY);
            penX = d.screenX;
            penY = d.screenY;
            break;
        case DXF_PEN_POINT:
            if (d.offScreen || hidden) break;
            r.canvas.dotColour = ColourIndex(d.colour);
            PlotImageDot(r.canvas, d.screenX, d.screenY);
            break;
        case DXF_PEN_TEXT: {
            if (d.offScreen || hidden) break;
            const std::string_view text(d.text, strnlen(d.text, sizeof d.text));
            if (text.empty()) break;
            r.canvas.lineColour = r.canvas.dotColour = ColourIndex(d.colour);
            double height = d.textHeight, angle = d.textAngle;
            if (reg.transformActive == 1) {
                height = d.textHeight * reg.scale;
                angle = d.textAngle - reg.rotation;
            }
            if (HasLeadByte(text)) {
                if (!dc) dc = CreateSystemTextCanvas(512, 64);
                if (dc) r.GdiText(*dc, text, d.y, d.x, height, angle);
            } else if (g_fontLoaded) {
                r.StrokeText(text, d.y, d.x, height, 0.7 * height, 0, angle);
            }
            break;
        }
        default:
            break;
        }
    }
    return DxfToImageResult::kDone;
}

void InvertMonoImage() {
    if (!g_bgImage.isMono || g_bgImageHandle.Empty()) return;
    const size_t stride = static_cast<size_t>(((g_bgImage.width + 7) / 8 + 3) / 4 * 4);
    const size_t bytes = std::min(stride * static_cast<size_t>(g_bgImage.height), g_bgImageHandle.Size());
    uint8_t* p = g_bgImageHandle.Lock();
    for (size_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(~p[i]);
}

void OpenDxfToImageDialog(DxfToImageDialogState& state) {
    state.sizeIndex = std::clamp(g_dxfImageSizeIndex, 0, 4);
    state.thickLines = g_dxfImageThickLines == 1 ? 1 : 0;
    state.backColour = g_dxfImageBackColour;
    state.showOnBase = g_bgImage.showOnBase != 0;
    state.warning = g_bgImageHandle.Empty() ? "" : "! 現在の背景画像は見えなくなります";
}

void OnDxfToImageBasePlane(DxfToImageDialogState& state, bool on) {
    state.showOnBase = on;
    g_bgImage.showOnBase = on ? 1 : 0;
}

DxfToImageResult OnDxfToImageRun(const DxfToImageDialogState& state) {
    g_dxfImageSizeIndex = std::clamp(state.sizeIndex, 0, 4);
    g_dxfImageThickLines = state.thickLines == 1 ? 1 : 0;
    g_dxfImageBackColour = state.backColour & 0xFFFFFF;
    const DxfToImageResult result = RasterizeDxfToImage();
    if (result == DxfToImageResult::kNoMemory)
        ShowMessage("画像を作るメモリーが足りません。小さいサイズを選んでください。\n現在の背景画像はそのままです。",
                    "DXFを背景画像に変換");
    if (result == DxfToImageResult::kDone) InvertMonoImage();
    return result;
}

void OnDxfToImageClosed() { g_bgImagePath.clear(); }
