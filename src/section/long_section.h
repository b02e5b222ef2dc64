#pragma once
// The longitudinal section: the ground height at each station taken from the cross
// section at the same added distance, the extents the window scales to, and the lines it
// draws. Distances run along the horizontal axis of a SectionFrame.
#include <cstdint>
#include <vector>

#include "section/section_frame.h"

// Two added distances closer than this are the same place.
inline constexpr double kLongSectionSameDistance = 0.001;

// Each station takes the centre ground height of the section at its added distance and
// is flagged (heightValid); the others keep their height, unflagged. Section j goes to
// station j when that matches, else to the first station that does. Nothing with fewer
// than 2 stations.
void RefreshStationHeights();

struct LongSectionExtents {
    double distanceSpan = 50.0;
    double heightSpan = 50.0;
    double centreDistance = 0.0;
    double centreHeight = 0.0;
};
// Distances from the first to the last station, heights over the flagged stations (both
// starting from station 1). Both spans below 0.001 become 50; otherwise the distance span
// reaches at least twice the farthest end from 0.
LongSectionExtents ComputeLongSectionExtents();

// The ground line: (added distance, ground height) of the flagged stations in order,
// with their station numbers; unflagged stations are passed over without a break.
struct LongSectionMark {
    int32_t station = 0;
    SectionWorld at;
};
std::vector<LongSectionMark> LongSectionGroundLine();
// The crossing list as (added distance, height), in order.
std::vector<SectionWorld> LongCrossingLine();

// A typed vertical scale: above 0 and at most 20 is taken; false (nothing changed) else.
bool ApplyLongSectionVerticalScale(double& scale, double value);
