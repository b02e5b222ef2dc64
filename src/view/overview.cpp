#include "view/overview.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "model/terrain_data.h"
#include "route/route_data.h"
#include "view/palette.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {
constexpr int32_t kMaxSide = 1023;

uint32_t PaletteColour(int entry) {
    if (!g_drawBitmapInfo) return 0xFFFFFF;
    const RgbQuad& q = g_drawBitmapInfo->colors[entry & 255];
    return static_cast<uint32_t>(q.red) << 16 | static_cast<uint32_t>(q.green) << 8 | q.blue;
}

class Canvas {
public:
    explicit Canvas(OverviewImage& image) : m_image(image) {}

    // A record's screen offsets (column east, row north from the centre) to pixels.
    double X(double column) const { return m_image.width / 2 + column; }
    double Y(double row) const { return m_image.height / 2 - row; }

    void Pixel(int32_t x, int32_t y, uint32_t colour) {
        if (x < 0 || y < 0 || x >= m_image.width || y >= m_image.height) return;
        m_image.pixels[static_cast<size_t>(y) * m_image.width + x] = colour;
    }

    // Clipped to the picture first, so that far-off ends cost nothing.
    void Line(double x0, double y0, double x1, double y1, uint32_t colour) {
        if (!Clip(x0, y0, x1, y1)) return;
        int32_t ax = static_cast<int32_t>(std::lround(x0)), ay = static_cast<int32_t>(std::lround(y0));
        int32_t bx = static_cast<int32_t>(std::lround(x1)), by = static_cast<int32_t>(std::lround(y1));
        if (ax < bx) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        WalkLinePixels(ax, ay, bx, by,
                       [&](int32_t, int32_t x, int32_t y, bool, int32_t) { Pixel(x, y, colour); });
    }

private:
    // Liang-Barsky against the picture's pixel rectangle.
    bool Clip(double& x0, double& y0, double& x1, double& y1) const {
        if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
            return false;
        const double dx = x1 - x0, dy = y1 - y0;
        double t0 = 0, t1 = 1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {x0, m_image.width - 1 - x0, y0, m_image.height - 1 - y0};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0) {
                if (q[i] < 0) return false;
                continue;
            }
            const double r = q[i] / p[i];
            if (p[i] < 0)
                t0 = std::max(t0, r);
            else
                t1 = std::min(t1, r);
            if (t0 > t1) return false;
        }
        const double sx = x0, sy = y0;
        x0 = sx + t0 * dx, y0 = sy + t0 * dy;
        x1 = sx + t1 * dx, y1 = sy + t1 * dy;
        return true;
    }

    OverviewImage& m_image;
};

bool HavePoints() { return g_pointsPresent != 0 && g_points && g_pointCount > 0; }

std::function<void(int32_t, int32_t)>& Refresh() {
    static std::function<void(int32_t, int32_t)> refresh;
    return refresh;
}
}  // namespace

void SetOverviewRefresh(std::function<void(int32_t, int32_t)> refresh) { Refresh() = std::move(refresh); }
void RefreshOverviewBeforeFullPaint(int32_t viewWidth, int32_t viewHeight) {
    if (Refresh()) Refresh()(viewWidth, viewHeight);
}

std::array<std::array<double, 2>, 4> OverviewFrameCorners(int32_t width, int32_t height,
                                                          int32_t viewWidth, int32_t viewHeight) {
    const double s = g_viewScale > 0 ? g_viewScale : 1;
    double hh = (viewHeight / 2) / s;
    double hw = (viewWidth / 2) / s;
    double cosA = 1, sinA = 0;
    if (g_birdsEyeOn) {
        const double k = std::max(std::fabs(std::sin(g_birdsEyeTilt)), 0.3);
        hh /= k;
        hw /= k;
        cosA = std::cos(-g_birdsEyeAzimuth);
        sinA = std::sin(-g_birdsEyeAzimuth);
    }
    const double f = g_fitScale;
    const double signs[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};  // (east, north)
    std::array<std::array<double, 2>, 4> corners{};
    for (int i = 0; i < 4; ++i) {
        const double e = signs[i][0] * hw, n = signs[i][1] * hh;
        const double east = e * cosA - n * sinA, north = e * sinA + n * cosA;
        const double column = (g_viewCenterY + east - g_extentCenterY) * f;
        const double row = (g_viewCenterX + north - g_extentCenterX) * f;
        corners[i] = {width / 2 + column, height / 2 - row};
    }
    return corners;
}

