#pragma once
// The profile work record of one section line and the cutters that fill it from the TIN
// (crossed triangles, as loose pieces or one chained polyline) and from the random points
// near the line.
#include <cstdint>

constexpr int32_t kProfileMaxPoints = 50001;            // counted entries 1..50001
constexpr int32_t kProfileEntries = kProfileMaxPoints + 1;  // entry 0 holds the start point
constexpr int32_t kMaxCrossingSegments = 50000;
constexpr double kNoProfileHeight = -999999.999;

// One point set: entries 1..count (count negative in `left` of the segment form).
struct ProfileSide {
    int32_t count;
    int32_t tag[kProfileEntries];  // set by the route sections only
    double dist[kProfileEntries];  // along the line from its start point
    double z[kProfileEntries];
    double x[kProfileEntries];
    double y[kProfileEntries];
};

// Profile form: each set an ordered polyline. Segment form (right.count = n > 0,
// left.count = -n): entry i of both sets is one straight ground piece, left end to right
// end; right entry 1 is the first point of the profile, right entry n the last.
struct SectionProfile {
    int32_t number;
    char name[20];
    double distance;
    double height;  // kNoProfileHeight when there is none; chain form starts from it
    double height2;
    double x;  // start point of the section line
    double y;
    double leftDirX;
    double leftDirY;
    double rightDirX;
    double rightDirY;
    ProfileSide left;
    ProfileSide right;
};

extern SectionProfile g_profile;

// One straight ground piece inside one TIN triangle.
struct CrossingSegment {
    double x1, y1, z1;
    double x2, y2, z2;
    int32_t vertexA, vertexB, vertexC;
    int32_t flags;  // bit 1 (2): linked by the chain form
    int32_t nextA, nextB;
};

// Band settings of the random-point sections.
extern double g_sectionBandWidth;      // extraction width, metres (> 0)
extern int32_t g_bandAlignWithHeight;  // 1: chaining measures with the height difference
extern int32_t g_bandConnectAll;       // 1: every band point is chained
void InitSectionBandDefaults();

// The pieces of the TIN triangles crossed by the line (x1, y1)-(x2, y2) within its ends,
// one per triangle, into segments[1..n] (room for kMaxCrossingSegments + 1 records).
// Returns n; 0 for a line shorter than 0.00001 or fewer than 3 edges or points.
int32_t FindTinEdgeCrossings(double x1, double y1, double x2, double y2, CrossingSegment* segments);

// Sets g_profile.x, y to the start and fills it in segment form (mode 0) or, from
// g_profile.height at the start, in chain form into `right` only (mode 1).
void CutTinProfile(double x1, double y1, double x2, double y2, int32_t mode);

// Sets g_profile.x, y to the start and fills `right` with the random points within half
// the band width of the line, chained from the start toward the end.
void CollectBandPoints(double x1, double y1, double x2, double y2);

// Exchanges entries a and b of `right` (dist, z, x, y, tag).
void SwapProfileEntries(int32_t a, int32_t b);
