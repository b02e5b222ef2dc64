#pragma once
// A background drawing of a million elements for the DXF benches: polylines of 50
// vertices scattered over a square, and a plan view that shows a 10 km square whole.
#include <cstdint>
#include <cstring>
#include <random>

#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace dxfbench {

constexpr int32_t kElements = 1'000'000;

// Replaces the store's elements; the square's south-west corner at (north0, east0).
inline void FillDrawing(double north0 = 0, double east0 = 0, double size = 10000) {
    g_dxfElementCount = 0;
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> place(0, size), step(-15, 15);
    DxfTarget target = DXF_TARGET_ENTITIES;
    EnsureDxfCapacity(target, kElements);
    double n = 0, e = 0;
    for (int32_t i = 0; i < kElements; ++i) {
        DxfElement& d = AppendDxfRecord(target);
        std::memset(&d, 0, sizeof d);
        if (i % 50 == 0) {
            n = north0 + place(random);
            e = east0 + place(random);
            d.pen = DXF_PEN_MOVE;
        } else {
            n += step(random);
            e += step(random);
            d.pen = DXF_PEN_DRAW;
        }
        d.x = d.sourceX = n;
        d.y = d.sourceY = e;
    }
    g_dxfElementCountAtLoad = g_dxfElementCount;
    NoteDxfElementsChanged();
}

inline void PlanView() {
    g_bufferMaxX = 1600;
    g_bufferMaxY = 1000;
    g_viewportCenterX = 800;
    g_viewportCenterY = 500;
    g_viewCenterX = g_viewCenterY = 5000;
    g_viewScale = 0.16;  // the whole square in view
    g_birdsEyeOn = 0;
    ProjectAllData(0);
}

}  // namespace dxfbench
