#pragma once
// Simple contours: level lines cut from the TIN's triangles on every full repaint at
// g_simpleContourInterval, every g_simpleContourIndexInterval in the index colour.
#include <cstdint>

// Palette entries of the simple contours.
constexpr int kSimpleContourColor = 52;
constexpr int kSimpleIndexContourColor = 53;

// Where the level cuts the edges A-B, B-C and C-A of the triangle (corners X, Y, Z), in
// that order: an edge gives a point when the level lies within its Z range (a horizontal
// edge gives none). Returns how many of out[0..2] (X, Y) were written; a level through a
// corner gives that corner twice and the opposite edge's point.
int32_t SimpleContourCrossings(const double corners[3][3], double level, double out[3][2]);

// Whether a level is a multiple of `interval` (to within 1e-6 of the quotient).
bool IsContourIndexLevel(double level, double interval);

// Draws the simple contours of the TIN records whose byte in `mask` (indexed by record,
// 1..g_tinEdgeCount) is non-zero, all records when mask is null, in plan or bird's-eye
// form, into the locked back buffer. The records' points must be projected.
void DrawSimpleContours(const uint8_t* mask);

// Installs the layer into the painter.
void InstallSimpleContourLayer();
