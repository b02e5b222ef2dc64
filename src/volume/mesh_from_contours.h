#pragma once
// Mesh node elevations from the contour line file. The first pass intersects every contour
// segment with every row line (extended 1000 pitches beyond the mesh both ways) and writes
// the crossings to a work file; the second pass interpolates each row's nodes from that
// row's crossings, sorted by their signed distance along the line.
#include <cstdint>
#include <vector>

// One crossing of a contour with a row line (a 40-byte record in the work file: distance
// at 0, level at 8, row at 28, little-endian).
struct ContourCrossing {
    double distance;  // from the row's first node along the length axis; negative behind it
    double level;
    int32_t row;
};
constexpr int32_t kContourCrossingBytes = 40;

constexpr int32_t kContourStraight = 1;
constexpr int32_t kContourCurve = 2;

// Records of the work file gathered per read in the second pass of CalcMeshFromContours.
extern int64_t g_contourCrossingBatch;
// Sorts records 1..n by distance (exchange sort: equal distances keep their order only as
// the exchanges leave them).
void SortCrossingsByDistance(std::vector<ContourCrossing>& list, int32_t n);
// 1 when s lies on a pair of consecutive records 1..n (bounds included), with the straight
// interpolation of the last such pair; else 0 and z = 0.
int32_t InterpolateOnLineStraight(const std::vector<ContourCrossing>& list, int32_t n, double s, double* z);
// The same with a polynomial through up to four neighbouring records, kept within the
// band of the pair (at least the contour interval).
int32_t InterpolateOnLineCurve(const std::vector<ContourCrossing>& list, int32_t n, double s, double interval,
                               double* z);

// method 1 straight, 2 curve; missingPolicy, missingValue as for the TIN; outlineOption 1
// computes the outline crossings. 0 done, -1 stopped or failed (reported).
int32_t CalcMeshFromContours(int32_t method, int32_t missingPolicy, double missingValue, int32_t outlineOption);

extern const char* const kNoContourCrossingsMessage;
