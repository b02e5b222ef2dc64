#include "image/raster_tracer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "image/image_slot.h"

RasterTracer g_rasterTracer;

namespace {

constexpr double kRadiansPerDirection = 0.02454368875;
constexpr double kDirectionsPerRadian = 40.74366534839051;
constexpr double kDegreesPerRadian = 57.29577950560105;

int32_t Wrap(int32_t k) { return ((k % 256) + 256) % 256; }

// The far end of a probe from (x, y) in direction k: 1000 pixels away.
void ProbeTarget(int32_t x, int32_t y, int32_t k, int32_t& x1, int32_t& y1) {
    const double a = k * kRadiansPerDirection;
    x1 = x + static_cast<int32_t>(1000.0 * std::cos(a));
    y1 = y + static_cast<int32_t>(1000.0 * std::sin(a));
}

double Heading(double dEast, double dNorth) {
    if (dEast == 0.0 && dNorth == 0.0) return 0.0;
    return std::atan2(dNorth, dEast);
}

}  // namespace

void RasterTracer::Reset() {
    m_found = 0;
    m_startX = m_startY = m_nextX = m_nextY = 0;
    vertexCount = 0;
    direction = -1;
    std::fill(std::begin(m_east), std::end(m_east), 0.0);
    std::fill(std::begin(m_north), std::end(m_north), 0.0);
    m_mapping = CornerMapping{};
}

void RasterTracer::AttachImage(const uint8_t* bits, int32_t width, int32_t height, int32_t stride) {
    m_bits = bits;
    m_width = width;
    m_height = height;
    m_stride = stride;
}

void RasterTracer::SetCornerMapping(double ulEast, double ulNorth, double urEast, double urNorth,
                                    double llEast, double llNorth, double lrEast, double lrNorth) {
    m_mapping.SetCornerMapping(ulEast, ulNorth, urEast, urNorth, llEast, llNorth, lrEast, lrNorth);
}

void RasterTracer::PixelToGround(double x, double y, double& east, double& north) const {
    const double u = m_width > 0 ? (x + 0.5) / m_width : 0.0;
    const double v = m_height > 0 ? (y + 0.5) / m_height : 0.0;
    m_mapping.ImageToGround(u, v, east, north);
}

bool RasterTracer::GroundToImage(double east, double north, double& u, double& v) const {
    u = v = 0.0;
    if (!m_mapping.GroundToImage(east, north, u, v)) return false;
    if (!std::isfinite(u) || !std::isfinite(v)) {
        u = v = 0.0;
        return false;
    }
    return true;
}

void RasterTracer::GroundToPixel(double east, double north, int32_t& x, int32_t& y) const {
    double u = 0.0, v = 0.0;
    GroundToImage(east, north, u, v);
    // Far outside positions are clamped so the cast stays defined; they read as paper.
    const auto toPixel = [](double p) {
        return static_cast<int32_t>(std::clamp(p, -1.0e9, 1.0e9));
    };
    x = toPixel(u * m_width);
    y = toPixel(v * m_height);
}

int32_t RasterTracer::ReadPixel(int32_t x, int32_t y) {
    if (!m_bits || x < 1 || y < 1 || x > m_width - 2 || y > m_height - 2) return 0;
    const uint8_t* row = m_bits + static_cast<size_t>(y) * static_cast<size_t>(m_stride);
    switch (m_bitsPerPixel) {
    case 1:
        return 1;
    case 8: {
        const uint8_t index = row[x];
        const uint32_t c = g_bgImagePalette[index];
        backgroundBit = index;
        m_lastColour[0] = c & 0xFF;
        m_lastColour[1] = (c >> 8) & 0xFF;
        m_lastColour[2] = (c >> 16) & 0xFF;
        return 1;
    }
    case 32: {
        const uint8_t* p = row + static_cast<size_t>(x) * 4;
        backgroundBit = p[2] * 65536 + p[1] * 256 + p[0];
        m_lastColour[0] = p[0];
        m_lastColour[1] = p[1];
        m_lastColour[2] = p[2];
        return 1;
    }
    default:
        return 0;
    }
}

