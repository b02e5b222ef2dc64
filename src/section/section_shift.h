#pragma once
// Plan sections derived from the ground sections by a fixed shift that never goes below
// a datum level, and their output as section files and random points.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Every ground section lowered vertically by `shift`, floored at `datum`, into the plan
// section of the same number. 1 when done, 0 when there are no section blocks.
int32_t ShiftSectionsDown(double shift, double datum);

// Every ground section offset perpendicular to its own segments by `shift` (positive
// moves both sides down into the ground), floored at `datum`. Corners whose offset lines
// meet too far from the ground vertex are dropped. 1 when done, 0 without blocks.
int32_t ShiftSectionsParallel(double shift, double datum);

// The shifted line of one side, in (offset, height). `offsets` and `heights` hold the
// ground side from index 0 (the centre, offset 0) to n. Gives the side's start height S
// and appends the stored points (offsets signed as the ground's).
void ShiftSideParallel(const double* offsets, const double* heights, int32_t n, bool left, double shift,
                       double datum, double* startHeight, std::vector<double>& outOffsets,
                       std::vector<double>& outHeights);

// kind 0: <path>.ODN and <path>.JDN; 1: the .ODN only; 2: the .JDN only; the plan height
// and the plan points in place of the ground's. 0 when written, -1 when a file could not
// be written (told, no partial file left).
int32_t WriteShiftedSections(const std::filesystem::path& path, int32_t kind);
std::string FormatShiftedOdnText();
std::string FormatShiftedJdnText();

// The centres and plan points of every section as random points. 0 when written, -1 when
// the file could not be written (told).
int32_t WriteSectionPointsRnd(const std::filesystem::path& path);
std::string FormatSectionPointsRndText();
