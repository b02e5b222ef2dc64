#pragma once
// The mesh elevation dialog's values and the command behind it: the source and method,
// the policy for missing nodes, the pitches, the outline crossings and the lattice.
#include <cstdint>

constexpr int32_t kMeshMethodContourStraight = 1;
constexpr int32_t kMeshMethodContourCurve = 2;
constexpr int32_t kMeshMethodTin = 3;

// Remembered for as long as the program runs (also used by the lattice output).
extern int32_t g_meshMissingPolicy;  // starts at 1
extern double g_meshMissingValue;    // starts at 0

struct MeshElevationCalcValues {
    int32_t method = kMeshMethodTin;
    int32_t missingPolicy = 1;
    double missingValue = 0;
    int32_t outlineOption = 1;
    int32_t lattice = 0;
    // What may be chosen.
    bool tinAllowed = false;
    bool contoursAllowed = false;
};

// The start state: the TIN when one exists, else the curve method; the remembered policy
// (1 when it is outside 1..3) and value; outline crossings on; no lattice.
MeshElevationCalcValues MeshElevationCalcDefaults();

// The dialog's rules. A contour method clears the lattice; the lattice is only taken with
// the TIN; a policy is remembered at once.
void SelectMeshMethod(MeshElevationCalcValues& values, int32_t method);
void SetMeshLattice(MeshElevationCalcValues& values, bool on);
void SelectMissingPolicy(MeshElevationCalcValues& values, int32_t policy);
void SetMissingValue(MeshElevationCalcValues& values, double value);
// Whether the outline radios and the missing value field can be used.
bool OutlineOptionEnabled(const MeshElevationCalcValues& values);
bool MissingValueEnabled(const MeshElevationCalcValues& values);
// A pitch typed into the dialog: taken (written into the mesh parameters at once) only
// when above 0. False leaves the pitch as it was.
bool SetMeshPitchLength(double value);
bool SetMeshPitchWidth(double value);

// After 開始: runs the chosen computation and redraws the view. The result of the
// computation (0 done, -1 stopped or failed).
int32_t RunMeshElevationCalc(const MeshElevationCalcValues& values);
