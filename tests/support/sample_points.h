#pragma once
// Points 1..n of a plain sample: name "P<i>", X = 100 + i, Y = 200 - i, Z = 10 + i/2.
// The point block must already hold n records and the end marker.
#include <cstdio>

#include "model/terrain_data.h"

inline void FillSamplePoints(int32_t n) {
    for (int32_t i = 1; i <= n; ++i) {
        RandomPoint& p = g_points[i];
        p = RandomPoint{};
        p.x = 100.0 + i;
        p.y = 200.0 - i;
        p.z = 10.0 + i / 2.0;
        std::snprintf(p.name, sizeof p.name, "P%d", i);
    }
    g_pointCount = n;
    SetPointEndMarker();
    g_pointsPresent = -1;
}
