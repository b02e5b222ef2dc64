#pragma once
// Places raster data (a scanned drawing, a background image, a map sheet) on the ground by
// its four corners: maps the image's unit square onto the ground quadrilateral, affine for a
// parallelogram and as a plane projective (perspective) map otherwise.
//
// Image (u, v) -> ground corner: (0, 0) -> P3, (1, 0) -> P4, (0, 1) -> P1, (1, 1) -> P2.
// Positions outside the unit square are extrapolated by the same map.
#include <cstdint>

struct CornerMapping {
    // Edge lengths |P1P2|, |P3P4|, |P1P3|, |P2P4|.
    double m_lengthP1P2 = 0.0, m_lengthP3P4 = 0.0, m_lengthP1P3 = 0.0, m_lengthP2P4 = 0.0;
    // Corners P1 to P4 at index 0 to 3.
    double m_x[4] = {}, m_y[4] = {};
    // 0 affine; 1 projective.
    int32_t m_kind = 0;
    // Projective form relative to P3: ground - P3 = (a u + b v, d u + e v) / (g u + h v + 1).
    double m_a = 0.0, m_b = 0.0, m_d = 0.0, m_e = 0.0, m_g = 0.0, m_h = 0.0;
    // Its inverse (row-major 3 x 3 on ground - P3); the third row is the horizon's linear
    // form, positive on the side of the image.
    double m_inverse[9] = {};
    // The horizon line: its unit normal (towards the image side) and its offset, so that the
    // signed distance of ground point p is normal · (p - P3) + offset.
    double m_horizonNormalX = 0.0, m_horizonNormalY = 0.0, m_horizonOffset = 0.0;
    // 1 when exactly one pair of opposite sides converges (a trapezoid).
    int32_t m_trapezoid = 0;

    void SetCornerMapping(double x1, double y1, double x2, double y2, double x3, double y3,
                          double x4, double y4);
    void ImageToGround(double u, double v, double& x, double& y) const;
    // The image position that maps onto (x, y). A point on or beyond the horizon is first
    // moved just to the image side of it. False, with u and v untouched, when the corners
    // are degenerate or the point lies exactly on the horizon.
    bool GroundToImage(double x, double y, double& u, double& v) const;
};
