#pragma once
// Flow paths (流水経路): steepest descent over the TIN from start points, across
// triangles, along valley edges and through vertices, with arrow heads at fixed spacing
// of path length. Vertex numbers of TIN records are used by absolute value.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FlowPoint {
    double x = 0.0;  // north
    double y = 0.0;  // east
    double z = 0.0;
};

constexpr int32_t FLOW_POINT = 0;
constexpr int32_t FLOW_AREA = 2;

struct FlowSettings {
    FlowPoint startPoint;
    FlowPoint areaOrigin;
    FlowPoint areaEnd;
    FlowPoint areaFarEnd;
    FlowPoint areaFarOrigin;
    double rotation = 0.0;  // degrees counter-clockwise from east, [0, 360)
    double spacing = 0.0;
    double arrowInterval = 20.0;
    int32_t pointCount = 5;
    uint32_t lineColor = 0xFF8080;   // COLORREF: RGB 128, 128, 255
    uint32_t arrowColor = 0xFFFF00;  // COLORREF: RGB 0, 255, 255
    uint32_t lineColorBuffer = 0x8080FF;   // 0x00RRGGBB
    uint32_t arrowColorBuffer = 0x00FFFF;  // 0x00RRGGBB
    int32_t redrawAll = 0;
    int32_t kind = FLOW_POINT;
    int32_t enabled = 0;
};

extern FlowSettings g_flowSettings;
extern const FlowSettings g_flowSettingsDefaults;
extern FlowSettings g_flowSettingsBackup;

// Why a path ended.
enum class FlowEnd {
    kNoStart,        // outside the TIN, or a flat start triangle: no path
    kLeftTriangle,   // the walk found the point outside its triangle
    kNoExit,         // no side to leave by
    kBorder,         // the exit side is on the TIN's border
    kPit,            // a vertex lower than its neighbours (or no triangle to go on in)
    kRepeatedVertex, // a vertex reached twice on this path
    kStepBudget,     // more than 30000 steps (a flat triangle or level vertex costs 100)
};

struct FlowPath {
    FlowPoint start;
    std::vector<FlowPoint> vertices;  // the start point first, then every drawn end
    FlowEnd end = FlowEnd::kNoStart;
    int32_t steps = 0;
};

constexpr int32_t kFlowStepBudget = 30000;

// Traces one path per start point over the current TIN.
std::vector<FlowPath> TraceFlowPaths(const std::vector<FlowPoint>& starts);

// The start grid of an area: corner A (the end corner) and B (the origin), (n + 2) x
// (m + 2) points with n and m clamped into 0..28; points outside the TIN are dropped,
// the others get the TIN's elevation.
std::vector<FlowPoint> FlowGridPoints(const FlowPoint& a, const FlowPoint& b, int32_t n, int32_t m);

// The start points of the area: the count clamped into 2..10 (stored back), then count x
// count points from the end corner to the origin.
std::vector<FlowPoint> FlowAreaStartPoints(FlowSettings& s);

// Arrow positions along a path: every `interval` metres of horizontal path length,
// carried across segments, never at the start. A segment that cannot carry an arrow
// (shorter than 0.1 mm, or `drawable` says no) passes its length on.
// segments, when given, receives the index of each arrow's segment end in `path`.
std::vector<FlowPoint> FlowArrowPoints(const std::vector<FlowPoint>& path, double interval,
                                       const std::function<bool(const FlowPoint&, const FlowPoint&)>& drawable = nullptr,
                                       std::vector<size_t>* segments = nullptr);

// The area's corners from origin, rotation, spacing and count: end = origin + (count - 1)
// · spacing · (sin r, cos r); far end and far origin a quarter turn on.
void UpdateFlowAreaCorners(FlowSettings& s);
// Spacing and rotation from a dragged origin and end; the count clamped into 2..10.
void FlowAreaFromCorners(FlowSettings& s);

// The window's edits (CFlowDlg); each returns true when the view is to be redrawn.
namespace flowctl {
constexpr int kOriginX = 1117, kOriginY = 1118, kSpacing = 1113, kPointCount = 1122, kRotation = 1123,
              kArrowInterval = 1112;
}
bool FlowEditLeft(int control, const char* text);
// What the edit shows.
std::string FlowFieldText(int control);

// Copies the defaults back (new data).
void ResetFlowSettingsValues();
