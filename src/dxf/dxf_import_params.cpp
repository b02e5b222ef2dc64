#include "dxf/dxf_import_params.h"

#include <algorithm>


int32_t g_dxfSplineQuality = 40;

namespace {
int32_t* Kinds(DxfImportParams& p, int32_t i) {
    int32_t* kinds[] = {&p.read3dFace, &p.readArc,  &p.readCircle, &p.readLine,  &p.readPoint, &p.readSolid,
                        &p.readText,   &p.readVertex, &p.readBlocks, &p.readMText, &p.readSpline};
    return kinds[i];
}
constexpr int32_t kKindCount = 11;
}  // namespace

DxfImportParams StartDxfImportParams() {
    DxfImportParams p{};
    for (int32_t i = 0; i < kKindCount; ++i) *Kinds(p, i) = 1;
    p.xyMode = 0;
    p.unit = 0;
    p.clipToExtents = 1;
    p.splineQuality = g_dxfSplineQuality;
    return p;
}

int32_t DxfSplineSliderPosition(int32_t quality) { return std::clamp(quality / 20, 0, 5); }

int32_t StepDxfSplineSlider(int32_t position, int32_t step) { return std::clamp(position + step, 0, 5); }

void ToggleAllDxfKinds(DxfImportParams& p) {
    bool all = true;
    for (int32_t i = 0; i < kKindCount; ++i) all = all && *Kinds(p, i) != 0;
    for (int32_t i = 0; i < kKindCount; ++i) *Kinds(p, i) = all ? 0 : 1;
}

void StartDxfImport(DxfImportParams& p, int32_t sliderPosition) {
    p.splineQuality = std::clamp(sliderPosition, 0, 5) * 20;
    g_dxfSplineQuality = p.splineQuality;
}
