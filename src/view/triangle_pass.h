#pragma once
// The depth-buffered triangle pass of a full repaint: the TIN's triangles coloured by
// elevation or slope bands, by point classes or vertex colours, lit by the light
// direction; in the bird's-eye view also the TIN lines, the points and the text flags
// with hidden-surface removal; water over the holes. The plan view uses the same pass,
// with the triangles laid out flat and the depth ordering only water and ground.
#include <cstdint>

// Makes the pass the painter's triangle layer (PaintView runs it when colour bands or the
// bird's-eye points ask for it).
void InstallTrianglePass();

// Whether the pass draws the TIN lines itself (bird's-eye view, TIN shown, colour bands
// on or the background image shown); the painter then leaves out its plain TIN lines.
bool TinLinesDrawnWithDepth();

// The pass, into the locked back buffer after the painter's projection and clear.
// `bytes`: one byte per TIN record (1..g_tinEdgeCount) marking the record that stands
// for each triangle, or null when there is none; it comes back holding each triangle's
// shade level. False when the rasteriser could not be set up (nothing drawn).
bool DrawTrianglePass(uint8_t* bytes);

// Elevation to band-texture row: the centre elevation at 119.501, the lower half ending
// at 119.499, the band top at 239.4 and the bottom at 0 (limited to 0 .. 239.4).
float BandValue(double x, double y, double z);
// The triangle's shade level (19 .. 63) and, for slope bands, its texture row, from the
// corners in ground coordinates (north, east, up).
int32_t ShadeLevel(const double (&a)[3], const double (&b)[3], const double (&c)[3]);
float SlopeRow(const double (&a)[3], const double (&b)[3], const double (&c)[3]);
