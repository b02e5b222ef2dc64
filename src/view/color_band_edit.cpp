#include "view/color_band_edit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/terrain_data.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = 180.0 / kPi;

void LimitsFromStep(ColorBandParams& p) {
    p.highest = p.centre + 10.0 * p.step;
    p.lowest = p.centre - 10.0 * p.step;
}

int Channel(int32_t rgb, int shift) { return (rgb >> shift) & 0xFF; }
int32_t Rgb(int r, int g, int b) { return (r << 16) | (g << 8) | b; }

constexpr int32_t kPresets[7][20] = {
    {0xFF0000, 0xFF0033, 0xFF0066, 0xFF0099, 0xFF00CC, 0xFF00FF, 0xFF33FF, 0xFF33CC, 0xFF3399, 0xFF3366,
     0xFF3333, 0xFF3300, 0xFF6600, 0xFF6633, 0xFF6666, 0xFF6699, 0xFF66CC, 0xFF66FF, 0xFF99FF, 0xFF99CC},
    {0x00FFFF, 0x00FFCC, 0x00FF99, 0x00FF66, 0x00FF33, 0x00FF00, 0x00CC00, 0x00CC33, 0x00CC66, 0x00CC99,
     0x00CCCC, 0x00CCFF, 0x0099FF, 0x0099CC, 0x009999, 0x009966, 0x009933, 0x009900, 0x006600, 0x006633},
    {0x28E828, 0x3CD03C, 0x50BC28, 0x6EBC11, 0x90B000, 0xA0B800, 0xB0C000, 0xC0C800, 0xD0D000, 0xC8C000,
     0xC0B000, 0xB8A000, 0xB09000, 0xA88808, 0xA08010, 0x987010, 0x906010, 0x884808, 0x783808, 0x682808},
    {0xF1F2CE, 0xD9D5B5, 0xBDC5B1, 0x8CA97E, 0x628E68, 0x4F892C, 0x008040, 0x008000, 0x004000, 0x2C4015,
     0x395B22, 0x414B18, 0x748730, 0x748B78, 0x8B9669, 0xC4D1AF, 0xC0C0C0, 0xFFFFFF, 0xE6E6FF, 0xC8C8FF},
    {0xFF0000, 0xFF8080, 0xFFFF00, 0x00FF00, 0xFF00FF, 0xFF8040, 0x00FFFF, 0x0080FF, 0x8080FF, 0xFFFFFF,
     0xFF0000, 0xFF8080, 0xFFFF00, 0x00FF00, 0xFF00FF, 0xFF8040, 0x00FFFF, 0x0080FF, 0x8080FF, 0xFFFFFF},
    {0x00007F, 0x0000F4, 0x0034FF, 0x006DFF, 0x00A6FF, 0x00DFFF, 0x00DFFF, 0x00FFE6, 0x00FFAD, 0x00FF74,
     0x00FF03, 0x36FF00, 0x6FFF00, 0xA8FF00, 0xFFFF00, 0xFFE400, 0xFFAB00, 0xFF7200, 0xFF3900, 0xFF0000},
    {0xFFFFFF, 0xF3F3F3, 0xE7E7E7, 0xDBDBDB, 0xCFCFCF, 0xC3C3C3, 0xB7B7B7, 0xABABAB, 0x9F9F9F, 0x939393,
     0x878787, 0x7B7B7B, 0x6F6F6F, 0x636363, 0x575757, 0x4B4B4B, 0x3F3F3F, 0x333333, 0x272727, 0x1B1B1B},
};

// from + k * ((to - from) / n) per channel, the division truncating toward zero.
int32_t StepColour(int32_t from, int32_t to, int k, int n) {
    int c[3];
    for (int i = 0; i < 3; ++i) {
        const int shift = 16 - 8 * i;
        const int f = Channel(from, shift);
        c[i] = f + k * ((Channel(to, shift) - f) / n);
    }
    return Rgb(c[0], c[1], c[2]);
}

int32_t Blend(int32_t from, int32_t to, double r) {
    int c[3];
    for (int i = 0; i < 3; ++i) {
        const int shift = 16 - 8 * i;
        c[i] = static_cast<int>(r * Channel(to, shift) + (1.0 - r) * Channel(from, shift));
    }
    return Rgb(c[0], c[1], c[2]);
}

bool Usable(const RandomPoint& pt) { return pt.invalid == 0 && pt.hidden != kEndMarker; }

}  // namespace

