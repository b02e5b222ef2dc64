#pragma once
// Walking a segment through a grid of unit cells, conservatively: every cell the segment
// comes within a margin of is visited.
#include <algorithm>
#include <cmath>
#include <cstdint>

// For every row of unit cells that the segment (r0, c0)-(r1, c1) touches when widened by
// `margin`, calls visit(row, first column, last column) with the columns it touches there.
// Rows and columns are not clipped.
template <typename Visit>
void ForEachTouchedRow(double r0, double c0, double r1, double c1, double margin, Visit visit) {
    const double rLow = std::min(r0, r1) - margin;
    const double rHigh = std::max(r0, r1) + margin;
    const int64_t firstRow = static_cast<int64_t>(std::floor(rLow));
    const int64_t lastRow = static_cast<int64_t>(std::floor(rHigh));
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        double cLow, cHigh;
        if (r0 == r1) {
            cLow = std::min(c0, c1);
            cHigh = std::max(c0, c1);
        } else {
            const double bandLow = std::max(static_cast<double>(row) - margin, rLow);
            const double bandHigh = std::min(static_cast<double>(row) + 1.0 + margin, rHigh);
            double t0 = (bandLow - r0) / (r1 - r0);
            double t1 = (bandHigh - r0) / (r1 - r0);
            t0 = std::clamp(t0, 0.0, 1.0);
            t1 = std::clamp(t1, 0.0, 1.0);
            const double ca = c0 + t0 * (c1 - c0);
            const double cb = c0 + t1 * (c1 - c0);
            cLow = std::min(ca, cb);
            cHigh = std::max(ca, cb);
        }
        visit(row, static_cast<int64_t>(std::floor(cLow - margin)),
              static_cast<int64_t>(std::floor(cHigh + margin)));
    }
}
