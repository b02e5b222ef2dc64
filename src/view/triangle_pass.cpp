#include "view/triangle_pass.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "image/image_mapping.h"
#include "image/image_plane.h"
#include "model/terrain_data.h"
#include "view/back_buffer.h"
#include "view/band_texture.h"
#include "view/birds_eye_projection.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/parallel_ranges.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/text_flags.h"
#include "view/triangle_raster.h"
#include "view/view_helpers.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {

// Palette entries of the layers drawn here.
constexpr int kColorPoint = 20;
constexpr int kColorInvalidPoint = 21;
constexpr int kColorOutlineFlag = 22;
constexpr int kColorPickList2Flag = 23;
constexpr int kColorOutsideOrPicked = 25;
constexpr int kColorSelectedTextFlag = 40;
constexpr int kColorTextFlagClass1 = 76;

// Bird's-eye colouring: the class bits of a triangle's three corners, or-ed, give its
// colour slot (c301 + slot).
constexpr uint8_t kClassSlot[64] = {
    0, 1, 1, 1, 2, 1, 2, 1, 3, 0, 0, 0, 0, 0, 0, 0, 4, 1, 1, 1, 4, 4, 4, 0, 0, 0, 1, 0, 4, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// The vertex colours parsed from "#RRGGBB" names; kept beside the points, never in them.
std::vector<uint32_t> g_vertexColorCache;
constexpr uint32_t kCached = 0x01000000;

// Per point, the band texture row of the current pass.
std::vector<float> g_bandValues;
// Per TIN record, the slope row of its triangle (slope bands).
std::vector<float> g_slopeRows;

// The triangles of this pass: their TIN record and corners, hidden hole triangles left out.
struct PassTriangle {
    int32_t record;
    int32_t a, b, c;
    bool hole;
};
std::vector<PassTriangle> g_passTriangles;

bool ImageShown(const ImageSlot& slot) { return slot.loaded && slot.blendMode; }

bool ValidPoint(int32_t i) { return i >= 1 && i <= g_pointCount && i < g_pointsBlock.Size(); }

int32_t LastTinRecord() {
    if (!g_tinEdges) return 0;
    return std::min(g_tinEdgeCount, g_tinEdgesBlock.Size() - 2);
}

struct Triangle {
    int32_t a, b, c;  // point numbers
    bool hole;        // the search apex is negative
};

// The triangle that TIN record i stands for; false when its corners are not points.
bool TriangleOf(int32_t i, Triangle& t) {
    const TinEdge& e = g_tinEdges[i];
    t.a = std::abs(e.a);
    t.b = std::abs(e.b);
    t.c = e.apexSearch == kNoApex ? 0 : std::abs(e.apexSearch);
    t.hole = e.apexSearch < 0;
    return ValidPoint(t.a) && ValidPoint(t.b) && ValidPoint(t.c);
}

bool HoleVertex(int32_t i) { return g_points[i].scratch == 1; }

bool FiniteVertex(double x, double y, double z) {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

// All three corners belong to holes: hidden while hole triangles are not coloured.
bool HiddenHoleTriangle(const Triangle& t) {
    return g_colorBandParams.holesHidden && HoleVertex(t.a) && HoleVertex(t.b) && HoleVertex(t.c);
}

void Corner(int32_t i, double (&out)[3]) {
    out[0] = g_points[i].x;
    out[1] = g_points[i].y;
    out[2] = g_points[i].z;
}

// A ground point as a camera-space vertex: bird's-eye through the camera; plan laid out
// flat at the depth `planDepth`.
void PlaceVertex(RasterVertex& v, double x, double y, double z, double planDepth) {
    if (g_birdsEyeOn) {
        v.x = y;
        v.y = z;
        v.z = x;
    } else {
        v.x = y - g_viewCenterY;
        v.y = x - g_viewCenterX;
        v.z = planDepth;
    }
}

// The plan form's depth of a ground point for the depth test: one depth for all, less
// the height above the water while water is shown, so that ground above the water hides
// it. The picture itself is laid out at the one depth: a point's own depth would scale its
// place by its height and bend the plan.
double PlanDepth(double z) {
    const double q = g_projScale / g_viewScale;
    if (g_colorBandParams.waterShown == 0) return q;
    return q - (z - g_colorBandParams.waterLevel) * g_extentSize * 1e-5 / g_viewScale;
}

// Every point in camera space once per pass: each point is a corner of about six
// triangles and the end of as many TIN lines.
struct CameraPoint {
    ScreenCorner corner;  // its pixel only while the point lies inside the view volume
    double px;
    double depth;  // of the depth test (the plan's water ordering), else z
    uint16_t outcode;
    bool finite;
};
std::vector<CameraPoint> g_cameraPoints;

void ProjectCameraPoints() {
    g_cameraPoints.resize(static_cast<size_t>(g_pointCount) + 1);
    const bool biasOn = g_depthBiasOn;
    g_depthBiasOn = 0;
    const int32_t last = std::min(g_pointCount, g_pointsBlock.Size() - 1);
    // Each point on its own: shared among threads for a large survey.
    ForEachRange(std::max(last, 0), 20000, [](int64_t begin, int64_t end) {
        for (int32_t i = static_cast<int32_t>(begin) + 1; i <= end; ++i) {
            const RandomPoint& p = g_points[i];
            RasterVertex v;
            PlaceVertex(v, p.x, p.y, p.z, g_projScale / g_viewScale);
            if (g_birdsEyeOn) ProjectTriangle3D(&v, nullptr, nullptr);
            ComputeVertexOutcode(v);
            CameraPoint& c = g_cameraPoints[i];
            c.corner.x = v.x;
            c.corner.y = v.y;
            c.corner.z = v.z;
            c.corner.py = v.py;
            c.corner.invZ = v.invZ;
            c.corner.zf = v.zf;
            c.corner.u = c.corner.v = 0;
            c.corner.color = 0;
            c.px = v.px;
            c.depth = g_birdsEyeOn ? v.z : PlanDepth(p.z);
            c.outcode = v.outcode;
            c.finite = FiniteVertex(v.x, v.y, v.z);
            // The depth word without a bias.
            c.corner.w =
                static_cast<float>(c.depth == v.z ? v.invZ : 1.0 / std::max(c.depth, 1e-6));
            c.corner.sx = c.corner.sy = 0;
            if (c.outcode == 0) ScreenPosition(v.px, v.py, c.corner.sx, c.corner.sy);
        }
    });
    g_depthBiasOn = biasOn;
}

// The rasteriser's vertex of point i, its depth word with the bias now in force.
void VertexOfPoint(int32_t i, RasterVertex& v) {
    const CameraPoint& c = g_cameraPoints[i];
    v.x = c.corner.x;
    v.y = c.corner.y;
    v.z = c.corner.z;
    v.px = c.px;
    v.py = c.corner.py;
    v.invZ = c.corner.invZ;
    v.zf = c.corner.zf;
    v.outcode = c.outcode;
    v.w = c.corner.w;
    if (g_depthBiasOn && !(c.outcode & kOutNear))
        v.w = static_cast<float>(1.0 / std::max(c.depth + g_depthBias, 1e-6));
    v.u = v.v = 0;
    v.color = 0;
}

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// The depth word of a ground point for the depth-tested points and flags.
uint32_t PointDepth(double x, double y, double z, double bias) {
    const double* m = g_cameraMatrix;
    const double d = m[6] * (y - g_eyeY) + m[7] * (z - g_eyeZ) + m[8] * (x - g_eyeX) + bias;
    return FloatBits(static_cast<float>(1.0 / std::max(d, 1e-6)));
}

uint32_t Shaded(uint32_t color, int32_t shade) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= static_cast<uint32_t>(((color >> shift) & 0xFF) * (shade * 0.00006224)) << shift;
    return out;
}

int32_t ClassBits(const RandomPoint& p) {
    if (p.name[0] != '_') return 32;
    switch (p.name[1]) {
        case 'C':
            return 1;
        case 'F':
            return 2;
        case 'N':
            return 4;
        case 'H':
            return 8;
        case 'W':
            return 16;
        default:
            return 32;
    }
}

void BuildVertexColorCache() {
    g_vertexColorCache.assign(static_cast<size_t>(g_pointCount) + 1, 0);
    const int32_t last = LastTinRecord();
    for (int32_t i = 1; i <= last; ++i) {
        for (int32_t end : {std::abs(g_tinEdges[i].a), std::abs(g_tinEdges[i].b)}) {
            if (!ValidPoint(end) || g_points[end].name[0] != '#') continue;
            uint32_t color = 0;
            HexColorFromName(g_points[end].name, color);
            g_vertexColorCache[end] = color | kCached;
        }
    }
}

uint32_t VertexColor(int32_t i) {
    if (static_cast<size_t>(i) < g_vertexColorCache.size() && (g_vertexColorCache[i] & kCached))
        return g_vertexColorCache[i] & 0xFFFFFF;
    const uint32_t saved = g_rasterColor;
    uint32_t color = 0;
    if (PointColorFromName(g_points[i].name)) color = g_rasterColor;
    g_rasterColor = saved;
    return color;
}

// The unit normal (C - A) x (B - A) over (north, east, up), or false for no area (and for
// corners too far off or not numbers, whose normal has no direction).
bool UnitNormal(const double (&a)[3], const double (&b)[3], const double (&c)[3], double (&n)[3]) {
    const double u[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double v[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    n[0] = u[1] * v[2] - u[2] * v[1];
    n[1] = u[2] * v[0] - u[0] * v[2];
    n[2] = u[0] * v[1] - u[1] * v[0];
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0) || !std::isfinite(length)) return false;
    for (double& c3 : n) c3 /= length;
    return true;
}

// The light direction over (north, east, up).
struct Light {
    double d[3];
};

Light CurrentLight() {
    const ColorBandParams& p = g_colorBandParams;
    const double az = p.lightAzimuth * M_PI / 180.0;
    const double el = p.lightElevation * M_PI / 180.0;
    const double ce = std::cos(el);
    return {{ce * std::cos(az), ce * std::sin(az), std::sqrt(1 - ce * ce)}};
}

int32_t ShadeLevelIn(const Light& light, const double (&a)[3], const double (&b)[3],
                     const double (&c)[3]) {
    double n[3];
    double lit = 0.3;
    if (UnitNormal(a, b, c, n))
        lit = std::max(n[0] * light.d[0] + n[1] * light.d[1] + n[2] * light.d[2], 0.3);
    return TruncToRaster(std::min(lit, 1.0) * 63.9, 63);
}

// The per-triangle work of the last pass that depends on the terrain alone (which records
// are drawn, their shade levels and slope rows) and what it was found from: a frame whose
// TIN and points are as they were, the camera turning say, keeps it.
struct TerrainWork {
    // The triangles: the painter's marks of the TIN, the hole option and the ranges.
    bool collected = false;
    uint64_t marksGeneration = 0;
    int32_t holesHidden = 0;
    int32_t lastRecord = 0;
    int32_t pointCount = 0;
    int32_t pointRecords = 0;
    // The shades and slopes: the corners and the settings they were found from.
    bool shaded = false;
    int32_t shading = 0;
    bool slopes = false;
    double lightAzimuth = 0;
    double lightElevation = 0;
    double maxSlope = 0;
    std::vector<double> corners;  // x, y, z of points 1..
    std::vector<uint8_t> levels;  // per pass triangle
};
TerrainWork g_terrainWork;

// The coordinates of points 1..count as the last shading found them; they are kept anew.
bool SameCorners(std::vector<double>& kept) {
    const int32_t count = std::max(0, std::min(g_pointCount, g_pointsBlock.Size() - 1));
    const size_t size = 3 * static_cast<size_t>(count);
    bool same = kept.size() == size;
    if (!same) kept.resize(size);
    double* k = kept.data();
    for (int32_t i = 1; i <= count; ++i, k += 3) {
        const RandomPoint& p = g_points[i];
        // Bit for bit, so that a coordinate that is not a number compares as itself.
        if (same && std::memcmp(k, &p.x, 3 * sizeof(double)) == 0) continue;
        same = false;
        std::memcpy(k, &p.x, 3 * sizeof(double));
    }
    return same;
}

// The triangles the bytes mark, less those hidden as holes.
void CollectTriangles(const uint8_t* bytes) {
    TerrainWork& w = g_terrainWork;
    const int32_t holesHidden = g_colorBandParams.holesHidden;
    const int32_t pointRecords = g_pointsBlock.Size();
    if (w.collected && w.marksGeneration == TriangleMarksGeneration() &&
        w.holesHidden == holesHidden && w.lastRecord == LastTinRecord() &&
        w.pointCount == g_pointCount && w.pointRecords == pointRecords)
        return;
    w = TerrainWork{};
    w.marksGeneration = TriangleMarksGeneration();
    w.holesHidden = holesHidden;
    w.lastRecord = LastTinRecord();
    w.pointCount = g_pointCount;
    w.pointRecords = pointRecords;
    w.collected = true;
    g_passTriangles.clear();
    const int32_t last = LastTinRecord();
    for (int32_t i = 1; i <= last; ++i) {
        if (!bytes[i]) continue;
        Triangle t;
        if (!TriangleOf(i, t) || HiddenHoleTriangle(t)) continue;
        g_passTriangles.push_back({i, t.a, t.b, t.c, t.hole});
    }
}

void ShadeTriangles(uint8_t* bytes) {
    const ColorBandParams& p = g_colorBandParams;
    TerrainWork& w = g_terrainWork;
    const bool slopes = p.mode == 3;
    const bool sameCorners = SameCorners(w.corners);
    if (w.shaded && sameCorners && w.shading == p.shading && w.slopes == slopes &&
        w.lightAzimuth == p.lightAzimuth && w.lightElevation == p.lightElevation &&
        (!slopes || w.maxSlope == p.maxSlope)) {
        if (p.shading)
            for (size_t i = 0; i < g_passTriangles.size(); ++i)
                bytes[g_passTriangles[i].record] = w.levels[i];
        return;
    }
    const Light light = CurrentLight();
    if (slopes) g_slopeRows.assign(static_cast<size_t>(LastTinRecord()) + 1, 0);
    w.levels.assign(p.shading ? g_passTriangles.size() : 0, 0);
    for (size_t i = 0; i < g_passTriangles.size(); ++i) {
        const PassTriangle& t = g_passTriangles[i];
        double a[3], b[3], c[3];
        Corner(t.a, a);
        Corner(t.b, b);
        Corner(t.c, c);
        if (slopes) g_slopeRows[t.record] = SlopeRow(a, b, c);
        if (p.shading) {
            w.levels[i] = static_cast<uint8_t>(ShadeLevelIn(light, a, b, c));
            bytes[t.record] = w.levels[i];
        }
    }
    w.shaded = true;
    w.shading = p.shading;
    w.slopes = slopes;
    w.lightAzimuth = p.lightAzimuth;
    w.lightElevation = p.lightElevation;
    w.maxSlope = p.maxSlope;
}

void DrawTinLines() {
    UseFlatSpans();
    g_depthBias = -0.01 * g_nearPlane;
    g_depthBiasOn = 1;
    const int32_t last = LastTinRecord();
    for (int32_t i = 1; i <= last; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const int32_t a = std::abs(e.a), b = std::abs(e.b);
        if (!ValidPoint(a) || !ValidPoint(b)) continue;
        RasterVertex p, q;
        VertexOfPoint(a, p);
        VertexOfPoint(b, q);
        g_triangleColor = g_colorTable[TinEdgeColorIndex(e)];
        DrawLine3D(p, q);
    }
    g_depthBias = 0;
    g_depthBiasOn = 0;
}

// A pass of this many triangles and more is drawn in bands of rows on several threads.
constexpr size_t kBandedTriangles = 20000;

// The rows between each pass triangle's corners when they lie inside the view (top,
// bottom), else all rows: the band a triangle may write to.
std::vector<std::pair<int32_t, int32_t>> g_triangleRows;

// Bands of window rows with about as much of the pass's triangle work each, one per
// thread to draw them; one band when threads cannot help. Fills g_triangleRows.
std::vector<std::pair<int32_t, int32_t>> RowBands() {
    const unsigned threads = std::min(std::thread::hardware_concurrency(), 4u);
    const int32_t height = g_rasterHeight;
    if (threads < 2 || height < 64) return {{INT32_MIN, INT32_MAX}};
    g_triangleRows.resize(g_passTriangles.size());
    ForEachRange(static_cast<int64_t>(g_passTriangles.size()), 20000,
                 [](int64_t begin, int64_t end) {
                     for (int64_t i = begin; i < end; ++i) {
                         const PassTriangle& t = g_passTriangles[i];
                         const CameraPoint& a = g_cameraPoints[t.a];
                         const CameraPoint& b = g_cameraPoints[t.b];
                         const CameraPoint& c = g_cameraPoints[t.c];
                         g_triangleRows[i] =
                             (a.outcode | b.outcode | c.outcode) != 0
                                 ? std::pair{INT32_MIN, INT32_MAX}
                                 : std::pair{std::min({a.corner.sy, b.corner.sy, c.corner.sy}),
                                             std::max({a.corner.sy, b.corner.sy, c.corner.sy})};
                     }
                 });
    // The rows a triangle covers, counted at its top row.
    std::vector<int64_t> work(static_cast<size_t>(height) + 1, 0);
    int64_t total = 0;
    for (const auto& [top, bottom] : g_triangleRows) {
        if (top == INT32_MIN) continue;
        const int64_t rows = 1 + int64_t{bottom} - top;
        work[std::clamp(top, 0, height)] += rows;
        total += rows;
    }
    std::vector<std::pair<int32_t, int32_t>> bands;
    int32_t first = INT32_MIN;
    int64_t sum = 0;
    for (int32_t r = 0; r <= height && bands.size() + 1 < threads; ++r) {
        sum += work[r];
        if (sum * threads >= total * static_cast<int64_t>(bands.size() + 1)) {
            bands.push_back({first, r});
            first = r + 1;
        }
    }
    bands.push_back({first, INT32_MAX});
    return bands;
}

void DrawColorBands(const uint8_t* bytes) {
    ColorBandParams& p = g_colorBandParams;
    const bool imageShown = ImageShown(g_savedImageSlot);
    g_bgImage = g_bandTextureSlot;
    LockRasterTexture();
    if (imageShown) {
        g_depthBiasOn = 1;
        g_depthBias = -0.001 * g_nearPlane;
    }

    // The span kind of the flat-coloured triangles; vertex-coloured ones change it.
    void (*flatSpans)() = UseFlatSpans;
    if (p.mode == 2) {
        if (imageShown) {
            ClearMarkBytes();
            flatSpans = UseHalfTransparentFlatSpans;
        }
        flatSpans();
    } else {
        if (p.mode != 3) {
            g_bandValues.assign(static_cast<size_t>(g_pointCount) + 1, 0);
            for (int32_t i = 1; i <= g_pointCount && i < g_pointsBlock.Size(); ++i)
                g_bandValues[i] = BandValue(g_points[i].x, g_points[i].y, g_points[i].z);
        }
        if (imageShown) {
            ClearMarkBytes();
            UseHalfTransparentTextureSpans();
        } else {
            SelectSpanRenderer();
        }
    }
    if (p.mode == 2 && p.useVertexColours == 1) {
        p.useVertexColours = 3;
        BuildVertexColorCache();
    }

    // Corners inside the view volume go to the rasteriser as they were projected; the
    // others are its vertex records, to be clipped.
    const bool screenCorners = !g_depthBiasOn;
    // The triangles that may write pixels of rows first..last, in their order.
    auto drawRows = [&](int32_t first, int32_t last) {
        const bool all = first == INT32_MIN && last == INT32_MAX;
        for (size_t i = 0; i < g_passTriangles.size(); ++i) {
            // A triangle inside the view writes only the rows between its corners.
            if (!all && (g_triangleRows[i].second < first || g_triangleRows[i].first > last))
                continue;
            const PassTriangle& t = g_passTriangles[i];
            const uint8_t byte = bytes[t.record];
            const CameraPoint& ca = g_cameraPoints[t.a];
            const CameraPoint& cb = g_cameraPoints[t.b];
            const CameraPoint& cc = g_cameraPoints[t.c];
            // Wholly beyond one side of the view: the rasteriser would drop it too.
            if (ca.outcode & cb.outcode & cc.outcode) continue;
            const bool inside = screenCorners && (ca.outcode | cb.outcode | cc.outcode) == 0;
            const int32_t corners[3] = {t.a, t.b, t.c};
            g_triangleShade = (byte & 63) * 256;
            // The colours or texture places of the corners; false when the triangle is left out.
            auto paint = [&](auto& v) {
                if (p.mode == 2) {
                    const bool allNamed = g_points[t.a].name[0] == '#' &&
                                          g_points[t.b].name[0] == '#' &&
                                          g_points[t.c].name[0] == '#';
                    if ((p.useVertexColours & 1) && allNamed) {
                        for (int k = 0; k < 3; ++k) v[k].color = VertexColor(corners[k]);
                        if (imageShown)
                            UseHalfTransparentVertexColorSpans();
                        else
                            UseVertexColorSpans();
                        if (!p.shading) g_triangleShade = 0x3F00;
                    } else {
                        const int32_t bits = ClassBits(g_points[t.a]) | ClassBits(g_points[t.b]) |
                                             ClassBits(g_points[t.c]);
                        const int32_t slot = kClassSlot[bits & 63];
                        if (p.planOnly && slot == 0) return false;
                        uint32_t color = static_cast<uint32_t>(p.birdsEyeColours[slot]) & 0xFFFFFF;
                        if (p.shading) {
                            if (!imageShown || (p.planOnly && (slot == 1 || slot == 2)))
                                UseFlatSpans();
                            else
                                UseHalfTransparentFlatSpans();
                            color = Shaded(color, g_triangleShade);
                        } else {
                            flatSpans();
                        }
                        g_triangleColor = color;
                    }
                } else {
                    const float column = p.shading ? static_cast<float>(63 - (byte & 63)) : 0.0f;
                    for (int k = 0; k < 3; ++k) {
                        v[k].u = column;
                        v[k].v = p.mode == 3 ? g_slopeRows[t.record] : g_bandValues[corners[k]];
                    }
                }
                return true;
            };
            if (inside) {
                ScreenCorner v[3] = {ca.corner, cb.corner, cc.corner};
                // Corners that are not numbers lie nowhere: no triangle.
                if (paint(v) && ca.finite && cb.finite && cc.finite)
                    DrawScreenTriangle(v[0], v[1], v[2]);
            } else {
                RasterVertex v[3];
                for (int k = 0; k < 3; ++k) VertexOfPoint(corners[k], v[k]);
                if (paint(v)) DrawTriangle3D(v[0], v[1], v[2]);
            }
        }
    };
    if (p.mode != 2 && screenCorners && g_passTriangles.size() >= kBandedTriangles) {
        const std::vector<std::pair<int32_t, int32_t>> bands = RowBands();
        if (bands.size() > 1) {
            DrawInRowBands(bands, drawRows);
            // The shade the last triangle leaves, as one thread drawing them all.
            for (auto t = g_passTriangles.rbegin(); t != g_passTriangles.rend(); ++t) {
                if (g_cameraPoints[t->a].outcode & g_cameraPoints[t->b].outcode &
                    g_cameraPoints[t->c].outcode)
                    continue;
                g_triangleShade = (bytes[t->record] & 63) * 256;
                break;
            }
        } else {
            drawRows(INT32_MIN, INT32_MAX);
        }
    } else {
        drawRows(INT32_MIN, INT32_MAX);
    }

    g_bgImage = g_savedImageSlot;
    LockRasterTexture();
    g_depthBias = 0;
    g_depthBiasOn = 0;
}

// The background image laid over the terrain: each point takes its place in the image
// as texture coordinates.
void DrawDrapedImage(const uint8_t* bytes) {
    const ImageSlot& image = g_bgImage;
    std::vector<std::pair<float, float>> texels(static_cast<size_t>(g_pointCount) + 1, {0.0f, 0.0f});
    const int32_t last = std::min(g_pointCount, g_pointsBlock.Size() - 1);
    for (int32_t i = 1; i <= last; ++i) {
        double u, v;
        MapGroundToImage(image, g_points[i].y, g_points[i].x, u, v);
        texels[i] = {static_cast<float>(u * image.width), static_cast<float>(v * image.height)};
    }
    LockRasterTexture();
    SelectSpanRenderer();
    for (const PassTriangle& t : g_passTriangles) {
        const CameraPoint& ca = g_cameraPoints[t.a];
        const CameraPoint& cb = g_cameraPoints[t.b];
        const CameraPoint& cc = g_cameraPoints[t.c];
        if (ca.outcode & cb.outcode & cc.outcode) continue;
        const int32_t corners[3] = {t.a, t.b, t.c};
        RasterVertex v[3];
        for (int k = 0; k < 3; ++k) {
            VertexOfPoint(corners[k], v[k]);
            v[k].u = texels[corners[k]].first;
            v[k].v = texels[corners[k]].second;
        }
        g_triangleShade = (bytes[t.record] & 63) * 256;
        DrawTriangle3D(v[0], v[1], v[2]);
    }
}

void DrawPointsWithDepth() {
    const double bias = -0.02 * g_nearPlane;
    if (g_showPoints && g_points) {
        g_pointsDrawnWithDepth = -1;
        const int32_t last = std::min(g_pointCount, g_pointsBlock.Size() - 1);
        for (int32_t i = 1; i <= last && g_points[i].hidden >= 0; ++i) {
            RandomPoint& p = g_points[i];
            if (p.hidden != 0) continue;
            if (!ChoosePointColor(p)) continue;
            const uint32_t depth = PointDepth(p.x, p.y, p.z, bias);
            const int32_t column = g_viewportCenterX + p.screenX;
            const int32_t row = g_viewportCenterY + p.screenY;
            p.hidden = static_cast<int8_t>(g_penSize != 0 ? PlotPointDepth(column, row, depth)
                                                          : PlotBlockDepth(column, row, depth));
        }
    }
    if (g_showTextFlags) {
        const int32_t savedPen = g_penSize;
        g_penSize = 0;
        const int32_t count = std::min(g_textFlagCount, kMaxTextFlags);
        for (int32_t i = 1; i <= count; ++i) {
            TextFlag& f = g_textFlags[i];
            if (f.offScreen != 0) continue;
            const int32_t colorClass = f.colour >= 2 && f.colour <= 4 ? f.colour : 1;
            g_rasterColor =
                g_colorTable[i == g_selectedTextFlag ? kColorSelectedTextFlag
                                                     : kColorTextFlagClass1 + colorClass - 1];
            const uint32_t depth = PointDepth(f.x, f.y, f.z, bias);
            const int32_t column = g_viewportCenterX + f.screenX;
            const int32_t row = g_viewportCenterY + f.screenY;
            f.offScreen = static_cast<int8_t>(TestDepth(column, row + 4, depth));
            if (f.offScreen == 0) PlotBlockDepth(column, row, depth);
        }
        g_penSize = savedPen;
    }
}

// Hole triangles filled at the water level.
void DrawWaterInHoles(const uint8_t* bytes) {
    const ColorBandParams& p = g_colorBandParams;
    ClearMarkBytes();
    if (p.waterTransparent)
        UseHalfTransparentFlatSpans();
    else
        UseFlatSpans();
    g_triangleColor = static_cast<uint32_t>(p.waterColour) & 0xFFFFFF;
    const double planDepth = g_projScale / g_viewScale;
    const int32_t last = LastTinRecord();
    for (int32_t i = 1; i <= last; ++i) {
        if (!bytes[i]) continue;
        Triangle t;
        if (!TriangleOf(i, t) || !t.hole) continue;
        if (!HoleVertex(t.a) || !HoleVertex(t.b) || !HoleVertex(t.c)) continue;
        RasterVertex v[3];
        const int32_t corners[3] = {t.a, t.b, t.c};
        for (int k = 0; k < 3; ++k) {
            PlaceVertex(v[k], g_points[corners[k]].x, g_points[corners[k]].y, p.waterLevel,
                        planDepth);
            v[k].u = v[k].v = 0;
            v[k].color = 0;
        }
        if (g_birdsEyeOn) ProjectTriangle3D(&v[0], &v[1], &v[2]);
        for (RasterVertex& vertex : v) ComputeVertexOutcode(vertex);
        DrawTriangle3D(v[0], v[1], v[2]);
    }
}

// The water plane: a square of side g_extentSize around the data at the water level, as
// four triangles about a centre vertex, each drawn in both windings so that it shows from
// above and from below.
void DrawWaterPlane() {
    const ColorBandParams& p = g_colorBandParams;
    if (p.waterTransparent)
        UseHalfTransparentFlatSpans();
    else
        UseFlatSpans();
    g_triangleColor = static_cast<uint32_t>(p.waterColour) & 0xFFFFFF;
    const double level = p.waterLevel, half = g_extentSize / 2;
    double cx = g_extentCenterX, cy = g_extentCenterY;
    if (g_birdsEyeOn) {
        // Where the view axis meets the water.
        const double up = g_cameraMatrix[7];
        const double d = std::abs(up) > 0.01 ? std::abs(g_eyeZ - level) / std::abs(up)
                                             : std::abs(g_eyeZ - level) * 100;
        cx = g_eyeX + d * g_cameraMatrix[8];
        cy = g_eyeY + d * g_cameraMatrix[6];
    }
    const double corners[4][2] = {{g_extentCenterX - half, g_extentCenterY - half},
                                  {g_extentCenterX - half, g_extentCenterY + half},
                                  {g_extentCenterX + half, g_extentCenterY + half},
                                  {g_extentCenterX + half, g_extentCenterY - half}};
    const double planDepth = g_projScale / g_viewScale;
    for (int k = 0; k < 4; ++k) {
        const double* a = corners[k];
        const double* b = corners[(k + 1) % 4];
        for (int winding = 0; winding < 2; ++winding) {
            RasterVertex v[3];
            PlaceVertex(v[0], a[0], a[1], level, planDepth);
            PlaceVertex(v[1], b[0], b[1], level, planDepth);
            PlaceVertex(v[2], cx, cy, level, planDepth);
            if (winding) std::swap(v[0], v[1]);
            for (RasterVertex& vertex : v) {
                vertex.u = vertex.v = 0;
                vertex.color = 0;
            }
            if (g_birdsEyeOn) ProjectTriangle3D(&v[0], &v[1], &v[2]);
            for (RasterVertex& vertex : v) ComputeVertexOutcode(vertex);
            DrawTriangle3D(v[0], v[1], v[2]);
        }
    }
}

}  // namespace

