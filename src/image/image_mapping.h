#pragma once
// The mapping between a background image and the ground implied by its four corners, both
// ways, and the solvers that find the corners from picked pairs (image point, ground
// point). Equal opposite edges give an affine map; any other quadrilateral a projective
// one, held as a vanishing-point model that is exact both ways.
//
// Image fractions (u, v): u from 0 at the left edge to 1 at the right, v from 0 at the
// bottom to 1 at the top; u = column / width, v = row / height with rows counted upward.
// Every routine works on an explicit record; the ones without a record act on g_bgImage.
#include <cstdint>
#include <string>

#include "image/image_slot.h"

// Builds `image.mapping` from its corners, edge lengths and positionKnown.
void SetupImageMapping(ImageSlot& image);
// Ground point to image fractions. Points outside the image give fractions outside 0..1;
// a point beyond the horizon is moved just inside it. Results are always finite (their
// size is limited to 1e9) and the record is never changed.
void MapGroundToImage(const ImageSlot& image, double east, double north, double& u, double& v);
// Image fractions to ground. The affine form interpolates over the four pair ground points
// (UL, UR, LL, LR); outputs are left as they are when those are degenerate.
void MapImageToGround(const ImageSlot& image, double u, double v, double& east, double& north);

// Corners from two, three or four registered pairs (four by a least-squares similarity).
// The caller clears projectiveKind and positionKnown first. 0 on success; a negative code
// when the pairs are degenerate (coinciding or collinear points), the record unchanged.
int32_t SolveImageCornersFromPairs(ImageSlot& image);
// Corners from four pairs by the projective construction; 0 on success (positionKnown 4,
// edge lengths recomputed), else a code: 1 a corner line pair parallel, 5 a pair of
// diagonals parallel, -1 coinciding points or no spread along an axis, -2 three ground
// points on a line, -3 three image points on a line, -4 the image points arranged unlike
// the ground points, -6/-8 (ground) and -7/-9 (image) a diagonal crossing beyond its
// diagonal. On failure the corners are unchanged. The pairs may come back reordered.
int32_t SolveImageProjective(ImageSlot& image);
// Least-squares similarity of the four pairs; corners at the outer pixel edges. False
// (nothing written) when the image points coincide.
bool FitSimilarityToPairs(ImageSlot& image);

// Frame fractions (s, t) of point p in the quadrilateral q = (UL, UR, LL, LR).
void LocateInQuad(const double q[4][2], const double p[2], double& s, double& t);
// Crossing of the lines P1-P2 and P3-P4 as a point of P3-P4: 0 when parallel (x untouched),
// else -1 or 1 by the sign of the determinant.
int32_t IntersectImageLines(const double p1[2], const double p2[2], const double p3[2],
                            const double p4[2], double x[2]);
// Parameter of the one-dimensional projective map along a segment that keeps both ends and
// takes fraction b (image) to fraction a (ground); 0 when there is none.
double PerspectiveParameter(double a, double b);
// Puts the four pairs in order around their quadrilateral: 1 reordered, 0 left as they
// were, or a negative code as SolveImageProjective.
int32_t OrderImagePairs(ImageSlot& image);

// Edge lengths from the corners.
void ComputeImageEdgeLengths(ImageSlot& image);

// The registration button: solves the corners from the registered pairs (projectively
// with four pairs unless `leastSquares`), falling back to the first three pairs when the
// projective solution fails. Sets `message` to the text to show, or empties it. False
// when no placement could be made; the record is then as it was.
bool RegisterImagePairs(ImageSlot& image, bool leastSquares, std::string& message);
