#pragma once
// Small numeric helpers of the earthwork code, the field tokenizer of the text readers and
// the hole-vertex marking.
#include <string>

// Crossing of the segments 1-2 and 3-4, each parameter allowed 0.001 beyond its ends.
// found and parallel start at 0; x, y are written only when found.
void IntersectLines2(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                     double y4, int* found, int* parallel, double* x, double* y);

// A number typed into a dialog's edit (C locale, blanks around it allowed); false, and
// value untouched, for anything else.
bool ParseDialogNumber(const std::string& text, double* value);

// value rounded to n decimals, halves away from zero.
double RoundToDecimals(double value, int n);

// PolygonArea on arrays used from index 1: entries 1..count, the last repeating the first.
int PolygonAreaTrapezoid(const double* xs, const double* ys, int count, double* area,
                         int* orientation);

// Next field of a CP932 text, cut in place at the first byte of delimiter. Pass the text
// to start and nullptr to go on; nullptr once the end was reached. Unlike strtok, empty
// fields are kept, and a double-byte character whose trail byte equals the delimiter is
// not split. Keeps its position between calls, like strtok.
char* TokenizeText(char* text, const char* delimiter);

// Scratch byte of every point 0, then 1 for each point that is a negative (hole) end A or B
// of a TIN record; the state word of every TIN record 0.
void MarkHoleVertices();