bool TinLinesDrawnWithDepth() {
    return g_showTin && g_birdsEyeOn && (g_colorBandOn || ImageShown(g_bgImage));
}

float BandValue(double x, double y, double z) {
    const ColorBandParams& p = g_colorBandParams;
    double dz;
    if (p.refInclined) {
        const double t = -p.refInclination * M_PI / 180.0;
        const double d = p.refDirection * M_PI / 180.0;
        dz = (z - p.refH) * std::cos(t) + (x - p.refX) * std::sin(t) * std::cos(d) +
             (y - p.refY) * std::sin(t) * std::sin(d);
    } else {
        dz = z - p.centre;
    }
    double value;
    if (dz < 0) {
        const double range = p.centre - p.lowest;
        value = (range != 0 ? dz * 120.0 / range : 0.0) + 119.499;
    } else {
        const double range = p.highest - p.centre;
        value = (range != 0 ? dz * 120.0 / range : 0.0) + 119.501;
    }
    if (!(value >= 0)) value = 0;  // also a value that is not a number
    return static_cast<float>(std::min(value, 239.4));
}

int32_t ShadeLevel(const double (&a)[3], const double (&b)[3], const double (&c)[3]) {
    return ShadeLevelIn(CurrentLight(), a, b, c);
}

float SlopeRow(const double (&a)[3], const double (&b)[3], const double (&c)[3]) {
    // A maximum slope of zero or less would divide by nothing; the dialog keeps it at
    // 0.001 or more, and so does this.
    const double maxSlope = std::max(g_colorBandParams.maxSlope, 0.001);
    double n[3];
    const double up = UnitNormal(a, b, c, n) ? std::min(std::abs(n[2]), 1.0) : 0.0;
    const double row = std::acos(up) * 13750.987083139758 / maxSlope - 0.499;
    return static_cast<float>(std::min(row, 239.0));
}