void EditBandCentre(ColorBandParams& p, double centre) {
    p.centre = centre;
    if (p.step > 0) LimitsFromStep(p);
}

void EditBandHighest(ColorBandParams& p, double typed) {
    p.highest = p.refInclined ? typed + p.centre : typed;
    p.step = 0;
}

void EditBandLowest(ColorBandParams& p, double typed) {
    p.lowest = p.refInclined ? typed + p.centre : typed;
    p.step = 0;
}

void EditBandStep(ColorBandParams& p, double step) {
    p.step = step;
    if (step > 0) {
        LimitsFromStep(p);
    } else {
        p.highest = p.dataHighest;
        p.lowest = p.dataLowest;
    }
}

double BandLabelValue(const ColorBandParams& p, int k) {
    double v = k <= 9 ? p.lowest + (p.centre - p.lowest) * k * 0.1
                      : p.centre + (p.highest - p.centre) * (k - 10) * 0.1;
    if (p.refInclined) v -= p.centre;
    // Keeps a boundary at the centre from showing as "-0.000".
    if (std::fabs(v) < 0.001) v = 0.00001;
    return v;
}

std::string BandLabelText(const ColorBandParams& p, int k) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%4.3f", BandLabelValue(p, k));
    return buf;
}

bool BandLimitEditsEnabled(int32_t mode) { return mode == 0 || mode == 1; }

bool ParseEditNumber(const std::string& text, double& value) {
    const char* s = text.c_str();
    while (*s == ' ' || *s == '\t') ++s;
    if (*s == 0) return false;
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (end == s) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != 0 || !std::isfinite(v)) return false;
    value = v;
    return true;
}

void ApplyBandPreset(ColorBandParams& p, BandPreset preset) {
    std::memcpy(p.stripeColours, kPresets[static_cast<int>(preset)], sizeof p.stripeColours);
}

void ApplyThreeColourBands(ColorBandParams& p, int32_t high, int32_t middle, int32_t low,
                           bool ignoreMiddle) {
    int32_t* c = p.stripeColours;
    c[0] = high;
    c[19] = low;
    if (ignoreMiddle) {
        for (int k = 1; k <= 18; ++k) c[k] = StepColour(high, low, k, 20);
        return;
    }
    c[9] = middle;
    for (int k = 1; k <= 8; ++k) c[k] = StepColour(high, middle, k, 10);
    for (int k = 1; k <= 9; ++k) c[9 + k] = StepColour(middle, low, k, 10);
}

void RestoreColorBandBackup(ColorBandParams& current, const ColorBandParams& backup) {
    const ColorBandParams live = current;
    current = backup;
    current.waterLevel = live.waterLevel;
    current.textColourChange = live.textColourChange;
    current.shading = live.shading;
    current.waterShown = live.waterShown;
    current.waterTransparent = live.waterTransparent;
}

double ClampSlopeAngle(double degrees) { return std::clamp(degrees, 0.0, 89.0); }
double ClampMaxSlope(double slope) { return std::clamp(slope, 0.001, 200.0); }

int LightWidgetRadius(int width, int height) { return std::min(width, height) * 9 / 20; }

bool LightWidgetClick(int width, int height, int x, int y, double& azimuth, double& elevation) {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    const int radius = LightWidgetRadius(width, height);
    if (radius <= 0) return false;
    const double dx = x - width / 2;
    const double dy = height / 2 - y;
    if (dx == 0 && dy == 0) {
        elevation = 90;
        return true;
    }
    // Brought into 0..2pi before truncating, so a hair left of north reads 359, not 0.
    double a = std::atan2(dx, dy);
    if (a < 0) a += 2 * kPi;
    azimuth = static_cast<int>(a * kDeg);
    const double r = std::hypot(dx, dy);
    elevation = static_cast<int>((1.0 - std::min(1.0, r / radius)) * 90.0);
    return true;
}

int32_t VertexBandColour(const ColorBandParams& p, double z, double* ratio) {
    const double h = std::max(0.001, std::fabs(p.highest - p.centre));
    const double l = std::max(0.001, std::fabs(p.lowest - p.centre));
    int32_t colour;
    double r;
    if (z > p.centre) {
        r = std::clamp((z - p.centre) / h, 0.0, 1.0);
        colour = Blend(p.gradientColours[2], p.gradientColours[3], r);
    } else {
        r = std::clamp((p.centre - z) / l, 0.0, 1.0);
        colour = Blend(p.gradientColours[1], p.gradientColours[0], r);
    }
    if (ratio) *ratio = r;
    return colour;
}

