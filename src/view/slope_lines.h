#pragma once
// Slope lines: a downhill arrow across every TIN triangle steeper than the gentle angle,
// in the steep colour beyond the steep angle, labelled with its slope in degrees or
// percent when g_showSlopeLines asks for labels (bits in view/display_layers_settings.h).
#include <cstdint>
#include <string>

constexpr int kSlopeLineColor = 52;
constexpr int kSteepSlopeLineColor = 53;

// The arrow of one triangle (corners X north, Y east, Z up): from the uphill end to the
// downhill end, each pulled a tenth of the way towards the other.
struct SlopeArrow {
    double up[3];    // U'
    double down[3];  // D'
    double slope;    // -tan of the slope angle (negative)
    int colorIndex;  // kSlopeLineColor or kSteepSlopeLineColor
};

// False when the triangle gets no arrow: horizontal, clockwise on the map, not steeper
// than the gentle angle, or too thin to cross. Angles in degrees.
bool ComputeSlopeArrow(const double corners[3][3], double gentleAngle, double steepAngle,
                       SlopeArrow* arrow);

// The label of a slope value: degrees, or percent with bit 4, with "%" when bit 8 is set
// too; `decimals` 0..7.
std::string SlopeLabelText(double slope, int32_t bits, int32_t decimals);

// Draws the slope lines of the TIN records whose byte in `mask` is non-zero (all records
// when null), in plan or bird's-eye form; the records' points must be projected.
void DrawSlopeLines(const uint8_t* mask);

void InstallSlopeLineLayer();
