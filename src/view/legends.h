#pragma once
// The band legend (縞段彩色、標高) and the slope legend (傾斜色,角度): what their swatches
// and labels show, the slope legend's DXF fields, and the output of the TIN triangles whose
// slope lies within a range of angles as 3DFACE entities.
#include <array>
#include <cstdint>
#include <string>

// Band i (1..20, bottom up): colour c(100 + i), 0xRRGGBB.
int32_t BandLegendColour(int32_t band);
// Label j (1..19, bottom up) at index j - 1, "%4.3f": lower .. middle in tenths for j <= 9,
// middle .. upper for j >= 10 (label 10 is the middle level).
std::array<std::string, 19> BandLegendLabels();

// Slope band i (1..10, bottom up): colour c(400 + i).
int32_t SlopeLegendColour(int32_t band);
// Label j (1..10, bottom up) at index j - 1: " %5.1f" of j x the maximum slope / 10.
std::array<std::string, 10> SlopeLegendLabels();

// The slope legend's DXF fields.
struct SlopeDxfFields {
    double minAngle = 0;
    double maxAngle = 90;
    int32_t layer = 0;
    int32_t colour = 0;
};
// An angle field left: atof held to 0..90; shown again with "%.1f".
double ReadSlopeDxfAngle(const std::string& text);
std::string SlopeDxfAngleText(double degrees);
// A layer or colour field left: atoi; shown again with "%d".
int32_t ReadSlopeDxfNumber(const std::string& text);

// The slope angle in degrees of the triangle A, B, C: positive when the corners run
// counter-clockwise on the map, negative for the other winding, 0 when level.
double TriangleSlopeAngle(double ax, double ay, double az, double bx, double by, double bz,
                          double cx, double cy, double cz);

// Writes one 3DFACE (A, B, C, A) with the colour and layer numbers for every TIN triangle
// whose slope angle lies within [minAngle, maxAngle]. 0 when written; kDxfWriteCannotCreate
// (-1) when the file cannot be created; kDxfWriteFailed (-2) when a write failed, the
// incomplete file having been removed.
int32_t ExportSlopeFacesDxf(const std::string& path, double minAngle, double maxAngle,
                            int32_t layer, int32_t colour);

// 出力開始: asks for the file (starting in the work folder) and writes it; a file that
// cannot be created or written is told.
void RunSlopeFacesDxfOutput(const SlopeDxfFields& fields);
