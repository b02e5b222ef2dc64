#pragma once
// The sag curve of a power line between two towers over the ground: the tower input,
// the extended ground profile, the window's model (ground points, tower feet and tops,
// the catenary and its clearance tests, handles, drags and the 1 m shifts), the text
// report and the bird's-eye overlay.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/catenary.h"
#include "analysis/simple_section.h"

class OverlayCanvas;

// ---- Tower input ("座標点入力画面") ----

struct TowerInputState {
    bool widthMode = false;  // false: X and Y of a tower; true: the width beyond both
};
// A typed value as the dialog takes it: the number rounded through "%.5f" (0 for text
// that is no number).
double TowerInputValue(const std::string& text);
// The width field's first value: a tenth of the plan distance S-E, "%.3f".
std::string TowerWidthText();
// The extension ratio: width / plan distance S-E within 0..1.
double TowerExtensionRatio(double width);
// "登　録": x, y are the typed values (the width in x in width mode). True when the
// dialog stays open, switched to width mode.
bool ConfirmTowerInput(TowerInputState& state, double x, double y);

// Cuts the ground profile from S to E extended by t times its length at both ends into
// g_profile, moving a tower that lies outside the TIN onto the profile's end.
void BuildTowerGroundProfile(double t);

// A left release in the view in the sag-curve mode.
void OnTowerClick(int32_t flags, int32_t x, int32_t y);

// ---- The window's model ----

struct GroundPoint {
    double d, h;
};

constexpr uint32_t kSagClearColor = 0x80FFFF;  // 0xRRGGBB
constexpr uint32_t kSagTouchColor = 0xFF00FF;

// Ground height at plan point (x, y) from g_profile (or the TIN when there is no profile);
// `height` is left as it was where the profile says nothing.
void SagGroundHeight(double x, double y, double* height);

struct SagModel {
    double ratio = 0;  // extension ratio t
    LinePoint s, e;    // plan X, Y of the towers; z: ground height there
    std::vector<GroundPoint> ground;
    double originX = 0, originY = 0, originDist = 0;
    double dMin = 0, dMax = 0, hMin = 0, hMax = 0;
    double distanceSpan = 5, heightSpan = 5;

    // Distance of a plan point along the profile.
    double DistanceOf(double x, double y) const;
    double D1() const { return DistanceOf(s.x, s.y); }
    double D2() const { return DistanceOf(e.x, e.y); }
};

// Rebuilds from g_profile, g_towerStart and g_towerEnd.
void RebuildSagModel(SagModel& m);
// Default values of the edits: a = int((0.1 x plan distance S-E)^2), at least 1.
int32_t DefaultSagCoefficient(const SagModel& m);

// Clearance of the curve (points in the (distance, height) plane) over the ground:
// false when it touches or cuts it.
bool SagCurveClears(const std::vector<GroundPoint>& ground, const std::vector<CatenaryPoint>& curve);
// The straight chord between the tops: false when a ground point lies above it.
bool SagChordClears(const std::vector<GroundPoint>& ground, double d1, double top1, double d2, double top2);

// Typed values corrected as the paint does: a below 1 (or no number) is 1, a height
// below 0 is 0. `corrected` tells the edit to show the replacement.
double SagCoefficientValue(double typed, bool* corrected);
double SagHeightValue(double typed, bool* corrected);

struct SagCurve {
    double d1 = 0, d2 = 0, top1 = 0, top2 = 0;
    double a = 1;
    CatenaryCurve curve;
    int result = 0;     // of CatenaryCurve::Compute
    bool clear = true;  // clearance of the curve
};
// The curve between the tower tops (heights above the ground hL, hR) with step 1 m.
SagCurve ComputeSagCurve(const SagModel& m, double hL, double hR, double a);

// Handles: 1 S top, 2 S foot, 3 E top, 4 E foot; 0 none. Centres in pixels.
struct SagHandles {
    int32_t x[5] = {0, 0, 0, 0, 0};
    int32_t y[5] = {0, 0, 0, 0, 0};
};
int32_t HitSagHandle(const SagHandles& h, int32_t x, int32_t y);

// The foot of tower `which` (2 S, 4 E) dragged to cursor column `column` at distance d:
// allowed for S from the ground line's leftmost column up to (not including) E's foot
// column, for E after S's foot column up to the rightmost. Moves the tower along S-E,
// takes the ground height there and writes it to g_towerStart or g_towerEnd.
struct SagColumns {
    int32_t groundLeft = 0, groundRight = 0, footS = 0, footE = 0;
};
bool DragSagFoot(SagModel& m, int32_t which, int32_t column, double d, const SagColumns& columns);

// The shift panel's buttons: a 1 m step of both towers.
enum class SagShift { West, East, North, South, Left, Right };
// Moves S and E by the step when both land in a TIN triangle, cuts the profile again with
// the model's ratio and rebuilds; false (nothing moved) otherwise.
bool ShiftSagLine(SagModel& m, SagShift direction);

// The shift panel ("2D View"): a 101-pixel box 10 pixels inside the top right corner of
// the drawing area, its close box and the six buttons; dirX, dirY: S to E in plan.
struct SagShiftPanel {
    int32_t left = 0, top = 0, size = 101;
    int32_t closeLeft = 0, closeTop = 0;  // 15 x 15
    int32_t centreX = 0, centreY = 0;
    int32_t buttonX[6] = {}, buttonY[6] = {};  // by SagShift
    int32_t lineX = 0, lineY = 0;              // the direction line's E end from the centre
};
SagShiftPanel LayoutSagShiftPanel(int32_t areaRight, int32_t areaTop, double dirX, double dirY);
// -1 outside, 6 the close box, else the SagShift of the button under (x, y).
int32_t HitSagShiftPanel(const SagShiftPanel& p, int32_t x, int32_t y);

// ---- Report and overlay ----

struct SagReportValues {
    LinePoint s, e;   // z: ground heights
    double hL = 0, hR = 0;
    double a = 0;
    double length = 0;
    double d1 = 0, d2 = 0;
    std::vector<CatenaryPoint> points;  // (distance, 0, height)
};
// The report text (UTF-8, CR LF).
std::string FormatTowerReport(const SagReportValues& v);
// Copies it to the clipboard; a busy clipboard gives the message.
bool CopyTowerReport(const SagReportValues& v);

// The overlay's catenary in plan coordinates and its least clearance over g_profile.
struct TowerOverlay {
    double step = 1;
    CatenaryCurve curve;
    bool curveOk = false;
    bool found = false;      // a clearance below the smaller tower height was found
    bool touches = false;    // some clearance below 0
    double minClearance = 0;
    CatenaryPoint atCurve{}, atGround{};
};
TowerOverlay ComputeTowerOverlay(const LinePoint& s, const LinePoint& e, double hL, double hR, double a);
// Draws it in the bird's-eye display (nothing in the plan).
void DrawTowerOverlay(OverlayCanvas& canvas, const LinePoint& s, const LinePoint& e, double hL, double hR,
                      double a);

// Closing the window: the pick ends and the mode switches off.
void SagWindowClosed();