OverviewImage DrawOverviewThumbnail(int32_t width, int32_t height, int32_t viewWidth,
                                    int32_t viewHeight) {
    OverviewImage image;
    image.width = std::clamp(width, 1, kMaxSide);
    image.height = std::clamp(height, 1, kMaxSide);
    if (!HavePoints()) {
        image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0xFFFFFF);
        return image;
    }
    image.pixels.assign(static_cast<size_t>(image.width) * image.height, PaletteColour(0));
    // The records' offsets are the thumbnail's now: the view must project again.
    ProjectAllData(image.width);
    g_redrawMask = -1;
    Canvas canvas(image);

    if (g_tinPresent && g_tinEdges) {
        const uint32_t colour = PaletteColour(4);
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const int32_t a = std::abs(g_tinEdges[i].a), b = std::abs(g_tinEdges[i].b);
            if (a < 1 || a > g_pointCount || b < 1 || b > g_pointCount) continue;
            const RandomPoint &pa = g_points[a], &pb = g_points[b];
            if (pa.hidden != 0 || pb.hidden != 0) continue;
            canvas.Line(canvas.X(pa.screenX), canvas.Y(pa.screenY), canvas.X(pb.screenX),
                        canvas.Y(pb.screenY), colour);
        }
    }
    const uint32_t marked = PaletteColour(249), plain = PaletteColour(255);
    for (int32_t i = 1; i <= g_pointCount && g_points[i].hidden != kEndMarker; ++i) {
        const RandomPoint& p = g_points[i];
        const double x = canvas.X(p.screenX), y = canvas.Y(p.screenY);
        if (x >= 0 && y >= 0 && x < image.width && y < image.height)
            canvas.Pixel(static_cast<int32_t>(x), static_cast<int32_t>(y), p.flags != 0 ? marked : plain);
    }
    if (g_stations) {
        for (int32_t i = 1; i <= g_stationCount; ++i) {
            const StationRecord& s = g_stations[i];
            const int32_t k = s.kind;
            const int entry = (k == 0 || k == 2 || k == 4 || k == 6 || k == 9 || k == 22) ? 43
                              : k == 40                                                   ? 45
                                                                                          : 44;
            const double cx = canvas.X(s.screenX), cy = canvas.Y(s.screenY);
            canvas.Line(cx, cy, canvas.X(s.leftScreenX), canvas.Y(s.leftScreenY), PaletteColour(entry));
            canvas.Line(cx, cy, canvas.X(s.rightScreenX), canvas.Y(s.rightScreenY), PaletteColour(entry));
            if (i >= 2) {
                const StationRecord& prev = g_stations[i - 1];
                canvas.Line(canvas.X(prev.screenX), canvas.Y(prev.screenY), cx, cy, PaletteColour(43));
            }
        }
    }
    for (int32_t i = 2; i <= std::min(g_ipPointCount, kMaxIpPoints); ++i) {
        const IpPoint &a = g_ipPoints[i - 1], &b = g_ipPoints[i];
        if (a.offScreen != 0 || b.offScreen != 0) continue;
        canvas.Line(canvas.X(a.screenX), canvas.Y(a.screenY), canvas.X(b.screenX), canvas.Y(b.screenY),
                    PaletteColour(42));
    }
    const auto corners = OverviewFrameCorners(image.width, image.height, viewWidth, viewHeight);
    for (int i = 0; i < 4; ++i) {
        const auto& p = corners[i];
        const auto& q = corners[(i + 1) % 4];
        canvas.Line(p[0], p[1], q[0], q[1], PaletteColour(251));
    }
    return image;
}

int32_t OverviewPickToView(const OverviewRect& r, int32_t width, int32_t height) {
    const double f = g_fitScale;
    if (!(f > 0)) return -1;
    const int32_t h = std::max(std::abs(r.bottom - r.top), std::abs(r.right - r.left));
    g_viewCenterX = g_extentCenterX - ((r.top + r.bottom - height) / 2) / f;
    g_viewCenterY = ((r.left + r.right - width) / 2) / f + g_extentCenterY;
    if (h > 2) SetViewScale(f * std::max(g_bufferMaxX, g_bufferMaxY) / h);
    return -1;
}

void OverviewButtonDown(OverviewMouse& m, int32_t x, int32_t y) {
    m.pressX = m.currentX = x;
    m.pressY = m.currentY = y;
    m.armed = true;
    m.state = OverviewDragState::kPressed;
}

bool OverviewDragTo(OverviewMouse& m, int32_t x, int32_t y) {
    if (m.state == OverviewDragState::kIdle) return false;
    m.state = OverviewDragState::kDragging;
    const bool changed = x != m.currentX || y != m.currentY;
    m.currentX = x;
    m.currentY = y;
    return changed;
}

bool OverviewButtonUp(OverviewMouse& m, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!m.armed) return false;
    m.armed = false;
    const bool dragged = m.state == OverviewDragState::kDragging;
    m.state = OverviewDragState::kIdle;
    if (dragged) {
        OverviewPickToView({m.pressX, m.pressY, m.currentX, m.currentY}, width, height);
    } else {
        if (!HavePoints()) return false;
        ProjectAllData(std::clamp(width, 1, kMaxSide));
        OverviewPickToView({x, y, x, y}, width, height);
    }
    g_redrawMask = -1;
    return true;
}
