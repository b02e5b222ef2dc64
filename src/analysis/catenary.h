#pragma once
// A line hanging between two supports, modelled as a catenary with parameter a (metres).
#include <vector>

struct CatenaryPoint {
    double x, y, z;
};

struct CatenarySpan {
    double x1, y1, z1;  // first support
    double x2, y2, z2;  // second support
    double a;           // 曲線係数; at least 1
    double step;        // horizontal sampling step, metres

    // Plan distance of the supports.
    double GetLength() const;
};

// Results of CatenaryCurve::Compute.
constexpr int kCatenaryOk = 1;
constexpr int kCatenaryNoSpan = -1;        // supports at one plan position
constexpr int kCatenaryBadParameter = -2;  // a below 1, a step not above 0, or no finite curve

struct CatenaryCurve {
    std::vector<CatenaryPoint> points;  // support 1 to support 2, supports excluded
    CatenaryPoint lowest{};             // the vertex, possibly beyond a support
    bool lowestInside = false;          // the vertex lies strictly between the supports
    double length = 0;                  // arc length between the supports

    int Compute(const CatenarySpan& span);
    bool GetPoint(int i, CatenaryPoint* out) const;
    int GetLowestPoint(CatenaryPoint* out) const {
        *out = lowest;
        return 1;
    }
};
