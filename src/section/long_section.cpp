#include "section/long_section.h"

#include <algorithm>
#include <cmath>

#include "route/route_data.h"
#include "section/section_records.h"

namespace {
int32_t StationCount() {
    if (!g_stations) return 0;
    return std::max(0, std::min(g_stationCount, g_stationsBlock.Size() - 1));
}

bool Same(double a, double b) { return std::fabs(a - b) < kLongSectionSameDistance; }
}  // namespace

void RefreshStationHeights() {
    const int32_t n = StationCount();
    if (n < 2) return;
    for (int32_t i = 1; i <= n; ++i) g_stations[i].heightValid = 0;
    for (int32_t j = 1; j <= g_crossSectionCount; ++j) {
        const CrossSection* s = GetCrossSection(j);
        if (!s) continue;
        int32_t target = 0;
        if (j <= n && Same(g_stations[j].addedDistance, s->distance)) {
            target = j;
        } else {
            for (int32_t i = 1; i <= n && target == 0; ++i)
                if (Same(g_stations[i].addedDistance, s->distance)) target = i;
        }
        if (target == 0) continue;
        g_stations[target].groundZ = s->height;
        g_stations[target].heightValid = 1;
    }
}

LongSectionExtents ComputeLongSectionExtents() {
    LongSectionExtents e;
    const int32_t n = StationCount();
    if (n < 1) return e;
    const double first = g_stations[1].addedDistance;
    const double last = g_stations[n].addedDistance;
    double low = g_stations[1].groundZ;
    double high = low;
    for (int32_t i = 1; i <= n; ++i) {
        if (g_stations[i].heightValid != 1) continue;
        low = std::min(low, g_stations[i].groundZ);
        high = std::max(high, g_stations[i].groundZ);
    }
    e.distanceSpan = last - first;
    e.heightSpan = high - low;
    e.centreDistance = (first + last) / 2.0;
    e.centreHeight = (low + high) / 2.0;
    if (e.distanceSpan < 0.001 && e.heightSpan < 0.001) {
        e.distanceSpan = 50.0;
        e.heightSpan = 50.0;
    } else {
        // The span is doubled on purpose: the drawing has always been scaled so.
        e.distanceSpan = std::max({e.distanceSpan, 2.0 * std::fabs(last), 2.0 * std::fabs(first)});
    }
    return e;
}

std::vector<LongSectionMark> LongSectionGroundLine() {
    std::vector<LongSectionMark> line;
    const int32_t n = StationCount();
    for (int32_t i = 1; i <= n; ++i) {
        const StationRecord& s = g_stations[i];
        if (s.heightValid == 1) line.push_back({i, {s.addedDistance, s.groundZ}});
    }
    return line;
}

std::vector<SectionWorld> LongCrossingLine() {
    std::vector<SectionWorld> line;
    const int32_t n = std::min<int32_t>(g_longCrossingCount, static_cast<int32_t>(g_longCrossings.size()) - 1);
    for (int32_t i = 1; i <= n; ++i) line.push_back({g_longCrossings[i].distance, g_longCrossings[i].height});
    return line;
}

bool ApplyLongSectionVerticalScale(double& scale, double value) {
    if (!(value > 0.0 && value <= 20.0)) return false;
    scale = value;
    return true;
}