bool DrawTrianglePass(uint8_t* bytes) {
    const ColorBandParams& p = g_colorBandParams;

    UnlockBackBuffer();
    g_savedImageSlot = g_bgImage;
    const double longer = std::max(g_bufferMaxX, g_bufferMaxY);
    const double angle = std::atan2(longer, g_focalLength) * 180.0 / M_PI;
    const int32_t ready = InitTriangleRaster(angle, g_bufferMaxX + 1, g_bufferMaxY + 1);
    LockBackBuffer();
    if (ready < 0 || g_rasterStatus != 0) {
        UnlockBackBuffer();
        EndTriangleRaster();
        LockBackBuffer();
        return false;
    }
    g_depthBias = 0;
    g_depthBiasOn = 0;
    g_pointsDrawnWithDepth = 0;
    ProjectCameraPoints();

    if (bytes && g_tinPresent) {
        CollectTriangles(bytes);
    } else {
        g_passTriangles.clear();
        g_terrainWork = TerrainWork{};
    }
    if (bytes && g_tinPresent && (p.shading || p.mode == 3)) ShadeTriangles(bytes);

    if (TinLinesDrawnWithDepth()) DrawTinLines();

    if (bytes && g_tinPresent && g_birdsEyeOn && ImageShown(g_savedImageSlot) && g_bgImage.pixels)
        DrawDrapedImage(bytes);

    if (g_bandTexture && g_colorBandOn && g_tinPresent) DrawColorBands(bytes);

    if (g_birdsEyeOn && (g_colorBandOn || ImageShown(g_savedImageSlot) || g_depthOrderPoints))
        DrawPointsWithDepth();

    DrawImagePlane3D();
    if (g_colorBandOn && ImageShown(g_savedImageSlot)) {
        g_depthBiasOn = 1;
        g_depthBias = -0.001 * g_nearPlane;
    }

    const bool waterShown = g_colorBandOn || (ImageShown(g_savedImageSlot) && g_birdsEyeOn);
    if (p.waterShown > 0 && waterShown) {
        ClearMarkBytes();
        DrawWaterPlane();
    }
    if (p.waterShown < 0 && bytes && g_tinPresent && waterShown) DrawWaterInHoles(bytes);

    g_depthBiasOn = 0;
    g_depthBias = 0;
    UnlockBackBuffer();
    EndTriangleRaster();
    LockBackBuffer();
    return true;
}

void InstallTrianglePass() {
    g_painterLayers.trianglePass = [](uint8_t* bytes, bool& tinLinesDrawn) -> int32_t {
        tinLinesDrawn = false;
        if (!DrawTrianglePass(bytes)) return 1;
        tinLinesDrawn = TinLinesDrawnWithDepth();
        return 0;
    };
}