int32_t RasterTracer::ColorDistance(int32_t x, int32_t y, int32_t kernel) const {
    if (!m_bits || x < 1 || y < 1 || x > m_width - 2 || y > m_height - 2) return 0;
    if (m_bitsPerPixel != 1 && m_bitsPerPixel != 8 && m_bitsPerPixel != 32) return 0;
    int32_t d[3][3];  // [row offset + 1][column offset + 1]
    for (int32_t dy = -1; dy <= 1; ++dy) {
        const uint8_t* row = m_bits + static_cast<size_t>(y + dy) * static_cast<size_t>(m_stride);
        for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t px = x + dx;
            int32_t value;
            if (m_bitsPerPixel == 1) {
                const int32_t bit = (row[px >> 3] >> (7 - (px & 7))) & 1;
                const bool ink = backgroundBit == 0 ? bit == 0 : bit != 0;
                value = ink ? 255 : 0;
            } else {
                int32_t b, g, r;
                if (m_bitsPerPixel == 8) {
                    const uint32_t c = g_bgImagePalette[row[px]];
                    b = c & 0xFF;
                    g = (c >> 8) & 0xFF;
                    r = (c >> 16) & 0xFF;
                } else {
                    const uint8_t* p = row + static_cast<size_t>(px) * 4;
                    b = p[0];
                    g = p[1];
                    r = p[2];
                }
                value = (std::abs(b - backgroundColour[0]) + std::abs(g - backgroundColour[1]) +
                         std::abs(r - backgroundColour[2])) /
                        3;
            }
            d[dy + 1][dx + 1] = value;
        }
    }
    const int32_t c = d[1][1];
    const int32_t edges = d[0][1] + d[2][1] + d[1][0] + d[1][2];
    const int32_t corners = d[0][0] + d[0][2] + d[2][0] + d[2][2];
    switch (kernel) {
    case 1:
        return (2 * edges + 6 * c) / 14;
    case 2:
        return (corners + 2 * edges + 4 * c) / 16;
    case 3:
        return (corners + edges + 4 * c) / 12;
    default:
        return c;
    }
}

int32_t RasterTracer::ProbeLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t group) {
    std::fill(std::begin(cells), std::end(cells), 0);
    if (group < 1) group = 1;
    const int32_t dx = x1 - x0, dy = y1 - y0;
    const int32_t sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    const int32_t adx = std::abs(dx), ady = std::abs(dy);
    const bool xMajor = adx >= ady;
    const int32_t major = xMajor ? adx : ady;
    const int32_t minor = xMajor ? ady : adx;
    int32_t error = major / 2;
    int32_t x = x0, y = y0;
    const int32_t visits = std::min(major, 31) + 1;
    int32_t cell = 0, inGroup = 0;
    for (int32_t i = 0; i < visits; ++i) {
        if (i > 0) {
            if (xMajor)
                x += sx;
            else
                y += sy;
            error -= minor;
            if (error <= 0) {
                error += major;
                if (xMajor)
                    y += sy;
                else
                    x += sx;
            }
        }
        cells[cell] += ColorDistance(x, y, 2);
        if (++inGroup == group) {
            cells[cell] /= group;
            inGroup = 0;
            if (++cell == 32) break;
        }
    }
    return major + 1;
}

void RasterTracer::ProbeRun(int32_t& run, int32_t& sum) const {
    int32_t n = 1;
    sum = 0;
    for (;;) {
        sum += cells[n];
        if (cells[n] < threshold && cells[n + 1] < threshold && cells[n + 2] < threshold) break;
        if (++n >= 30) break;
    }
    run = n;
}

int32_t RasterTracer::FindStartDirection(int32_t x, int32_t y, int32_t group) {
    branchDirection = -1;
    direction = -1;
    m_found = 0;
    if (!m_bits) return 0;
    if (group < 1) group = 1;
    for (int32_t k = 0; k < 256; ++k) {
        int32_t x1, y1;
        ProbeTarget(x, y, k, x1, y1);
        ProbeLine(x, y, x1, y1, group);
        ProbeRun(m_run[k], m_sum[k]);
    }
    int32_t best = -1, bestRun = 4;
    for (int32_t k = 0; k < 256; ++k)
        if (m_run[k] > bestRun) {
            bestRun = m_run[k];
            best = k;
        }
    if (best < 0) return -1;
    int32_t chosen = best, largest = 0;
    for (int32_t j = best - 6; j <= best + 5; ++j)
        if (m_sum[Wrap(j)] > largest) {
            largest = m_sum[Wrap(j)];
            chosen = Wrap(j);
        }
    direction = chosen;
    m_found = 1;
    if (m_run[direction] > 20) {
        int32_t limit = largest / 64;
        for (int32_t j = best + 88; j <= best + 167; ++j) {
            const int32_t w = Wrap(j);
            if (m_run[w] >= 2 && m_sum[w] > limit) {
                branchDirection = w;
                limit = m_sum[w];
            }
        }
    }
    m_startX = x;
    m_startY = y;
    const double a = direction * kRadiansPerDirection;
    const double reach = static_cast<double>(group) * m_run[direction];
    m_nextX = x + static_cast<int32_t>(std::cos(a) * reach);
    m_nextY = y + static_cast<int32_t>(std::sin(a) * reach);
    return direction;
}

