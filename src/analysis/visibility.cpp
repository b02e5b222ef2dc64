#include "analysis/visibility.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <new>
#include <thread>

#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

VisibilityObserver g_visibilityObserver;
VisibilityObserver g_visibilityObserverSlots[4];
int32_t g_visibilityObserverSlot = 0;

double g_visibilityEyeHeight = 20.0;
double g_visibilityTargetHeight = 1.0;
double g_visibilityMaxDistance = 1000.0;
int32_t g_visibilityUseMaxDistance = 0;
double g_visibilitySectorAzimuth = 0.0;
double g_visibilitySectorWidth = 30.0;
int32_t g_visibilityUseSector = 0;
int32_t g_visibilityShowProgress = 0;
uint32_t g_visibilityVisibleColor = 0xFFFFFF;
uint32_t g_visibilityInvisibleColor = 0x0080FF;  // RGB 255, 128, 0

VisibilityGrid g_visibilityGrid;
int32_t g_visibilityGridSize = 0;
int32_t g_visibilityGridValid = 0;
VisibilityGridBox g_visibilityGridBox{};
double g_visibilityExtentCenter[2] = {0.0, 0.0};
int32_t g_visibilityImageCounter = 1;

namespace {
constexpr double kRadiusSquared = kEarthRadius * kEarthRadius;
constexpr double kPi = 3.14159265358979323846;

bool EscapeDown(const VisibilityHooks& hooks) {
    return hooks.escapePressed ? hooks.escapePressed() : IsKeyDown(key::kEscape);
}
void Status(const VisibilityHooks& hooks, const std::string& text) {
    if (hooks.status) hooks.status(text);
}
uint32_t ColorRefToRgb(uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

// The triangle's plane into the cells whose centres lie in it (edges included), over the
// cells of its box. Each row is narrowed to the columns where the edges cross it, with a
// cell to spare for rounding; the test itself is the one of InterpolateInTriangle, written
// out so that the same cells take the same values.
void RasterizeTriangle(const RandomPoint& a, const RandomPoint& b, const RandomPoint& c, float* grid, int32_t n,
                       double firstE, double firstN, double cellE, double cellN) {
    const double xs[4] = {a.x, b.x, c.x, a.x};  // north
    const double ys[4] = {a.y, b.y, c.y, a.y};  // east
    const double det = (b.y - a.y) * (c.x - a.x) - (c.y - a.y) * (b.x - a.x);
    if (det == 0) return;
    const double g = (b.z - a.z) * (c.y - a.y) - (b.y - a.y) * (c.z - a.z);
    const double f = (c.z - a.z) * (b.x - a.x) - (b.z - a.z) * (c.x - a.x);
    const double minN = std::min({a.x, b.x, c.x}), maxN = std::max({a.x, b.x, c.x});
    const double minE = std::min({a.y, b.y, c.y}), maxE = std::max({a.y, b.y, c.y});
    const double jEnd = (maxN - firstN) / cellN, iEnd = (maxE - firstE) / cellE;
    const int32_t j0 = static_cast<int32_t>(std::max(std::floor((minN - firstN) / cellN), -1.0));
    const int32_t i0 = static_cast<int32_t>(std::max(std::floor((minE - firstE) / cellE), -1.0));
    for (int32_t j = std::max(j0, 0); j < jEnd && j < n; ++j) {
        const double north = firstN + j * cellN;
        // East where the row's line meets the edges.
        double lo = maxE, hi = minE;
        for (int k = 0; k < 3; ++k) {
            const double n1 = xs[k], n2 = xs[k + 1];
            if ((north < n1 && north < n2) || (north > n1 && north > n2)) continue;
            if (n1 == n2) {
                lo = std::min({lo, ys[k], ys[k + 1]});
                hi = std::max({hi, ys[k], ys[k + 1]});
                continue;
            }
            const double east = ys[k] + (north - n1) / (n2 - n1) * (ys[k + 1] - ys[k]);
            lo = std::min(lo, east);
            hi = std::max(hi, east);
        }
        if (lo > hi) continue;
        const int32_t iFrom = std::max({i0, 0, static_cast<int32_t>(std::floor((lo - firstE) / cellE))});
        const double iTo = std::min(iEnd, std::floor((hi - firstE) / cellE) + 2);
        float* row = grid + static_cast<size_t>(j) * n;
        for (int32_t i = iFrom; i < iTo && i < n; ++i) {
            const double east = firstE + i * cellE;
            bool inside = true;
            for (int k = 0; k < 3 && inside; ++k)
                inside = !((ys[k] - east) * (xs[k + 1] - north) - (xs[k] - north) * (ys[k + 1] - east) < 0);
            if (inside) row[i] = static_cast<float>(a.z + (g * (a.x - north) + f * (a.y - east)) / det);
        }
    }
}
}  // namespace

double NormalizeSectorAzimuth(double typed) {
    if (typed < 0.0) return typed + 360.0;
    if (typed >= 360.0) return typed - 360.0;
    return typed;
}

double ClampSectorWidth(double typed) { return std::clamp(typed, -360.0, 360.0); }

bool InVisibilitySector(double rayAzimuth, double sectorAzimuth, double sectorWidth) {
    double diff = rayAzimuth - sectorAzimuth;
    if (diff > 180.0) diff -= 360.0;
    if (diff <= -180.0) diff += 360.0;
    return !(std::fabs(sectorWidth) < std::fabs(2.0 * diff));
}

std::string NextVisibilityImageName() {
    if (g_visibilityImageCounter < 1 || g_visibilityImageCounter > 99) g_visibilityImageCounter = 1;
    const std::string name = FormatString("AREAMAP%02d.TIF", g_visibilityImageCounter);
    g_visibilityImageCounter = g_visibilityImageCounter >= 99 ? 1 : g_visibilityImageCounter + 1;
    return name;
}

void FreeVisibilityGrid() {
    VisibilityGrid().swap(g_visibilityGrid);
    g_visibilityGridValid = 0;
}

void ResetVisibility() {
    FreeVisibilityGrid();
    g_visibilityGridSize = 0;
    g_visibilityObserver = VisibilityObserver{};
    for (VisibilityObserver& o : g_visibilityObserverSlots) o = VisibilityObserver{};
    g_visibilityObserverSlot = 0;
    g_visibilityEyeHeight = 20.0;
    g_visibilityTargetHeight = 1.0;
    g_visibilityMaxDistance = 1000.0;
    g_visibilityUseMaxDistance = 0;
    g_visibilitySectorAzimuth = 0.0;
    g_visibilitySectorWidth = 30.0;
    g_visibilityUseSector = 0;
    g_visibilityShowProgress = 0;
    g_visibilityVisibleColor = 0xFFFFFF;
    g_visibilityInvisibleColor = 0x0080FF;
    g_visibilityGridBox = VisibilityGridBox{};
    g_visibilityExtentCenter[0] = g_visibilityExtentCenter[1] = 0.0;
    g_visibilityImageCounter = 1;
}

int32_t BuildVisibilityGrid(const VisibilityHooks& hooks) {
    const int32_t n = g_visibilityGridSize;
    try {
        g_visibilityGrid.assign(static_cast<size_t>(n) * static_cast<size_t>(n), kVisibilityNoData);
    } catch (const std::bad_alloc&) {
        FreeVisibilityGrid();
        ShowMessage("メモリーが不足しています。", "", msg::kOk | msg::kIconError);
        return 1;
    }
    g_visibilityGridValid = 1;
    const int32_t count = g_tinEdgeCount;
    auto validPoint = [](int32_t v) { return v >= 1 && v <= g_pointCount; };

    VisibilityGridBox box{-1e300, -1e300, 1e300, 1e300};
    for (int32_t r = 1; r <= count; ++r) {
        const int32_t a = std::abs(g_tinEdges[r].a);
        if (!validPoint(a)) continue;
        const RandomPoint& p = g_points[a];
        box.maxEast = std::max(box.maxEast, p.y);
        box.maxNorth = std::max(box.maxNorth, p.x);
        box.minEast = std::min(box.minEast, p.y);
        box.minNorth = std::min(box.minNorth, p.x);
    }
    if (box.maxEast < box.minEast) box = VisibilityGridBox{0, 0, 0, 0};
    g_visibilityGridBox = box;
    const double cellE = (box.maxEast - box.minEast) / n, cellN = (box.maxNorth - box.minNorth) / n;
    const double firstE = box.minEast + 0.5 * cellE, firstN = box.minNorth + 0.5 * cellN;

    std::vector<uint8_t> first;
    if (n > 0 && cellE > 0 && cellN > 0 && BuildTinAdjacency(nullptr, nullptr, &first) != 0) {
        uint32_t shown = TickCount();
        float* grid = g_visibilityGrid.data();
        for (int32_t r = 1; r <= count; ++r) {
            if (first[r]) {
                const TinEdge& e = g_tinEdges[r];
                const int32_t ia = std::abs(e.a), ib = std::abs(e.b), ic = std::abs(e.apexSearch);
                if (validPoint(ia) && validPoint(ib) && validPoint(ic))
                    RasterizeTriangle(g_points[ia], g_points[ib], g_points[ic], grid, n, firstE, firstN, cellE, cellN);
            }
            // The clock is read every 256 records: reading it per record cost more than the cells.
            if ((r & 255) == 0 && TickCount() - shown >= 100) {
                shown = TickCount();
                Status(hooks, FormatString("Create Mesh %4d / %4d", r, count));
                if (EscapeDown(hooks)) {
                    FreeVisibilityGrid();
                    Status(hooks, "Break");
                    return 0;
                }
            }
        }
    }
    Status(hooks, FormatString("Create Mesh  %4d / %4d", count, count));
    return -1;
}

bool ScanVisibility(int32_t mode, const float* grid, uint8_t* bits, int32_t stride,
                    const VisibilityHooks& hooks) {
    const int32_t n = g_visibilityGridSize;
    const VisibilityGridBox& box = g_visibilityGridBox;
    const double spanE = box.maxEast - box.minEast, spanN = box.maxNorth - box.minNorth;
    if (grid == nullptr || bits == nullptr || n <= 0 || spanE < 1e-7 || spanN < 1e-9) return true;
    const bool live = g_visibilityShowProgress != 0;
    if (live && hooks.dimView) hooks.dimView();

    const VisibilityObserver& eye = g_visibilityObserver;
    const double cellE = spanE / n, cellN = spanN / n;
    // Far observers are held where a cell index still fits; nothing nearer changes.
    const double fx = std::clamp((eye.east - box.minEast) / spanE * n, -1e9, 1e9);
    const double fy = std::clamp((eye.north - box.minNorth) / spanN * n, -1e9, 1e9);
    const int32_t cx = static_cast<int32_t>(fx), cy = static_cast<int32_t>(fy);
    const int32_t cxTop = std::clamp(cx, 0, n - 1);

    double d2Max = g_visibilityMaxDistance * g_visibilityMaxDistance;
    if (!g_visibilityUseMaxDistance || g_visibilityMaxDistance <= 0.0) {
        const double far = std::fabs(box.minNorth - eye.north) + std::fabs(box.minEast - eye.east) +
                           spanE + spanN + 10000000.0;
        d2Max = 2.0 * far * far;
    }
    const double eyeZ = eye.eyeElevation, target = g_visibilityTargetHeight;
    const uint32_t visibleColor = g_visibilityVisibleColor, hiddenColor = g_visibilityInvisibleColor;
    const int32_t totalRays = 4 * n - 4;
    uint32_t clockStart = TickCount(), shown = clockStart;
    int32_t raysDone = 0;
    bool previousInSector = true;
    bool stopped = false;

    auto setBit = [&](int32_t i, int32_t j) { bits[static_cast<size_t>(j) * stride + (i >> 3)] |= 0x80 >> (i & 7); };
    auto clearBit = [&](int32_t i, int32_t j) {
        bits[static_cast<size_t>(j) * stride + (i >> 3)] &= static_cast<uint8_t>(~(0x80 >> (i & 7)));
    };

    auto castRay = [&](int32_t ie, int32_t je) {
        bool inSector = true;
        if (g_visibilityUseSector) {
            double a = std::atan2((ie - fx) * cellE, (je - fy) * cellN) * 180.0 / kPi;
            if (a < 0.0) a += 360.0;
            inSector = InVisibilitySector(a, g_visibilitySectorAzimuth, g_visibilitySectorWidth);
        }
        if (live) {
            const double target_ms = static_cast<double>(raysDone) * 10000.0 / std::max(totalRays, 1);
            const double elapsed = static_cast<double>(TickCount() - clockStart);
            if (elapsed < target_ms && previousInSector) {
                if (hooks.showProgress) hooks.showProgress();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            } else if (elapsed > target_ms + 20.0) {
                clockStart = TickCount() - static_cast<uint32_t>(target_ms);
            }
        }
        previousInSector = inSector;
        if (TickCount() - shown >= 100) {
            shown = TickCount();
            Status(hooks, FormatString("Profile Scan... %4d / %4d", raysDone, totalRays));
            if (EscapeDown(hooks)) {
                stopped = true;
                return;
            }
        }
        ++raysDone;
        if (!live && hooks.rayIndicator) hooks.rayIndicator(ie, je);
        if (!inSector && mode != kScanOutOfRange) return;

        const int32_t di = ie - cx, dj = je - cy;
        const int32_t adi = std::abs(di), adj = std::abs(dj);
        const int32_t si = di < 0 ? -1 : 1, sj = dj < 0 ? -1 : 1;
        const bool alongX = adi > adj;
        const int32_t steps = alongX ? adi : adj, minor = alongX ? adj : adi;
        int32_t err = steps / 2;
        int32_t i = cx, j = cy;
        double horizon = -20000.0;
        for (int32_t k = 0; k < steps; ++k) {
            err -= minor;
            if (err < 0) {
                err += steps;
                if (alongX) j += sj; else i += si;
            }
            if (alongX) i += si; else j += sj;
            if (i < 0 || i >= n || j < 0 || j >= n) continue;
            const double z = grid[static_cast<size_t>(j) * n + i];
            const bool noData = z < -9000.0;
            const double dE = (cx - i) * cellE, dN = (cy - j) * cellN;
            const double d2 = dE * dE + dN * dN;
            const bool out = !inSector || d2 > d2Max;
            if (mode == kScanOutOfRange) {
                if (out) setBit(i, j);
                continue;
            }
            const double d = std::sqrt(d2);
            const double drop = std::sqrt(d2 + kRadiusSquared) - kEarthRadius;
            const double s = (z - drop - eyeZ) / d;
            if (s > horizon) {
                horizon = s;
                if (noData) {
                    if (mode == kScanInvisible) {
                        setBit(i, j);
                        if (live && hooks.markPixel) hooks.markPixel(dE, dN, z, hiddenColor);
                    }
                } else if (!out) {
                    if (mode == kScanVisible) clearBit(i, j);
                    if (live && hooks.markPixel) hooks.markPixel(dE, dN, z, visibleColor);
                }
                continue;
            }
            const double top = noData ? -9000.0 : z + target;
            const double s2 = (top - drop - eyeZ) / d;
            if (s2 > horizon) {
                if (!out) {
                    if (mode == kScanVisible) clearBit(i, j);
                    if (live && hooks.markPixel) hooks.markPixel(dE, dN, z, visibleColor);
                }
            } else {
                if (mode == kScanInvisible && !out) setBit(i, j);
                if (live && hooks.markPixel) hooks.markPixel(dE, dN, z, hiddenColor);
            }
        }
    };

    // Five runs sweep anticlockwise from due north; a run whose line the observer lies
    // beyond by more than a cell is skipped.
    auto skipRun = [&](int32_t rays) {
        raysDone += rays;
        clockStart -= 2500;
    };
    if (cy > n) skipRun(cxTop);
    else for (int32_t i = cxTop; i >= 1 && !stopped; --i) castRay(i, n - 1);
    if (cx < -1) skipRun(n);
    else for (int32_t j = n - 1; j >= 0 && !stopped; --j) castRay(0, j);
    if (cy < -1) skipRun(n);
    else for (int32_t i = 0; i < n && !stopped; ++i) castRay(i, 0);
    if (cx > n) skipRun(n);
    else for (int32_t j = 0; j < n && !stopped; ++j) castRay(n - 1, j);
    if (cy > n) skipRun(n - cxTop);
    else for (int32_t i = n - 1; i >= cxTop && !stopped; --i) castRay(i, n - 1);

    Status(hooks, stopped ? "Break" : "Complete");
    return !stopped;
}

bool InvisibleVisibilityImage(int32_t n, VisibilityImage& image) {
    image.size = n;
    image.stride = ((n + 7) / 8 + 3) & ~3;
    try {
        image.bits.assign(static_cast<size_t>(image.stride) * n, 0xFF);
    } catch (const std::bad_alloc&) {
        image = VisibilityImage{};
        return false;
    }
    return true;
}

bool CheckVisibilityDataChange(double extentNorth, double extentEast) {
    const double d = std::fabs(g_visibilityExtentCenter[1] - extentEast) +
                     std::fabs(g_visibilityExtentCenter[0] - extentNorth);
    if (d <= 1e-6) return false;
    FreeVisibilityGrid();
    if (d > 1000.0) {
        g_visibilityObserver.state = 0;
        for (VisibilityObserver& o : g_visibilityObserverSlots) o.state = 0;
    }
    g_visibilityExtentCenter[0] = extentNorth;
    g_visibilityExtentCenter[1] = extentEast;
    return true;
}

uint32_t DimmedPixel(uint32_t pixel) { return (pixel >> 1) & 0x007E7F7Fu; }

uint32_t TintedPixel(uint32_t pixel, uint32_t colorRef) {
    if (pixel & 0x010000u) return pixel;
    return (pixel + ((ColorRefToRgb(colorRef) >> 1) & 0x7F7F7Fu)) | 0x010000u;
}