void WriteVertexColour(char (&name)[12], int32_t rgb, double ratio, bool updateNames) {
    if (updateNames) {
        const int tag = 35 + static_cast<int>(std::floor(91.0 * ratio));
        char buf[16];
        std::snprintf(buf, sizeof buf, "#%02X%02X%02X%c", Channel(rgb, 16), Channel(rgb, 8),
                      Channel(rgb, 0), tag);
        std::memset(name, 0, sizeof name);
        std::memcpy(name, buf, 8);
        return;
    }
    name[8] = 0;
    name[9] = static_cast<char>(Channel(rgb, 0) | 1);
    name[10] = static_cast<char>(Channel(rgb, 8) | 1);
    name[11] = static_cast<char>(Channel(rgb, 16) | 1);
}

int32_t ApplyVertexColours(const ColorBandParams& p, RandomPoint* points, int32_t count,
                           const VertexColourOptions& options) {
    int32_t coloured = 0;
    for (int32_t i = 1; i <= count; ++i) {
        RandomPoint& pt = points[i];
        if (!Usable(pt) || pt.name[0] == '_') continue;
        if (options.keepExisting && pt.name[0] == '#') continue;
        double r = 0;
        const int32_t rgb = VertexBandColour(p, pt.z, &r);
        WriteVertexColour(pt.name, rgb, r, options.updateNames);
        ++coloured;
    }
    return coloured;
}

void ClearVertexColours(RandomPoint* points, int32_t count, bool updateNames) {
    for (int32_t i = 1; i <= count; ++i) {
        RandomPoint& pt = points[i];
        if (!Usable(pt)) continue;
        if (updateNames) {
            if (pt.name[0] == '#') std::memset(pt.name, 0, sizeof pt.name);
        } else {
            pt.name[9] = 0;
        }
    }
}

bool VertexBandRangeFromPoints(ColorBandParams& p, const RandomPoint* points, int32_t count) {
    bool any = false;
    double hi = 0, lo = 0;
    for (int32_t i = 1; i <= count; ++i) {
        if (!Usable(points[i])) continue;
        const double z = points[i].z;
        if (!any || z > hi) hi = z;
        if (!any || z < lo) lo = z;
        any = true;
    }
    if (!any) return false;
    p.highest = hi;
    p.lowest = lo;
    p.centre = (hi + lo) / 2;
    return true;
}

double WrapDirection(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360.0;
    return d;
}

double SlopePercent(double inclination) {
    const double i = std::clamp(inclination, -89.9, 89.9);
    return std::tan(i / kDeg) * 100.0;
}

bool AimPlaneAtTarget(ColorBandParams& p, double x, double y, double z) {
    const double dx = x - p.refX;
    const double dy = y - p.refY;
    const double horizontal = std::hypot(dx, dy);
    if (horizontal == 0) return false;
    p.refDirection = std::atan2(dy, dx) * kDeg;
    p.refInclination = std::atan((z - p.refH) / horizontal) * kDeg;
    return true;
}

double SlopeHandleInclination(double h, double t) { return std::atan(0.1 * h / (t + 0.001)) * kDeg; }

GizmoGeometry ComputeGizmoGeometry(const ColorBandParams& p, double viewScale) {
    const double a = 150.0 / viewScale;
    const double th = p.refDirection / kDeg;
    const double s = std::sin(th), c = std::cos(th);
    const double ti = std::tan(p.refInclination / kDeg);
    const GizmoPoint r{p.refX, p.refY, p.refH};
    GizmoGeometry g;
    g.ref = r;
    g.poleTop = {r.x, r.y, r.z + a};
    g.baseA = {r.x + a * s, r.y - a * c, r.z};
    g.baseB = {r.x - a * s, r.y + a * c, r.z};
    g.direction = {r.x + a * c, r.y + a * s, r.z};
    g.slope = {r.x + 0.9 * a * c, r.y + 0.9 * a * s, r.z + 0.9 * a * ti};
    g.ground = {r.x + 0.9 * a * c, r.y + 0.9 * a * s, r.z};
    g.tick = {g.ground.x, g.ground.y, g.ground.z + 0.09 * a};
    return g;
}