int32_t RasterTracer::FindNextDirection(int32_t x, int32_t y, int32_t group, int32_t current) {
    m_found = 0;
    branchDirection = -1;
    if (!m_bits) return 0;
    if (group < 1) group = 1;
    int32_t weight[256];
    for (int32_t k = 0; k < 256; ++k) {
        int32_t a = std::abs(k - current);
        if (a > 127) a = 256 - a;
        weight[k] = a <= 100 ? 200 - a : 0;
        m_run[k] = 0;
        m_sum[k] = 0;
        if (weight[k] == 0) continue;
        int32_t x1, y1, sum;
        ProbeTarget(x, y, k, x1, y1);
        ProbeLine(x, y, x1, y1, group);
        ProbeRun(m_run[k], sum);
        m_sum[k] = sum * weight[k];
    }
    int32_t best = -1, bestScore = 0;
    for (int32_t k = 0; k < 256; ++k)
        if (m_run[k] > 4 && weight[k] * m_run[k] > bestScore) {
            bestScore = weight[k] * m_run[k];
            best = k;
        }
    if (best < 0) {
        direction = -1;
        return -1;
    }
    int32_t chosen = best, largest = 0;
    for (int32_t j = best - 6; j <= best + 5; ++j)
        if (m_sum[Wrap(j)] > largest) {
            largest = m_sum[Wrap(j)];
            chosen = Wrap(j);
        }
    if (std::abs(chosen - current) > 30) {
        const int32_t limit = 4 * largest / 10;
        for (int32_t j = chosen + 118; j <= chosen + 137; ++j)
            if (m_sum[Wrap(j)] > limit) branchDirection = Wrap(j);
    }
    m_startX = x;
    m_startY = y;
    const double a = chosen * kRadiansPerDirection;
    const double reach = static_cast<double>(group) * m_run[chosen];
    m_nextX = x + static_cast<int32_t>(std::cos(a) * reach);
    m_nextY = y + static_cast<int32_t>(std::sin(a) * reach);
    direction = chosen;
    m_found = 1;
    return direction;
}

int32_t RasterTracer::SetDirectionTowards(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    int32_t k = static_cast<int32_t>(std::atan2(static_cast<double>(y1 - y0),
                                                static_cast<double>(x1 - x0)) *
                                     kDirectionsPerRadian);
    if (k < 0) k += 256;
    direction = Wrap(k);
    return 0;
}

void RasterTracer::ContinueTrace(int32_t fine) {
    while (vertexCount < MAX_TRACE_VERTEX) {
        // Without an image the searches find nothing; stop rather than step on the spot.
        if (!m_bits) break;
        const int32_t found = FindNextDirection(m_nextX, m_nextY, fine ? 1 : 2, direction);
        if (found == -1 || branchDirection != -1) break;
        ++vertexCount;
        PixelToGround(m_nextX, m_nextY, m_east[vertexCount], m_north[vertexCount]);
        if (vertexCount >= 3 && FindSelfCrossing() != 0) {
            // A line that closes on itself ends just before the crossing.
            m_east[vertexCount] = m_north[vertexCount] = 0.0;
            --vertexCount;
            return;
        }
    }
    m_east[vertexCount + 1] = m_north[vertexCount + 1] = 0.0;
}

int32_t RasterTracer::TraceFromStart(int32_t fine) {
    m_nextX = m_startX;
    m_nextY = m_startY;
    vertexCount = 0;
    PixelToGround(m_startX, m_startY, m_east[0], m_north[0]);
    ContinueTrace(fine);
    return vertexCount;
}

int32_t RasterTracer::ExtendTrace(int32_t x, int32_t y, int32_t fine) {
    direction = -1;
    int32_t lx, ly;
    GroundToPixel(m_east[vertexCount], m_north[vertexCount], lx, ly);
    if ((lx == x && ly == y) || vertexCount >= MAX_TRACE_VERTEX) return vertexCount;
    SetDirectionTowards(lx, ly, x, y);
    m_nextX = x;
    m_nextY = y;
    ++vertexCount;
    PixelToGround(x, y, m_east[vertexCount], m_north[vertexCount]);
    ContinueTrace(fine);
    return vertexCount;
}

