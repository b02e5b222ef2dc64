#pragma once
// Cross sections of every route station: from the TIN (or the mesh), from the contour
// lines, from the random points near each cut line, and the dense simple sections.
// Each returns the answer to the closing "save?" question (6 Yes, 7 No), or 3 when it
// could not start (after a message; the sections held before are kept).
#include <cstdint>
#include <string>

constexpr int32_t kSectionCalcNotStarted = 3;

// source 0 TIN edges; -1 mesh nodes and mesh-section points; other values both.
int32_t CalcSectionsFromTin(int32_t source);
// source 0 contour lines; -1 mesh nodes; other values both.
int32_t CalcSectionsFromContours(int32_t source);
int32_t CalcSectionsFromPoints();
int32_t CalcSimpleSections();

// The stored simple sections (the simple-section work file, one record per station).
extern int32_t g_simpleSectionCount;
// Loads simple section k (1..g_simpleSectionCount) into g_profile; false when missing.
bool ReadSimpleSection(int32_t k);
// Appends g_profile as the next simple section; false when it could not be written.
bool AppendSimpleSection();
// Empties the simple-section work file; false (after a message) when it cannot be made.
bool ResetSimpleSections();

// The crossing phase finds the stations near each source element through a grid of
// the cut lines; tests turn it off to compare with the plain scan of every pair.
void SetSectionCrossingIndex(bool on);

// Message texts.
extern const char* const kSectionCalcDoneQuestion;  // 5595
extern const char* const kNoStationsMessage;
