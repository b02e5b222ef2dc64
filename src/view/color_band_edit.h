#pragma once
// Editing rules of the colour-band dialogs, free of any window: band limits and labels,
// colour presets, the three-colour stripes, point colours without a TIN, the light
// widget and the inclined-plane arithmetic. The dialogs call these; tests call them too.
#include <cstdint>
#include <string>

#include "view/color_band_params.h"

struct RandomPoint;

// Band limits. Each edit applies to the record as the dialog's edit does.
void EditBandCentre(ColorBandParams& p, double centre);
// With the inclined reference the typed value is relative to the centre; the step
// becomes 0 since the range is no longer symmetric.
void EditBandHighest(ColorBandParams& p, double typed);
void EditBandLowest(ColorBandParams& p, double typed);
// A step <= 0 puts the range back to the data's.
void EditBandStep(ColorBandParams& p, double step);

// Boundary k = 1..19 between the twenty stripes.
double BandLabelValue(const ColorBandParams& p, int k);
std::string BandLabelText(const ColorBandParams& p, int k);  // "%4.3f"
// The four limit edits and the reference radios take input only in modes 0 and 1.
bool BandLimitEditsEnabled(int32_t mode);

// Empty or non-numeric text gives no value.
bool ParseEditNumber(const std::string& text, double& value);

enum class BandPreset { Red, Green, Map, Camouflage, Initial, BlueToRed, WhiteToBlack };
void ApplyBandPreset(ColorBandParams& p, BandPreset preset);

// Stripe colours from three colours, per channel with truncating integer steps.
void ApplyThreeColourBands(ColorBandParams& p, int32_t high, int32_t middle, int32_t low,
                           bool ignoreMiddle);

// Cancel: the backup comes back, except the fields the user sees act live while the
// dialog is open (water level, text colour change, shading, water shown, transparency).
void RestoreColorBandBackup(ColorBandParams& current, const ColorBandParams& backup);

// Slope entries are kept in their ranges.
double ClampSlopeAngle(double degrees);  // 0..89
double ClampMaxSlope(double slope);      // 0.001..200

// Light-direction widget of a width x height control. Returns false when (x, y) lies
// outside the control; otherwise sets azimuth and elevation (integer degrees).
bool LightWidgetClick(int width, int height, int x, int y, double& azimuth, double& elevation);
int LightWidgetRadius(int width, int height);

// Point colours without a TIN. `ratio` receives r in 0..1.
int32_t VertexBandColour(const ColorBandParams& p, double z, double* ratio = nullptr);
// Writes the colour into the name: visibly as "#RRGGBBc", or hidden after the name's
// terminator (bytes 8..11: 0, blue|1, green|1, red|1).
void WriteVertexColour(char (&name)[12], int32_t rgb, double ratio, bool updateNames);
struct VertexColourOptions {
    bool updateNames = false;
    bool keepExisting = false;  // leave points whose name starts with '#'
};
// Points 1..count; skips names starting with '_' and invalid points. Returns how many got
// a colour.
int32_t ApplyVertexColours(const ColorBandParams& p, RandomPoint* points, int32_t count,
                           const VertexColourOptions& options);
void ClearVertexColours(RandomPoint* points, int32_t count, bool updateNames);
// Centre, highest and lowest from the points' elevations; false without points.
bool VertexBandRangeFromPoints(ColorBandParams& p, const RandomPoint* points, int32_t count);

// Inclined plane.
double WrapDirection(double degrees);     // into 0..360
double SlopePercent(double inclination);  // tan(i, limited to +-89.9) x 100
// Aims the plane at a target point; false (nothing changed) when it is on the reference.
bool AimPlaneAtTarget(ColorBandParams& p, double x, double y, double z);
// Inclination from the slope handle: h pixels above the ground point, t the tick's height.
double SlopeHandleInclination(double h, double t);

// Ground points of the gizmo; a = 150 pixels in metres.
struct GizmoPoint {
    double x, y, z;
};
struct GizmoGeometry {
    GizmoPoint ref, poleTop, baseA, baseB, direction, slope, ground, tick;
};
GizmoGeometry ComputeGizmoGeometry(const ColorBandParams& p, double viewScale);
