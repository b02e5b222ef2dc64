#include "volume/mesh_elevation_command.h"

#include <cmath>

#include "model/terrain_data.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"
#include "volume/mesh_from_contours.h"
#include "volume/mesh_from_tin.h"

int32_t g_meshMissingPolicy = 1;
double g_meshMissingValue = 0;

MeshElevationCalcValues MeshElevationCalcDefaults() {
    MeshElevationCalcValues v;
    v.tinAllowed = g_tinPresent != 0 && g_tinEdgeCount > 0;
    v.contoursAllowed = g_drawingContoursLoaded != 0;
    v.method = v.tinAllowed ? kMeshMethodTin : kMeshMethodContourCurve;
    v.missingPolicy = g_meshMissingPolicy >= 1 && g_meshMissingPolicy <= 3 ? g_meshMissingPolicy : 1;
    v.missingValue = g_meshMissingValue;
    v.outlineOption = 1;
    v.lattice = 0;
    return v;
}

void SelectMeshMethod(MeshElevationCalcValues& values, int32_t method) {
    if (method == kMeshMethodTin ? !values.tinAllowed : !values.contoursAllowed) return;
    values.method = method;
    if (method != kMeshMethodTin) values.lattice = 0;
}

void SetMeshLattice(MeshElevationCalcValues& values, bool on) {
    values.lattice = on && values.method == kMeshMethodTin ? 1 : 0;
}

void SelectMissingPolicy(MeshElevationCalcValues& values, int32_t policy) {
    if (policy < 1 || policy > 3) return;
    values.missingPolicy = g_meshMissingPolicy = policy;
}

void SetMissingValue(MeshElevationCalcValues& values, double value) {
    if (!std::isfinite(value)) return;
    values.missingValue = g_meshMissingValue = value;
}

bool OutlineOptionEnabled(const MeshElevationCalcValues& values) { return values.lattice == 0; }

bool MissingValueEnabled(const MeshElevationCalcValues& values) { return values.missingPolicy == 3; }

bool SetMeshPitchLength(double value) {
    if (!(value > 0) || !std::isfinite(value)) return false;
    g_meshPitchLength = value;
    return true;
}

bool SetMeshPitchWidth(double value) {
    if (!(value > 0) || !std::isfinite(value)) return false;
    g_meshPitchWidth = value;
    return true;
}

int32_t RunMeshElevationCalc(const MeshElevationCalcValues& values) {
    int32_t result;
    if (values.method == kMeshMethodContourStraight || values.method == kMeshMethodContourCurve)
        result = CalcMeshFromContours(values.method, values.missingPolicy, values.missingValue, values.outlineOption);
    else if (values.lattice)
        result = CalcMeshFromTin(values.missingPolicy, values.missingValue, 0, 1);
    else
        result = CalcMeshFromTin(values.missingPolicy, values.missingValue, values.outlineOption, 0);
    g_redrawMask = -1;
    InvalidateAndUpdateView();
    return result;
}
