#pragma once
// The route computation: the IP table turned into curve elements and main points, then
// into the station array with names and cut lines.
#include <cstdint>

#include "route/route_data.h"

// Computes the whole route from g_ipPoints and the route parameters. Problems are shown
// as messages; a stop leaves g_stationCount at what was made so far (0 when the curve
// elements failed).
void CalcRoute();

// End of the unit clothoid (A = 1) whose tangent angle is tau radians. Returns 0.
int CalcUnitClothoid(double tau, double tol, double* x, double* y);

// Elements of a clothoid ending at (x, y) on a circle of radius r. Returns -1 and writes
// nothing when tau is 0. Fills length-independent fields of `out` (shift, xm, x, y,
// chord, shortTangent, longTangent, tau, sigma) and the normal intersection distance.
int CalcClothoidElements(double tau, double x, double y, double r, ClothoidElements* out,
                         double* normalDistance);

// Crossing of the infinite line through (pA, pB) along (dirA, dirB) with the segment
// (sA1, sB1)-(sA2, sB2); written only for a proper crossing.
void IntersectRouteSegments(double dirA, double dirB, double pA, double pB, double sA1, double sB1,
                            double sA2, double sB2, double* outA, double* outB);

// The first half alone: checks, curve types and elements, main points. False after a
// stop (the message has been shown).
bool CalcRouteCurves();
// The second half alone: the stations from what the first half left.
bool CalcRouteStations();