int32_t RasterTracer::FindSelfCrossing() const {
    const int32_t n = vertexCount;
    if (n < 2) return 0;
    const double ax = m_east[n - 1], ay = m_north[n - 1], bx = m_east[n], by = m_north[n];
    const auto cross = [](double ox, double oy, double px, double py, double qx, double qy) {
        return (px - ox) * (qy - oy) - (py - oy) * (qx - ox);
    };
    for (int32_t i = 0; i <= n - 3; ++i) {
        const double cx = m_east[i], cy = m_north[i], dx = m_east[i + 1], dy = m_north[i + 1];
        const double s1 = cross(ax, ay, bx, by, cx, cy) * cross(ax, ay, bx, by, dx, dy);
        const double s2 = cross(cx, cy, dx, dy, ax, ay) * cross(cx, cy, dx, dy, bx, by);
        if (s1 < 0.0 && s2 < 0.0) return i + 1;
    }
    return 0;
}

int32_t RasterTracer::OrientTowards(double east, double north) {
    if (vertexCount < 2) return 0;
    const auto dist2 = [&](int32_t i) {
        const double de = m_east[i] - east, dn = m_north[i] - north;
        return de * de + dn * dn;
    };
    if (dist2(vertexCount) <= dist2(0)) return 1;
    std::reverse(m_east, m_east + vertexCount + 1);
    std::reverse(m_north, m_north + vertexCount + 1);
    return -1;
}

// The first of the nearest vertices, or -1 (only for a point that is not a number). The
// search starts above every distance so that a point right on vertex 0 finds it.
int32_t RasterTracer::NearestVertex(double east, double north) const {
    double best = std::numeric_limits<double>::infinity();
    int32_t k = -1;
    for (int32_t i = 0; i <= vertexCount; ++i) {
        const double de = m_east[i] - east, dn = m_north[i] - north;
        const double d = de * de + dn * dn;
        if (d < best) {
            best = d;
            k = i;
        }
    }
    return k;
}

int32_t RasterTracer::CutAtNearest(double east, double north) {
    if (vertexCount < 2) {
        vertexCount = 0;
        return 0;
    }
    const int32_t k = NearestVertex(east, north);
    if (k < 0) return -1;
    if (k == 0) {
        vertexCount = 0;
        return 1;
    }
    vertexCount = k - 1;
    if (vertexCount < 1) vertexCount = 0;
    return k;
}

int32_t RasterTracer::RemoveNearest(double east, double north) {
    if (vertexCount < 2) {
        vertexCount = 0;
        return 0;
    }
    const int32_t k = NearestVertex(east, north);
    if (k < 0) return -1;
    for (int32_t i = k; i < vertexCount; ++i) {
        m_east[i] = m_east[i + 1];
        m_north[i] = m_north[i + 1];
    }
    --vertexCount;
    return k;
}

double RasterTracer::PolylineLength(int32_t n) const {
    if (n < 1) return 0.0;
    const int32_t last = std::min(n, vertexCount);
    double length = 0.0;
    for (int32_t i = 0; i < last; ++i)
        length += std::hypot(m_east[i + 1] - m_east[i], m_north[i + 1] - m_north[i]);
    return length;
}

double RasterTracer::TurnAngleAt(int32_t i) const {
    if (i < 1 || i >= vertexCount) return 0.0;
    const double in = Heading(m_east[i] - m_east[i - 1], m_north[i] - m_north[i - 1]);
    const double out = Heading(m_east[i + 1] - m_east[i], m_north[i + 1] - m_north[i]);
    double deg = (out - in) * kDegreesPerRadian;
    while (deg > 180.0) deg -= 360.0;
    while (deg < -180.0) deg += 360.0;
    return deg;
}

int32_t RasterTracer::VertexAt(int32_t i, double& east, double& north) const {
    if (vertexCount < 1 || i < 0 || i > vertexCount) return 0;
    east = m_east[i];
    north = m_north[i];
    return i;
}

double RasterTracer::PointAtDistance(double s, double& east, double& north) const {
    if (vertexCount < 1) return 0.0;
    if (s < 0.0) {
        east = m_east[0];
        north = m_north[0];
        return 0.0;
    }
    double d = 0.0;
    for (int32_t i = 0; i < vertexCount; ++i) {
        const double c = d + std::hypot(m_east[i + 1] - m_east[i], m_north[i + 1] - m_north[i]);
        if (d <= s && s < c) {
            const double t = (s - d) / (c - d);
            east = m_east[i] + t * (m_east[i + 1] - m_east[i]);
            north = m_north[i] + t * (m_north[i + 1] - m_north[i]);
            return t < 0.5 ? -(c - d) * t : (c - d) * (1.0 - t);
        }
        d = c;
    }
    east = m_east[vertexCount];
    north = m_north[vertexCount];
    return d;
}
